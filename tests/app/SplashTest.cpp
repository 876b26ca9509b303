#include "app/frmSplash.h"
#include "platform/widgets/Perchly.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/WaitUntil.h"

#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

class SplashTest : public MainWindowFixture
{
protected:
    // Shows the splash for `commandLine` the way the program starts.
    frmSplash* start(const QString& commandLine)
    {
        splash = new frmSplash(created(), commandLine);
        splash->load();
        splash->show();
        return splash;
    }
    void TearDown() override { delete splash.data(); }

    QPointer<frmSplash> splash;
};

TEST_F(SplashTest, LoadingItLoadsTheMainWindowAndStartsOneTickOfThreeSeconds)
{
    start(QString());
    EXPECT_TRUE(recognizer->isRecognising());
    EXPECT_FALSE(main->isVisible());
    QTimer* t = splash->t();
    EXPECT_EQ(t->objectName(), QStringLiteral("t"));
    EXPECT_EQ(t->interval(), 3000);
    EXPECT_TRUE(t->isActive());
    EXPECT_TRUE(t->isSingleShot());
    EXPECT_FALSE(main->tray()->show());
}

TEST_F(SplashTest, WithoutSwitchTheTickShowsTheMainWindowWhichClosesTheSplash)
{
    start(QString());
    splash->t()->stop();
    splash->onTimer();
    EXPECT_TRUE(main->tray()->show());
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->windowState(), Qt::WindowNoState);
    // The splash stays until the main window is activated.
    main->activateWindow();
    EXPECT_TRUE(waitForEvents([&] { return splash.isNull(); }, 2000));
}

TEST_F(SplashTest, TheTimerItselfEndsTheSplashTime)
{
    start(QString());
    splash->t()->setInterval(10); // a short time instead of three real seconds
    splash->t()->start();
    EXPECT_TRUE(waitForEvents([&] { return main->isVisible(); }, 2000));
    EXPECT_TRUE(main->tray()->show());
}

TEST_F(SplashTest, SwitchMStartsMinimisedWithoutShowing)
{
    start(QStringLiteral("/m"));
    splash->onTimer();
    // Only in the tray; with no notification area to come back by, on screen.
    EXPECT_EQ(main->isVisible(), !Perchly::available());
    EXPECT_TRUE(main->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(main->tray()->show());
    EXPECT_TRUE(waitForEvents([&] { return splash.isNull(); }, 2000));

    // The tray brings it back in the normal state.
    emit main->tray()->activated();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->windowState(), Qt::WindowNoState);
    EXPECT_EQ(ended->count(), 0);
}

TEST_F(SplashTest, SwitchHWithSpacesStartsHidden)
{
    start(QStringLiteral("  /h "));
    splash->onTimer();
    // With no notification area to come back by, shown instead.
    EXPECT_EQ(main->isVisible(), !Perchly::available());
    EXPECT_FALSE(main->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(main->tray()->show());
    EXPECT_TRUE(waitForEvents([&] { return splash.isNull(); }, 2000));
    EXPECT_TRUE(recognizer->isRecognising());
}

TEST_F(SplashTest, UnknownSwitchesShowTheMainWindowNormally)
{
    for (const char* line : {"/H", "/m now", "--hidden"}) {
        start(QString::fromLatin1(line));
        splash->onTimer();
        EXPECT_TRUE(main->isVisible()) << line;
        EXPECT_EQ(main->windowState(), Qt::WindowNoState) << line;
        delete splash.data();
        newEngines();
    }
}

TEST_F(SplashTest, EndingTheProgramWhileTheSplashIsUpClosesIt)
{
    start(QString());
    main->endProgram();
    EXPECT_TRUE(waitForEvents([&] { return splash.isNull(); }, 2000));
    EXPECT_EQ(ended->count(), 1);
}

} // namespace
