#include "speech/sphinx/SignalToNoise.h"

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

// The mean power of the loudest third of the frames.
double signalPower(std::vector<double> power)
{
    std::sort(power.begin(), power.end());
    const std::size_t loud = std::max<std::size_t>(1, power.size() / 3);
    return std::accumulate(power.end() - loud, power.end(), 0.0) / loud;
}

// Digital silence has no noise at all: count it as the faintest sound a sample holds.
double ratioDb(double signal, double noise)
{
    return 10 * std::log10(std::max(signal, 1.0) / std::max(noise, 1.0));
}

} // namespace

double signalToNoiseDb(const std::int16_t* samples, std::size_t count)
{
    std::vector<double> power = framePowers(samples, count);
    if (power.empty())
        return 0;
    std::sort(power.begin(), power.end());
    const std::size_t quiet = std::max<std::size_t>(1, power.size() / 5);
    const double noise = std::accumulate(power.begin(), power.begin() + quiet, 0.0) / quiet;
    return ratioDb(signalPower(power), noise);
}

double signalToNoiseDb(const std::int16_t* samples, std::size_t count,
                       const std::int16_t* background, std::size_t backgroundCount)
{
    const std::vector<double> power = framePowers(samples, count);
    const std::vector<double> noise = framePowers(background, backgroundCount);
    if (power.empty() || noise.empty())
        return 0;
    return ratioDb(signalPower(power),
                   std::accumulate(noise.begin(), noise.end(), 0.0) / noise.size());
}

} // namespace sphinx
