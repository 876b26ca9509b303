#include "platform/kde/KwinDesktop.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/KwinSession.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

namespace {

class KwinDesktopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!kwin.problem().isEmpty())
            GTEST_SKIP() << kwin.problem().toStdString();
        desktop = std::make_unique<platform::KwinDesktop>(keys, kwin.bus());
        ASSERT_EQ(desktop->problem().toStdString(), "");
    }

    // The window titled `title` as KWin last reported it; null while there is none.
    const platform::KwinDesktop::Window* window(const QString& title) const
    {
        for (const auto& w : desktop->windows())
            if (w.caption == title)
                return &w;
        return nullptr;
    }

    // Opens a window and waits until KWin has made it the active one.
    platform::WindowId open(const QString& title)
    {
        kwin.startWindow(title);
        const bool active = waitForEvents(
            [&] { return window(title) && desktop->activeWindow() == window(title)->id; }, 20000);
        EXPECT_TRUE(active) << title.toStdString();
        return active ? window(title)->id : 0;
    }

    KwinSession kwin;
    FakeDesktop keys;
    std::unique_ptr<platform::KwinDesktop> desktop;
};

TEST_F(KwinDesktopTest, WindowCommandsActOnKwinsWindows)
{
    const QString alpha = QStringLiteral("sarquen-alpha");
    const QString beta = QStringLiteral("sarquen-beta");
    const platform::WindowId first = open(alpha);
    const platform::WindowId second = open(beta);
    ASSERT_NE(second, 0U);
    EXPECT_EQ(desktop->windowsByRecentUse(), (std::vector<platform::WindowId>{second, first}));

    desktop->minimizeWindow(second);
    EXPECT_TRUE(waitForEvents([&] { return window(beta)->minimized; }));
    desktop->restoreWindow(second);
    EXPECT_TRUE(waitForEvents(
        [&] { return !window(beta)->minimized && desktop->activeWindow() == second; }));
    desktop->activateWindow(first);
    EXPECT_TRUE(waitForEvents([&] { return desktop->activeWindow() == first; }));
    EXPECT_EQ(desktop->windowsByRecentUse(), (std::vector<platform::WindowId>{first, second}));

    desktop->closeWindow(first);
    EXPECT_TRUE(waitForEvents([&] { return window(alpha) == nullptr; }));
    EXPECT_EQ(window(beta)->id, second);
}

// A window id ends up inside the script KWin runs: nothing but KWin's own form passes.
TEST(KwinScripts, OnlyKwinsOwnIdsEnterAScript)
{
    const platform::KwinCallBack back{QStringLiteral(":1.7"), QStringLiteral("/p"),
                                      QStringLiteral("i")};
    const auto close = [&](const QString& id) {
        return platform::kwinActionScript(platform::KwinAction::Close, id, QStringLiteral("n"),
                                          back);
    };
    EXPECT_FALSE(close(QStringLiteral("{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}")).isEmpty());
    EXPECT_TRUE(close(QStringLiteral("{0\"); workspace.slotKillWindow(); (\"}")).isEmpty());
    EXPECT_TRUE(close(QString()).isEmpty());
}

} // namespace
