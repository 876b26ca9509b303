#pragma once

#include "platform/desktop/LimitedDesktop.h"

#include <memory>

namespace platform {
class X11Desktop;
}

// The desktop the window, key and pointer commands go to, and what they cannot do there.
struct ChosenDesktop
{
    std::unique_ptr<platform::Desktop> native; // null: the X11 desktop
    // The native desktop with keys and pointer through the program's kernel devices,
    // where the compositor does not take them itself; null where it does.
    std::unique_ptr<platform::Desktop> withDevices;
    platform::DesktopLimits limits;

    platform::Desktop* desktop() const { return withDevices ? withDevices.get() : native.get(); }
};

// The compositor's own interfaces where the program speaks them (wlroots, KWin, the
// program's GNOME Shell extension), else the X11 desktop `x11` (XWayland's on a Wayland
// desktop); keys and pointer through /dev/uinput where the compositor does not take
// them and the user may. Says on standard error which; an X11 desktop the user chose
// goes unsaid.
// What is out of reach is in the limits, told when first used.
ChosenDesktop chooseDesktop(platform::X11Desktop& x11);
