#pragma once

#include <QString>

class QProcessEnvironment;

namespace platform {

// The kinds of desktop the window, key and pointer commands are made for.
enum class DesktopKind
{
    X11,     // an X11 session, or programs under XWayland
    Wlroots, // sway, Hyprland, labwc, river, Wayfire and the other wlroots compositors
    Kde,     // KDE Plasma on Wayland (KWin)
    Gnome,   // GNOME Shell on Wayland
};

// Which kind of desktop the session is, and why.
struct SessionDesktop
{
    DesktopKind kind = DesktopKind::X11;
    // Why: "SARQUEN_DESKTOP=kde", "X11 session", "Wayland session of sway", ...
    QString reason;
    // SARQUEN_DESKTOP chose it, not the session.
    bool overridden = false;
    // A SARQUEN_DESKTOP the program does not know, said in words; empty when fine.
    QString problem;
};

// "x11", "wlroots", "kde", "gnome": the names SARQUEN_DESKTOP takes.
QString desktopKindName(DesktopKind kind);

// The desktop of the session in `env`: SARQUEN_DESKTOP when it names one; else a
// Wayland session (XDG_SESSION_TYPE, or WAYLAND_DISPLAY when the type is not set) is
// told apart by XDG_CURRENT_DESKTOP, and anything else is X11.
SessionDesktop sessionDesktop(const QProcessEnvironment& env);

} // namespace platform
