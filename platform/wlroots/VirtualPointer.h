#pragma once

#include "platform/desktop/Desktop.h"

#include <QPoint>
#include <cstdint>

struct wl_display;
struct wl_seat;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_virtual_pointer_v1;

namespace platform {

class WaylandOutputs;

// A pointer the program makes up on a wlroots compositor (wlr-virtual-pointer) and
// moves and clicks: it reaches native Wayland programs and XWayland ones alike. A
// Wayland program cannot ask where the pointer is, so the position is the one this
// pointer was last sent to.
class VirtualPointer
{
public:
    VirtualPointer(wl_display* display, zwlr_virtual_pointer_manager_v1* manager, wl_seat* seat);
    ~VirtualPointer();
    VirtualPointer(const VirtualPointer&) = delete;
    VirtualPointer& operator=(const VirtualPointer&) = delete;

    void button(MouseButton button, bool down);
    // The position is kept inside the outputs.
    void move(int dx, int dy, const WaylandOutputs& outputs);
    void moveTo(int x, int y, const WaylandOutputs& outputs);
    QPoint position() const { return position_; }

private:
    wl_display* display_;
    zwlr_virtual_pointer_v1* pointer_ = nullptr;
    QPoint position_;
};

} // namespace platform
