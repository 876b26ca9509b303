#include "scripts/Windows.h"
#include "tests/support/FakeDesktop.h"

#include <gtest/gtest.h>

TEST(ExitSystem, FlagsSelectLogOffShutDownOrReboot)
{
    FakeSession session;
    ExitSystem(session, 0);
    ExitSystem(session, 1);
    ExitSystem(session, 2);
    EXPECT_EQ(session.calls, QStringList({"logOff", "shutDown", "reboot"}));
}

TEST(ExitSystem, OtherFlagsAskForNothing)
{
    FakeSession session;
    for (int flags : {-1, 3, 4, 5, 0x10, 0x11})
        ExitSystem(session, flags);
    EXPECT_TRUE(session.calls.isEmpty());
}
