#pragma once

#include "platform/wlroots/MadeUpKeymap.h"

#include <cstdint>

struct wl_display;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

namespace platform {

// A keyboard the program makes up on a wlroots compositor (virtual-keyboard-unstable-v1)
// and types on: its keys reach whichever window has the keyboard focus, native Wayland
// programs and XWayland ones alike. Its keymap is made up too (MadeUpKeymap), so every
// character types as itself on any layout.
class VirtualKeyboard
{
public:
    VirtualKeyboard(wl_display* display, zwp_virtual_keyboard_manager_v1* manager, wl_seat* seat);
    ~VirtualKeyboard();
    VirtualKeyboard(const VirtualKeyboard&) = delete;
    VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

    // As the desktop's keyEvent: a modifier goes down or up as asked, any other key is
    // tapped when it goes down.
    void keyEvent(int virtualKey, bool down);
    // False for a character no keysym stands for.
    bool typeCharacter(char32_t character);

private:
    void sendKeymap();
    void tap(std::uint32_t keysym);
    void send(std::uint32_t keysym, bool down);

    wl_display* display_;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    MadeUpKeymap keymap_;
    std::uint32_t modifiers_ = 0; // the real modifiers held, as their mask bits
};

} // namespace platform
