#pragma once

#include <chrono>
#include <cstdint>

namespace platform {

// The time stamp of a made-up key or pointer event: milliseconds of a steady clock, as
// the compositor only compares them with each other.
inline std::uint32_t inputTime()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace platform
