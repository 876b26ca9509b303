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
    if (desktop_.showDesktop())
        return;
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
    cycle_ = desktop_.windowsByRecentUse();
    if (!cycle_.empty()) {
        // As the first Tab of a switcher: the window used before the active one.
        reached_ = cycle_.size() > 1 ? 1 : 0;
        return;
    }
    down(vk::kAlt);
    down(vk::kTab);
}

void WindowCommands::nextKeys()
{
    if (!cycle_.empty()) {
        reached_ = (reached_ + 1) % cycle_.size();
        return;
    }
    down(vk::kTab);
}

void WindowCommands::lastKeys()
{
    if (!cycle_.empty()) {
        reached_ = (reached_ + cycle_.size() - 1) % cycle_.size();
        return;
    }
    down(vk::kShift);
    down(vk::kTab);
    up(vk::kShift);
}

void WindowCommands::goKeys()
{
    if (!cycle_.empty()) {
        desktop_.activateWindow(cycle_[reached_]);
        cycle_.clear();
        return;
    }
    up(vk::kAlt);
}
