#include "platform/input/LayoutKeys.h"

#include <algorithm>
#include <utility>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

namespace platform {

namespace {

// xkbcommon numbers keys as X11 does: the evdev code plus 8.
constexpr std::uint32_t kEvdevOffset = 8;
constexpr std::uint32_t kLastX11Key = 255;

// The first key whose plain level on layout 0 is `keysym` (the modifiers sit there on
// every layout); 0 for none.
xkb_keycode_t keyWithPlainSym(xkb_keymap* keymap, xkb_keysym_t keysym)
{
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= xkb_keymap_max_keycode(keymap);
         ++key) {
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, key, 0, 0, &syms);
        for (int i = 0; i < count; ++i)
            if (syms[i] == keysym)
                return key;
    }
    return 0;
}

} // namespace

LayoutKeys::LayoutKeys() : context_(xkb_context_new(XKB_CONTEXT_NO_DEFAULT_INCLUDES)) {}

LayoutKeys::~LayoutKeys()
{
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

bool LayoutKeys::load(const QByteArray& text)
{
    if (!context_)
        return false;
    xkb_keymap* keymap = xkb_keymap_new_from_buffer(
        context_, text.constData(), static_cast<std::size_t>(text.size()),
        XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap)
        return false;
    xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    found_.clear();

    modifierSets_.clear();
    const xkb_keycode_t shift = keyWithPlainSym(keymap_, XKB_KEY_Shift_L);
    const xkb_keycode_t level3 = keyWithPlainSym(keymap_, XKB_KEY_ISO_Level3_Shift);
    modifierSets_.push_back({});
    if (shift)
        modifierSets_.push_back({shift});
    if (level3)
        modifierSets_.push_back({level3});
    if (shift && level3)
        modifierSets_.push_back({shift, level3});
    return true;
}

void LayoutKeys::setLayout(std::uint32_t layout)
{
    if (layout == layout_)
        return;
    layout_ = layout;
    found_.clear();
}

std::optional<LayoutKey> LayoutKeys::find(std::uint32_t keysym)
{
    if (!keymap_)
        return std::nullopt;
    const auto known = found_.find(keysym);
    if (known != found_.end())
        return known->second;
    return found_[keysym] = search(keysym, layout_);
}

std::optional<std::uint32_t> LayoutKeys::layoutWith(std::uint32_t keysym) const
{
    if (!keymap_)
        return std::nullopt;
    for (xkb_layout_index_t layout = 0; layout < xkb_keymap_num_layouts(keymap_); ++layout) {
        if (layout != layout_ && search(keysym, layout))
            return layout;
    }
    return std::nullopt;
}

std::optional<LayoutKey> LayoutKeys::search(std::uint32_t keysym, std::uint32_t layout) const
{
    // The keys of an ordinary keyboard first: X11 programs (under XWayland too) receive
    // no key code past 255, and the keys above are seldom what a user would press.
    const xkb_keycode_t first =
        std::max<xkb_keycode_t>(xkb_keymap_min_keycode(keymap_), kEvdevOffset + 1);
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap_);
    for (const auto& [from, to] : {std::pair{first, std::min<xkb_keycode_t>(last, kLastX11Key)},
                                   std::pair{kLastX11Key + 1, last}}) {
        if (std::optional<LayoutKey> found = search(keysym, layout, from, to))
            return found;
    }
    return std::nullopt;
}

std::optional<LayoutKey> LayoutKeys::search(std::uint32_t keysym, std::uint32_t layout,
                                            std::uint32_t from, std::uint32_t to) const
{
    // Each set of modifiers held, fewest first, on the layout: the keysym the
    // keymap itself gives each key then, as a keyboard would type it.
    for (const std::vector<std::uint32_t>& modifiers : modifierSets_) {
        xkb_state* state = xkb_state_new(keymap_);
        if (!state)
            return std::nullopt;
        xkb_state_update_mask(state, 0, 0, 0, 0, 0, layout);
        for (const xkb_keycode_t modifier : modifiers)
            xkb_state_update_key(state, modifier, XKB_KEY_DOWN);
        xkb_keycode_t found = 0;
        for (xkb_keycode_t key = from; key <= to && !found; ++key) {
            if (xkb_state_key_get_one_sym(state, key) == keysym)
                found = key;
        }
        xkb_state_unref(state);
        if (found) {
            LayoutKey result{found - kEvdevOffset, {}};
            for (const xkb_keycode_t modifier : modifiers)
                result.modifiers.push_back(modifier - kEvdevOffset);
            return result;
        }
    }
    return std::nullopt;
}

} // namespace platform
