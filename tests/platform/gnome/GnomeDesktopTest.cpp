#include "platform/gnome/GnomeDesktop.h"
#include "platform/gnome/GnomeTalkKey.h"
#include "tests/support/GnomeSession.h"
#include "tests/support/WaitUntil.h"

#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

class GnomeDesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!shell.problem().isEmpty())
            GTEST_SKIP() << shell.problem().toStdString();
        // The desktop turns the extension on itself.
        desktop = std::make_unique<platform::GnomeDesktop>(shell.bus());
        ASSERT_EQ(desktop->problem().toStdString(), "");
    }

    // Opens a window and waits until the Shell lists it and lets it take the focus (a
    // window just mapped may not take it yet); its id.
    platform::WindowId open(const QString& title)
    {
        const std::vector<platform::WindowId> before = desktop->windowsByRecentUse();
        shell.startWindow(title);
        platform::WindowId added = 0;
        waitUntil(
            [&] {
                for (const platform::WindowId w : desktop->windowsByRecentUse())
                    if (std::find(before.begin(), before.end(), w) == before.end())
                        added = w;
                return added != 0;
            },
            20000);
        EXPECT_TRUE(waitUntil([&] {
            desktop->activateWindow(added);
            return added != 0 && desktop->activeWindow() == added;
        })) << title.toStdString();
        return added;
    }

    // The state a crash of the program leaves: the extension on, the bus name free.
    void leaveExtensionOn()
    {
        desktop.reset();
        shell.turnExtensionOn();
        ASSERT_TRUE(waitUntil([&] { return shell.extensionOn(); }));
    }

    // What the extension answered bus_name_taker run as `program` with `arguments`.
    static std::string answerTo(const QString& program, const QStringList& arguments)
    {
        QProcess taker;
        taker.start(program, arguments);
        waitForEvents([&] { return taker.state() == QProcess::NotRunning; });
        return taker.readAllStandardOutput().trimmed().toStdString();
    }

    GnomeSession shell;
    std::unique_ptr<platform::GnomeDesktop> desktop;
};

const std::string kRefused = "org.ombrel.Sarquen.Desktop.Error.NotAllowed";

TEST_F(GnomeDesktopTest, WindowCommandsAndThePointerActOnTheShell)
{
    const platform::WindowId first = open(QStringLiteral("sarquen-first"));
    const platform::WindowId second = open(QStringLiteral("sarquen-second"));
    ASSERT_NE(second, 0U);
    desktop->activateWindow(first);
    EXPECT_TRUE(waitUntil([&] { return desktop->activeWindow() == first; }));
    EXPECT_EQ(desktop->windowsByRecentUse(), (std::vector<platform::WindowId>{first, second}));
    desktop->activateWindow(second);
    EXPECT_TRUE(waitUntil([&] { return desktop->activeWindow() == second; }));

    desktop->closeWindow(second);
    EXPECT_TRUE(waitUntil(
        [&] { return desktop->windowsByRecentUse() == std::vector<platform::WindowId>{first}; }));

    // The position read back is the Shell's own.
    desktop->setMousePosition(300, 200);
    desktop->moveMouse(10, -5);
    EXPECT_TRUE(waitUntil([&] { return desktop->mousePosition() == QPoint(310, 195); }))
        << desktop->mousePosition().x() << "," << desktop->mousePosition().y();
}

// The extension is on only while the program runs: turned on at its start, off at its
// end, also when found on (turned on by hand, or left on by a run that crashed).
// The Shell tells each press of the talk key (keys of the extension's own keyboard pass
// its shortcuts as the user's do), and refuses a key that is none.
TEST_F(GnomeDesktopTest, TheTalkKeyTellsEachPress)
{
    platform::GnomeTalkKey talk(shell.bus());
    int presses = 0;
    QObject::connect(&talk, &platform::GnomeTalkKey::pressed, [&] { ++presses; });
    QString why;
    using Answer = platform::GnomeTalkKey::Answer;
    ASSERT_EQ(talk.watch(QStringLiteral("F9"), &why), Answer::Taken) << why.toStdString();
    const auto tap = [&](int key) {
        desktop->keyEvent(key, true);
        desktop->keyEvent(key, false);
    };
    // The Shell passes no shortcut on until it has finished starting.
    ASSERT_TRUE(waitUntil(
        [&] {
            tap(0x78);
            return waitForEvents([&] { return presses > 0; }, 200);
        },
        30000));
    waitForEvents([] { return false; }, 300);
    presses = 0;
    for (const int key : {0x78 /* F9 */, 0x77 /* F8 */, 0x78})
        tap(key);
    EXPECT_TRUE(waitForEvents([&] { return presses == 2; }));
    EXPECT_EQ(talk.watch(QString(), &why), Answer::Taken);
    tap(0x78);
    waitForEvents([] { return false; }, 300);
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(talk.watch(QStringLiteral("NoSuchKey"), &why), Answer::Refused);
    EXPECT_EQ(why.toStdString(),
              "GNOME Shell will not give NoSuchKey (another shortcut has it); pick another key.");
    desktop.reset(); // the extension goes off with the program's desktop
    EXPECT_EQ(talk.watch(QStringLiteral("F9"), &why), Answer::NoExtension);
}

TEST_F(GnomeDesktopTest, TheExtensionIsOnOnlyWhileTheProgramRuns)
{
    desktop.reset();
    EXPECT_TRUE(waitUntil([&] { return !shell.extensionOn(); }));
    desktop = std::make_unique<platform::GnomeDesktop>(shell.bus());
    EXPECT_TRUE(shell.extensionOn());
    leaveExtensionOn();
    desktop = std::make_unique<platform::GnomeDesktop>(shell.bus());
    desktop.reset();
    EXPECT_TRUE(waitUntil([&] { return !shell.extensionOn(); }));
}

// Other programs on the bus cannot use the extension to type or act on windows.
TEST_F(GnomeDesktopTest, OnlyTheProgramIsAnswered)
{
    const QString name = QStringLiteral("another-program");
    QDBusConnection other = QDBusConnection::connectToBus(shell.busAddress(), name);
    const QDBusMessage answer =
        other.call(QDBusMessage::createMethodCall(QStringLiteral("org.gnome.Shell"),
                                                  QStringLiteral("/org/ombrel/Sarquen/Desktop"),
                                                  QStringLiteral("org.ombrel.Sarquen.Desktop"),
                                                  QStringLiteral("ActiveWindow")),
                   QDBus::Block, 5000);
    EXPECT_EQ(answer.errorName().toStdString(), kRefused);
    QDBusConnection::disconnectFromBus(name);
}

// With the extension left on, a process holding the bus name is answered only when it runs
// the program's executable: also after an upgrade replaced it on disk, but not when another
// program is mounted over the program's path in a mount namespace of its own.
TEST_F(GnomeDesktopTest, OnlyTheProgramsExecutableIsAnswered)
{
    leaveExtensionOn();
    const QString other = QStringLiteral(SARQUEN_BUS_NAME_TAKER);
    const QString address = shell.busAddress();
    EXPECT_EQ(answerTo(other, {address}), kRefused);

    const QString program = QStringLiteral(SARQUEN_REPLACED_PROGRAM);
    const QString upgrade = program + QStringLiteral(".new");
    QFile::remove(program);
    ASSERT_TRUE(QFile::copy(other, program) && QFile::copy(other, upgrade));
    EXPECT_EQ(answerTo(program, {address, upgrade}), "answered");

    const std::string mounted =
        answerTo(QStringLiteral("unshare"),
                 {QStringLiteral("--user"), QStringLiteral("--map-root-user"),
                  QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"),
                  QStringLiteral("mount --bind \"$1\" \"$2\" && exec \"$2\" \"$3\""),
                  QStringLiteral("sh"), other, program, address});
    if (mounted.empty())
        GTEST_SKIP() << "needs unshare and user namespaces";
    EXPECT_EQ(mounted, kRefused);
}

} // namespace
