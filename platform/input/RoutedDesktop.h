#pragma once

#include "platform/desktop/Desktop.h"
#include "platform/input/KeysAndPointer.h"

namespace platform {

// The window commands of `windows`, with keys and the pointer through `input`.
class RoutedDesktop : public Desktop
{
public:
    RoutedDesktop(Desktop& windows, KeysAndPointer& input) : windows_(windows), input_(input) {}

    WindowId activeWindow() override { return windows_.activeWindow(); }
    void minimizeWindow(WindowId window) override { windows_.minimizeWindow(window); }
    void maximizeWindow(WindowId window) override { windows_.maximizeWindow(window); }
    void closeWindow(WindowId window) override { windows_.closeWindow(window); }
    void restoreWindow(WindowId window) override { windows_.restoreWindow(window); }
    std::vector<WindowId> windowsByRecentUse() override { return windows_.windowsByRecentUse(); }
    void activateWindow(WindowId window) override { windows_.activateWindow(window); }
    bool showDesktop() override { return windows_.showDesktop(); }

    void keyEvent(int virtualKey, bool down) override { input_.keyEvent(virtualKey, down); }
    bool typeCharacter(char32_t character) override { return input_.typeCharacter(character); }
    // Both ways pass each event on as it is sent.
    void syncInput() override {}
    void mouseButton(MouseButton button, bool down) override { input_.button(button, down); }
    void moveMouse(int dx, int dy) override { input_.move(dx, dy); }
    void setMousePosition(int x, int y) override { input_.moveTo(x, y); }
    QPoint mousePosition() override { return input_.position(); }

private:
    Desktop& windows_;
    KeysAndPointer& input_;
};

} // namespace platform
