#include "speech/sphinx/Acceptance.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using sphinx::Evidence;
using sphinx::PhraseEntry;
using sphinx::Segment;
using sphinx::Thresholds;

Segment seg(const char* word, int first, int last, double score, int phones = 1)
{
    return Segment{QString::fromLatin1(word), first, last, score, phones};
}

TEST(AcceptanceTest, SilenceFillersAndPhoneLoopSilenceAreNoWords)
{
    for (const char* word : {"<sil>", "<s>", "</s>", "[NOISE]", "+NSN+", "+SPN+", "SIL", ""})
        EXPECT_TRUE(sphinx::isSilence(QString::fromLatin1(word))) << word;
    for (const char* word : {"silver", "sil", "AH", "zorvatron", "what's"})
        EXPECT_FALSE(sphinx::isSilence(QString::fromLatin1(word))) << word;
}

TEST(AcceptanceTest, WordsAreComparedWithThePhonesOfTheirOwnFrames)
{
    // Frames 0-9 silence, 10-29 "open" (20 frames), 30-39 "notes" (10 frames).
    const std::vector<Segment> grammar{seg("<sil>", 0, 9, -100), seg("open", 10, 29, -600, 4),
                                       seg("notes", 30, 39, -500, 4)};
    // The phone loop's segments straddle the word boundary at frame 30: "OW" takes
    // frames 25-34 and counts half for each word.
    const std::vector<Segment> phones{seg("SIL", 0, 9, -100), seg("AH", 10, 24, -300),
                                      seg("OW", 25, 34, -200), seg("T", 35, 39, -50)};
    const Evidence e = sphinx::compare(grammar, phones);
    EXPECT_EQ(e.words, 2);
    EXPECT_EQ(e.wordFrames, 30);
    // "open": -600 against -300 - 100 over 20 frames; "notes": -500 against -100 - 50.
    EXPECT_DOUBLE_EQ(e.worstWordScore, (-500.0 - -150.0) / 10);
    // The whole path against the whole loop, per word frame.
    EXPECT_DOUBLE_EQ(e.phraseScore, (-1200.0 - -650.0) / 30);
    EXPECT_DOUBLE_EQ(e.shortestPhone, 10.0 / 4);
    EXPECT_DOUBLE_EQ(e.longestPhone, 20.0 / 4);
}

TEST(AcceptanceTest, SpeechLeftToSilenceCountsAgainstThePhrase)
{
    // A sentence of which the grammar could use one word: the rest went to silence,
    // which fits speech far worse than the phones do.
    const std::vector<Segment> grammar{seg("<sil>", 0, 59, -9000), seg("go", 60, 79, -400, 2),
                                       seg("<sil>", 80, 99, -1000)};
    const std::vector<Segment> phones{seg("AH", 0, 59, -3000), seg("OW", 60, 79, -400),
                                      seg("SIL", 80, 99, -1000)};
    const Evidence e = sphinx::compare(grammar, phones);
    EXPECT_DOUBLE_EQ(e.worstWordScore, 0);
    EXPECT_DOUBLE_EQ(e.phraseScore, -6000.0 / 20);
}

TEST(AcceptanceTest, AnOrdinaryWordIsComparedOverTheWholeUtterance)
{
    // "money" said: the phrase "My Mail" fits its 20 frames by 100 worse than the word
    // "money" does; the silence around them is scored alike but counts as it is.
    const std::vector<Segment> grammar{seg("<sil>", 0, 9, -100), seg("my", 10, 19, -300, 2),
                                       seg("mail", 20, 29, -400, 3), seg("<sil>", 30, 39, -90)};
    const std::vector<Segment> phones{seg("M", 0, 39, -800)};
    sphinx::Evidence e = sphinx::compare(grammar, phones);
    EXPECT_TRUE(std::isinf(e.rivalMargin) && e.rivalMargin > 0); // not compared yet
    sphinx::compareRival(
        e, grammar,
        {seg("<sil>", 0, 11, -110), seg("money", 12, 29, -600, 4), seg("<sil>", 30, 39, -80)});
    EXPECT_DOUBLE_EQ(e.rivalMargin, (-890.0 - -790.0) / 20);
    // No ordinary word heard, or no words in the phrase: nothing to hold against it.
    sphinx::Evidence none = sphinx::compare(grammar, phones);
    sphinx::compareRival(none, grammar, {});
    EXPECT_TRUE(std::isinf(none.rivalMargin));
}

TEST(AcceptanceTest, OddPathsGiveNoFalseEvidence)
{
    // Silence only: nothing to accept.
    const Evidence silent = sphinx::compare({seg("<sil>", 0, 49, -500)}, {seg("SIL", 0, 49, -500)});
    EXPECT_EQ(silent.words, 0);
    EXPECT_TRUE(std::isinf(silent.phraseScore) && silent.phraseScore < 0);
    EXPECT_FALSE(sphinx::accepts(silent, Thresholds{-1e9, -1e9, 0, 1e9}));

    // A phone loop that stopped short, empty or reversed segments, a word without a
    // known pronunciation (no duration to judge): counted where there is something to
    // count, never a crash.
    const Evidence odd = sphinx::compare({seg("yes", 0, 29, -300, 0), seg("<sil>", 30, 20, -5),
                                          seg("no", -3, 2, -10), seg("go", 30, 35, -60, 2)},
                                         {seg("Y", 0, 9, -100), seg("EH", 12, 5, -7)});
    EXPECT_EQ(odd.words, 2);
    EXPECT_DOUBLE_EQ(odd.phraseScore, (-360.0 - -100.0) / 36);
    EXPECT_DOUBLE_EQ(odd.worstWordScore, -60.0 / 6);
    EXPECT_DOUBLE_EQ(odd.shortestPhone, 3);
    EXPECT_DOUBLE_EQ(odd.longestPhone, 3);
}

TEST(AcceptanceTest, EveryThresholdCanRejectAndEqualityAccepts)
{
    Evidence e;
    e.words = 2;
    e.phraseScore = -40;
    e.worstWordScore = -70;
    e.shortestPhone = 4;
    e.longestPhone = 12;
    e.rivalMargin = -2;
    const Thresholds limits{-40, -70, 4, 12, -2};
    EXPECT_TRUE(sphinx::accepts(e, limits));

    Thresholds stricter = limits;
    stricter.phrase = -39.9;
    EXPECT_FALSE(sphinx::accepts(e, stricter));
    stricter = limits;
    stricter.worstWord = -69.9;
    EXPECT_FALSE(sphinx::accepts(e, stricter));
    stricter = limits;
    stricter.shortestPhone = 4.1;
    EXPECT_FALSE(sphinx::accepts(e, stricter));
    stricter = limits;
    stricter.longestPhone = 11.9;
    EXPECT_FALSE(sphinx::accepts(e, stricter));
    stricter = limits;
    stricter.rivalMargin = -1.9;
    EXPECT_FALSE(sphinx::accepts(e, stricter));

    // Words whose pronunciations were not known leave the durations unjudged.
    e.shortestPhone = e.longestPhone = 0;
    EXPECT_TRUE(sphinx::accepts(e, limits));
}

TEST(AcceptanceTest, NoiseLowersTheThresholdsWithinLimits)
{
    PhraseDecoder::Settings settings;
    settings.acceptThreshold = -40;
    settings.wordThreshold = -60;
    settings.shortPhraseThreshold = -30;
    settings.quietSnrDb = 25;
    settings.noisiestSnrDb = 10;
    settings.noiseReliefPerDb = 2;
    PhraseEntry longPhrase, shortPhrase;
    shortPhrase.isShort = true;

    // Quiet, or quieter than quiet: the thresholds as set; a short phrase's one word
    // has the phrase's threshold.
    for (double snr : {25.0, 70.0}) {
        const Thresholds longOne = sphinx::thresholdsFor(settings, longPhrase, snr);
        EXPECT_DOUBLE_EQ(longOne.phrase, -40);
        EXPECT_DOUBLE_EQ(longOne.worstWord, -60);
        const Thresholds shortOne = sphinx::thresholdsFor(settings, shortPhrase, snr);
        EXPECT_DOUBLE_EQ(shortOne.phrase, -30);
        EXPECT_DOUBLE_EQ(shortOne.worstWord, -30);
    }
    // 5 dB of noise more: 10 lower. At the noisiest and beyond: 30 lower, no more.
    EXPECT_DOUBLE_EQ(sphinx::thresholdsFor(settings, longPhrase, 20).phrase, -50);
    EXPECT_DOUBLE_EQ(sphinx::thresholdsFor(settings, longPhrase, 20).worstWord, -70);
    EXPECT_DOUBLE_EQ(sphinx::thresholdsFor(settings, shortPhrase, 10).phrase, -60);
    EXPECT_DOUBLE_EQ(sphinx::thresholdsFor(settings, longPhrase, -5).phrase, -70);
    // Noise costs the phrase and the ordinary words alike: the margin stays.
    settings.rivalMargin = -2;
    EXPECT_DOUBLE_EQ(sphinx::thresholdsFor(settings, shortPhrase, 10).rivalMargin, -2);
    // The start phrase must pass every threshold, the rival margin too, by more.
    settings.startPhraseMargin = 4;
    PhraseEntry start;
    start.isStart = true;
    const Thresholds wake = sphinx::thresholdsFor(settings, start, 20);
    EXPECT_DOUBLE_EQ(wake.phrase, -46);
    EXPECT_DOUBLE_EQ(wake.worstWord, -66);
    EXPECT_DOUBLE_EQ(wake.rivalMargin, 2);
    // Durations do not depend on noise.
    const Thresholds noisy = sphinx::thresholdsFor(settings, longPhrase, 0);
    EXPECT_DOUBLE_EQ(noisy.shortestPhone, settings.shortestPhone);
    EXPECT_DOUBLE_EQ(noisy.longestPhone, settings.longestPhone);
}

} // namespace
