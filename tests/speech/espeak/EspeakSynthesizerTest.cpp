#include "speech/espeak/EspeakSynthesizer.h"
#include "speech/VoiceMatch.h"
#include "tests/support/PrivatePulseServer.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

QString attribute(const QString& voice, const QString& key)
{
    for (const VoiceAttribute& pair : parseVoiceAttributes(voice)) {
        if (pair.key == key)
            return pair.value;
    }
    return {};
}

int peak(const platform::Pcm& pcm)
{
    int loudest = 0;
    for (std::int16_t s : pcm.samples)
        loudest = std::max(loudest, std::abs(int{s}));
    return loudest;
}

} // namespace

TEST(EspeakVoices, TheStartUpChoiceIsAFemaleEnglishVoiceAndBadIndicesKeepTheVoice)
{
    const QStringList voices = EspeakSynthesizer::voices();
    ASSERT_GT(voices.size(), 2);
    for (const QString& voice : voices)
        EXPECT_FALSE(attribute(voice, QStringLiteral("Name")).isEmpty()) << voice.toStdString();

    EspeakSynthesizer synth;
    const int female = synth.FindVoiceIndex(QStringLiteral("Mfg=Microsoft;Gender=1"));
    ASSERT_GE(female, 1);
    const QString chosen = voices[female - 1];
    EXPECT_EQ(attribute(chosen, QStringLiteral("Gender")), QStringLiteral("1"));
    EXPECT_TRUE(attribute(chosen, QStringLiteral("Language")).startsWith(QStringLiteral("en")))
        << chosen.toStdString();

    const int male = synth.FindVoiceIndex(QStringLiteral("Gender=2"));
    ASSERT_GE(male, 1);
    EXPECT_EQ(attribute(voices[male - 1], QStringLiteral("Gender")), QStringLiteral("2"));
    EXPECT_TRUE(
        attribute(voices[male - 1], QStringLiteral("Language")).startsWith(QStringLiteral("en")));

    EXPECT_EQ(synth.currentVoice(), 1);
    synth.UseVoice(std::int16_t(female));
    EXPECT_EQ(synth.currentVoice(), female);
    synth.UseVoice(0);
    synth.UseVoice(-3);
    synth.UseVoice(std::int16_t(voices.size() + 1));
    EXPECT_EQ(synth.currentVoice(), female);
}

TEST(EspeakSynthesis, RendersAudibleSpeechOfPlausibleLengthUpToTheFirstNul)
{
    const int female = bestVoiceIndex(QStringLiteral("Gender=1"), EspeakSynthesizer::voices());
    const int male = bestVoiceIndex(QStringLiteral("Gender=2"), EspeakSynthesizer::voices());
    const QString phrase = QStringLiteral("The current time is 1 7 PM");

    const platform::Pcm pcm = EspeakSynthesizer::synthesize(phrase, male);
    EXPECT_EQ(pcm.sampleRate, 22050);
    EXPECT_EQ(pcm.channels, 1);
    // About a second and a half of speech, loud enough to hear.
    EXPECT_GT(pcm.frames(), 22050u / 2);
    EXPECT_LT(pcm.frames(), 22050u * 6);
    EXPECT_GT(peak(pcm), 4000);

    // The female voice is a different voice, not the male one under another name.
    const platform::Pcm other = EspeakSynthesizer::synthesize(phrase, female);
    EXPECT_GT(peak(other), 4000);
    EXPECT_NE(other.samples, pcm.samples);

    // Texts from the settings store end with a NUL; whatever follows it is not spoken.
    // (The voice varies a little from one rendering to the next, by a few samples.)
    const QString stored = phrase + QChar(0) + QStringLiteral("and a long tail never spoken");
    EXPECT_NEAR(double(EspeakSynthesizer::synthesize(stored, male).frames()), double(pcm.frames()),
                22050 / 20);

    EXPECT_TRUE(EspeakSynthesizer::synthesize(QString(), male).samples.empty());
    EXPECT_TRUE(EspeakSynthesizer::synthesize(QString(QChar(0)) + phrase, male).samples.empty());

    // A cancelled rendering stops early.
    std::atomic<bool> cancel = true;
    EXPECT_LT(EspeakSynthesizer::synthesize(phrase, male, &cancel).frames(), pcm.frames());
}

// The test's environment points PULSE_SERVER at a socket that does not exist.
TEST(EspeakSynthesizerWithoutServer, EveryTextEndsInOneSpeechDoneAfterSpeakTextReturned)
{
    EspeakSynthesizer synth;
    QSignalSpy done(&synth, &Synthesizer::SpeechDone);
    EXPECT_FALSE(synth.isSpeaking());

    synth.SpeakText(QStringLiteral("Todays date is Wendsday the 21th of January, 2004."));
    synth.SpeakText(QString());
    synth.SpeakText(QStringLiteral("Open mail?") + QChar(0));
    // Nothing reaches the program before the event loop runs.
    EXPECT_EQ(done.count(), 0);
    EXPECT_TRUE(synth.isSpeaking());

    // Still speaking until the last text's SpeechDone.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (done.count() < 3) {
                EXPECT_TRUE(synth.isSpeaking()) << done.count();
            }
            return done.count() >= 3;
        },
        20000));
    EXPECT_FALSE(synth.isSpeaking());
    QCoreApplication::processEvents();
    EXPECT_EQ(done.count(), 3);
}

TEST(EspeakSynthesizerWithoutServer, DestroyedWhileSpeakingEmitsNothingMore)
{
    QObject receiver;
    int done = 0;
    {
        EspeakSynthesizer synth;
        QObject::connect(&synth, &Synthesizer::SpeechDone, &receiver, [&] { ++done; });
        for (int i = 0; i < 5; ++i)
            synth.SpeakText(QStringLiteral("A rather long sentence that takes a while to say, "
                                           "spoken several times over."));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(done, 0);
}

TEST(EspeakSynthesizerWithServer, SpeechReachesTheServerBeforeSpeechDone)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
        GTEST_SKIP() << "no pulseaudio binary for a private server";
    PrivatePulseServer server(22050);
    ASSERT_FALSE(server.server().isEmpty()) << server.log().toStdString();
    OutputListener speaker(server.output(), 2000);
    ASSERT_TRUE(speaker.isOpen());

    const QString phrase = QStringLiteral("Hello from the launcher");
    int loud = 0;
    for (std::int16_t s : EspeakSynthesizer::synthesize(phrase, 1).samples)
        loud += std::abs(int{s}) > 2000;
    ASSERT_GT(loud, 1000);

    auto synth = std::make_unique<EspeakSynthesizer>(nullptr, server.server());
    QSignalSpy done(synth.get(), &Synthesizer::SpeechDone);
    synth->SpeakText(phrase);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.count() == 1; }, 20000));
    // The stream was drained before SpeechDone: the sound has gone through the server
    // (its resampling may shift single samples across the threshold).
    ASSERT_TRUE(QTest::qWaitFor([&] { return speaker.loudSamples() >= loud * 9 / 10; }, 20000))
        << speaker.loudSamples() << " of " << loud;

    // Destroyed in the middle of a text: returns, and nothing more is emitted.
    synth->SpeakText(phrase);
    synth->SpeakText(phrase);
    synth.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(done.count(), 1);
}
