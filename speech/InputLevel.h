#pragma once

#include <cstddef>
#include <cstdint>

// The level of a stretch of 16-bit audio for a level meter: 0 to 100 over the 60 dB below
// full scale.
int levelPercent(const std::int16_t* samples, std::size_t count);
