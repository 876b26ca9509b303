#pragma once

#include "platform/desktop/Desktop.h"
#include "platform/input/UinputInput.h"

namespace platform {

// Keys and the pointer through the program's own kernel input devices (UinputInput);
// the window commands go to `windows`.
class UinputDesktop : public Desktop
{
public:
    UinputDesktop(Desktop& windows, const QString& display = QString(),
                  const QString& device = QStringLiteral("/dev/uinput"))
        : windows_(windows), input_(display, device)
    {
    }

    QString problem() const { return input_.problem(); }
    const UinputInput& input() const { return input_; }

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
    // The kernel passes each event on as it is written.
    void syncInput() override {}
    void mouseButton(MouseButton button, bool down) override { input_.button(button, down); }
    void moveMouse(int dx, int dy) override { input_.move(dx, dy); }
    void setMousePosition(int x, int y) override { input_.moveTo(x, y); }
    QPoint mousePosition() override { return input_.position(); }

private:
    Desktop& windows_;
    UinputInput input_;
};

} // namespace platform
