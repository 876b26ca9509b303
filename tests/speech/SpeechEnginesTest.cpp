#include "speech/SpeechEngines.h"
#include "speech/ConsoleRecognizer.h"
#include "speech/ConsoleSynthesizer.h"
#include "tests/speech/CapturedOutput.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

const QString kConsolePrefix =
    "zorv: speech: using the console engine (typed phrases on standard input, SAY lines on "
    "standard output): ";

using enum platform::MicrophoneSearch::Outcome;

struct Row
{
    const char* requested;
    bool built;
    bool model;
    platform::MicrophoneSearch::Outcome audio;
    SpeechEngine engine;
    const char* reason; // nullptr: no message
};

// Sets environment variables for one test and puts the old values back afterwards.
class ScopedEnvironment
{
public:
    ~ScopedEnvironment()
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                qputenv(name.constData(), *value);
            else
                qunsetenv(name.constData());
        }
    }
    void set(const QByteArray& name, const QByteArray& value)
    {
        save(name);
        qputenv(name.constData(), value);
    }
    void unset(const QByteArray& name)
    {
        save(name);
        qunsetenv(name.constData());
    }

private:
    void save(const QByteArray& name)
    {
        if (saved_.count(name) == 0)
            saved_[name] = qEnvironmentVariableIsSet(name.constData())
                               ? std::optional<QByteArray>(qgetenv(name.constData()))
                               : std::nullopt;
    }
    std::map<QByteArray, std::optional<QByteArray>> saved_;
};

} // namespace

TEST(SpeechEngines, ChoiceFollowsTheSettingAndExplainsTheConsoleEngine)
{
    using enum SpeechEngine;
    const QString missingModel = "the PocketSphinx en-us model is not installed "
                                 "(/usr/share/pocketsphinx/model/en-us/en-us)";
    const QString notBuilt = "the PocketSphinx engine is not part of this build";
    const QString noAudio = "what the search for a microphone found";
    const std::vector<std::pair<Row, QString>> table = {
        // Asked for the console: always, silently.
        {{"console", true, true, Found, Console, nullptr}, {}},
        {{"console", false, false, NoServer, Console, nullptr}, {}},
        // Asked for PocketSphinx: it needs the build and the model, not an audio source.
        {{"sphinx", true, true, NoServer, Sphinx, nullptr}, {}},
        {{"sphinx", false, true, Found, Console, ""}, "SARQUEN_SPEECH=sphinx, but " + notBuilt},
        {{"sphinx", true, false, Found, Console, ""}, "SARQUEN_SPEECH=sphinx, but " + missingModel},
        // Nothing asked: PocketSphinx only when everything is there.
        {{"", true, true, Found, Sphinx, nullptr}, {}},
        {{"", false, true, Found, Console, ""}, notBuilt},
        {{"", true, false, Found, Console, ""}, missingModel},
        {{"", true, true, NoServer, Console, ""}, noAudio},
        {{"", true, true, NoMicrophone, Console, ""}, noAudio},
        // Anything else: the console engine, naming the value.
        {{"Sphinx", true, true, Found, Console, ""},
         "SARQUEN_SPEECH has the unknown value \"Sphinx\" (known values: console, sphinx)"},
        {{"espeak", true, true, Found, Console, ""},
         "SARQUEN_SPEECH has the unknown value \"espeak\" (known values: console, sphinx)"},
    };
    for (const auto& [row, reason] : table) {
        SCOPED_TRACE(testing::Message()
                     << "requested=\"" << row.requested << "\" built=" << row.built
                     << " model=" << row.model << " audio=" << static_cast<int>(row.audio));
        const SpeechChoice choice =
            chooseSpeechEngine({row.requested, row.built, row.model, {row.audio, {}, noAudio}});
        EXPECT_EQ(choice.engine, row.engine);
        if (row.reason)
            EXPECT_EQ(choice.message, kConsolePrefix + reason);
        else
            EXPECT_TRUE(choice.message.isEmpty()) << choice.message.toStdString();
        // The window has a sentence exactly when standard error has a line.
        EXPECT_EQ(choice.windowText.isEmpty(), choice.message.isEmpty());
    }
}

TEST(SpeechEngines, TheWindowSaysWhatIsOffAndMentionsTypingOnlyWithATerminal)
{
    EXPECT_EQ(speechOffText(QStringLiteral("No microphone found"), false),
              QStringLiteral("No microphone found \u2014 speech recognition is off. Check the "
                             "sound settings."));
    const QString typed = speechOffText(QStringLiteral("The speech model is not installed"), true);
    EXPECT_EQ(typed, QStringLiteral("The speech model is not installed \u2014 speech recognition "
                                    "is off. Phrases typed in the terminal are taken instead."));
    EXPECT_FALSE(speechOffText(QStringLiteral("No microphone found"), false).contains("standard"));
}

// A server that runs, with or without a microphone: ListeningThroughSoundServerTest.
TEST(SpeechEngines, AudioSourceIsAReadableFileOrARunningSoundServer)
{
    TempDir dir;
    ScopedEnvironment env;
    env.unset("SARQUEN_AUDIO_IN");
    env.set("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    env.set("PULSE_SERVER", "unix:/run/somewhere/native");
    EXPECT_EQ(findAudioSource().outcome, NoServer);

    env.set("SARQUEN_AUDIO_IN", dir.file("missing.wav").toLocal8Bit());
    EXPECT_EQ(findAudioSource().outcome, NoMicrophone);
    env.set("SARQUEN_AUDIO_IN", dir.path().toLocal8Bit());
    EXPECT_EQ(findAudioSource().outcome, NoMicrophone) << "a folder is not a file";
    env.set("SARQUEN_AUDIO_IN", dir.write("in.wav", "RIFF").toLocal8Bit());
    EXPECT_EQ(findAudioSource().source, dir.file("in.wav"));

    env.unset("SARQUEN_AUDIO_IN");
    env.set("PULSE_SERVER", "");
    EXPECT_EQ(findAudioSource().outcome, NoServer);
    // The socket a server left behind when it ended is no server.
    ASSERT_TRUE(QDir(dir.path()).mkpath("pulse"));
    env.set("PULSE_SERVER", ("unix:" + dir.write("pulse/native", "")).toLocal8Bit());
    EXPECT_EQ(findAudioSource().outcome, NoServer);
}

TEST(SpeechEngines, CreateSpeechMakesConsoleEnginesAndPrintsTheReason)
{
    ScopedEnvironment env;
    QObject owner;
    {
        env.set("SARQUEN_SPEECH", "console");
        CapturedOutput err;
        const SpeechPair pair = createSpeech(&owner, err.file());
        EXPECT_EQ(err.text(), "");
        EXPECT_EQ(pair.engine, SpeechEngine::Console);
        ASSERT_NE(qobject_cast<ConsoleRecognizer*>(pair.recognizer), nullptr);
        ASSERT_NE(qobject_cast<ConsoleSynthesizer*>(pair.synthesizer), nullptr);
        EXPECT_EQ(pair.recognizer->parent(), &owner);
        EXPECT_EQ(pair.synthesizer->parent(), &owner);
        delete pair.recognizer;
        delete pair.synthesizer;
    }
    if constexpr (!kSphinxEngineBuilt) {
        env.unset("SARQUEN_SPEECH");
        CapturedOutput err;
        createSpeech(&owner, err.file());
        EXPECT_EQ(
            err.text(),
            (kConsolePrefix + "the PocketSphinx engine is not part of this build\n").toUtf8());
    }
}
