#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace platform {

// The keymap of a made-up keyboard: one key for each keysym the program types, so any
// character can be typed, whatever the user's own layout, without Shift or other
// levels. Holds the modifier keys and the printable ASCII characters from the start and
// takes other keysyms as they come, up to the 247 keys an X11 program can receive;
// past that the keys taken last make room.
class MadeUpKeymap
{
public:
    MadeUpKeymap();

    // The evdev key code (the keymap's key code less 8) of the key for `keysym`. Adds
    // the key when there is none: the keymap then has to be sent again (changed()).
    std::uint32_t keyFor(std::uint32_t keysym);
    bool changed() const { return changed_; }
    void markSent() { changed_ = false; }

    // The keymap in xkbcommon's text format, ending in a NUL as a keymap file must.
    QByteArray text() const;

private:
    std::vector<std::uint32_t> keysyms_; // the key of keysyms_[i] has key code 8 + 1 + i
    std::size_t fixed_ = 0;              // the keys always there
    bool changed_ = true;
};

} // namespace platform
