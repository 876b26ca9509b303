#pragma once

struct _XDisplay;

namespace platform {

// Undoes the keys the desktop bound on `display` to characters it typed that the keymap
// has no key for (the keyboard's spare keys), before the display closes.
void releaseSpareKeys(_XDisplay* display);

} // namespace platform
