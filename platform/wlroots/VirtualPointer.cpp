#include "platform/wlroots/VirtualPointer.h"

#include "platform/wayland/WaylandOutputs.h"
#include "platform/wlroots/InputTime.h"
#include "platform/wlroots/wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <algorithm>
#include <linux/input-event-codes.h>
#include <wayland-client.h>

namespace platform {

VirtualPointer::VirtualPointer(wl_display* display, zwlr_virtual_pointer_manager_v1* manager,
                               wl_seat* seat)
    : display_(display)
{
    pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
}

VirtualPointer::~VirtualPointer()
{
    zwlr_virtual_pointer_v1_destroy(pointer_);
    wl_display_flush(display_);
}

void VirtualPointer::button(MouseButton which, bool down)
{
    const std::uint32_t code = which == MouseButton::Left    ? BTN_LEFT
                               : which == MouseButton::Right ? BTN_RIGHT
                                                             : BTN_MIDDLE;
    zwlr_virtual_pointer_v1_button(pointer_, inputTime(), code,
                                   down ? WL_POINTER_BUTTON_STATE_PRESSED
                                        : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer_);
    wl_display_flush(display_);
}

void VirtualPointer::move(int dx, int dy, const WaylandOutputs& outputs)
{
    zwlr_virtual_pointer_v1_motion(pointer_, inputTime(), wl_fixed_from_int(dx),
                                   wl_fixed_from_int(dy));
    zwlr_virtual_pointer_v1_frame(pointer_);
    wl_display_flush(display_);
    position_ = outputs.inside(position_ + QPoint(dx, dy));
}

void VirtualPointer::moveTo(int x, int y, const WaylandOutputs& outputs)
{
    const QRect screen = outputs.box();
    if (!screen.isValid())
        return;
    position_ = outputs.inside(QPoint(x, y));
    zwlr_virtual_pointer_v1_motion_absolute(
        pointer_, inputTime(), static_cast<std::uint32_t>(position_.x() - screen.left()),
        static_cast<std::uint32_t>(position_.y() - screen.top()),
        static_cast<std::uint32_t>(screen.width()), static_cast<std::uint32_t>(screen.height()));
    zwlr_virtual_pointer_v1_frame(pointer_);
    wl_display_flush(display_);
}

} // namespace platform
