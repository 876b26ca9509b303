#include "launcher/WindowCommands.h"
#include "tests/support/FakeDesktop.h"

#include <gtest/gtest.h>

namespace {

class WindowCommandsTest : public ::testing::Test
{
protected:
    FakeDesktop desktop;
    platform::WindowId mainWindow = 100;
    WindowCommands commands{desktop, [this] { return mainWindow; }};
};

TEST_F(WindowCommandsTest, ActOnTheWindowActiveAtTheMoment)
{
    desktop.active = 7;
    commands.minwin();
    commands.maxwin();
    desktop.active = 8;
    commands.restorewin();
    commands.closewin();
    EXPECT_EQ(desktop.calls, (QStringList{"minimize 7", "maximize 7", "restore 8", "close 8"}));
}

TEST_F(WindowCommandsTest, TheMainWindowIsNeverMaximisedButOtherwiseLikeAnyWindow)
{
    desktop.active = mainWindow;
    commands.maxwin();
    commands.minwin();
    commands.restorewin();
    commands.closewin();
    EXPECT_EQ(desktop.calls, (QStringList{"minimize 100", "restore 100", "close 100"}));
}

TEST_F(WindowCommandsTest, KeySequencesReleaseOnlyTheModifiers)
{
    commands.showDesktop();
    commands.runProgram();
    commands.systemProperties();
    EXPECT_EQ(desktop.calls, (QStringList{"key 0x5b down", "key 0x44 down", "key 0x5b up",
                                          "key 0x5b down", "key 0x52 down", "key 0x5b up",
                                          "key 0x5b down", "key 0x13 down", "key 0x5b up"}));
}

TEST_F(WindowCommandsTest, CyclingHoldsAltUntilGo)
{
    commands.nextWindowKeys();
    commands.nextKeys();
    commands.lastKeys();
    commands.goKeys();
    EXPECT_EQ(desktop.calls,
              (QStringList{"key 0x12 down", "key 0x09 down", "key 0x09 down", "key 0x10 down",
                           "key 0x09 down", "key 0x10 up", "key 0x12 up"}));
}

} // namespace
