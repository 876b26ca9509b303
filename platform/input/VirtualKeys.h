#pragma once

namespace platform {

// The one table between the program's virtual-key codes (0x5B for the Windows key,
// 0x44 for D, ...) and X keysyms, with the meaning the keys have on a US keyboard.
// Returns 0 for a code that has no key here.
unsigned long keysymForVirtualKey(int virtualKey);

// Shift, Ctrl, Alt and the Windows keys, in their plain and left/right forms: the keys
// that are held down while other keys are pressed.
bool isModifierKey(int virtualKey);

} // namespace platform
