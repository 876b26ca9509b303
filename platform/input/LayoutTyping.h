#pragma once

#include <cstdint>
#include <functional>

namespace platform {

class WaylandLayout;

// Types characters and the program's virtual keys as presses of the keys of the user's
// layout, each handed to `press` as an evdev key code going down or up. A keymap the
// user changes while the program runs is taken before the next key.
class LayoutTyping
{
public:
    using Press = std::function<void(std::uint32_t key, bool down)>;
    LayoutTyping(WaylandLayout& layout, Press press);

    // As the desktop's keyEvent: a modifier goes down or up as asked, any other key is
    // tapped when it goes down.
    void keyEvent(int virtualKey, bool down);
    // False for a character the layout has no key for.
    bool typeCharacter(char32_t character);

private:
    // Presses the key of `keysym` with the modifiers its level needs, then lets go of
    // them all; false when the layout has no such key.
    bool tap(std::uint32_t keysym);

    WaylandLayout& layout_;
    Press press_;
};

} // namespace platform
