#pragma once

struct wl_keyboard;
struct wl_seat;

namespace platform {

class LayoutKeys;

// The user's keymap as the compositor hands it to every program with a keyboard: it
// arrives (and arrives again when the user changes it) in `layout`, as the events of
// the connection are read.
class SeatKeymap
{
public:
    SeatKeymap(wl_seat* seat, LayoutKeys& layout);
    ~SeatKeymap();
    SeatKeymap(const SeatKeymap&) = delete;
    SeatKeymap& operator=(const SeatKeymap&) = delete;

    LayoutKeys& layout() { return layout_; }

private:
    wl_keyboard* keyboard_ = nullptr;
    LayoutKeys& layout_;
};

} // namespace platform
