#include "launcher/Dispatcher.h"
#include "commands/CommandTable.h"
#include "launcher/LauncherState.h"
#include "launcher/Listening.h"
#include "launcher/SpokenAnswers.h"
#include "launcher/WindowCommands.h"
#include "options/Options.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeSpeech.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingDialogs.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QChar kNul(u'\0');

// The main window as the dispatcher sees it: every request lands in the journal.
class JournalActions : public MainWindowActions
{
public:
    explicit JournalActions(QStringList& journal) : journal_(journal) {}
    void endProgram() override { journal_ << QStringLiteral("end"); }
    void showMainWindow(bool minimised) override
    {
        journal_ << (minimised ? QStringLiteral("show minimised") : QStringLiteral("show normal"));
    }
    void hideMainWindow() override { journal_ << QStringLiteral("hide"); }
    void openAbout() override { journal_ << QStringLiteral("about"); }
    void showConfirmation(const QString& p) override { journal_ << QStringLiteral("confirm ") + p; }
    void closeConfirmation() override { journal_ << QStringLiteral("close confirmation"); }

private:
    QStringList& journal_;
};

class DispatcherTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        recognizer.StartRecognition();
        synthesizer.journal = &journal;
        desktop.journal = &journal;
        shell.journal = &journal;
        audio.journal = &journal;
        options.startCommand = QStringLiteral("Computer");
        options.starter = QStringLiteral("0") + kNul;
        options.soundPlay = 1;
        options.soundOpt = 1;
        tcom.setInterval(5000);
        desktop.active = 9;
    }

    void addCommand(const QString& phrase, const QString& target, const char* check = "0")
    {
        const int row = table.count() + 1;
        table.numItems = QString::number(row) + kNul;
        table.phrases[row] = phrase;
        table.targets[row] = target + kNul;
        table.checks[row] = QString::fromLatin1(check) + kNul;
    }
    void hear(const QStringList& phrases)
    {
        for (const QString& p : phrases)
            dispatcher.PhraseHeard(p);
    }

    QStringList journal;
    FakeRecognizer recognizer;
    FakeSynthesizer synthesizer;
    FakeDesktop desktop;
    FakeShell shell;
    FakeAudio audio;
    FixedClock clock;
    RecordingDialogs dialogs;
    LauncherState state;
    Options options;
    CommandTable table;
    QTimer tcom;
    JournalActions actions{journal};
    Listening listening{recognizer, [this](bool on) {
                            journal << QStringLiteral("listening %1").arg(on ? "on" : "off");
                        }};
    SpokenAnswers answers{recognizer, synthesizer, clock, audio, options};
    WindowCommands windows{desktop, [] { return platform::WindowId(100); }};
    QStringList scripts;
    Dispatcher dispatcher{DispatchContext{state, options, table, tcom, listening, answers, windows,
                                          [this](QString& target) {
                                              if (target.endsWith(kNul))
                                                  target.chop(1);
                                              if (!target.endsWith(QLatin1String("kps")))
                                                  return false;
                                              scripts << target;
                                              journal << QStringLiteral("script ") + target;
                                              return true;
                                          },
                                          shell, dialogs, actions}};
};

TEST_F(DispatcherTest, UserCommandLaunchesItsTargetWithoutItsNul)
{
    addCommand(QStringLiteral("Editor"), QStringLiteral("/usr/bin/editor /tmp/a.txt"));
    hear({"Editor"});
    EXPECT_EQ(journal, QStringList{"execute [/usr/bin/editor] [/tmp/a.txt] [/usr/bin] 1"});
    EXPECT_EQ(state.startHeard, 0);
}

TEST_F(DispatcherTest, BuiltinsActWithOrWithoutCommandsOfTheUsers)
{
    clock.instant = QDateTime(QDate(2004, 1, 21), QTime(13, 7));
    for (const bool userCommand : {false, true}) {
        journal.clear();
        if (userCommand)
            addCommand(QStringLiteral("Editor"), QStringLiteral("/usr/bin/editor"));
        hear({"What Time Is It", "Whats The Date", "Close Window", "Minimize Window",
              "Maximize Window", "Restore Window", "Show Desktop", "Hide Sarquen", "Show Sarquen",
              "Minimize Sarquen", "Maximize Sarquen", "About Sarquen", "Yes", "Go"});
        EXPECT_EQ(journal,
                  (QStringList{"SpeakText(The current time is 1 7 PM)",
                               "SpeakText(Todays date is Wendsday the 21th of January, 2004)",
                               "close 9", "minimize 9", "maximize 9", "restore 9", "key 0x5b down",
                               "key 0x44 down", "key 0x5b up", "hide", "show normal",
                               "show minimised", "show normal", "about"}))
            << userCommand;
        hear({"Exit Sarquen"});
        EXPECT_EQ(journal.last(), QStringLiteral("end")) << userCommand;
    }
}

TEST_F(DispatcherTest, AUserPhraseInRowOneBeatsABuiltinButNotInLaterRows)
{
    addCommand(QStringLiteral("Close Window"), QStringLiteral("/bin/first"));
    hear({"Close Window"});
    EXPECT_EQ(journal, QStringList{"execute [/bin/first] [] [/bin] 1"});

    journal.clear();
    table = CommandTable();
    addCommand(QStringLiteral("Editor"), QStringLiteral("/bin/editor"));
    addCommand(QStringLiteral("Close Window"), QStringLiteral("/bin/second"));
    hear({"Close Window"});
    EXPECT_EQ(journal, QStringList{"close 9"});
}

TEST_F(DispatcherTest, StartPhraseGatesCommandsForOneWindow)
{
    options.starter = QStringLiteral("1") + kNul;
    addCommand(QStringLiteral("Editor"), QStringLiteral("/bin/editor"));
    hear({"Close Window"});
    EXPECT_TRUE(journal.isEmpty());

    hear({"Computer"});
    EXPECT_EQ(state.startHeard, 1);
    EXPECT_TRUE(tcom.isActive());
    EXPECT_EQ(journal, QStringList{"beep"});

    // Commands that keep the window open can follow each other.
    hear({"Maximize Window", "Minimize Window"});
    EXPECT_EQ(state.startHeard, 1);
    hear({"Close Window"});
    EXPECT_EQ(state.startHeard, 0);
    hear({"Close Window"});
    EXPECT_EQ(journal, (QStringList{"beep", "maximize 9", "minimize 9", "close 9"}));
}

TEST_F(DispatcherTest, TheTimerClosesTheStartPhraseWindowExceptWhileCycling)
{
    options.starter = QStringLiteral("1") + kNul;
    addCommand(QStringLiteral("Editor"), QStringLiteral("/bin/editor"));
    hear({"Computer"});
    dispatcher.tcomTick();
    EXPECT_EQ(state.startHeard, 0);
    EXPECT_FALSE(tcom.isActive());
    hear({"Maximize Window"});
    EXPECT_FALSE(journal.contains(QStringLiteral("maximize 9")));

    hear({"Computer", "Next Window"});
    dispatcher.tcomTick();
    EXPECT_EQ(state.startHeard, 1);
    EXPECT_TRUE(tcom.isActive());
    hear({"Next", "Go"});
    EXPECT_EQ(state.startHeard, 0);
    dispatcher.tcomTick();
    EXPECT_FALSE(tcom.isActive());
}

TEST_F(DispatcherTest, AnOpenPromptTakesItsAnswerAfterTheStartPhraseWindowClosed)
{
    options.starter = QStringLiteral("1") + kNul;
    options.comFirmExe = 1;
    addCommand(QStringLiteral("Editor"), QStringLiteral("/bin/editor"));
    hear({"Computer", "Editor"});
    dispatcher.tcomTick(); // the prompt still counts down
    EXPECT_EQ(state.startHeard, 0);
    hear({"Close Window", "Yes"});
    EXPECT_EQ(journal, (QStringList{"beep", "confirm Editor", "close confirmation",
                                    "execute [/bin/editor] [] [/bin] 1"}));
    // Nothing else gets through while no prompt is open.
    journal.clear();
    hear({"Yes", "No", "Editor"});
    EXPECT_TRUE(journal.isEmpty());
}

TEST_F(DispatcherTest, AStartPhraseThatIsNotANumberCountsAsOff)
{
    options.starter = QString();
    addCommand(QStringLiteral("Editor"), QStringLiteral("/bin/editor"));
    hear({"Close Window"});
    EXPECT_EQ(journal, QStringList{"close 9"});
}

TEST_F(DispatcherTest, AZeroTimeNeverStartsTheTimer)
{
    options.starter = QStringLiteral("1") + kNul;
    tcom.setInterval(0);
    hear({"Computer"});
    EXPECT_EQ(state.startHeard, 1);
    EXPECT_FALSE(tcom.isActive());
}

TEST_F(DispatcherTest, WindowCyclingListensOnlyForNextLastAndGo)
{
    addCommand(QStringLiteral("Editor"), QStringLiteral("/bin/editor"));
    hear({"Next Window", "Close Window", "Next Window", "Editor", "Next", "Last", "Go", "Go"});
    EXPECT_EQ(journal,
              (QStringList{"key 0x12 down", "key 0x09 down", "key 0x09 down", "key 0x10 down",
                           "key 0x09 down", "key 0x10 up", "key 0x12 up"}));
    EXPECT_EQ(state.cyclingWindows, 0);
}

TEST_F(DispatcherTest, ConfirmationAsksThenYesLaunchesAndNoDoesNot)
{
    options.comFirmExe = 1;
    addCommand(QStringLiteral("Editor"), QStringLiteral("/bin/editor"), "1");
    hear({"Editor"});
    EXPECT_EQ(journal, QStringList{"confirm Editor"});
    EXPECT_EQ(state.confirmPending, -1);
    EXPECT_EQ(state.startHeard, 1);
    EXPECT_EQ(state.pendingCheck, 1);

    hear({"Close Window", "Editor"});
    EXPECT_EQ(journal.size(), 1);
    hear({"Yes"});
    EXPECT_EQ(journal, (QStringList{"confirm Editor", "close confirmation", "listening off",
                                    "execute [/bin/editor] [] [/bin] 1"}));
    EXPECT_EQ(state.confirmPending, 0);
    EXPECT_EQ(state.startHeard, 0);

    journal.clear();
    hear({"Editor", "No"});
    EXPECT_EQ(journal, (QStringList{"confirm Editor", "close confirmation"}));
    EXPECT_EQ(state.confirmPending, 0);
}

TEST_F(DispatcherTest, OtherConfirmationSettingsDoNothing)
{
    options.comFirmExe = 2;
    addCommand(QStringLiteral("Editor"), QStringLiteral("/bin/editor"));
    hear({"Editor"});
    EXPECT_TRUE(journal.isEmpty());
}

TEST_F(DispatcherTest, StopListeningFlagOnlyActsWhileListening)
{
    addCommand(QStringLiteral("Editor"), QStringLiteral("/bin/editor"), "1");
    hear({"Editor"});
    EXPECT_EQ(journal.first(), QStringLiteral("listening off"));
    EXPECT_FALSE(listening.isListening());

    journal.clear();
    hear({"Editor"}); // recognition is off: phrases come only from the test
    EXPECT_EQ(journal, QStringList{"execute [/bin/editor] [] [/bin] 1"});
}

TEST_F(DispatcherTest, ScriptTargetsRunAsScriptsWhateverTheCaseOfTheirEnding)
{
    addCommand(QStringLiteral("Morning"), QStringLiteral("/s/Scripts/morning.kps"));
    addCommand(QStringLiteral("Notes"), QStringLiteral("/s/notes.kpsx"));
    hear({"Morning", "Notes"});
    EXPECT_EQ(scripts, QStringList{"/s/Scripts/morning.kps"});
    EXPECT_EQ(journal.last(), QStringLiteral("execute [/s/notes.kpsx] [] [/s] 1"));
}

TEST_F(DispatcherTest, AFailedLaunchSaysFileNotFoundAndKeepsTheStateChanges)
{
    shell.executeResult = 2;
    shell.startResult = false;
    options.starter = QStringLiteral("1") + kNul;
    addCommand(QStringLiteral("Gone"), QStringLiteral("/nowhere/gone"), "1");
    hear({"Computer", "Gone"});
    EXPECT_EQ(dialogs.texts(), QStringList{"SQ Error 10: File Not Found\n/nowhere/gone"});
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Ombrel Sarquen 2.0"));
    EXPECT_EQ(state.startHeard, 0);
    EXPECT_FALSE(listening.isListening());
}

} // namespace
