#include "platform/input/LayoutTyping.h"

#include "platform/input/LayoutKeys.h"
#include "platform/input/VirtualKeys.h"

#include <utility>
#include <xkbcommon/xkbcommon.h>

namespace platform {

LayoutTyping::LayoutTyping(KeymapSource& keymap, Press press)
    : keymap_(keymap), press_(std::move(press))
{
}

bool LayoutTyping::tap(LayoutKeys& keys, std::uint32_t keysym)
{
    const std::optional<LayoutKey> found = keys.find(keysym);
    if (!found)
        return false;
    for (const std::uint32_t modifier : found->modifiers)
        press_(modifier, true);
    press_(found->key, true);
    press_(found->key, false);
    for (auto modifier = found->modifiers.rbegin(); modifier != found->modifiers.rend(); ++modifier)
        press_(*modifier, false);
    return true;
}

void LayoutTyping::keyEvent(int virtualKey, bool down)
{
    const auto keysym = static_cast<std::uint32_t>(keysymForVirtualKey(virtualKey));
    if (keysym == 0)
        return;
    LayoutKeys& keys = keymap_.currentKeys();
    if (isModifierKey(virtualKey)) {
        // The modifier's own key, without the modifiers that reach its level.
        if (const std::optional<LayoutKey> found = keys.find(keysym))
            press_(found->key, down);
        return;
    }
    if (down)
        tap(keys, keysym);
}

bool LayoutTyping::typeCharacter(char32_t character)
{
    const xkb_keysym_t keysym = xkb_utf32_to_keysym(character);
    LayoutKeys& keys = keymap_.currentKeys();
    return keysym != XKB_KEY_NoSymbol && tap(keys, keysym);
}

} // namespace platform
