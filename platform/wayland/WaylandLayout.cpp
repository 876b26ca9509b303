#include "platform/wayland/WaylandLayout.h"

#include "platform/wayland/SeatKeymap.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <poll.h>
#include <utility>
#include <wayland-client.h>

namespace platform {

namespace {

constexpr std::uint32_t kSeatVersion = 1;

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version)
{
    static_cast<WaylandLayout*>(data)->addGlobal(registry, name, interface, version);
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

} // namespace

WaylandLayout::WaylandLayout(const QString& display, Global other) : other_(std::move(other))
{
    const QByteArray name = display.toLocal8Bit();
    display_ = wl_display_connect(display.isEmpty() ? nullptr : name.constData());
    if (!display_)
        return;
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    wl_display_roundtrip(display_);
    if (seat_)
        keymap_ = std::make_unique<SeatKeymap>(seat_, keys_);
    // The keymap, and the outputs' geometry.
    wl_display_roundtrip(display_);
    wl_display_roundtrip(display_);
}

WaylandLayout::~WaylandLayout()
{
    keymap_.reset();
    if (seat_)
        wl_seat_destroy(seat_);
    outputs_.clear();
    if (registry_)
        wl_registry_destroy(registry_);
    if (display_) {
        wl_display_flush(display_);
        wl_display_disconnect(display_);
    }
}

void WaylandLayout::refresh()
{
    if (!display_)
        return;
    while (wl_display_prepare_read(display_) != 0)
        wl_display_dispatch_pending(display_);
    wl_display_flush(display_);
    pollfd waiting{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&waiting, 1, 0) > 0)
        wl_display_read_events(display_);
    else
        wl_display_cancel_read(display_);
    wl_display_dispatch_pending(display_);
}

void WaylandLayout::addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                              std::uint32_t version)
{
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat_)
        seat_ = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, kSeatVersion)));
    else if (!outputs_.bind(registry, name, interface, version) && other_)
        other_(registry, name, interface, version);
}

} // namespace platform
