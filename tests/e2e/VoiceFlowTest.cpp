#include "tests/e2e/ZorvFixture.h"
#include "tests/support/WaitUntil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

// The program driven by voice from end to end: typed phrases in, SAY lines, message
// lines and launched programs out.
namespace {

class VoiceFlowTest : public ZorvFixture
{
protected:
    void SetUp() override
    {
        ZorvFixture::SetUp();
        if (IsSkipped())
            return;
        record = dir.file(QStringLiteral("launched.txt"));
        env.insert(QStringLiteral("SARQUEN_LAUNCH_RECORD"), record);
    }

    // The working directory and arguments the launched program recorded.
    QStringList launched(int timeoutMs = 10000)
    {
        QFile f(record);
        waitUntil([&] { return f.exists(); }, timeoutMs);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
        f.close();
        f.remove();
        return lines;
    }

    QString recorder() const { return QString::fromUtf8(SARQUEN_LAUNCH_RECORDER); }
    QString stderrText() { return errors += QString::fromUtf8(zorv.readAllStandardError()); }

    QString record;
    QString errors;
};

TEST_F(VoiceFlowTest, StartPhraseThenCommandsLaunchSpeakAndRunScripts)
{
    setValue(QStringLiteral("options"), QStringLiteral("starter"), QStringLiteral("1"));
    addCommand(1, QStringLiteral("Editor"), recorder() + QStringLiteral(" --file notes.txt"));
    const QString script = home() + QStringLiteral("/Scripts/greet.kps");
    dir.write(QStringLiteral("home/Scripts/greet.kps"),
              "$say$Good morning\r\n$run$" + recorder().toUtf8() + " from-script\r\n");
    addCommand(2, QStringLiteral("Greet"), script);
    addCommand(3, QStringLiteral("Broken"), QStringLiteral("/nowhere/program"));
    startProgram();

    // Without the start phrase nothing happens.
    say(QStringLiteral("Editor"));
    say(QStringLiteral("Computer"));
    say(QStringLiteral("What Time Is It"));
    ASSERT_TRUE(waitForOutput(QStringLiteral("SAY The current time is ")));
    ASSERT_EQ(output.size(), 1) << output.join('|').toStdString();
    EXPECT_FALSE(QFile::exists(record));

    say(QStringLiteral("Computer"));
    say(QStringLiteral("Editor"));
    const QStringList args = launched();
    ASSERT_EQ(args.size(), 3);
    EXPECT_EQ(args[1], QStringLiteral("--file"));
    EXPECT_EQ(args[2], QStringLiteral("notes.txt"));

    say(QStringLiteral("Computer"));
    say(QStringLiteral("Greet"));
    EXPECT_EQ(waitForOutput(QStringLiteral("SAY Good")), QStringLiteral("SAY Good morning"));
    EXPECT_EQ(launched().value(1), QStringLiteral("from-script"));

    say(QStringLiteral("Computer"));
    say(QStringLiteral("Broken"));
    waitUntil([&] {
        zorv.waitForReadyRead(100);
        return stderrText().contains(QStringLiteral("MSGBOX"));
    });
    EXPECT_EQ(errors, QStringLiteral("zorv: SQ Error 10: File Not Found: /nowhere/program\n"
                                     "MSGBOX Ombrel Sarquen 2.0: SQ Error 10: File Not Found "
                                     "/nowhere/program\n"));

    say(QStringLiteral("Computer"));
    say(QStringLiteral("Exit Sarquen"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(zorv.exitCode(), 0);
}

TEST_F(VoiceFlowTest, ConfirmationAsksAloudAndYesLaunches)
{
    setValue(QStringLiteral("options"), QStringLiteral("comFirmExe"), QStringLiteral("1"));
    setValue(QStringLiteral("options"), QStringLiteral("chktext"), QStringLiteral("Shall I start"));
    addCommand(1, QStringLiteral("Editor"), recorder());
    startProgram();

    say(QStringLiteral("Editor"));
    EXPECT_EQ(waitForOutput(QStringLiteral("SAY ")), QStringLiteral("SAY Shall I start Editor?"));
    say(QStringLiteral("No"));
    say(QStringLiteral("Editor"));
    say(QStringLiteral("Yes"));
    EXPECT_EQ(launched().size(), 1); // just its working directory: no arguments
    say(QStringLiteral("Exit Sarquen"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(stderrText(), QString());
}

} // namespace

namespace {

// Runs a helper program of the test; the test fails when it does.
void run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    ASSERT_TRUE(p.waitForFinished(30000)) << program.toStdString();
    ASSERT_EQ(p.exitCode(), 0) << program.toStdString() << ": "
                               << p.readAllStandardError().toStdString();
}

TEST_F(VoiceFlowTest, RealSpeechFromAFileLaunchesTheCommand)
{
    // "Computer", a pause, then the command, as espeak-ng says them, at 16 kHz.
    const QString c = dir.file(QStringLiteral("c.wav")), p = dir.file(QStringLiteral("p.wav"));
    const QString pause = dir.file(QStringLiteral("pause.wav"));
    const QString speech = dir.file(QStringLiteral("speech.wav"));
    run(QStringLiteral("espeak-ng"), {"-v", "en-us", "-s", "150", "-w", c, "Computer"});
    run(QStringLiteral("espeak-ng"), {"-v", "en-us", "-s", "150", "-w", p, "Open Calculator"});
    run(QStringLiteral("sox"),
        {"-n", "-r", "22050", "-c", "1", "-b", "16", pause, "trim", "0", "1"});
    run(QStringLiteral("sox"), {pause, c, pause, p, pause, pause, "-r", "16000", speech});

    setValue(QStringLiteral("options"), QStringLiteral("starter"), QStringLiteral("1"));
    addCommand(1, QStringLiteral("Open Calculator"), recorder() + QStringLiteral(" calculator"));
    env.insert(QStringLiteral("SARQUEN_SPEECH"), QStringLiteral("sphinx"));
    env.insert(QStringLiteral("SARQUEN_AUDIO_IN"), speech);
    startProgram();
    EXPECT_EQ(launched(20000).value(1), QStringLiteral("calculator"))
        << zorv.readAllStandardError().toStdString();
}

TEST_F(VoiceFlowTest, WithPushToTalkOnlyTheUtteranceATalkStartAskedForCounts)
{
    setValue(QStringLiteral("options"), QStringLiteral("pushToTalk"), QStringLiteral("1"));
    setValue(QStringLiteral("options"), QStringLiteral("talkKey"), QStringLiteral("F7"));
    startProgram();
    // Up, with its window: a later start now finds it.
    ASSERT_NE(x.waitForMappedWindow(QStringLiteral("Ombrel Sarquen 2.0"), 15000), 0u);
    // "zorv /talk", as a compositor's key binding runs it, takes the next utterance only.
    const auto talk = [this] {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(programDir() + QStringLiteral("/zorv"), {QStringLiteral("/talk")});
        return p.waitForFinished(10000) && p.exitCode() == 0;
    };
    ASSERT_TRUE(talk());
    say(QStringLiteral("Whats The Date\nWhat Time Is It"));
    ASSERT_TRUE(waitForOutput(QStringLiteral("SAY Todays date is")));
    const QStringList first = output;
    output.clear();
    ASSERT_TRUE(talk());
    say(QStringLiteral("Whats The Date"));
    ASSERT_TRUE(waitForOutput(QStringLiteral("SAY Todays date is")));
    const QStringList said = (first + output).filter(QStringLiteral("SAY "));
    EXPECT_EQ(said.size(), 2) << said.join('|').toStdString();
    zorv.terminate();
    EXPECT_TRUE(waitForEnd());
}

} // namespace
