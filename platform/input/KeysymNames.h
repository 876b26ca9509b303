#pragma once

#include <QString>
#include <cstdint>

namespace platform {

// The X keysym name of `keysym` ("F9", "Pause", "Scroll_Lock"); empty for none.
QString keysymName(std::uint32_t keysym);

} // namespace platform
