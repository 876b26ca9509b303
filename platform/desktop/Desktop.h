#pragma once

#include <QPoint>
#include <cstdint>
#include <vector>

namespace platform {

using WindowId = std::uint64_t;

// Virtual-key codes the program sends, as its key sequences name them.
namespace vk {
constexpr int kTab = 0x09;
constexpr int kShift = 0x10;
constexpr int kAlt = 0x12;
constexpr int kPause = 0x13;
constexpr int kD = 0x44;
constexpr int kR = 0x52;
constexpr int kWin = 0x5B;
} // namespace vk

enum class MouseButton
{
    Left,
    Right,
    Middle
};

// The desktop session: its active window, synthesised keys and the pointer. Every
// request returns at once; the window manager and the other programs act on it later.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // The window that has the user's attention, or 0 when there is none.
    virtual WindowId activeWindow() = 0;
    virtual void minimizeWindow(WindowId window) = 0;
    virtual void maximizeWindow(WindowId window) = 0;
    virtual void closeWindow(WindowId window) = 0;
    // Back from minimised or maximised to the normal state, and activated.
    virtual void restoreWindow(WindowId window) = 0;

    // The windows in the order of their last use, the active one first, where the
    // program steps through them itself; empty where a held Alt drives the desktop's
    // own window switcher (X11).
    virtual std::vector<WindowId> windowsByRecentUse() { return {}; }
    virtual void activateWindow(WindowId) {}
    // Shows the desktop by minimising every window, or brings back the windows the last
    // call minimised. False where the desktop does it itself on Windows key + D (X11).
    virtual bool showDesktop() { return false; }

    // One key event for a virtual-key code; codes without a key on this keyboard are
    // left out.
    virtual void keyEvent(int virtualKey, bool down) = 0;
    // Types one character as the keyboard would produce it (with Shift where the
    // keyboard needs it). False when the keyboard cannot produce it.
    virtual bool typeCharacter(char32_t character) = 0;
    // Waits until the desktop has processed every key and pointer event sent so far.
    virtual void syncInput() = 0;

    virtual void mouseButton(MouseButton button, bool down) = 0;
    // A relative move, as a mouse would make it.
    virtual void moveMouse(int dx, int dy) = 0;
    // An absolute position on the screen, in pixels.
    virtual void setMousePosition(int x, int y) = 0;
    virtual QPoint mousePosition() = 0;
};

} // namespace platform
