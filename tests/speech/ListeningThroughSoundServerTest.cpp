#include "speech/Recognizer.h"
#include "speech/SpeechEngines.h"
#include "tests/speech/CapturedOutput.h"
#include "tests/support/PrivatePulseServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/SpokenAudio.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <gtest/gtest.h>

// The program's speech set up as at its start, on a private sound server: it listens to
// the microphone, never to what the speakers play, and says so when there is nothing to
// listen to.
namespace {

class ListeningThroughSoundServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
            GTEST_SKIP() << "no pulseaudio binary for a private server";
    }

    // The speech engines made while PULSE_SERVER names `server`.
    SpeechPair createSpeechOn(const QString& server)
    {
        pulse_.set(server.toUtf8());
        return createSpeech(&owner_, err_.file());
    }

    TempDir dir_;
    ScopedEnv dataHome_{"XDG_DATA_HOME", dir_.path().toUtf8()};
    ScopedEnv engine_{"SARQUEN_SPEECH", QByteArray()};
    ScopedEnv audioIn_{"SARQUEN_AUDIO_IN", QByteArray()};
    ScopedEnv pulse_{"PULSE_SERVER", QByteArray()};
    CapturedOutput err_;
    QObject owner_;
};

TEST_F(ListeningThroughSoundServer, HearsTheMicrophoneWhenTheDefaultSourceIsAMonitor)
{
    PrivatePulseServer server(
        44100, {.speakers = true, .microphone = true, .defaultSource = "speakers.monitor"});
    ASSERT_FALSE(server.server().isEmpty()) << server.log().toStdString();
    MicrophoneVoice voice(server.microphone());
    ASSERT_TRUE(voice.isOpen());

    const SpeechPair speech = createSpeechOn(server.server());
    ASSERT_EQ(speech.engine, SpeechEngine::Sphinx) << err_.text().toStdString();
    // The recogniser reads from the microphone until it is gone: before the voice is.
    const std::unique_ptr<Recognizer> recognizer(speech.recognizer);
    EXPECT_TRUE(err_.text().contains("\"mic\"")) << err_.text().toStdString();
    QSignalSpy heard(recognizer.get(), &Recognizer::PhraseHeard);
    QSignalSpy refused(recognizer.get(), &Recognizer::notUnderstood);
    recognizer->LoadGrammarText(QStringLiteral("[Grammar]\r\ntype=cfg\r\n[<start>]\r\n"
                                               "<start>=Computer\r\n<start>=What Time Is It"));
    QSignalSpy levels(recognizer.get(), &Recognizer::inputLevel);
    recognizer->StartRecognition();
    // Spoken before the recording reaches the server, the phrase would go to no one: a busy
    // machine takes a while to connect.
    ASSERT_TRUE(waitForEvents([&] { return levels.count() > 0; }, 15000));
    voice.say(spoken(dir_, QStringLiteral("What Time Is It")));
    ASSERT_TRUE(waitForEvents([&] { return heard.count() + refused.count() > 0; }, 30000))
        << server.log().toStdString();
    ASSERT_EQ(heard.count(), 1) << refused.first().first().toString().toStdString();
    EXPECT_EQ(heard.first().first().toString(), QStringLiteral("What Time Is It"));
}

TEST_F(ListeningThroughSoundServer, SaysWhetherTheMicrophoneOrTheServerIsMissing)
{
    PrivatePulseServer monitorsOnly(44100,
                                    {.speakers = true, .microphone = false, .defaultSource = {}});
    ASSERT_FALSE(monitorsOnly.server().isEmpty()) << monitorsOnly.log().toStdString();
    const struct
    {
        QString server;
        QString window;
        const char* line;
    } cases[] = {
        {monitorsOnly.server(),
         "No microphone found \u2014 speech recognition is off. Check the sound settings.",
         "no microphone"},
        {"unix:/nonexistent/sarquen-test/pulse/native",
         "No sound server is running (PulseAudio or PipeWire) \u2014 speech recognition is off.",
         "no sound server is running (PulseAudio or PipeWire)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server.toStdString());
        const SpeechPair speech = createSpeechOn(c.server);
        EXPECT_EQ(speech.engine, SpeechEngine::Console);
        EXPECT_TRUE(speech.notice.startsWith(c.window)) << speech.notice.toStdString();
        EXPECT_TRUE(err_.text().contains(c.line)) << err_.text().toStdString();
        delete speech.recognizer;
    }
}

} // namespace
