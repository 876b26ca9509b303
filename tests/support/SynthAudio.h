#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

// Sounds made up for the tests of the audio analysis: tones, a voiced vowel, noise; 16 kHz
// mono 16-bit like everything the recogniser hears.
namespace synth {

constexpr double rate = 16000;

// Seconds of a waveform (`wave` maps a cycle's phase 0..1 to -1..1) whose frequency runs
// from one value to another, as a sweep.
template <typename Wave>
std::vector<std::int16_t> sweep(double seconds, double from, double to, double amplitude, Wave wave)
{
    std::vector<std::int16_t> out(static_cast<std::size_t>(seconds * rate));
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double f = from + (to - from) * static_cast<double>(i) / out.size();
        phase += f / rate;
        out[i] = static_cast<std::int16_t>(amplitude * wave(phase - std::floor(phase)));
    }
    return out;
}

double sine(double cycle);
double square(double cycle);
double triangle(double cycle);

// A vowel as a voice makes it: harmonics of a pitch, shaped by three formants (by default
// those of an open "ah").
std::vector<std::int16_t> vowel(double seconds, double pitch, double amplitude,
                                std::array<double, 3> formants = {700, 1200, 2600});

// White noise, evenly spread over -amplitude..amplitude; the same for the same seed.
std::vector<std::int16_t> noise(double seconds, int amplitude, std::uint32_t seed = 7);

// The mean power of a stretch of samples.
double power(const std::int16_t* samples, std::size_t count);

} // namespace synth

// One sound after the other.
std::vector<std::int16_t> operator+(std::vector<std::int16_t> a,
                                    const std::vector<std::int16_t>& b);
