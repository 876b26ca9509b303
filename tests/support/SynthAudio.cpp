#include "tests/support/SynthAudio.h"

#include <algorithm>
#include <numbers>

namespace synth {

double sine(double cycle)
{
    return std::sin(2 * std::numbers::pi * cycle);
}

double square(double cycle)
{
    return cycle < 0.5 ? 1 : -1;
}

double triangle(double cycle)
{
    return cycle < 0.5 ? 4 * cycle - 1 : 3 - 4 * cycle;
}

std::vector<std::int16_t> vowel(double seconds, double pitch, double amplitude,
                                std::array<double, 3> formants)
{
    std::vector<double> gains;
    for (int k = 1; k * pitch < 4000; ++k) {
        double gain = 0;
        for (double f : formants)
            gain += 1 / (1 + std::pow((k * pitch - f) / 120, 2));
        gains.push_back(gain / k); // the voice's own fall with frequency
    }
    std::vector<double> wave(static_cast<std::size_t>(seconds * rate));
    double peak = 0;
    for (std::size_t i = 0; i < wave.size(); ++i) {
        for (std::size_t k = 0; k < gains.size(); ++k)
            wave[i] += gains[k] * std::sin(2 * std::numbers::pi * (k + 1) * pitch * i / rate);
        peak = std::max(peak, std::abs(wave[i]));
    }
    std::vector<std::int16_t> out(wave.size());
    for (std::size_t i = 0; i < wave.size(); ++i)
        out[i] = static_cast<std::int16_t>(amplitude * wave[i] / peak);
    return out;
}

std::vector<std::int16_t> noise(double seconds, int amplitude, std::uint32_t seed)
{
    std::vector<std::int16_t> out(static_cast<std::size_t>(seconds * rate));
    std::uint32_t state = seed;
    for (std::int16_t& s : out) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<std::int16_t>(static_cast<int>((state >> 16) % (2 * amplitude + 1)) -
                                      amplitude);
    }
    return out;
}

double power(const std::int16_t* samples, std::size_t count)
{
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return count ? sum / static_cast<double>(count) : 0;
}

} // namespace synth

std::vector<std::int16_t> operator+(std::vector<std::int16_t> a, const std::vector<std::int16_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
