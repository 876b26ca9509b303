#include "platform/gnome/GnomeDesktop.h"
#include "tests/support/GnomeSession.h"
#include "tests/support/WaitUntil.h"

#include <QDBusMessage>
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

    GnomeSession shell;
    std::unique_ptr<platform::GnomeDesktop> desktop;
};

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
    EXPECT_EQ(answer.errorName().toStdString(), "org.ombrel.Sarquen.Desktop.Error.NotAllowed");
    QDBusConnection::disconnectFromBus(name);
}

} // namespace
