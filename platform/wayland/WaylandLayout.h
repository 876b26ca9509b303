#pragma once

#include "platform/input/LayoutKeys.h"
#include "platform/input/LayoutTyping.h"
#include "platform/wayland/WaylandOutputs.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

struct wl_display;
struct wl_registry;
struct wl_seat;

namespace platform {

class SeatKeymap;

// A connection to the compositor for what typing and pointing need of it: the user's
// keymap, as the compositor hands it to every program with a keyboard, and the outputs'
// box. Globals other than the seat and the outputs go to `other`, on the same connection.
class WaylandLayout : public KeymapSource
{
public:
    using Global = std::function<void(wl_registry* registry, std::uint32_t name,
                                      const char* interface, std::uint32_t version)>;

    // Connects to the compositor named by WAYLAND_DISPLAY (or `display` when given) and
    // reads its globals, then the keymap and the outputs.
    explicit WaylandLayout(const QString& display = QString(), Global other = {});
    ~WaylandLayout() override;
    WaylandLayout(const WaylandLayout&) = delete;
    WaylandLayout& operator=(const WaylandLayout&) = delete;

    // Takes what the compositor has sent since, without waiting: a keymap the user
    // changed while the program runs.
    void refresh();
    // Null when the compositor could not be reached.
    wl_display* display() const { return display_; }
    LayoutKeys& keys() { return keys_; }
    LayoutKeys& currentKeys() override
    {
        refresh();
        return keys_;
    }
    const LayoutKeys& keys() const { return keys_; }
    const WaylandOutputs& outputs() const { return outputs_; }

    // Callback of the registry; public for the C listener only.
    void addGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                   std::uint32_t version);

private:
    Global other_;
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::unique_ptr<SeatKeymap> keymap_;
    WaylandOutputs outputs_;
    LayoutKeys keys_;
};

} // namespace platform
