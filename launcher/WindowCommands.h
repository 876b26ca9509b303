#pragma once

#include "platform/desktop/Desktop.h"

#include <functional>
#include <vector>

// What the program does to the window the user works in, and the key sequences the
// desktop understands. The window is always the active one at the moment of the call.
class WindowCommands
{
public:
    // `mainWindow` tells the program's own main window, which is never maximised.
    WindowCommands(platform::Desktop& desktop, std::function<platform::WindowId()> mainWindow);

    void minwin();
    void maxwin();
    void closewin();
    void restorewin();

    // Windows key + D (or the desktop's own way of showing itself), + R and + Pause.
    void showDesktop();
    void runProgram();
    void systemProperties();

    // Window cycling: Alt is held from "Next Window" until "Go". Where the desktop has
    // no switcher a held Alt drives, the same steps go through its windows in the order
    // of their last use, and "Go" activates the one reached.
    void nextWindowKeys(); // Alt down, Tab
    void nextKeys();       // Tab
    void lastKeys();       // Shift down, Tab, Shift up
    void goKeys();         // Alt up

private:
    void down(int virtualKey);
    void up(int virtualKey);

    platform::Desktop& desktop_;
    std::function<platform::WindowId()> mainWindow_;
    std::vector<platform::WindowId> cycle_; // the windows being stepped through
    std::size_t reached_ = 0;
};
