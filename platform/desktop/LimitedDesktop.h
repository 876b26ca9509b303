#pragma once

#include "platform/desktop/Desktop.h"

#include <QString>
#include <functional>

namespace platform {

// What the window, key and pointer commands cannot do on this desktop, each said in
// words with what to do about it; empty where they work.
struct DesktopLimits
{
    QString windows;
    QString keys;
    QString pointer;

    bool any() const { return !windows.isEmpty() || !keys.isEmpty() || !pointer.isEmpty(); }
};

// Passes every request on to the desktop it wraps, and the first time a kind of
// command with a limit is used, hands that limit to `tell`: the user hears why
// "Close Window" or a typing script did nothing, once, when it matters. The first
// character the keyboard cannot type is told the same way.
class LimitedDesktop : public Desktop
{
public:
    LimitedDesktop(Desktop& desktop, DesktopLimits limits,
                   std::function<void(const QString&)> tell);

    WindowId activeWindow() override;
    void minimizeWindow(WindowId window) override;
    void maximizeWindow(WindowId window) override;
    void closeWindow(WindowId window) override;
    void restoreWindow(WindowId window) override;
    std::vector<WindowId> windowsByRecentUse() override;
    void activateWindow(WindowId window) override;
    bool showDesktop() override;

    void keyEvent(int virtualKey, bool down) override;
    bool typeCharacter(char32_t character) override;
    void syncInput() override;

    void mouseButton(MouseButton button, bool down) override;
    void moveMouse(int dx, int dy) override;
    void setMousePosition(int x, int y) override;
    QPoint mousePosition() override;

private:
    // Tells `limit` unless it is empty or was told before.
    void used(QString& limit);

    Desktop& desktop_;
    DesktopLimits limits_;
    // Whether a character typed went missing before: said once.
    bool toldUntyped_ = false;
    std::function<void(const QString&)> tell_;
};

} // namespace platform
