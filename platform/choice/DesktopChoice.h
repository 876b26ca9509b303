#pragma once

#include "platform/desktop/LaunchFeedback.h"
#include "platform/desktop/LimitedDesktop.h"
#include "platform/input/KeysAndPointer.h"

#include <functional>
#include <memory>

namespace platform {

class X11Desktop;

// The desktop the window, key and pointer commands go to, and what they cannot do there.
struct DesktopChoice
{
    std::unique_ptr<Desktop> native; // null: the X11 desktop
    // Keys and the pointer where the compositor does not take them itself: the
    // program's kernel devices, or the desktop portal's remote control; else null.
    std::unique_ptr<KeysAndPointer> input;
    // The native (or X11) desktop's window commands with that input; null without it.
    std::unique_ptr<Desktop> routed;
    DesktopLimits limits;
    // The compositor's activation tokens for the programs the launcher starts; null on
    // X11, or where the compositor gives none: the X11 desktop's startup ids then.
    std::unique_ptr<LaunchFeedback> activation;

    Desktop* desktop() const { return routed ? routed.get() : native.get(); }
};

// The compositor's own interfaces where the program speaks them (wlroots, KWin, the
// program's GNOME Shell extension), else the X11 desktop `x11` (XWayland's on a Wayland
// desktop); keys and pointer through /dev/uinput where the compositor does not take
// them and the user may, else through the desktop portal; on Wayland the compositor's
// activation tokens for the programs started. Says on standard error which;
// an X11 desktop the user chose goes unsaid.
// What is out of reach is in the limits, told when first used; `tell` hears what turns
// out later to be out of reach (the user says no to the portal's question).
DesktopChoice chooseDesktop(X11Desktop& x11, std::function<void(const QString&)> tell = {});

} // namespace platform
