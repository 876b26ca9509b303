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
    platform::DesktopLimits limits;
};

// The compositor's own interfaces where the program speaks them (wlroots, KWin, the
// program's GNOME Shell extension), else the X11 desktop `x11` (XWayland's on a Wayland
// desktop). Says on standard error which; an X11 desktop the user chose goes unsaid.
// What is out of reach is in the limits, told when first used.
ChosenDesktop chooseDesktop(platform::X11Desktop& x11);
