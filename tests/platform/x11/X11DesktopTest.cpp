#include "platform/input/VirtualKeys.h"
#include "scripts/Mouse.h"
#include "tests/platform/x11/X11Fixture.h"

#include <X11/keysym.h>

using namespace platform;

namespace {

using X11DesktopTest = X11Fixture;

const QStringList kNoKeys;

bool maximised(const TestWindow& window)
{
    const QStringList state = window.netWmState();
    return state.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_VERT")) &&
           state.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_HORZ"));
}

TEST(VirtualKeys, MapsTheProgramsKeyCodesToKeysyms)
{
    EXPECT_EQ(keysymForVirtualKey(0x41), static_cast<unsigned long>(XK_a));
    EXPECT_EQ(keysymForVirtualKey(0x5A), static_cast<unsigned long>(XK_z));
    EXPECT_EQ(keysymForVirtualKey(0x39), static_cast<unsigned long>(XK_9));
    EXPECT_EQ(keysymForVirtualKey(0x69), static_cast<unsigned long>(XK_KP_9));
    EXPECT_EQ(keysymForVirtualKey(0x87), static_cast<unsigned long>(XK_F24));
    EXPECT_EQ(keysymForVirtualKey(0x5B), static_cast<unsigned long>(XK_Super_L));
    EXPECT_EQ(keysymForVirtualKey(0xA5), static_cast<unsigned long>(XK_Alt_R));
    EXPECT_EQ(keysymForVirtualKey(0xDE), static_cast<unsigned long>(XK_apostrophe));
    for (const int unknown : {-1, 0, 0x07, 0x88, 0xFF, 0x100})
        EXPECT_EQ(keysymForVirtualKey(unknown), 0u) << unknown;

    for (const int modifier : {0x10, 0x11, 0x12, 0x5B, 0x5C, 0xA0, 0xA3, 0xA5})
        EXPECT_TRUE(isModifierKey(modifier)) << modifier;
    for (const int key : {0x09, 0x13, 0x14, 0x44, 0x5D, 0x90})
        EXPECT_FALSE(isModifierKey(key)) << key;
}

TEST(X11DesktopWithoutServer, EveryCallIsHarmless)
{
    X11Desktop desktop(":65000");
    ASSERT_FALSE(desktop.connected());
    EXPECT_EQ(desktop.activeWindow(), 0u);
    desktop.minimizeWindow(1);
    desktop.maximizeWindow(1);
    desktop.restoreWindow(1);
    desktop.closeWindow(1);
    desktop.keyEvent(vk::kWin, true);
    desktop.keyEvent(vk::kD, true);
    desktop.keyEvent(vk::kWin, false);
    Mouse::LeftClick(desktop);
    Mouse::MoveMouse(desktop, 10, -5);
    Mouse::SetMousePos(desktop, 20, 30);
    EXPECT_EQ(Mouse::GetMouseX(desktop), 0);
    EXPECT_EQ(Mouse::GetMouseY(desktop), 0);
}

TEST_F(X11DesktopTest, WindowCommandsActOnTheActiveWindow)
{
    TestWindow window("sarquen window commands");
    ASSERT_TRUE(window.ready());
    activate(window);
    ASSERT_TRUE(waitUntil([&] { return desktop.activeWindow() == window.id(); }));

    desktop.maximizeWindow(desktop.activeWindow());
    EXPECT_TRUE(waitUntil([&] { return maximised(window); }));
    desktop.minimizeWindow(desktop.activeWindow());
    EXPECT_TRUE(waitUntil([&] { return window.wmState() == 3; })); // IconicState
    // Restoring brings it back from both, active again.
    desktop.restoreWindow(window.id());
    EXPECT_TRUE(waitUntil([&] {
        return window.wmState() == 1 && !maximised(window) && desktop.activeWindow() == window.id();
    }));

    desktop.closeWindow(desktop.activeWindow());
    EXPECT_TRUE(window.waitForEvent(QStringLiteral("WM_DELETE_WINDOW")));
}

TEST_F(X11DesktopTest, KeySequencesArriveInOrderAndLeaveNoKeyDown)
{
    TestWindow window("sarquen keys");
    ASSERT_TRUE(window.ready());
    activate(window);
    window.takeEvents();

    // "Run Program": the R key is tapped, only the Windows key is released by the program.
    desktop.keyEvent(vk::kWin, true);
    desktop.keyEvent(vk::kR, true);
    desktop.keyEvent(vk::kWin, false);
    EXPECT_EQ(keysBeforeMarker(window), QStringList({"KeyPress Super_L", "KeyPress r",
                                                     "KeyRelease r", "KeyRelease Super_L"}));
    EXPECT_EQ(window.keysDown(), kNoKeys);

    // "System Properties".
    desktop.keyEvent(vk::kWin, true);
    desktop.keyEvent(vk::kPause, true);
    desktop.keyEvent(vk::kWin, false);
    EXPECT_EQ(keysBeforeMarker(window), QStringList({"KeyPress Super_L", "KeyPress Pause",
                                                     "KeyRelease Pause", "KeyRelease Super_L"}));
    EXPECT_EQ(window.keysDown(), kNoKeys);

    // "Next" and "Last" while cycling, here without Alt.
    desktop.keyEvent(vk::kTab, true);
    desktop.keyEvent(vk::kShift, true);
    desktop.keyEvent(vk::kTab, true);
    desktop.keyEvent(vk::kShift, false);
    EXPECT_EQ(keysBeforeMarker(window),
              QStringList({"KeyPress Tab", "KeyRelease Tab", "KeyPress Shift_L", "KeyPress Tab",
                           "KeyRelease Tab", "KeyRelease Shift_L"}));
    EXPECT_EQ(window.keysDown(), kNoKeys);
}

TEST_F(X11DesktopTest, NextWindowHoldsAltUntilGoAndThenSwitches)
{
    TestWindow second("sarquen second");
    TestWindow first("sarquen first");
    ASSERT_TRUE(second.ready() && first.ready());
    activate(second);
    activate(first);
    const int popups = x.popupCount();

    desktop.keyEvent(vk::kAlt, true);
    desktop.keyEvent(vk::kTab, true);
    // The window switcher is open, with Alt still down and Tab up.
    ASSERT_TRUE(waitUntil([&] { return x.popupCount() > popups; }));
    EXPECT_EQ(first.keysDown(), QStringList{"Alt_L"});
    EXPECT_FALSE(second.hasFocus());
    desktop.keyEvent(vk::kAlt, false);
    EXPECT_TRUE(waitUntil([&] { return second.hasFocus(); }));
    EXPECT_TRUE(waitUntil([&] { return first.keysDown().isEmpty(); }));
}

TEST_F(X11DesktopTest, ShowDesktopReachesTheWindowManager)
{
    TestWindow window("sarquen show desktop");
    ASSERT_TRUE(window.ready());
    activate(window);
    ASSERT_FALSE(x.showingDesktop());

    desktop.keyEvent(vk::kWin, true);
    desktop.keyEvent(vk::kD, true);
    desktop.keyEvent(vk::kWin, false);
    EXPECT_TRUE(waitUntil([&] { return x.showingDesktop(); }));
    EXPECT_TRUE(waitUntil([&] { return window.keysDown().isEmpty(); }));

    x.setShowingDesktop(false);
    EXPECT_TRUE(waitUntil([&] { return !x.showingDesktop(); }));
}

} // namespace
