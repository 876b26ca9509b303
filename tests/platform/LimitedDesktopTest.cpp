#include "platform/desktop/LimitedDesktop.h"
#include "tests/support/FakeDesktop.h"

#include <QStringList>
#include <gtest/gtest.h>

// Each limit is told once, when its kind of command is first used; every request still
// reaches the desktop (XWayland's windows may be within reach).
TEST(LimitedDesktop, TellsEachLimitOnceWhenFirstUsed)
{
    FakeDesktop fake;
    QStringList told;
    platform::LimitedDesktop desktop(
        fake, {QStringLiteral("no windows"), QString(), QStringLiteral("no pointer")},
        [&told](const QString& limit) { told << limit; });

    desktop.keyEvent(0x41, true);
    desktop.typeCharacter(U'a');
    EXPECT_TRUE(told.isEmpty());
    desktop.closeWindow(desktop.activeWindow());
    desktop.showDesktop();
    desktop.moveMouse(1, 2);
    desktop.mouseButton(platform::MouseButton::Left, true);
    EXPECT_EQ(told, QStringList({QStringLiteral("no windows"), QStringLiteral("no pointer")}));
    EXPECT_EQ(fake.calls.join(QStringLiteral(", ")),
              QStringLiteral("key 0x41 down, type a, close 0, move 1 2, mouse left down"));

    // A character the layout has no key for is said once, the first one named.
    fake.untypable = U"жш";
    told.clear();
    EXPECT_FALSE(desktop.typeCharacter(U'ж'));
    EXPECT_FALSE(desktop.typeCharacter(U'ш'));
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.first().startsWith(QStringLiteral("\u201C\u0436\u201D could not be typed")))
        << told.first().toStdString();
}
