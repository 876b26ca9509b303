#include "platform/wayland/SeatKeymap.h"

#include "platform/input/LayoutKeys.h"

#include <QByteArray>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace platform {

namespace {

void onKeymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size)
{
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            // The text ends in a NUL, which the parser does not want.
            const auto* chars = static_cast<const char*>(text);
            static_cast<SeatKeymap*>(data)->layout().load(
                QByteArray(chars, static_cast<qsizetype>(strnlen(chars, size))));
            munmap(text, size);
        }
    }
    close(fd);
}

void onEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void onLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void onKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void onModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                 std::uint32_t)
{
}

const wl_keyboard_listener kKeyboardListener{onKeymap, onEnter,     onLeave,
                                             onKey,    onModifiers, nullptr};

} // namespace

SeatKeymap::SeatKeymap(wl_seat* seat, LayoutKeys& layout) : layout_(layout)
{
    keyboard_ = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
}

SeatKeymap::~SeatKeymap()
{
    wl_keyboard_destroy(keyboard_);
}

} // namespace platform
