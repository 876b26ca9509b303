#include "platform/input/VirtualKeys.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <array>

namespace platform {

namespace {

using Table = std::array<unsigned long, 256>;

constexpr Table makeTable()
{
    Table t{};
    t[0x03] = XK_Break; // Cancel, sent by Ctrl+Break
    t[0x08] = XK_BackSpace;
    t[0x09] = XK_Tab;
    t[0x0C] = XK_Clear;
    t[0x0D] = XK_Return;
    t[0x10] = XK_Shift_L;
    t[0x11] = XK_Control_L;
    t[0x12] = XK_Alt_L;
    t[0x13] = XK_Pause;
    t[0x14] = XK_Caps_Lock;
    t[0x1B] = XK_Escape;
    t[0x20] = XK_space;
    t[0x21] = XK_Prior;
    t[0x22] = XK_Next;
    t[0x23] = XK_End;
    t[0x24] = XK_Home;
    t[0x25] = XK_Left;
    t[0x26] = XK_Up;
    t[0x27] = XK_Right;
    t[0x28] = XK_Down;
    t[0x29] = XK_Select;
    t[0x2A] = XK_Print;
    t[0x2B] = XK_Execute;
    t[0x2C] = XK_Print; // Print Screen
    t[0x2D] = XK_Insert;
    t[0x2E] = XK_Delete;
    t[0x2F] = XK_Help;
    for (int i = 0; i < 10; ++i)
        t[0x30 + i] = XK_0 + i;
    for (int i = 0; i < 26; ++i)
        t[0x41 + i] = XK_a + i;
    t[0x5B] = XK_Super_L;
    t[0x5C] = XK_Super_R;
    t[0x5D] = XK_Menu; // Applications key
    t[0x5F] = XF86XK_Sleep;
    for (int i = 0; i < 10; ++i)
        t[0x60 + i] = XK_KP_0 + i;
    t[0x6A] = XK_KP_Multiply;
    t[0x6B] = XK_KP_Add;
    t[0x6C] = XK_KP_Separator;
    t[0x6D] = XK_KP_Subtract;
    t[0x6E] = XK_KP_Decimal;
    t[0x6F] = XK_KP_Divide;
    for (int i = 0; i < 24; ++i)
        t[0x70 + i] = XK_F1 + i;
    t[0x90] = XK_Num_Lock;
    t[0x91] = XK_Scroll_Lock;
    t[0xA0] = XK_Shift_L;
    t[0xA1] = XK_Shift_R;
    t[0xA2] = XK_Control_L;
    t[0xA3] = XK_Control_R;
    t[0xA4] = XK_Alt_L;
    t[0xA5] = XK_Alt_R;
    t[0xA6] = XF86XK_Back;
    t[0xA7] = XF86XK_Forward;
    t[0xA8] = XF86XK_Refresh;
    t[0xA9] = XF86XK_Stop;
    t[0xAA] = XF86XK_Search;
    t[0xAB] = XF86XK_Favorites;
    t[0xAC] = XF86XK_HomePage;
    t[0xAD] = XF86XK_AudioMute;
    t[0xAE] = XF86XK_AudioLowerVolume;
    t[0xAF] = XF86XK_AudioRaiseVolume;
    t[0xB0] = XF86XK_AudioNext;
    t[0xB1] = XF86XK_AudioPrev;
    t[0xB2] = XF86XK_AudioStop;
    t[0xB3] = XF86XK_AudioPlay;
    t[0xB4] = XF86XK_Mail;
    t[0xB5] = XF86XK_AudioMedia;
    t[0xB6] = XF86XK_MyComputer;
    t[0xB7] = XF86XK_Calculator;
    // Punctuation keys, by their unshifted character on a US keyboard.
    t[0xBA] = XK_semicolon;
    t[0xBB] = XK_equal;
    t[0xBC] = XK_comma;
    t[0xBD] = XK_minus;
    t[0xBE] = XK_period;
    t[0xBF] = XK_slash;
    t[0xC0] = XK_grave;
    t[0xDB] = XK_bracketleft;
    t[0xDC] = XK_backslash;
    t[0xDD] = XK_bracketright;
    t[0xDE] = XK_apostrophe;
    return t;
}

constexpr Table kKeysyms = makeTable();

} // namespace

unsigned long keysymForVirtualKey(int virtualKey)
{
    if (virtualKey < 0 || virtualKey >= static_cast<int>(kKeysyms.size()))
        return 0;
    return kKeysyms[static_cast<std::size_t>(virtualKey)];
}

bool isModifierKey(int virtualKey)
{
    switch (virtualKey) {
    case 0x10: // Shift
    case 0x11: // Ctrl
    case 0x12: // Alt
    case 0x5B: // left Windows key
    case 0x5C: // right Windows key
    case 0xA0: // left Shift
    case 0xA1: // right Shift
    case 0xA2: // left Ctrl
    case 0xA3: // right Ctrl
    case 0xA4: // left Alt
    case 0xA5: // right Alt
        return true;
    default:
        return false;
    }
}

} // namespace platform
