#include "app/speech/sphinx/SignalToNoise.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace sphinx {
namespace {

constexpr std::size_t frameSamples = 160; // 10 ms, the decoders' frame step

std::vector<double> framePowers(const std::int16_t* samples, std::size_t count)
{
    std::vector<double> power;
    for (std::size_t at = 0; at + frameSamples <= count; at += frameSamples) {
        double sum = 0;
        for (std::size_t i = at; i < at + frameSamples; ++i)
            sum += static_cast<double>(samples[i]) * samples[i];
        power.push_back(sum / frameSamples);
    }
    return power;
}

} // namespace

double signalToNoiseDb(const std::int16_t* samples, std::size_t count)
{
    std::vector<double> power = framePowers(samples, count);
    if (power.empty())
        return 0;
    std::sort(power.begin(), power.end());
    const std::size_t quiet = std::max<std::size_t>(1, power.size() / 5);
    const std::size_t loud = std::max<std::size_t>(1, power.size() / 3);
    const double noise = std::accumulate(power.begin(), power.begin() + quiet, 0.0) / quiet;
    const double signal = std::accumulate(power.end() - loud, power.end(), 0.0) / loud;
    // Digital silence has no noise at all: count it as the faintest sound a sample holds.
    return 10 * std::log10(std::max(signal, 1.0) / std::max(noise, 1.0));
}

} // namespace sphinx
