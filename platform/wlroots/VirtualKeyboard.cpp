#include "platform/wlroots/VirtualKeyboard.h"

#include "platform/input/VirtualKeys.h"
#include "platform/wlroots/InputTime.h"
#include "platform/wlroots/virtual-keyboard-unstable-v1-client-protocol.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

namespace platform {
namespace {

// The real modifiers' mask bits, as compositors match shortcuts against them.
std::uint32_t modifierBit(std::uint32_t keysym)
{
    switch (keysym) {
    case XKB_KEY_Shift_L:
    case XKB_KEY_Shift_R:
        return 1u << 0;
    case XKB_KEY_Control_L:
    case XKB_KEY_Control_R:
        return 1u << 2;
    case XKB_KEY_Alt_L:
    case XKB_KEY_Alt_R:
        return 1u << 3;
    case XKB_KEY_Super_L:
    case XKB_KEY_Super_R:
        return 1u << 6;
    default:
        return 0;
    }
}

// The keysym a character stands for: the keys that type control characters, else
// xkbcommon's own mapping.
std::uint32_t keysymForCharacter(char32_t character)
{
    switch (character) {
    case U'\n':
    case U'\r':
        return XKB_KEY_Return;
    case U'\t':
        return XKB_KEY_Tab;
    case U'\b':
        return XKB_KEY_BackSpace;
    case U'\x1b':
        return XKB_KEY_Escape;
    default:
        return character < 0x20 || character == 0x7f ? XKB_KEY_NoSymbol
                                                     : xkb_utf32_to_keysym(character);
    }
}

} // namespace

VirtualKeyboard::VirtualKeyboard(wl_display* display, zwp_virtual_keyboard_manager_v1* manager,
                                 wl_seat* seat)
    : display_(display)
{
    keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
    sendKeymap();
}

VirtualKeyboard::~VirtualKeyboard()
{
    zwp_virtual_keyboard_v1_destroy(keyboard_);
    wl_display_flush(display_);
}

void VirtualKeyboard::sendKeymap()
{
    const QByteArray text = keymap_.text();
    const int fd = memfd_create("sarquen-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return;
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t n =
            write(fd, text.constData() + written, static_cast<std::size_t>(text.size() - written));
        if (n <= 0)
            break;
        written += n;
    }
    if (written == text.size()) {
        zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       static_cast<std::uint32_t>(text.size()));
        keymap_.markSent();
    }
    close(fd);
}

void VirtualKeyboard::send(std::uint32_t keysym, bool down)
{
    const std::uint32_t key = keymap_.keyFor(keysym);
    if (keymap_.changed())
        sendKeymap();
    zwp_virtual_keyboard_v1_key(keyboard_, inputTime(), key,
                                down ? WL_KEYBOARD_KEY_STATE_PRESSED
                                     : WL_KEYBOARD_KEY_STATE_RELEASED);
    // The compositor takes a made-up keyboard's modifiers as it is told them.
    if (const std::uint32_t bit = modifierBit(keysym)) {
        modifiers_ = down ? modifiers_ | bit : modifiers_ & ~bit;
        zwp_virtual_keyboard_v1_modifiers(keyboard_, modifiers_, 0, 0, 0);
    }
}

void VirtualKeyboard::tap(std::uint32_t keysym)
{
    send(keysym, true);
    send(keysym, false);
    wl_display_flush(display_);
}

void VirtualKeyboard::keyEvent(int virtualKey, bool down)
{
    const auto keysym = static_cast<std::uint32_t>(keysymForVirtualKey(virtualKey));
    if (keysym == 0)
        return;
    if (isModifierKey(virtualKey)) {
        send(keysym, down);
        wl_display_flush(display_);
    } else if (down) {
        tap(keysym);
    }
}

bool VirtualKeyboard::typeCharacter(char32_t character)
{
    const std::uint32_t keysym = keysymForCharacter(character);
    if (keysym == XKB_KEY_NoSymbol)
        return false;
    // Held modifiers stay in effect: Ctrl held while "c" is typed is Ctrl+C.
    tap(keysym);
    return true;
}

} // namespace platform
