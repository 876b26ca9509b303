#pragma once

#include "platform/desktop/Desktop.h"

#include <QStringList>
#include <set>

namespace platform {

class InputRecord;

// Passes every request on to the desktop it wraps, and keeps which modifier keys and
// mouse buttons it pressed and has not let go of (in `record` too): when the program
// ends, nothing it pressed stays down.
class ReleasingDesktop : public Desktop
{
public:
    ReleasingDesktop(Desktop& desktop, InputRecord& record);
    // Lets go of everything still held.
    ~ReleasingDesktop() override;
    ReleasingDesktop(const ReleasingDesktop&) = delete;
    ReleasingDesktop& operator=(const ReleasingDesktop&) = delete;

    // Lets go of the keys and buttons in the record's entries of a killed earlier run.
    void releaseLeftOver(const QStringList& entries);
    void releaseAll();

    WindowId activeWindow() override { return desktop_.activeWindow(); }
    void minimizeWindow(WindowId window) override { desktop_.minimizeWindow(window); }
    void maximizeWindow(WindowId window) override { desktop_.maximizeWindow(window); }
    void closeWindow(WindowId window) override { desktop_.closeWindow(window); }
    void restoreWindow(WindowId window) override { desktop_.restoreWindow(window); }
    std::vector<WindowId> windowsByRecentUse() override { return desktop_.windowsByRecentUse(); }
    void activateWindow(WindowId window) override { desktop_.activateWindow(window); }
    bool showDesktop() override { return desktop_.showDesktop(); }

    void keyEvent(int virtualKey, bool down) override;
    bool typeCharacter(char32_t character) override { return desktop_.typeCharacter(character); }
    void syncInput() override { desktop_.syncInput(); }

    void mouseButton(MouseButton button, bool down) override;
    void moveMouse(int dx, int dy) override { desktop_.moveMouse(dx, dy); }
    void setMousePosition(int x, int y) override { desktop_.setMousePosition(x, y); }
    QPoint mousePosition() override { return desktop_.mousePosition(); }

private:
    Desktop& desktop_;
    InputRecord& record_;
    std::set<int> keys_;
    std::set<int> buttons_;
};

} // namespace platform
