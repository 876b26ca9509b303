#include "tests/e2e/ZorvFixture.h"
#include "tests/support/WaitUntil.h"

// A program started by voice comes to the front, so that the window commands said next
// act on it and not on the launcher.
namespace {

using LaunchFocusTest = ZorvFixture;

TEST_F(LaunchFocusTest, AStartedWindowTakesTheFocusSoCloseWindowClosesIt)
{
    const QString program = QString::fromUtf8(SARQUEN_LAUNCHED_WINDOW);
    // The window manager gives the focus to an ordinary window itself; never to one that
    // takes no keyboard input, such as a clock.
    const struct
    {
        const char* phrase;
        const char* title;
        const char* arguments;
    } launches[] = {{"Show Clock", "clock", " clock no-input"}, {"Show Notes", "notes", " notes"}};
    int row = 0;
    for (const auto& launch : launches)
        addCommand(++row, QString::fromLatin1(launch.phrase),
                   program + QString::fromLatin1(launch.arguments));
    startProgram();
    const X11Session::Window main =
        x.waitForMappedWindow(QStringLiteral("Ombrel Sarquen 2.0"), 15000);
    ASSERT_NE(main, 0u) << zorv.readAllStandardError().toStdString();

    for (const auto& launch : launches) {
        const QString title = QString::fromLatin1(launch.title);
        ASSERT_TRUE(waitUntil([&] { return x.activeWindow() == main; })) << launch.title;
        say(QString::fromLatin1(launch.phrase));
        const X11Session::Window started = x.waitForMappedWindow(title, 10000);
        ASSERT_NE(started, 0u) << launch.title;
        EXPECT_TRUE(waitUntil([&] { return x.activeWindow() == started; })) << launch.title;
        // The program was started with a startup id of the launcher's.
        EXPECT_TRUE(x.text(started, "_NET_STARTUP_ID").startsWith(QStringLiteral("zorv/")))
            << launch.title;
        say(QStringLiteral("Close Window"));
        EXPECT_TRUE(waitUntil([&] { return x.findMappedWindow(title) == 0; })) << launch.title;
        ASSERT_EQ(zorv.state(), QProcess::Running) << launch.title;
    }
    // On the launcher's own window the command ends the program, as it always did.
    ASSERT_TRUE(waitUntil([&] { return x.activeWindow() == main; }));
    say(QStringLiteral("Close Window"));
    EXPECT_TRUE(waitForEnd());
}

} // namespace
