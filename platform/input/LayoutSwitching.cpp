#include "platform/input/LayoutSwitching.h"

#include "platform/input/LayoutKeys.h"

namespace platform {

bool typeOnSomeLayout(LayoutKeys& keys, std::uint32_t current, std::uint32_t keysym,
                      const std::function<bool(std::uint32_t layout)>& switchTo,
                      const std::function<void()>& tap)
{
    keys.setLayout(current);
    if (keys.find(keysym)) {
        tap();
        return true;
    }
    const std::optional<std::uint32_t> other = keys.layoutWith(keysym);
    if (!other || !switchTo(*other))
        return false;
    keys.setLayout(*other);
    tap();
    switchTo(current);
    keys.setLayout(current);
    return true;
}

} // namespace platform
