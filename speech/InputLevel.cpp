#include "speech/InputLevel.h"

#include <algorithm>
#include <cmath>

int levelPercent(const std::int16_t* samples, std::size_t count)
{
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    const double rms = count ? std::sqrt(sum / static_cast<double>(count)) : 0;
    // Decibels below full scale mapped onto 0..100 over a 60 dB range.
    const double db = rms > 0 ? 20 * std::log10(rms / 32768.0) : -60;
    return static_cast<int>(std::lround(std::clamp((db + 60) / 60, 0.0, 1.0) * 100));
}
