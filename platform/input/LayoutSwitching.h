#pragma once

#include <cstdint>
#include <functional>

namespace platform {

class LayoutKeys;

// Types `keysym` on the user's layout in use (`current`) or, where that layout has no
// key for it, on the first of the user's other layouts that has one: `switchTo` makes
// the desktop switch to a layout (false when it would not), `tap` types the keysym on
// the layout `keys` is set to. Back on `current` afterwards. False when no layout has
// the keysym, or the desktop would not switch.
bool typeOnSomeLayout(LayoutKeys& keys, std::uint32_t current, std::uint32_t keysym,
                      const std::function<bool(std::uint32_t layout)>& switchTo,
                      const std::function<void()>& tap);

} // namespace platform
