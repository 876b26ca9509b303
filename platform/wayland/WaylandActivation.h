#pragma once

#include "platform/desktop/LaunchFeedback.h"

#include <QString>

struct wl_display;
struct wl_registry;
struct xdg_activation_v1;

namespace platform {

// The Wayland compositor's activation tokens (xdg-activation) for the programs the
// launcher starts: a program that shows its first window with the token is brought to
// the front where the compositor agrees. The tokens are asked for on a connection of
// their own, without a window or an input event of the launcher's (it is spoken to, not
// clicked), so a compositor that honours only tokens of the focused window may merely
// mark the new window as wanting attention.
class WaylandActivation : public LaunchFeedback
{
public:
    // Connects to the compositor named by WAYLAND_DISPLAY (or `display` when given).
    explicit WaylandActivation(const QString& display = QString());
    ~WaylandActivation() override;
    WaylandActivation(const WaylandActivation&) = delete;
    WaylandActivation& operator=(const WaylandActivation&) = delete;

    // Whether the compositor hands out activation tokens.
    bool offered() const { return activation_ != nullptr; }

    // A fresh token, as XDG_ACTIVATION_TOKEN and, for XWayland programs, as
    // DESKTOP_STARTUP_ID; nothing when the compositor gives none.
    LaunchTicket beginLaunch(const QString& name) override;
    // The compositor alone acts on the token; nothing is left to do.
    void launched(const LaunchTicket&, qint64) override {}
    void launchFailed(const LaunchTicket&) override {}

private:
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    xdg_activation_v1* activation_ = nullptr;
};

} // namespace platform
