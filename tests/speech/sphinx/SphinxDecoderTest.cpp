#include "launcher/Grammar.h"
#include "platform/audio/SoundFile.h"
#include "speech/sphinx/PhraseDecoder.h"
#include "tests/support/SynthAudio.h"
#include "tests/support/TempDir.h"

#include <QProcess>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Runs a program to its end; false when it fails.
bool run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class SphinxDecoderTest : public ::testing::Test
{
protected:
    void SetUp() override { make(PhraseDecoder::defaultSettings()); }

    void make(const PhraseDecoder::Settings& settings)
    {
        QString error;
        decoder_ = PhraseDecoder::create(settings, &error);
        ASSERT_TRUE(decoder_) << qPrintable(error);
        QStringList skipped;
        ASSERT_TRUE(
            decoder_->loadGrammar(buildGrammarText({"Notepad", "Start Zorvatron", "What's New?",
                                                    "<a|b>;", "!!!", "Kelvaro Report"},
                                                   "Computer"),
                                  &skipped));
        EXPECT_EQ(skipped, QStringList({"!!!"}));
    }

    // 16 kHz mono audio with half a second of silence before and after the sound sox
    // makes of `input` (a file, or "-n" for a synthesised one) with `effects`.
    std::vector<std::int16_t> convert(const QStringList& input, const QStringList& effects)
    {
        const QString out = dir_.file(QStringLiteral("out%1.wav").arg(++files_));
        // Repeatable: the same noise on every run.
        EXPECT_TRUE(run("sox", QStringList{"-R"} + input +
                                   QStringList{"-r", "16000", "-c", "1", "-b", "16", out} +
                                   effects + QStringList{"pad", "0.5", "0.5"}));
        const std::optional<platform::Pcm> pcm = platform::decodeSoundFile(out);
        EXPECT_TRUE(pcm && pcm->sampleRate == 16000 && pcm->channels == 1);
        return pcm ? pcm->samples : std::vector<std::int16_t>{};
    }

    std::vector<std::int16_t> speech(const QString& text, const QString& voice = "en-us",
                                     int wordsPerMinute = 150)
    {
        const QString raw = dir_.file(QStringLiteral("raw.wav"));
        EXPECT_TRUE(run("espeak-ng",
                        {"-v", voice, "-s", QString::number(wordsPerMinute), "-w", raw, text}));
        return convert({raw}, {});
    }

    // What the decoder makes of the audio, the end of the file included.
    std::vector<DecodedUtterance> decode(const std::vector<std::int16_t>& audio)
    {
        std::vector<DecodedUtterance> heard;
        const auto collect = [&](const DecodedUtterance& u) { heard.push_back(u); };
        decoder_->feed(audio.data(), audio.size(), collect);
        decoder_->flush(collect);
        return heard;
    }

    // Spoken words without the silence around them.
    std::vector<std::int16_t> trimmed(const QString& text)
    {
        const QString raw = dir_.file(QStringLiteral("raw.wav"));
        EXPECT_TRUE(run("espeak-ng", {"-v", "en-us", "-w", raw, text}));
        const QStringList trim{"silence", "1", "0.01", "0.1%"};
        const std::vector<std::int16_t> audio =
            convert({raw}, trim + QStringList{"reverse"} + trim + QStringList{"reverse"});
        const std::size_t pad = 8000; // convert() pads half a second either side
        return std::vector<std::int16_t>(audio.begin() + pad, audio.end() - pad);
    }

    // The one phrase heard in the audio, or "" when it was rejected or nothing heard.
    QString phraseOf(const std::vector<std::int16_t>& audio)
    {
        const std::vector<DecodedUtterance> heard = decode(audio);
        QString phrase;
        for (const DecodedUtterance& u : heard) {
            RecordProperty("score" + std::to_string(u.endSample), std::to_string(u.score));
            EXPECT_LE(u.endSample, offset_ + static_cast<std::int64_t>(audio.size()));
            if (u.phrase) {
                EXPECT_TRUE(phrase.isEmpty()) << "more than one phrase heard";
                phrase = *u.phrase;
            }
        }
        offset_ += static_cast<std::int64_t>(audio.size());
        return phrase;
    }

    // The audio with white noise mixed in, `snrDb` below the speech's power (that of the
    // frames louder than a hundredth of the loudest).
    static std::vector<std::int16_t> withNoise(std::vector<std::int16_t> audio, double snrDb)
    {
        constexpr std::size_t frame = 160;
        std::vector<double> frames;
        for (std::size_t at = 0; at + frame <= audio.size(); at += frame)
            frames.push_back(synth::power(audio.data() + at, frame));
        const double loudest = *std::max_element(frames.begin(), frames.end());
        double sum = 0;
        int speaking = 0;
        for (double p : frames) {
            if (p > loudest / 100) {
                sum += p;
                ++speaking;
            }
        }
        // Evenly spread noise of amplitude a has the power a * a / 3.
        const double noisePower = sum / speaking / std::pow(10, snrDb / 10);
        const std::vector<std::int16_t> hiss =
            synth::noise(static_cast<double>(audio.size()) / synth::rate,
                         static_cast<int>(std::sqrt(3 * noisePower)), 99);
        for (std::size_t i = 0; i < audio.size(); ++i)
            audio[i] = static_cast<std::int16_t>(std::clamp(audio[i] + hiss[i], -32768, 32767));
        return audio;
    }

    TempDir dir_;
    int files_ = 0;
    std::int64_t offset_ = 0;
    std::unique_ptr<PhraseDecoder> decoder_;
};

TEST_F(SphinxDecoderTest, HearsGrammarPhrasesAsTheRulesWriteThem)
{
    EXPECT_EQ(phraseOf(speech("Computer")), "Computer");
    EXPECT_EQ(phraseOf(speech("What Time Is It")), "What Time Is It");
    EXPECT_EQ(phraseOf(speech("Start Zorvatron")), "Start Zorvatron");
}

TEST_F(SphinxDecoderTest, HearsMadeUpWordsInOtherAccents)
{
    EXPECT_EQ(phraseOf(speech("Kelvaro Report", "en-us")), "Kelvaro Report");
    EXPECT_EQ(phraseOf(speech("Kelvaro Report", "en", 140)), "Kelvaro Report");
    EXPECT_EQ(phraseOf(speech("Kelvaro Report", "en+f2", 175)), "Kelvaro Report");
}

TEST_F(SphinxDecoderTest, RejectsChatterAndNoise)
{
    EXPECT_EQ(phraseOf(speech("What Time Is It")), "What Time Is It");
    EXPECT_EQ(phraseOf(speech("the weather is really nice today")), "");
    EXPECT_EQ(phraseOf(convert({"-n"}, {"synth", "1.5", "whitenoise", "vol", "0.5"})), "");
    // A tone sweeping up through the speech band fits a long-drawn "no" best.
    EXPECT_EQ(phraseOf(convert({"-n"}, {"synth", "3", "sine", "200-4000", "vol", "0.3"})), "");
    // A triangle chirp holds its "vowel" no longer than a slow speaker does, and fits
    // "No" well: only its single narrow band gives it away. So do repeated beeps.
    EXPECT_EQ(phraseOf(convert({"-n"}, {"synth", "2", "triangle", "500-1500", "vol", "0.3"})), "");
    EXPECT_EQ(phraseOf(convert({"-n"}, {"synth", "0.4", "sine", "440", "vol", "0.3", "pad", "0",
                                        "0.3", "repeat", "4"})),
              "");
    // Still listening afterwards.
    EXPECT_EQ(phraseOf(speech("Computer")), "Computer");
}

TEST_F(SphinxDecoderTest, AnOrdinaryWordThatFitsBetterIsNoCommand)
{
    // This voice's "money" fits "My Mail" better than the phones alone, but the word
    // "money" fits it better still.
    ASSERT_TRUE(decoder_->loadGrammar(buildGrammarText({"My Mail"}, "Computer"), nullptr));
    const std::vector<std::int16_t> money = speech("money", "en-us+f3");
    const std::vector<DecodedUtterance> heard = decode(money);
    offset_ += static_cast<std::int64_t>(money.size());
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_FALSE(heard[0].phrase);
    EXPECT_EQ(heard[0].rival, "money");
    EXPECT_EQ(heard[0].rejection, Rejection::NotACommand);
    EXPECT_EQ(phraseOf(speech("My Mail", "en-us+f3")), "My Mail");
}

TEST_F(SphinxDecoderTest, HearsSpeechAfterLongDigitalSilence)
{
    // As from a noise-gated microphone: seconds of exact zeros, then the phrase. The
    // zeros alone, first thing a new decoder hears, are nothing heard, not a phrase too
    // quiet to take.
    std::vector<std::int16_t> audio(3 * 16000, 0);
    EXPECT_TRUE(decode(audio).empty());
    offset_ += static_cast<std::int64_t>(audio.size());
    const std::vector<std::int16_t> phrase = speech("Start Zorvatron");
    audio.insert(audio.end(), phrase.begin(), phrase.end());
    audio.resize(audio.size() + 2 * 16000, 0);
    EXPECT_EQ(phraseOf(audio), "Start Zorvatron");
    EXPECT_EQ(phraseOf(audio), "Start Zorvatron");
}

TEST_F(SphinxDecoderTest, WaitsForTheRestOfAPhraseAcrossAPause)
{
    // "Start ... Zorvatron": a third of a second between the words, longer than the
    // silence that ends a phrase.
    const std::vector<std::int16_t> silence(8000, 0);
    const std::vector<std::int16_t> pause(5600, 0);
    // With the passes begun at the end, and begun in the pause.
    for (int earlyPassFrames : {0, 8}) {
        PhraseDecoder::Settings settings = PhraseDecoder::defaultSettings();
        settings.earlyPassFrames = earlyPassFrames;
        make(settings);
        const std::vector<DecodedUtterance> heard =
            decode(silence + trimmed("Start") + pause + trimmed("Zorvatron") + silence + silence);
        ASSERT_EQ(heard.size(), 1u) << earlyPassFrames;
        EXPECT_EQ(heard.front().phrase.value_or(""), "Start Zorvatron") << earlyPassFrames;
        // Ended while the rest is still being said (the talk key let go): passes begun in
        // the pause heard only "Start", and are not taken.
        const std::vector<DecodedUtterance> cut =
            decode(silence + trimmed("Start") + pause + trimmed("Zorvatron"));
        ASSERT_EQ(cut.size(), 1u) << earlyPassFrames;
        EXPECT_EQ(cut.front().phrase.value_or(""), "Start Zorvatron") << earlyPassFrames;
    }
}

TEST_F(SphinxDecoderTest, SaysWhySoundWasNotTaken)
{
    const std::vector<std::int16_t> silence(16000, 0);
    const struct
    {
        std::vector<std::int16_t> audio;
        Rejection why;
    } cases[] = {
        {speech("the weather is really nice today"), Rejection::NotACommand},
        {convert({"-n"}, {"synth", "2", "triangle", "500-1500", "vol", "0.3"}),
         Rejection::NotSpeech},
        {silence + trimmed("Start") + silence, Rejection::CutOff},
        {withNoise(speech("the weather is really nice today"), -10), Rejection::TooQuiet},
    };
    for (const auto& c : cases) {
        const std::vector<DecodedUtterance> heard = decode(c.audio);
        ASSERT_FALSE(heard.empty());
        EXPECT_FALSE(heard.back().phrase) << qPrintable(*heard.back().phrase);
        EXPECT_EQ(rejectionText(heard.back().rejection), rejectionText(c.why));
    }
}

TEST_F(SphinxDecoderTest, ResetForgetsTheUtteranceInProgress)
{
    const std::vector<std::int16_t> audio = speech("What Time Is It");
    const std::size_t half = audio.size() / 2;
    std::vector<DecodedUtterance> heard;
    const auto collect = [&](const DecodedUtterance& u) { heard.push_back(u); };
    decoder_->feed(audio.data(), half, collect);
    decoder_->reset();
    decoder_->feed(audio.data() + half, audio.size() - half, collect);
    decoder_->flush(collect);
    offset_ += static_cast<std::int64_t>(audio.size());
    for (const DecodedUtterance& u : heard)
        EXPECT_NE(u.phrase.value_or(""), "What Time Is It");

    // A new grammar replaces the old one.
    ASSERT_TRUE(decoder_->loadGrammar(buildGrammarText({}, "Hello Zorvatron"), nullptr));
    EXPECT_EQ(phraseOf(speech("Start Zorvatron")), "");
    EXPECT_EQ(phraseOf(speech("Hello Zorvatron")), "Hello Zorvatron");
}

TEST_F(SphinxDecoderTest, HearsPhrasesInLoudNoise)
{
    const std::vector<std::int16_t> noisy = withNoise(speech("Start Zorvatron"), 10);
    const std::vector<DecodedUtterance> heard = decode(noisy);
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard.front().phrase.value_or(""), "Start Zorvatron");
    EXPECT_LT(heard.front().snrDb, 18);
    EXPECT_GT(heard.front().snrDb, 6);
    // Chatter in the same noise is still not a phrase.
    offset_ += static_cast<std::int64_t>(noisy.size());
    EXPECT_EQ(phraseOf(withNoise(speech("the weather is really nice today"), 10)), "");
}

TEST_F(SphinxDecoderTest, ChatterBeforeDoesNotChangeTheDecision)
{
    const std::vector<std::int16_t> phrase = withNoise(speech("What Time Is It"), 15);
    const std::vector<std::int16_t> pause(16000, 0);
    const std::vector<DecodedUtterance> alone = decode(pause + phrase);
    const std::vector<DecodedUtterance> afterChatter =
        decode(speech("the weather is really nice today") + pause + phrase);
    ASSERT_FALSE(alone.empty());
    ASSERT_FALSE(afterChatter.empty());
    EXPECT_EQ(alone.back().phrase.value_or(""), "What Time Is It");
    EXPECT_EQ(afterChatter.back().phrase, alone.back().phrase);
}

TEST_F(SphinxDecoderTest, EndsTheCommandWhileTalkInTheRoomGoesOn)
{
    // Three people talking at once, 25 dB below the user, before the command and long after.
    std::vector<std::int16_t> talk;
    for (const auto& [text, voice] :
         {std::pair{"the weather was really nice today and we walked along the river for hours "
                    "until the sun went down behind the hills",
                    "en-us"},
          std::pair{"my brother bought a new car last week, it is red and much faster than his "
                    "old one, he drives it every morning to work",
                    "en+m3"},
          std::pair{"we should cook something for dinner, maybe pasta with tomatoes and some "
                    "cheese, or a soup if it gets cold tonight",
                    "en+f2"}}) {
        const std::vector<std::int16_t> one = speech(text, voice, 170);
        talk.resize(std::max(talk.size(), one.size()));
        for (std::size_t i = 0; i < one.size(); ++i)
            talk[i] = static_cast<std::int16_t>(std::clamp(talk[i] + one[i], -32768, 32767));
    }
    const std::vector<std::int16_t> command = speech("Start Zorvatron");
    const double gain = std::sqrt(synth::power(command.data(), command.size()) /
                                  synth::power(talk.data(), talk.size()) / std::pow(10, 2.5));
    const auto at = static_cast<std::size_t>(synth::rate); // a second into the talk
    ASSERT_GT(talk.size(), at + command.size() + 3 * synth::rate);
    std::vector<std::int16_t> room(talk.size());
    for (std::size_t i = 0; i < talk.size(); ++i) {
        const double user = i >= at && i < at + command.size() ? command[i - at] : 0;
        room[i] = static_cast<std::int16_t>(std::clamp(user + gain * talk[i], -32768.0, 32767.0));
    }
    std::vector<DecodedUtterance> heard;
    decoder_->feed(room.data(), room.size(),
                   [&](const DecodedUtterance& u) { heard.push_back(u); });
    const auto it = std::find_if(heard.begin(), heard.end(), [](const DecodedUtterance& u) {
        return u.phrase == QStringLiteral("Start Zorvatron");
    });
    ASSERT_NE(it, heard.end());
    // Heard as the user stops, not when the others do.
    EXPECT_LT(it->endSample, static_cast<std::int64_t>(at + command.size() + synth::rate));
}

} // namespace
