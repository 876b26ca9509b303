#include "scripts/ScriptInterpreter.h"

#include "common/AppTitle.h"
#include "platform/Platform.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeScriptHost.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingDialogs.h"
#include "tests/support/TempDir.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

using platform::MsgButtons;
using platform::MsgIcon;

class ScriptInterpreterTest : public ::testing::Test
{
protected:
    ScriptInterpreterTest()
    {
        host.journal = &journal;
        desktop.journal = &journal;
        session.journal = &journal;
        platform.dialogs = &dialogs;
        platform.clock = &clock;
        platform.desktop = &desktop;
        platform.shell = &shell;
        platform.session = &session;
    }

    void run(const QByteArray& script) { interpreter.RunScript(dir.write("test.kps", script)); }

    // The two boxes that end a script at a faulty command.
    void expectSyntaxError(const QString& keyword, const QString& detail)
    {
        ASSERT_EQ(dialogs.messages.size(), 2u);
        const auto& first = dialogs.messages[0];
        EXPECT_EQ(first.text, "Syntax error in '" + keyword + "'");
        EXPECT_EQ(first.title, "Syntax Error)");
        EXPECT_EQ(first.buttons, MsgButtons::Ok);
        EXPECT_EQ(first.icon, MsgIcon::None);
        EXPECT_EQ(dialogs.messages[1].title, appTitle());
        EXPECT_TRUE(dialogs.messages[1].text.contains(detail))
            << dialogs.messages[1].text.toStdString();
    }

    QStringList journal;
    FakeScriptHost host;
    FakeDesktop desktop;
    FakeShell shell;
    FakeSession session;
    RecordingDialogs dialogs;
    FixedClock clock;
    platform::Platform platform;
    TempDir dir;
    ScriptInterpreter interpreter{
        host, platform,
        [this](const QString& keys, QString* error) {
            if (keys.contains("{oops}")) {
                *error = "unknown key name";
                return false;
            }
            journal << "type " + keys;
            return true;
        },
        [this](int ms) { journal << QStringLiteral("sleep %1").arg(ms); }};
};

TEST_F(ScriptInterpreterTest, KeywordsIgnoreCaseAndArgumentsAreVerbatim)
{
    run("$SAY$Hello\r\n$say$ Hello\r\n $say$Hello\r\n$say$costs $5\r\n$foo$ text\r\n"
        "$Stop$ now please\r\n$start$\r\n$TYPE$ ab{ENTER}\r\n");
    EXPECT_EQ(journal,
              QStringList({"say Hello", "speech done", "say  Hello", "speech done", "say costs $5",
                           "speech done", "stopListening", "startListening", "type  ab{ENTER}"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ScriptInterpreterTest, LinesWithoutACommandAreSkippedWhereverTheyStand)
{
    // A byte-order mark, "\n" and "\r\n" endings, and a last line without an ending.
    run("\xEF\xBB\xBFplain\r\n$maxwin\r\n$minwin$\nplain words\r\n$run$prog\r\n\r\n"
        "$mousepos$1 2\r\n\r\n$\r\n$closewin$");
    EXPECT_EQ(journal, QStringList({"minwin", "position 1 2", "closewin"}));
    EXPECT_EQ(shell.calls.size(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ScriptInterpreterTest, SayWaitsUntilTheSpeechHasEnded)
{
    run("$say$Hi\r\n$minwin$\r\n$say$Bye #mh");
    EXPECT_EQ(journal,
              QStringList({"say Hi", "speech done", "minwin", "say Bye #mh", "speech done"}));
    EXPECT_EQ(host.speakingFlag, 0);
}

TEST_F(ScriptInterpreterTest, SpeechThatComesToNothingIsNotWaitedFor)
{
    run("$say$\r\n$say$#xy\r\n$minwin$");
    EXPECT_EQ(journal, QStringList({"say ", "say #xy", "minwin"}));
}

TEST_F(ScriptInterpreterTest, ProgramEndingWhileSpeakingEndsTheScript)
{
    host.speechEnds = false;
    host.duringSpeech = [this] { host.exitProgram(); };
    run("$say$Hi\r\n$minwin$");
    EXPECT_EQ(journal, QStringList({"say Hi", "exitProgram"}));
}

TEST_F(ScriptInterpreterTest, AnotherScriptAskedForWhileSpeakingIsRefused)
{
    QString other = dir.write("other.kps", "$maxwin$");
    bool isScript = false;
    host.duringSpeech = [&] { isScript = interpreter.CheckScript(other); };
    run("$say$Hi\r\n$minwin$");
    EXPECT_TRUE(isScript);
    EXPECT_EQ(journal, QStringList({"say Hi", "speech done", "minwin"}));

    host.duringSpeech = nullptr;
    EXPECT_TRUE(interpreter.CheckScript(other));
    EXPECT_EQ(journal.last(), "maxwin");
}

TEST_F(ScriptInterpreterTest, ExitEndsTheScriptSessionRequestsDoNot)
{
    run("$minwin$\r\n$maxwin$\r\n$closewin$\r\n$restorewin$\r\n$reboot$\r\n$shutdown$\r\n"
        "$logoff$\r\n$EXITZORV$\r\n$minwin$");
    EXPECT_EQ(journal, QStringList({"minwin", "maxwin", "closewin", "restorewin", "reboot",
                                    "shutDown", "logOff", "exitProgram"}));
}

TEST_F(ScriptInterpreterTest, MouseCommands)
{
    run("$mousepos$1024 768\r\n$mousemove$-5  10 \r\n$mouseclick$left\r\n$mouseclick$ left\r\n"
        "$mouseclick$left \r\n$mouseclick$double\r\n$mouseclick$RIGHT\r\n$mouseclick$middle\r\n"
        "$mouseclick$leftdown\r\n$mouseclick$leftup\r\n$mouseclick$rightdown\r\n"
        "$mouseclick$rightup\r\n$mouseclick$middledown\r\n$mouseclick$middleup");
    EXPECT_EQ(journal, QStringList({"position 1024 768", "move -5 10", "mouse left down",
                                    "mouse left up", "mouse right down", "mouse right up",
                                    "mouse middle down", "mouse middle up", "mouse left down",
                                    "mouse left up", "mouse right down", "mouse right up",
                                    "mouse middle down", "mouse middle up"}));
}

TEST_F(ScriptInterpreterTest, WaitSleepsWholeSecondsAndNegativeWaitsNothing)
{
    run("$wait$ 2 \r\n$wait$-3\r\n$wait$3600\r\n$wait$+0");
    EXPECT_EQ(journal, QStringList({"sleep 2000", "sleep 0", "sleep 3600000", "sleep 0"}));
}

TEST_F(ScriptInterpreterTest, TheProgramsEndEndsAWaitOrALongScriptAtOnce)
{
    ScriptInterpreter live{host, platform, [](const QString&, QString*) { return true; }};
    const std::pair<const char*, QByteArray> scripts[] = {
        {"a wait", "$wait$5\r\n$say$after"},
        {"a long script", QByteArray("$minwin$\r\n").repeated(200000) + "$say$after"}};
    for (const auto& [name, script] : scripts) {
        host.ended = false;
        journal.clear();
        // Exit, waiting for the windows' next turn.
        QTimer::singleShot(0, [this] { host.exitProgram(); });
        live.RunScript(dir.write("live.kps", script));
        EXPECT_TRUE(journal.contains("exitProgram")) << name;
        EXPECT_FALSE(journal.contains("say after")) << name;
        EXPECT_LT(journal.count("minwin"), 200000) << name;
    }
}

TEST_F(ScriptInterpreterTest, FaultyArgumentEndsTheScriptWithASyntaxError)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"$mousepos$100", "$mousepos$"},  {"$mousepos$1024 x", "$mousepos$"},
        {"$mousepos$ 5 6", "$mousepos$"}, {"$MouseMove$5 6 7", "$mousemove$"},
        {"$wait$two", "$wait$"},          {"$wait$", "$wait$"},
        {"$wait$3601", "$wait$"},         {"$wait$-99999999999", "$wait$"},
        {"$type$ab{oops}", "$type$"}};
    for (const auto& [line, keyword] : cases) {
        SCOPED_TRACE(line.toStdString());
        journal.clear();
        dialogs.messages.clear();
        run(line + "\r\n$minwin$");
        expectSyntaxError(keyword, QString::fromUtf8(line.mid(keyword.size())));
        EXPECT_TRUE(journal.isEmpty());
    }
}

TEST_F(ScriptInterpreterTest, FailedLaunchIsReportedAndTheScriptGoesOn)
{
    shell.executeResult = 2;
    shell.startResult = false;
    run("$run$nosuchprogram -x\r\n$minwin$\r\n$wait$x\r\n$maxwin$");
    ASSERT_EQ(shell.calls.size(), 2);
    EXPECT_TRUE(shell.calls[0].startsWith("execute [nosuchprogram] [-x] ["));
    EXPECT_TRUE(shell.calls[0].endsWith("] 1"));
    EXPECT_EQ(journal, QStringList{"minwin"});
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0].text, "SQ Error 10: File Not Found\nnosuchprogram -x");
    EXPECT_EQ(dialogs.messages[0].title, appTitle());
    EXPECT_EQ(dialogs.messages[1].text, "Syntax error in '$wait$'");
}

TEST_F(ScriptInterpreterTest, FailingWindowActionOrMissingFileIsASyntaxError)
{
    host.failing = "maxwin";
    run("$maxwin$\r\n$minwin$");
    expectSyntaxError("$maxwin$", "the window has gone");
    EXPECT_EQ(journal, QStringList{"maxwin"});

    dialogs.messages.clear();
    const QString missing = dir.file("missing.kps");
    interpreter.RunScript(missing);
    expectSyntaxError("", missing);
}

TEST_F(ScriptInterpreterTest, CheckScriptRunsOnlyScripts)
{
    for (const char* name : {"upper.KPS", "dotlessxkps"}) {
        QString path = dir.write(name, "$minwin$");
        EXPECT_TRUE(interpreter.CheckScript(path)) << name;
    }
    EXPECT_EQ(journal, QStringList({"minwin", "minwin"}));

    const QString stored = dir.write("stored.kps", "$maxwin$");
    QString withNul = stored + QChar(u'\0');
    EXPECT_TRUE(interpreter.CheckScript(withNul));
    EXPECT_EQ(withNul, stored);
    EXPECT_EQ(journal.last(), "maxwin");

    QString text = dir.write("notes.txt", "$closewin$");
    QString empty;
    EXPECT_FALSE(interpreter.CheckScript(text));
    EXPECT_FALSE(interpreter.CheckScript(empty));
    EXPECT_EQ(journal.size(), 3);
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
