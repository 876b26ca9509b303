#include "speech/sphinx/Hiss.h"

#include <algorithm>

namespace sphinx {
namespace {

constexpr int hissAmplitude = 100;

} // namespace

void addHiss(std::int16_t* samples, std::size_t count, std::uint32_t& state)
{
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        const int hiss = static_cast<int>((state >> 16) % (2 * hissAmplitude + 1)) - hissAmplitude;
        samples[i] = static_cast<std::int16_t>(std::clamp(samples[i] + hiss, -32768, 32767));
    }
}

} // namespace sphinx
