#pragma once

#include <QByteArray>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

struct xkb_context;
struct xkb_keymap;

namespace platform {

// A key to press on the user's own keyboard layout: its evdev key code and the modifier
// keys (evdev codes too) to hold while it is pressed.
struct LayoutKey
{
    std::uint32_t key = 0;
    std::vector<std::uint32_t> modifiers;
};

// The user's keymap, as the compositor hands it to programs, asked which key types a
// keysym: so that text typed through keys arrives as the same text on any layout
// (a German "z" is the key a US keyboard calls "y", "@" is AltGr+Q).
class LayoutKeys
{
public:
    LayoutKeys();
    ~LayoutKeys();
    LayoutKeys(const LayoutKeys&) = delete;
    LayoutKeys& operator=(const LayoutKeys&) = delete;

    // Takes a keymap in xkbcommon's text format; false when it cannot be read (the
    // keymap before stays).
    bool load(const QByteArray& text);
    bool loaded() const { return keymap_ != nullptr; }
    // The layout (group) the user has switched to.
    void setLayout(std::uint32_t layout);

    // The key that types `keysym` on the current layout, with the fewest modifiers;
    // none when the layout has no key for it.
    std::optional<LayoutKey> find(std::uint32_t keysym);
    // The first of the keymap's other layouts with a key for `keysym`; none when no
    // other layout has one.
    std::optional<std::uint32_t> layoutWith(std::uint32_t keysym) const;

private:
    std::optional<LayoutKey> search(std::uint32_t keysym, std::uint32_t layout) const;
    // Among the key codes from `from` to `to` (xkbcommon's numbers).
    std::optional<LayoutKey> search(std::uint32_t keysym, std::uint32_t layout, std::uint32_t from,
                                    std::uint32_t to) const;

    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    std::uint32_t layout_ = 0;
    // The keys of the modifiers tried, by the levels they reach: Shift, AltGr (level 3)
    // and both; empty where the layout has no such key.
    std::vector<std::vector<std::uint32_t>> modifierSets_;
    std::map<std::uint32_t, std::optional<LayoutKey>> found_;
};

} // namespace platform
