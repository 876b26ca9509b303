#include "launcher/Grammar.h"
#include "platform/widgets/Perchly.h"
#include "platform/widgets/Tabrix.h"
#include "speech/SpeechEngines.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <map>
#include <string>

namespace {

using MainWindowTest = MainWindowFixture;

TEST_F(MainWindowTest, ControlsCarryTheirNamesCaptionsAndDesignState)
{
    frmLaunch& w = loaded();
    const std::pair<const char*, const char*> buttons[] = {
        {"cmdEdit", "Add / Edit / Remove Command"},
        {"cmdScripter", "Script Editor"},
        {"cmdStart", "Start Listening"},
        {"cmdStop", "Stop Listening"},
        {"cmdOptions", "Options"},
        {"cmdHideF", "Hide"},
        {"cmdAbout", "Help / About"},
        {"cmdExit", "Exit"}};
    for (const auto& [name, caption] : buttons) {
        const Tabrix* b = control<Tabrix>(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->caption(), QString::fromLatin1(caption)) << name;
    }
    EXPECT_TRUE(control<Tabrix>("cmdStart")->isHidden());
    EXPECT_FALSE(control<Tabrix>("cmdStop")->isHidden());
    EXPECT_FALSE(control<Tabrix>("cmdHideF")->isHidden());
    EXPECT_FALSE(control<Tabrix>("cmdEdit")->isHidden());
    EXPECT_FALSE(control<Tabrix>("cmdOptions")->isHidden());
    EXPECT_FALSE(control<Tabrix>("cmdScripter")->isHidden());
    EXPECT_FALSE(control<Tabrix>("cmdExit")->isHidden());
    EXPECT_NE(control<QListWidget>("lstCmd"), nullptr);
    EXPECT_NE(control<QLabel>("Label2"), nullptr);
    EXPECT_NE(control<QLabel>("Image1"), nullptr);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Ombrel Sarquen 2.0"));
    EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("Ombrel Sarquen 2.0"));
    EXPECT_EQ(w.tray()->toolTip(), QStringLiteral("Ombrel Sarquen\nListening"));
    EXPECT_FALSE(w.tray()->show()); // shown by the splash timer
    EXPECT_FALSE(w.tcom()->isActive());
}

TEST_F(MainWindowTest, EditOptionsAndAboutOpenTheirWindowsOverADisabledMainWindow)
{
    loaded();
    // Near the screen's bottom right corner: the windows must still come out whole.
    const QRect free = main->screen()->availableGeometry();
    main->show();
    main->move(free.right() - main->width() / 2, free.bottom() - main->height() / 2);
    const std::map<std::string, QString> windows{{"cmdEdit", QStringLiteral("frmEdit")},
                                                 {"cmdOptions", QStringLiteral("frmOptions")},
                                                 {"cmdAbout", QStringLiteral("frmAbout")}};
    for (const auto& [button, window] : windows) {
        recognizer->calls.clear();
        QTest::mouseClick(control<Tabrix>(button.c_str()), Qt::LeftButton);
        QWidget* opened = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == window)
                opened = w;
        }
        ASSERT_NE(opened, nullptr) << button;
        EXPECT_FALSE(main->isEnabled()) << button;
        EXPECT_EQ(recognizer->calls, QStringList{"StopRecognition"}) << button;
        // It belongs to the main window and stays whole on screen.
        EXPECT_EQ(opened->parentWidget(), main.get()) << button;
        EXPECT_TRUE(free.contains(opened->geometry())) << button;
        // The close box of the main window does nothing meanwhile.
        EXPECT_FALSE(main->close()) << button;
        EXPECT_EQ(ended->count(), 0) << button;
        opened->close();
        EXPECT_TRUE(main->isEnabled()) << button;
        EXPECT_EQ(recognizer->calls.last(), QStringLiteral("StartRecognition")) << button;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(MainWindowTest, SayingAboutSarquenOpensTheAboutWindow)
{
    // Built-in phrases are matched while the stored commands are looked through.
    store.setText(regpath::kListList, QStringLiteral("Notes"), QStringLiteral("/usr/bin/notes"));
    store.setText(regpath::kListCheck, QStringLiteral("Notes"), QStringLiteral("0"));
    store.setText(regpath::kList, QStringLiteral("numItems"), QStringLiteral("1"));
    loaded();
    recognizer->hear(QStringLiteral("Computer"));
    recognizer->hear(QStringLiteral("About Sarquen"));
    QWidget* about = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->objectName() == QLatin1String("frmAbout"))
            about = w;
    }
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(main->isEnabled());
    EXPECT_EQ(recognizer->calls.last(), QStringLiteral("StopRecognition"));
    about->close();
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(recognizer->calls.last(), QStringLiteral("StartRecognition"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(MainWindowTest, TheScriptEditorOpensWithoutStoppingAnything)
{
    TempDir home;
    loadedIn(home.path());
    recognizer->calls.clear();
    QTest::mouseClick(control<Tabrix>("cmdScripter"), Qt::LeftButton);
    QWidget* editor = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->objectName() == QLatin1String("ScriptEditor"))
            editor = w;
    }
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(main->isEnabled());
    EXPECT_TRUE(recognizer->calls.isEmpty());
    EXPECT_TRUE(QFileInfo(home.file(QStringLiteral("Scripts"))).isDir());
    editor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Records the four places that show the listening state as they change: "+" shown or
// enabled, "-" hidden or disabled.
class PlaceChanges : public QObject
{
public:
    PlaceChanges(QWidget* start, QWidget* stop, QAction* startItem, QAction* stopItem)
    {
        for (QWidget* button : {start, stop})
            button->installEventFilter(this);
        for (QAction* item : {startItem, stopItem})
            connect(item, &QAction::changed, this, [this, item] {
                seen << item->objectName() + QLatin1String(item->isEnabled() ? "+" : "-");
            });
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
            seen << watched->objectName() +
                        QLatin1String(event->type() == QEvent::ShowToParent ? "+" : "-");
        return false;
    }
    QStringList seen;
};

TEST_F(MainWindowTest, StartAndStopButtonsSwitchAllFourPlaces)
{
    loaded();
    auto* start = control<Tabrix>("cmdStart");
    auto* stop = control<Tabrix>("cmdStop");
    // Listening at start: Stop shown, its menu item enabled, Start's disabled.
    EXPECT_TRUE(menuItem("mnuItemStop")->isEnabled());
    EXPECT_FALSE(menuItem("mnuItemStart")->isEnabled());
    PlaceChanges changes(start, stop, menuItem("mnuItemStart"), menuItem("mnuItemStop"));

    QTest::mouseClick(stop, Qt::LeftButton);
    EXPECT_EQ(changes.seen,
              (QStringList{"mnuItemStop-", "cmdStop-", "mnuItemStart+", "cmdStart+"}));
    EXPECT_TRUE(stop->isHidden());
    EXPECT_FALSE(start->isHidden());
    EXPECT_FALSE(menuItem("mnuItemStop")->isEnabled());
    EXPECT_TRUE(menuItem("mnuItemStart")->isEnabled());
    EXPECT_FALSE(recognizer->isRecognising());
    EXPECT_FALSE(launcher->isListening());

    changes.seen.clear();
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_EQ(changes.seen,
              (QStringList{"mnuItemStart-", "cmdStart-", "mnuItemStop+", "cmdStop+"}));
    EXPECT_FALSE(stop->isHidden());
    EXPECT_TRUE(start->isHidden());
    EXPECT_TRUE(menuItem("mnuItemStop")->isEnabled());
    EXPECT_FALSE(menuItem("mnuItemStart")->isEnabled());
    EXPECT_TRUE(recognizer->isRecognising());
}

TEST_F(MainWindowTest, ListeningStateIsKeptWhileTheWindowIsHidden)
{
    frmLaunch& w = loaded();
    w.hide();
    EXPECT_TRUE(launcher->isListening());
    w.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(launcher->isListening());
}

TEST_F(MainWindowTest, ExitButtonAndCloseBoxEndTheProgram)
{
    frmLaunch& w = loaded();
    w.show();
    QTest::mouseClick(control<Tabrix>("cmdExit"), Qt::LeftButton);
    EXPECT_EQ(ended->count(), 1);
    EXPECT_FALSE(recognizer->isRecognising());
    EXPECT_FALSE(w.isVisible());
    // Ending twice is harmless.
    w.endProgram();
    EXPECT_EQ(ended->count(), 1);
}

TEST_F(MainWindowTest, CloseBoxEndsTheProgramInsteadOfHiding)
{
    frmLaunch& w = loaded();
    w.show();
    EXPECT_TRUE(w.close());
    EXPECT_EQ(ended->count(), 1);
}

TEST_F(MainWindowTest, NothingIsWrittenWhenTheProgramEnds)
{
    frmLaunch& w = loaded();
    const auto before = store.raw(regpath::kOptions, QStringLiteral("tcomt"));
    QTest::mouseClick(control<Tabrix>("cmdStop"), Qt::LeftButton);
    w.endProgram();
    EXPECT_EQ(store.raw(regpath::kOptions, QStringLiteral("tcomt")), before);
    EXPECT_FALSE(store.raw(regpath::kOptions, QStringLiteral("starter")));
}

TEST_F(MainWindowTest, HideButtonHidesAndKeepsTheProgramRunning)
{
    frmLaunch& w = loaded();
    w.show();
    QTest::mouseClick(control<Tabrix>("cmdHideF"), Qt::LeftButton);
    // Into the tray; with no notification area to come back by, minimised.
    EXPECT_EQ(w.isVisible(), !Perchly::available());
    EXPECT_EQ(ended->count(), 0);
    EXPECT_TRUE(recognizer->isRecognising());
}

// A notice of what the desktop cannot do shows in the window; with the window hidden in
// the tray, the tray icon brings it too.
TEST_F(MainWindowTest, DesktopNoticesReachAUserWhoHidTheWindow)
{
    frmLaunch& w = loaded();
    w.tray()->setShow(true);
    w.show();
    w.showDesktopNotice(QStringLiteral("shown"));
    EXPECT_EQ(w.tray()->lastMessage(), QString());
    w.hide();
    w.showDesktopNotice(QStringLiteral("hidden"));
    EXPECT_EQ(control<QLabel>("lblHeard")->text(), QStringLiteral("hidden"));
    EXPECT_EQ(w.tray()->lastMessage(), QStringLiteral("hidden"));
}

TEST_F(MainWindowTest, StartedAgainTheWindowComesForwardAsTheSwitchSays)
{
    frmLaunch& w = loaded();
    w.hide();
    w.startedAgain(StartMode::Normal);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowState(), Qt::WindowNoState);
    w.startedAgain(StartMode::Minimised);
    EXPECT_TRUE(w.isVisible() && (w.windowState() & Qt::WindowMinimized));
    w.startedAgain(StartMode::Normal);
    EXPECT_EQ(w.windowState(), Qt::WindowNoState);
    w.startedAgain(StartMode::Hidden);
    EXPECT_EQ(w.isVisible(), !Perchly::available());
    EXPECT_EQ(ended->count(), 0);
}

} // namespace

namespace {

TEST_F(MainWindowTest, TheMakersAddressOpensThroughTheLauncher)
{
    loaded();
    auto* label = control<QLabel>("Label2");
    emit label->linkActivated(QStringLiteral("https://www.ombrel.example/"));
    ASSERT_EQ(shell.calls.size(), 1);
    EXPECT_TRUE(
        shell.calls[0].startsWith(QStringLiteral("execute [https://www.ombrel.example/] []")));
    EXPECT_TRUE(store.dialogs.messages.empty());

    shell.executeResult = 31;
    shell.startResult = false;
    emit label->linkActivated(QStringLiteral("https://www.ombrel.example/"));
    EXPECT_EQ(store.dialogs.texts(),
              QStringList{"SQ Error 10: File Not Found\nhttps://www.ombrel.example/"});
    EXPECT_EQ(ended->count(), 0);
}

TEST_F(MainWindowTest, SpokenAnswersAndWindowCommandsGoThroughTheMainWindow)
{
    frmLaunch& w = loaded();
    journal.clear();
    clock.instant = QDateTime(QDate(2026, 12, 8), QTime(0, 5));
    w.Speak(QStringLiteral("Todays date is ") + w.getDate());
    EXPECT_EQ(journal, (QStringList{"StopRecognition",
                                    "SpeakText(Todays date is Tuesday the 8th of December, 2026)",
                                    "StartRecognition"}));
    desktop.active = 5;
    w.maxwin();
    w.minwin();
    EXPECT_EQ(desktop.calls, (QStringList{"maximize 5", "minimize 5"}));
}

} // namespace

namespace {

TEST_F(MainWindowTest, StoredCommandsComeFirstInTheListAndTheGrammar)
{
    store.setText(regpath::kList, QStringLiteral("numItems"), QStringLiteral("2"));
    store.setText(regpath::kListList, QStringLiteral("Notepad"), QStringLiteral("/usr/bin/ed"));
    store.setText(regpath::kListList, QStringLiteral("Close Window"), QStringLiteral("/bin/x"));
    frmLaunch& w = loaded();
    EXPECT_EQ(w.commandList(), QStringList({"Notepad", "Close Window"}) + builtinListEntries());
    EXPECT_EQ(recognizer->grammar(),
              buildGrammarText({"Notepad", "Close Window"}, QStringLiteral("Computer")));

    // Every later caller empties the list first: nothing is listed twice.
    store.reg.DeleteRegValue(platform::HKEY_LOCAL_MACHINE, regpath::kListList,
                             QStringLiteral("Notepad"));
    store.setText(regpath::kList, QStringLiteral("numItems"), QStringLiteral("1"));
    w.clearCommandList();
    w.setList();
    EXPECT_EQ(w.commandList(), QStringList({"Close Window"}) + builtinListEntries());
    EXPECT_FALSE(recognizer->grammar().contains(QStringLiteral("Notepad")));
}

} // namespace

namespace {

TEST_F(MainWindowTest, ShowsWhatWasHeardAndWhatWasNot)
{
    loaded();
    auto* heard = control<QLabel>("lblHeard");
    recognizer->hear(QStringLiteral("Computer"));
    EXPECT_EQ(heard->text(), QStringLiteral("Heard: Computer"));
    emit recognizer->notUnderstood(QString());
    EXPECT_EQ(heard->text(), QStringLiteral("Heard: not understood"));
    // With the reason, so that the user knows what to change.
    emit recognizer->notUnderstood(QStringLiteral("too quiet"));
    EXPECT_EQ(heard->text(), QStringLiteral("Heard: not understood (too quiet)"));
    // Stale once the program stops hearing: a window over it, or listening stopped.
    for (const char* stop : {"cmdOptions", "cmdStop"}) {
        recognizer->hear(QStringLiteral("Computer"));
        QTest::mouseClick(control<Tabrix>(stop), Qt::LeftButton);
        EXPECT_EQ(heard->text(), QString()) << stop;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmOptions"))
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Typed phrases have no sound level to show.
    EXPECT_TRUE(main->findChild<QWidget*>(QStringLiteral("prgLevel"))->isHidden());
}

} // namespace

namespace {

TEST_F(MainWindowTest, SaysWhySpeechIsTypedInsteadOfHeard)
{
    frmLaunch& w = loaded();
    const QString notice = speechOffText(QStringLiteral("No microphone found"), false);
    QTest::mouseClick(control<Tabrix>("cmdStop"), Qt::LeftButton);
    EXPECT_EQ(w.tray()->toolTip(), QStringLiteral("Ombrel Sarquen\nNot listening"));
    QTest::mouseClick(control<Tabrix>("cmdStart"), Qt::LeftButton);
    w.showSpeechNotice(notice, QStringLiteral("No microphone found"));
    EXPECT_EQ(control<QLabel>("lblHeard")->text(), notice);
    EXPECT_EQ(w.tray()->toolTip(),
              QStringLiteral("Ombrel Sarquen\nSpeech off: No microphone found"));
    // Nothing to hear and no terminal to type in: the listening buttons and the tray
    // menu's items cannot act.
    w.setHearingPossible(false);
    EXPECT_FALSE(control<Tabrix>("cmdStop")->isEnabled());
    EXPECT_FALSE(menuItem("mnuItemStop")->isEnabled());
    EXPECT_FALSE(menuItem("mnuItemStart")->isEnabled());
    EXPECT_EQ(control<Tabrix>("cmdStart")->toolTip(), notice);
    w.setHearingPossible(true);
    EXPECT_TRUE(menuItem("mnuItemStop")->isEnabled());
    // Listening stopped, the notice is what is left.
    QTest::mouseClick(control<Tabrix>("cmdStop"), Qt::LeftButton);
    EXPECT_EQ(control<QLabel>("lblHeard")->text(), notice);
    EXPECT_TRUE(menuItem("mnuItemStart")->isEnabled());
    // Started into the tray, the icon says why speech is off; a window on screen says it
    // itself.
    w.tray()->setShow(true);
    w.show();
    w.showSpeechNoticeInTray();
    EXPECT_EQ(w.tray()->lastMessage(), QString());
    w.hide();
    w.showSpeechNoticeInTray();
    EXPECT_EQ(w.tray()->lastMessage(), notice);
}

} // namespace
