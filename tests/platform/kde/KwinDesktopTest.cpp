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
        desktop = std::make_unique<platform::KwinDesktop>(keys, kwin.bus(), kwin.socket());
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
    platform::WindowId open(const QString& title, QProcess** process = nullptr)
    {
        QProcess* started = kwin.startWindow(title);
        if (process)
            *process = started;
        const bool active = waitForEvents(
            [&] { return window(title) && desktop->activeWindow() == window(title)->id; }, 20000);
        QStringList seen;
        for (const auto& w : desktop->windows())
            seen << QStringLiteral("%1 %2").arg(w.caption).arg(w.id);
        EXPECT_TRUE(active) << title.toStdString() << " among " << seen.join(u',').toStdString()
                            << ", active " << desktop->activeWindow();
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

// Text arrives as typed although KWin's layout is German: "z" and "y" are each other's
// keys there, "@" and "€" need AltGr.
TEST_F(KwinDesktopTest, KeysAndClicksReachTheActiveWindowOnTheUsersLayout)
{
    ASSERT_EQ(desktop->inputProblem().toStdString(), "");
    QProcess* target = nullptr;
    ASSERT_NE(open(QStringLiteral("sarquen-typing"), &target), 0U);
    QByteArray printed;
    const auto prints = [&](const QByteArray& text) {
        return WaylandSession::waitForOutput(target, text, printed);
    };
    // Keys sent before the window has taken the focus would be lost.
    ASSERT_TRUE(prints("focus\n")) << printed.toStdString();
    for (const char32_t c : std::u32string_view(U"zY@\u00e4\u20ac"))
        EXPECT_TRUE(desktop->typeCharacter(c)) << static_cast<int>(c);
    desktop->keyEvent(0x41, true);
    desktop->keyEvent(0x41, false);
    desktop->syncInput();
    EXPECT_TRUE(prints(QStringLiteral("zY@\u00e4\u20aca\n").toUtf8())) << printed.toStdString();
    // Cyrillic: typed on the user's Russian layout, switched to for it and back.
    EXPECT_TRUE(desktop->typeCharacter(U'\u0416'));
    EXPECT_TRUE(desktop->typeCharacter(U'z'));
    EXPECT_FALSE(desktop->typeCharacter(U'\u05d0')); // Hebrew: on none of the layouts
    desktop->syncInput();
    EXPECT_TRUE(prints(QStringLiteral("zY@\u00e4\u20aca\u0416z\n").toUtf8()))
        << printed.toStdString();
    // Layouts the user changes while the program runs count from the next key on.
    ASSERT_TRUE(kwin.setLayouts(QStringLiteral("de,gr")));
    EXPECT_TRUE(waitForEvents([&] { return desktop->typeCharacter(U'\u03b1'); }));
    desktop->syncInput();
    EXPECT_TRUE(prints(QStringLiteral("\u0416z\u03b1\n").toUtf8())) << printed.toStdString();

    desktop->setMousePosition(400, 300);
    EXPECT_EQ(desktop->mousePosition(), QPoint(400, 300));
    desktop->mouseButton(platform::MouseButton::Right, true);
    desktop->mouseButton(platform::MouseButton::Right, false);
    desktop->syncInput();
    EXPECT_TRUE(prints("press 2\n")) << printed.toStdString();
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
