#include "platform/wlroots/MadeUpKeymap.h"

#include <algorithm>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

namespace platform {
namespace {

constexpr std::uint32_t kFirstKeyCode = 9; // X11 programs take key codes 8 to 255
constexpr std::size_t kMaxKeys = 255 - kFirstKeyCode + 1;
constexpr std::uint32_t kEvdevOffset = 8;

} // namespace

MadeUpKeymap::MadeUpKeymap()
{
    keysyms_ = {XKB_KEY_Shift_L, XKB_KEY_Control_L, XKB_KEY_Alt_L,  XKB_KEY_Super_L,
                XKB_KEY_Shift_R, XKB_KEY_Control_R, XKB_KEY_Alt_R,  XKB_KEY_Super_R,
                XKB_KEY_Return,  XKB_KEY_Tab,       XKB_KEY_Escape, XKB_KEY_BackSpace};
    for (std::uint32_t c = 0x20; c < 0x7f; ++c)
        keysyms_.push_back(xkb_utf32_to_keysym(c));
    fixed_ = keysyms_.size();
}

std::uint32_t MadeUpKeymap::keyFor(std::uint32_t keysym)
{
    auto it = std::find(keysyms_.begin(), keysyms_.end(), keysym);
    if (it == keysyms_.end()) {
        if (keysyms_.size() == kMaxKeys)
            keysyms_.resize(fixed_);
        keysyms_.push_back(keysym);
        it = keysyms_.end() - 1;
        changed_ = true;
    }
    return kFirstKeyCode + static_cast<std::uint32_t>(it - keysyms_.begin()) - kEvdevOffset;
}

QByteArray MadeUpKeymap::text() const
{
    QByteArray codes;
    QByteArray symbols;
    char name[64];
    for (std::size_t i = 0; i < keysyms_.size(); ++i) {
        const QByteArray key = "<K" + QByteArray::number(static_cast<qulonglong>(i)) + '>';
        codes += "  " + key + " = " +
                 QByteArray::number(kFirstKeyCode + static_cast<std::uint32_t>(i)) + ";\n";
        if (xkb_keysym_get_name(keysyms_[i], name, sizeof name) < 0)
            continue;
        symbols += "  key " + key + " { [ " + QByteArray(name) + " ] };\n";
    }
    // The modifier keys set the modifiers a compositor matches its shortcuts against.
    symbols += "  modifier_map Shift { Shift_L, Shift_R };\n"
               "  modifier_map Control { Control_L, Control_R };\n"
               "  modifier_map Mod1 { Alt_L, Alt_R };\n"
               "  modifier_map Mod4 { Super_L, Super_R };\n";
    QByteArray keymap = "xkb_keymap {\n"
                        "xkb_keycodes \"sarquen\" {\n  minimum = 8;\n  maximum = 255;\n" +
                        codes +
                        "};\n"
                        "xkb_types \"sarquen\" { include \"complete\" };\n"
                        "xkb_compatibility \"sarquen\" { include \"complete\" };\n"
                        "xkb_symbols \"sarquen\" {\n" +
                        symbols + "};\n};\n";
    keymap.append('\0');
    return keymap;
}

} // namespace platform
