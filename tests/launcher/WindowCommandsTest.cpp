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

TEST_F(WindowCommandsTest, ADesktopThatShowsItselfGetsNoKeys)
{
    desktop.showsDesktopItself = true;
    commands.showDesktop();
    EXPECT_EQ(desktop.calls, QStringList{QStringLiteral("show desktop")});
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

TEST_F(WindowCommandsTest, WithoutASwitcherTheStepsGoThroughTheWindowsByLastUse)
{
    desktop.recentUse = {7, 5, 3};
    const struct
    {
        std::vector<int> steps; // +1 Next, -1 Last
        const char* activated;
    } cases[] = {{{}, "activate 5"},   {{+1}, "activate 3"},     {{+1, +1}, "activate 7"},
                 {{-1}, "activate 7"}, {{-1, -1}, "activate 3"}, {{+1, -1, +1}, "activate 3"}};
    for (const auto& c : cases) {
        desktop.calls.clear();
        commands.nextWindowKeys();
        for (int step : c.steps)
            step > 0 ? commands.nextKeys() : commands.lastKeys();
        commands.goKeys();
        EXPECT_EQ(desktop.calls, QStringList{QString::fromLatin1(c.activated)});
    }
    // A lone window is activated as it is; with the list gone, Go is Alt up again.
    desktop.recentUse = {9};
    desktop.calls.clear();
    commands.nextWindowKeys();
    commands.nextKeys();
    commands.goKeys();
    commands.goKeys();
    EXPECT_EQ(desktop.calls, (QStringList{"activate 9", "key 0x12 up"}));
}

} // namespace
