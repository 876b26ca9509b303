#pragma once

struct _XDisplay;

namespace platform {

class InputRecord;

// Undoes the keys the desktop bound on `display` to characters it typed that the keymap
// has no key for (the keyboard's spare keys), before the display closes, and takes them
// off `record`.
void releaseSpareKeys(_XDisplay* display, InputRecord* record);

} // namespace platform
