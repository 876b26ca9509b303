#include "platform/input/KeysymNames.h"

#include <xkbcommon/xkbcommon.h>

namespace platform {

QString keysymName(std::uint32_t keysym)
{
    if (keysym == 0)
        return {};
    char name[64];
    const int length = xkb_keysym_get_name(keysym, name, sizeof name);
    return length > 0 ? QString::fromLatin1(name) : QString();
}

} // namespace platform
