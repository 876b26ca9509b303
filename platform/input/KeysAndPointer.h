#pragma once

#include "platform/desktop/Desktop.h"

#include <QPoint>
#include <cstdint>
#include <linux/input-event-codes.h>

namespace platform {

// A way to type and point that is apart from the desktop's window commands: the
// program's own kernel devices, or the desktop portal's remote control.
class KeysAndPointer
{
public:
    virtual ~KeysAndPointer() = default;

    // As the desktop's keyEvent: a modifier goes down or up as asked, any other key is
    // tapped when it goes down.
    virtual void keyEvent(int virtualKey, bool down) = 0;
    // False for a character the keyboard layout has no key for.
    virtual bool typeCharacter(char32_t character) = 0;
    virtual void button(MouseButton button, bool down) = 0;
    virtual void move(int dx, int dy) = 0;
    virtual void moveTo(int x, int y) = 0;
    // Where the pointer was last sent: Wayland tells no program where it is.
    virtual QPoint position() const = 0;
};

// The kernel's code of a mouse button.
inline std::uint32_t evdevButton(MouseButton button)
{
    return button == MouseButton::Left    ? BTN_LEFT
           : button == MouseButton::Right ? BTN_RIGHT
                                          : BTN_MIDDLE;
}

} // namespace platform
