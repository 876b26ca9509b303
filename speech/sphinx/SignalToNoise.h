#pragma once

#include <cstddef>
#include <cstdint>

// How far an utterance's speech stands above the background it was spoken over.
namespace sphinx {

// Signal-to-noise ratio in dB of 16 kHz audio that holds speech and some background
// around it: the mean power of its loudest 10 ms frames (the loudest third) against that
// of its quietest (the quietest fifth). Audio too short for a frame gives 0.
double signalToNoiseDb(const std::int16_t* samples, std::size_t count);

// The same against a background known from elsewhere: its mean power.
double signalToNoiseDb(const std::int16_t* samples, std::size_t count,
                       const std::int16_t* background, std::size_t backgroundCount);

} // namespace sphinx
