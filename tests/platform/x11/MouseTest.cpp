#include "scripts/Mouse.h"
#include "tests/platform/x11/X11Fixture.h"

namespace {

using MouseTest = X11Fixture;

TEST_F(MouseTest, PlacesAndMovesThePointer)
{
    Mouse::SetMousePos(desktop, 0, 0);
    EXPECT_EQ(Mouse::GetMouseX(desktop), 0);
    EXPECT_EQ(Mouse::GetMouseY(desktop), 0);

    Mouse::SetMousePos(desktop, 300, 200);
    EXPECT_EQ(Mouse::GetMouseX(desktop), 300);
    EXPECT_EQ(Mouse::GetMouseY(desktop), 200);

    Mouse::MoveMouse(desktop, 10, -5);
    ASSERT_TRUE(waitUntil([&] { return desktop.mousePosition() != QPoint(300, 200); }));
    EXPECT_EQ(Mouse::GetMouseX(desktop), 310);
    EXPECT_EQ(Mouse::GetMouseY(desktop), 195);
}

TEST_F(MouseTest, ClicksReachTheWindowUnderThePointer)
{
    TestWindow window("sarquen mouse");
    ASSERT_TRUE(window.ready());
    activate(window);
    const QPoint centre = window.centre();
    Mouse::SetMousePos(desktop, centre.x(), centre.y());
    window.takeEvents();

    Mouse::LeftClick(desktop);
    Mouse::RightClick(desktop);
    Mouse::MiddleClick(desktop);
    EXPECT_EQ(buttonsBeforeMarker(window),
              QStringList({"ButtonPress 1", "ButtonRelease 1", "ButtonPress 3", "ButtonRelease 3",
                           "ButtonPress 2", "ButtonRelease 2"}));

    // A button put down stays down until its own up.
    Mouse::LeftDown(desktop);
    EXPECT_EQ(buttonsBeforeMarker(window), QStringList{"ButtonPress 1"});
    EXPECT_EQ(window.buttonsDown(), QList<int>{1});
    Mouse::LeftUp(desktop);
    EXPECT_EQ(buttonsBeforeMarker(window), QStringList{"ButtonRelease 1"});
    EXPECT_EQ(window.buttonsDown(), QList<int>{});
}

} // namespace
