#include "platform/widgets/Perchly.h"
#include "platform/widgets/Tabrix.h"
#include "tests/speech/CapturedOutput.h"
#include "tests/support/MainWindowFixture.h"
#include "tray/frmLaunch2.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

using TrayTest = MainWindowFixture;

QWidget* findOpenWindow(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    }
    return nullptr;
}

TEST_F(TrayTest, MenuHoldsItsItemsInOrder)
{
    loaded();
    frmLaunch2* menuWindow = main->trayMenu();
    EXPECT_EQ(menuWindow->windowTitle(), QStringLiteral("Ombrel Sarquen"));
    EXPECT_FALSE(menuWindow->isVisible());
    QMenu* popup = menuWindow->mnuPopup();
    EXPECT_EQ(popup->objectName(), QStringLiteral("mnuPopup"));
    EXPECT_EQ(popup->title(), QStringLiteral("Popup"));

    QStringList names, captions;
    for (const QAction* a : popup->actions()) {
        names << a->objectName();
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    EXPECT_EQ(names, (QStringList{"mnuItemShow", "mnuItemHide", "mnuspace1", "mnuItemStart",
                                  "mnuItemStop", "mnuspace2", "mnuItemOptions", "mnuItemTrain",
                                  "mnuspace3", "mnuItemAbout", "mnuspace4", "mnuItemExit"}));
    EXPECT_EQ(captions,
              (QStringList{"&Show Ombrel Sarquen", "&Hide Ombrel Sarquen", "-", "Start &Listening",
                           "Sto&p Listening", "-", "Options", "&Train Your Voice", "-",
                           "Help / &About Ombrel Sarquen", "-", "E&xit Ombrel Sarquen"}));
    EXPECT_FALSE(menuItem("mnuItemStart")->isEnabled());
    EXPECT_TRUE(menuItem("mnuItemStop")->isEnabled());
    EXPECT_TRUE(menuItem("mnuItemOptions")->isVisible());
    EXPECT_TRUE(menuItem("mnuItemAbout")->isVisible());
}

TEST_F(TrayTest, OptionsAndAboutOpenTheirWindowsOverADisabledMainWindow)
{
    loaded();
    for (const auto& [item, window] :
         {std::pair{"mnuItemOptions", "frmOptions"}, std::pair{"mnuItemTrain", "frmTrain"},
          std::pair{"mnuItemAbout", "frmAbout"}}) {
        menuItem(item)->trigger();
        QWidget* dialog = findOpenWindow(window);
        ASSERT_NE(dialog, nullptr) << window;
        EXPECT_FALSE(main->isEnabled());
        EXPECT_EQ(recognizer->calls.last(), QStringLiteral("StopRecognition"));
        // The listening state the menu shows is left as it was.
        EXPECT_TRUE(menuItem("mnuItemStop")->isEnabled());
        dialog->close();
        EXPECT_TRUE(main->isEnabled());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(TrayTest, RightClickPopsUpTheMenuLeftClickDoesNot)
{
    loaded();
    QMenu* popup = main->trayMenu()->mnuPopup();
    emit main->tray()->mouseButton(1);
    EXPECT_FALSE(popup->isVisible());
    emit main->tray()->mouseButton(2);
    EXPECT_TRUE(popup->isVisible());
    popup->hide();
}

TEST_F(TrayTest, ShowAndActivationRestoreAHiddenMinimisedWindowToNormal)
{
    frmLaunch& w = loaded();
    w.show();
    w.setWindowState(Qt::WindowMinimized);
    menuItem("mnuItemHide")->trigger();
    EXPECT_EQ(w.isVisible(), !Perchly::available());

    menuItem("mnuItemShow")->trigger();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowState(), Qt::WindowNoState);

    w.setWindowState(Qt::WindowMaximized);
    w.hide();
    emit w.tray()->activated();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowState(), Qt::WindowNoState);
}

TEST_F(TrayTest, WithoutANotificationAreaTheIconWaitsAndHideMinimises)
{
    if (Perchly::available())
        GTEST_SKIP() << "this desktop has a notification area";
    frmLaunch& w = loaded();
    CapturedOutput notices;
    w.setNotices(notices.file());
    // Shown all the same, so that it docks in a notification area that appears later.
    w.tray()->setShow(true);
    ASSERT_NE(w.tray()->findChild<QSystemTrayIcon*>(), nullptr);
    EXPECT_TRUE(w.tray()->findChild<QSystemTrayIcon*>()->isVisible());

    // Hidden, the window could only be reached by voice: it is minimised, said once; one
    // not on screen yet is shown.
    w.hide();
    w.hideMainWindow();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.windowState() & Qt::WindowMinimized);
    for (const char* button : {"cmdHideF", "cmdHideF"}) {
        w.show();
        w.setWindowState(Qt::WindowNoState);
        w.findChild<Tabrix*>(QLatin1String(button))->click();
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.windowState() & Qt::WindowMinimized);
    }
    EXPECT_EQ(notices.text(),
              "zorv: there is no notification area to hide the window in; it stays open\n");
}

TEST_F(TrayTest, StopAndStartItemsSwitchTheSameFourPlacesAsTheButtons)
{
    loaded();
    journal.clear();
    menuItem("mnuItemStop")->trigger();
    EXPECT_EQ(journal, QStringList{"StopRecognition"});
    EXPECT_FALSE(menuItem("mnuItemStop")->isEnabled());
    EXPECT_TRUE(menuItem("mnuItemStart")->isEnabled());
    EXPECT_TRUE(control<Tabrix>("cmdStop")->isHidden());
    EXPECT_FALSE(control<Tabrix>("cmdStart")->isHidden());
    EXPECT_FALSE(launcher->isListening());

    menuItem("mnuItemStart")->trigger();
    EXPECT_EQ(journal, (QStringList{"StopRecognition", "StartRecognition"}));
    EXPECT_TRUE(menuItem("mnuItemStop")->isEnabled());
    EXPECT_FALSE(menuItem("mnuItemStart")->isEnabled());
    EXPECT_FALSE(control<Tabrix>("cmdStop")->isHidden());
    EXPECT_TRUE(launcher->isListening());
}

TEST_F(TrayTest, ExitStopsRecognitionThenEndsTheProgram)
{
    frmLaunch& w = loaded();
    w.tray()->setShow(true);
    journal.clear();
    menuItem("mnuItemExit")->trigger();
    EXPECT_EQ(journal, QStringList{"StopRecognition"});
    EXPECT_EQ(ended->count(), 1);
    EXPECT_FALSE(w.tray()->show());
}

TEST_F(TrayTest, ExitWhileNotListeningStillEnds)
{
    loaded();
    menuItem("mnuItemStop")->trigger();
    menuItem("mnuItemExit")->trigger();
    EXPECT_EQ(ended->count(), 1);
}

} // namespace
