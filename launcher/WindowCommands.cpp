#include "launcher/WindowCommands.h"

using namespace platform;

WindowCommands::WindowCommands(Desktop& desktop, std::function<WindowId()> mainWindow)
    : desktop_(desktop), mainWindow_(std::move(mainWindow))
{
}

void WindowCommands::minwin()
{
    desktop_.minimizeWindow(desktop_.activeWindow());
}

void WindowCommands::maxwin()
{
    const WindowId active = desktop_.activeWindow();
    if (active != 0 && active == mainWindow_())
        return;
    desktop_.maximizeWindow(active);
}

void WindowCommands::closewin()
{
    desktop_.closeWindow(desktop_.activeWindow());
}

void WindowCommands::restorewin()
{
    desktop_.restoreWindow(desktop_.activeWindow());
}

void WindowCommands::down(int virtualKey)
{
    desktop_.keyEvent(virtualKey, true);
}

void WindowCommands::up(int virtualKey)
{
    desktop_.keyEvent(virtualKey, false);
}

void WindowCommands::showDesktop()
{
    down(vk::kWin);
    down(vk::kD);
    up(vk::kWin);
}

void WindowCommands::runProgram()
{
    down(vk::kWin);
    down(vk::kR);
    up(vk::kWin);
}

void WindowCommands::systemProperties()
{
    down(vk::kWin);
    down(vk::kPause);
    up(vk::kWin);
}

void WindowCommands::nextWindowKeys()
{
    down(vk::kAlt);
    down(vk::kTab);
}

void WindowCommands::nextKeys()
{
    down(vk::kTab);
}

void WindowCommands::lastKeys()
{
    down(vk::kShift);
    down(vk::kTab);
    up(vk::kShift);
}

void WindowCommands::goKeys()
{
    up(vk::kAlt);
}
