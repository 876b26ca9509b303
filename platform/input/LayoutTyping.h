#pragma once

#include <cstdint>
#include <functional>

namespace platform {

class LayoutKeys;

// Where the user's keymap comes from: the compositor, which sends it again whenever the
// user changes it.
class KeymapSource
{
public:
    virtual ~KeymapSource() = default;
    // The keymap as it is now, with what the compositor has sent since taken in.
    virtual LayoutKeys& currentKeys() = 0;
};

// Types characters and the program's virtual keys as presses of the keys of the user's
// layout, each handed to `press` as an evdev key code going down or up. A keymap the
// user changes while the program runs is taken before the next key.
class LayoutTyping
{
public:
    using Press = std::function<void(std::uint32_t key, bool down)>;
    LayoutTyping(KeymapSource& keymap, Press press);

    // As the desktop's keyEvent: a modifier goes down or up as asked, any other key is
    // tapped when it goes down.
    void keyEvent(int virtualKey, bool down);
    // False for a character the layout has no key for.
    bool typeCharacter(char32_t character);

private:
    // Presses the key of `keysym` with the modifiers its level needs, then lets go of
    // them all; false when the layout has no such key.
    bool tap(LayoutKeys& keys, std::uint32_t keysym);

    KeymapSource& keymap_;
    Press press_;
};

} // namespace platform
