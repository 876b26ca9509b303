#include "platform/wlroots/WlrootsDesktop.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/SwaySession.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

namespace {

class WlrootsDesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!sway.problem().isEmpty())
            GTEST_SKIP() << sway.problem().toStdString();
    }

    // Starts a terminal and waits until sway shows it focused.
    void openTerminal(const QString& appId)
    {
        sway.startTerminal(appId);
        ASSERT_TRUE(waitUntil([&] {
            return sway.window(appId).value(QLatin1String("focused")).toBool();
        })) << appId.toStdString();
    }

    // The id the desktop gives the window of `appId`, once it knows the window.
    platform::WindowId idOf(platform::WlrootsDesktop& desktop, const QString& appId)
    {
        platform::WindowId id = 0;
        waitUntil([&] {
            for (const auto& t : desktop.toplevels())
                if (t->appId == appId)
                    id = t->id;
            return id != 0;
        });
        return id;
    }

    SwaySession sway;
    FakeDesktop keys;
};

TEST_F(WlrootsDesktopTest, TheActiveWindowIsTheOneTheCompositorFocused)
{
    openTerminal(QStringLiteral("sarquen-first"));
    openTerminal(QStringLiteral("sarquen-second"));
    platform::WlrootsDesktop desktop(keys, sway.socket());
    ASSERT_EQ(desktop.problem(), QString());
    const platform::WindowId first = idOf(desktop, QStringLiteral("sarquen-first"));
    const platform::WindowId second = idOf(desktop, QStringLiteral("sarquen-second"));
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_TRUE(waitUntil([&] { return desktop.activeWindow() == second; }));

    ASSERT_TRUE(sway.command(QStringLiteral("[app_id=sarquen-first] focus")));
    EXPECT_TRUE(waitUntil([&] { return desktop.activeWindow() == first; }));

    // Restore activates the window it is given.
    desktop.restoreWindow(second);
    EXPECT_TRUE(waitUntil([&] {
        return sway.window(QStringLiteral("sarquen-second"))
            .value(QLatin1String("focused"))
            .toBool();
    }));
}

TEST_F(WlrootsDesktopTest, CloseAsksTheWindowToClose)
{
    openTerminal(QStringLiteral("sarquen-closed"));
    openTerminal(QStringLiteral("sarquen-kept"));
    platform::WlrootsDesktop desktop(keys, sway.socket());
    const platform::WindowId closed = idOf(desktop, QStringLiteral("sarquen-closed"));
    ASSERT_NE(closed, 0u);

    desktop.closeWindow(closed);
    EXPECT_TRUE(waitUntil([&] { return sway.window(QStringLiteral("sarquen-closed")).isEmpty(); }));
    EXPECT_TRUE(waitUntil([&] { return idOf(desktop, QStringLiteral("sarquen-kept")) != 0; }));
    EXPECT_FALSE(sway.window(QStringLiteral("sarquen-kept")).isEmpty());
    // The handle of the closed window went with it; an unknown id is left alone.
    for (const auto& t : desktop.toplevels())
        EXPECT_NE(t->id, closed);
    desktop.closeWindow(closed);
    desktop.closeWindow(0);
}

TEST_F(WlrootsDesktopTest, KeysAndThePointerGoToTheOtherDesktopAndANoShowIsSaid)
{
    platform::WlrootsDesktop desktop(keys, sway.socket());
    desktop.keyEvent(platform::vk::kAlt, true);
    desktop.moveMouse(3, 4);
    EXPECT_EQ(keys.calls.size(), 2u);

    platform::WlrootsDesktop nowhere(keys, sway.socket() + QStringLiteral("-none"));
    EXPECT_TRUE(nowhere.problem().contains(QStringLiteral("cannot connect")));
    EXPECT_EQ(nowhere.activeWindow(), 0u);
}

} // namespace
