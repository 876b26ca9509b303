#include "speech/SphinxRecognizer.h"
#include "speech/training/VoiceFolder.h"
#include "tests/support/FakeListening.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct Listener
{
    explicit Listener(std::function<bool()> muted = {})
    {
        auto d = std::make_unique<ScriptedDecoder>();
        auto i = std::make_unique<EndlessSilence>();
        decoder = d.get();
        input = i.get();
        recognizer =
            std::make_unique<SphinxRecognizer>(std::move(d), std::move(i), std::move(muted));
    }
    ScriptedDecoder* decoder;
    EndlessSilence* input;
    std::unique_ptr<SphinxRecognizer> recognizer;
};

TEST(SphinxRecognizerTest, HearsOnlyWhileRecognitionIsOn)
{
    Listener l;
    QSignalSpy heard(l.recognizer.get(), &Recognizer::PhraseHeard);
    ASSERT_TRUE(waitForEvents([&] { return l.input->reads > 30; }, 5000));
    EXPECT_EQ(l.decoder->fed, 0); // not started: the audio is thrown away
    EXPECT_EQ(heard.count(), 0);

    QStringList order;
    QObject::connect(l.recognizer.get(), &Recognizer::utteranceStarted, [&] { order << "start"; });
    QObject::connect(l.recognizer.get(), &Recognizer::PhraseHeard, [&] { order << "phrase"; });
    l.recognizer->StartRecognition();
    ASSERT_TRUE(waitForEvents([&] { return heard.count() >= 2; }, 5000));
    EXPECT_EQ(heard.first().first().toString(), QStringLiteral("Yes"));
    // The beginning of each utterance is told before its phrase.
    EXPECT_EQ(order.mid(0, 4), (QStringList{"start", "phrase", "start", "phrase"}));

    l.recognizer->StopRecognition();
    const int before = heard.count();
    ASSERT_TRUE(waitForEvents([&] { return l.decoder->resets >= 1; }, 5000));
    QTest::qWait(50);
    // Results already on their way when recognition stopped are dropped too.
    EXPECT_EQ(heard.count(), before);
}

TEST(SphinxRecognizerTest, TheLevelMeterKeepsAShortLoudSound)
{
    Listener l;
    QSignalSpy levels(l.recognizer.get(), &Recognizer::inputLevel);
    ASSERT_TRUE(waitForEvents([&] { return levels.count() >= 2; }, 5000));
    EXPECT_EQ(levels.last().first().toInt(), 0);
    // One loud chunk among silent ones: the meter shows it, then falls back.
    l.input->loudReads = 1;
    ASSERT_TRUE(waitForEvents(
        [&] {
            return std::any_of(levels.begin(), levels.end(), [](const QList<QVariant>& args) {
                return args.first().toInt() > 80;
            });
        },
        5000));
    const int afterPeak = static_cast<int>(levels.count());
    ASSERT_TRUE(waitForEvents([&] { return levels.count() > afterPeak + 1; }, 5000));
    EXPECT_EQ(levels.last().first().toInt(), 0);
    // The meter moves once for several chunks read.
    EXPECT_LT(levels.count() * 3, l.input->reads.load());
}

TEST(SphinxRecognizerTest, TheProgramsOwnSoundIsNotListenedTo)
{
    std::atomic<bool> speaking{true};
    Listener l([&speaking] { return speaking.load(); });
    QSignalSpy heard(l.recognizer.get(), &Recognizer::PhraseHeard);
    l.recognizer->StartRecognition();
    ASSERT_TRUE(waitForEvents([&] { return l.input->reads > 30; }, 5000));
    EXPECT_EQ(l.decoder->fed, 0);
    speaking = false;
    ASSERT_TRUE(waitForEvents([&] { return heard.count() >= 1; }, 5000));
}

TEST(SphinxRecognizerTest, TheGrammarReachesTheDecoderAndUnspeakablePhrasesAreNamed)
{
    Listener l;
    QSignalSpy skipped(l.recognizer.get(), &SphinxRecognizer::phrasesSkipped);
    l.recognizer->LoadGrammarText(
        QStringLiteral("[Grammar]\r\ntype=cfg\r\n[<start>]\r\n<start>=!!!"));
    ASSERT_TRUE(waitForEvents([&] { return skipped.count() == 1; }, 5000));
    EXPECT_EQ(skipped.first().first().toStringList(), QStringList{"!!!"});
    std::lock_guard<std::mutex> guard(l.decoder->lock);
    EXPECT_EQ(l.decoder->grammars.size(), 1);
}

} // namespace

// A stored voice training that is damaged: the recogniser says so, takes the general
// model in its place, and goes on hearing with the grammar it had.
TEST(SphinxRecognizerTest, ADamagedVoiceTrainingFallsBackToTheGeneralModel)
{
    TempDir data;
    ScopedEnv dataHome("XDG_DATA_HOME", data.path().toUtf8());
    const training::VoiceFolder folder;
    ASSERT_TRUE(QDir().mkpath(folder.adaptationDir()));
    QFile damaged(folder.mllrPath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("1\n3\n13\n0.5\n");
    damaged.close();

    Listener l;
    l.recognizer->LoadGrammarText(QStringLiteral("#JSGF V1.0;\r\n<start>=Yes"));
    ASSERT_TRUE(waitForEvents([&] { return l.decoder->grammars.size() == 1; }, 5000));
    QSignalSpy loaded(l.recognizer.get(), &Recognizer::voiceLoaded);
    l.recognizer->useVoiceTraining();
    ASSERT_TRUE(waitForEvents([&] { return loaded.count() == 1; }, 20000));
    EXPECT_TRUE(loaded.first().first().toString().contains(QLatin1String("damaged")))
        << qPrintable(loaded.first().first().toString());
    // The scripted decoder (gone now) heard "Yes" in every tenth chunk; the general model
    // that took over hears nothing in silence.
    QSignalSpy heard(l.recognizer.get(), &Recognizer::PhraseHeard);
    l.recognizer->StartRecognition();
    const int reads = l.input->reads;
    ASSERT_TRUE(waitForEvents([&] { return l.input->reads > reads + 60; }, 5000));
    EXPECT_EQ(heard.count(), 0);
}
