#include "launcher/Launcher.h"
#include "launcher/Grammar.h"
#include "tests/support/LauncherFixture.h"
#include "tests/support/WriteRefusingRegistry.h"

#include <QTimer>

// The launcher alone, as the main window and the other windows drive it: no window here.
namespace {

class LauncherTest : public LauncherFixture
{
protected:
    Launcher& loaded()
    {
        made();
        listed = std::make_unique<QSignalSpy>(launcher.get(), &Launcher::commandsListed);
        launcher->load();
        return *launcher;
    }
    // Every entry listed since the last clearing.
    QStringList entries() const
    {
        QStringList all;
        for (const QList<QVariant>& signal : *listed)
            all << signal.at(0).toStringList();
        return all;
    }
    void storeCommand(const QString& phrase, const QString& target, int rows)
    {
        store.setText(regpath::kListList, phrase, target);
        store.setText(regpath::kListCheck, phrase, QStringLiteral("0"));
        store.setText(regpath::kList, QStringLiteral("numItems"), QString::number(rows));
    }

    std::unique_ptr<QSignalSpy> listed;
};

TEST_F(LauncherTest, LoadSelectsTheVoiceBuildsTheGrammarThenListens)
{
    synthesizer->voiceIndex = 70000; // converted to 16 bits on its way to UseVoice
    Launcher& l = loaded();
    EXPECT_EQ(journal, (QStringList{"FindVoiceIndex(Mfg=Microsoft;Gender=1)", "UseVoice(4464)",
                                    "LoadGrammarText", "StartRecognition"}));
    EXPECT_EQ(recognizer->grammar(), buildGrammarText({}, QStringLiteral("Computer")));
    EXPECT_EQ(l.loadedGrammar(), recognizer->grammar());
    EXPECT_EQ(entries(), builtinListEntries());
    EXPECT_TRUE(l.isListening());
    EXPECT_TRUE(store.dialogs.messages.empty());
}

TEST_F(LauncherTest, LoadTakesTheOptionsAndClearsTheFlags)
{
    setOption("comFirmExe", QStringLiteral("1"));
    setOption("tcomt", QStringLiteral("2500"));
    setOption("chktext", QStringLiteral("Start"));
    Launcher& l = loaded();
    EXPECT_EQ(l.options().comFirmExe, 1);
    EXPECT_EQ(l.state().startHeard, 0);
    EXPECT_EQ(l.state().confirmPending, 0);
    EXPECT_EQ(l.state().cyclingWindows, 0);
    EXPECT_EQ(l.tcom()->interval(), 2500);
    EXPECT_FALSE(l.tcom()->isActive());
    EXPECT_EQ(l.options().chktext, QStringLiteral("Start "));
    EXPECT_TRUE(l.programFolder().endsWith(u'/'));
}

TEST_F(LauncherTest, MissingOptionsDoNotStopTheLoad)
{
    TestStore empty; // no keys at all
    services.registry = &empty.registry;
    Launcher& l = loaded();
    EXPECT_TRUE(l.options().startCommand.isEmpty());
    EXPECT_EQ(l.tcom()->interval(), 0);
    EXPECT_TRUE(recognizer->grammar().endsWith(QStringLiteral("\r\n<start>=")));
    EXPECT_TRUE(recognizer->isRecognising());
}

TEST_F(LauncherTest, AMissingCommandKeyIsReportedAndTheGrammarKept)
{
    store.setText(regpath::kList, QStringLiteral("numItems"), QStringLiteral("1"));
    store.registry.deleteKey(platform::HKEY_LOCAL_MACHINE, regpath::kListList.toStdString());
    loaded();
    EXPECT_EQ(store.dialogs.texts(),
              QStringList{"Error accessing HKEY_LOCAL_MACHINE\\Software\\Ombrel "
                          "Online\\Sarquen\\list\\list"});
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_TRUE(recognizer->grammars.isEmpty());
    EXPECT_TRUE(recognizer->isRecognising());
}

TEST_F(LauncherTest, WithPushToTalkOnlyWhatIsSaidWhileTheKeyIsHeldCounts)
{
    setOption("starter", QStringLiteral("1")); // the key stands for the start phrase
    setOption("pushToTalk", QStringLiteral("1"));
    setOption("talkKey", QStringLiteral("F9"));
    storeCommand(QStringLiteral("Notes"), QStringLiteral("/usr/bin/notes"), 1);
    QStringList watched;
    made();
    launcher->setTalkKeyWatch([&](const QString& key, QString*) {
        watched << key;
        return true;
    });
    Launcher& l = *launcher;
    l.load();
    EXPECT_EQ(watched, QStringList{"F9"});
    EXPECT_EQ(l.talkPrompt(), QStringLiteral("Hold F9 to speak"));
    QSignalSpy heard(&l, &Launcher::heard);
    QSignalSpy refused(&l, &Launcher::notUnderstood);

    recognizer->hear(QStringLiteral("Notes"));
    emit recognizer->notUnderstood(QStringLiteral("not a command"));
    EXPECT_EQ(shell.calls.size(), 0);
    EXPECT_EQ(heard.count() + refused.count(), 0);

    l.talkKeyDown();
    recognizer->hear(QStringLiteral("Notes"));
    l.talkKeyUp();
    EXPECT_EQ(shell.calls.size(), 1);
    // Stopped, it hears nothing even with the key down.
    l.stopListening();
    l.talkKeyDown();
    recognizer->hear(QStringLiteral("Notes"));
    EXPECT_EQ(shell.calls.size(), 1);

    // Turned off, everything counts again and the key is let go.
    Options off = l.options();
    off.pushToTalk = QStringLiteral("0");
    off.starter = QStringLiteral("0");
    l.applyOptions(off);
    l.startListening();
    recognizer->hear(QStringLiteral("Notes"));
    EXPECT_EQ(shell.calls.size(), 2);
    EXPECT_EQ(watched, (QStringList{"F9", QString()}));
    EXPECT_EQ(l.talkPrompt(), QString());
}

TEST_F(LauncherTest, AHeardPhraseIsShownThenActedOnUntilListeningStops)
{
    setOption("starter", QStringLiteral("1"));
    storeCommand(QStringLiteral("Notes"), QStringLiteral("/usr/bin/notes"), 1);
    Launcher& l = loaded();
    QStringList seen;
    QObject::connect(&l, &Launcher::heard, [&](const QString& p) {
        seen << QStringLiteral("heard ") + p + QStringLiteral(" launched ") +
                    QString::number(shell.calls.size());
    });
    // Without the start phrase first, the phrase is let go, and the user is told why.
    for (const char* phrase : {"Notes", "Computer", "Notes"})
        recognizer->hear(QString::fromLatin1(phrase));
    EXPECT_EQ(seen, (QStringList{"heard Notes \u2014 say \"Computer\" first launched 0",
                                 "heard Computer launched 0", "heard Notes launched 0"}));
    ASSERT_EQ(shell.calls.size(), 1);
    EXPECT_TRUE(shell.calls[0].startsWith(QStringLiteral("execute [/usr/bin/notes]")));

    QSignalSpy shown(&l, &Launcher::listeningChanged);
    l.stopListening();
    recognizer->hear(QStringLiteral("Notes"));
    EXPECT_EQ(shell.calls.size(), 1);
    EXPECT_EQ(shown.count(), 1);
    EXPECT_FALSE(shown.at(0).at(0).toBool());
}

TEST_F(LauncherTest, TheVoiceFlowAsksTheWindowsForWhatOnlyTheyCanDo)
{
    setOption("comFirmExe", QStringLiteral("1"));
    storeCommand(QStringLiteral("Notes"), QStringLiteral("/usr/bin/notes"), 1);
    Launcher& l = loaded();
    QStringList asked;
    QObject::connect(&l, &Launcher::confirmationRequested,
                     [&](const QString& p) { asked << QStringLiteral("confirm ") + p; });
    QObject::connect(&l, &Launcher::confirmationClosed, [&] { asked << QStringLiteral("close"); });
    QObject::connect(&l, &Launcher::showRequested, [&](bool minimised) {
        asked << (minimised ? QStringLiteral("minimise") : QStringLiteral("show"));
    });
    QObject::connect(&l, &Launcher::hideRequested, [&] { asked << QStringLiteral("hide"); });
    QObject::connect(&l, &Launcher::aboutRequested, [&] { asked << QStringLiteral("about"); });
    for (const char* phrase :
         {"Notes", "Yes", "Minimize Sarquen", "Show Sarquen", "Hide Sarquen", "About Sarquen"})
        recognizer->hear(QString::fromLatin1(phrase));
    EXPECT_EQ(asked, (QStringList{"confirm Notes", "close", "minimise", "show", "hide", "about"}));
    EXPECT_EQ(shell.calls.size(), 1);

    // The prompt's own time-out drops the launch waiting for it.
    recognizer->hear(QStringLiteral("Notes"));
    l.confirmationTimedOut();
    recognizer->hear(QStringLiteral("Yes"));
    EXPECT_EQ(shell.calls.size(), 1);

    recognizer->hear(QStringLiteral("Exit Sarquen"));
    EXPECT_EQ(ended->count(), 1);
    EXPECT_TRUE(l.hasEnded());
    EXPECT_FALSE(recognizer->isRecognising());
    l.endProgram();
    EXPECT_EQ(ended->count(), 1);
}

TEST_F(LauncherTest, AWindowOverTheMainWindowPausesOnlyARecogniserThatListens)
{
    Launcher& l = loaded();
    QSignalSpy held(&l, &Launcher::mainWindowHeld);
    for (bool listening : {true, false}) {
        if (!listening)
            l.stopListening();
        recognizer->calls.clear();
        l.holdMainWindow();
        l.releaseMainWindow();
        const QStringList paused{"StopRecognition", "StartRecognition"};
        EXPECT_EQ(recognizer->calls, listening ? paused : QStringList()) << listening;
        EXPECT_EQ(l.isListening(), listening);
    }
    ASSERT_EQ(held.count(), 4);
    EXPECT_TRUE(held.at(0).at(0).toBool());
    EXPECT_FALSE(held.at(1).at(0).toBool());
}

TEST_F(LauncherTest, NewOptionsAreKeptStoredAndFollowedAtOnce)
{
    Launcher& l = loaded();
    QSignalSpy changed(&l, &Launcher::optionsChanged);
    QSignalSpy cleared(&l, &Launcher::commandListCleared);
    Options edited = l.options();
    edited.startCommand = QStringLiteral("Jarvis");
    edited.tcomt = 1500;
    edited.comFirmExe = 1;
    edited.startup.winStart = 1;
    l.applyOptions(edited);
    EXPECT_EQ(l.options().startCommand, QStringLiteral("Jarvis"));
    EXPECT_EQ(l.tcom()->interval(), 1500);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_TRUE(recognizer->grammar().endsWith(QStringLiteral("<start>=Jarvis")));
    for (const auto& [name, value] : {std::pair{"startCommand", "Jarvis"},
                                      {"tcomt", "1500"},
                                      {"comFirmExe", "1"},
                                      {"winStart", "1"}})
        EXPECT_EQ(store.text(regpath::kOptions, QString::fromLatin1(name)),
                  QString::fromLatin1(value))
            << name;

    // A store that takes nothing: the user is told, and the program goes on with the new
    // values.
    WriteRefusingRegistry refusing(store.registry);
    refusing.refused = {"t1t"};
    services.registry = &refusing;
    newEngines();
    Launcher& other = loaded();
    edited = other.options();
    edited.t1t = 9;
    other.applyOptions(edited);
    EXPECT_EQ(other.options().t1t, 9);
    EXPECT_EQ(store.text(regpath::kOptions, QStringLiteral("t1t")), QStringLiteral("0"));
    ASSERT_EQ(store.dialogs.texts().size(), 1);
    EXPECT_TRUE(store.dialogs.texts()[0].startsWith(QStringLiteral("SetValue error - ")));
}

} // namespace
