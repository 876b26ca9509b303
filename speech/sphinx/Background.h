#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

// The background a microphone picks up between words (a fan, a street, the hum of a room),
// followed through the running audio 10 ms at a time: its level, and the most recent
// stretch of it, against which a voice's loudness is measured and from which the noise is
// taken out of an utterance. Speech is loud against it and comes and goes;
// a steady background is always there, so its level is that of the quieter frames of the
// last second and a half.
namespace sphinx {

class Background
{
public:
    static constexpr std::size_t kFrame = 160; // 10 ms at 16 kHz

    // The level in dB of a 10 ms frame (0 for digital silence).
    static double levelOf(const std::int16_t* frame);

    // Takes in one frame of the running audio.
    void add(const std::int16_t* frame);
    // The background's level in dB: the quietest tenth of the last second and a half.
    double level() const { return level_; }
    // The last second of frames that were background, oldest first.
    const std::deque<std::int16_t>& recent() const { return recent_; }

private:
    std::deque<double> levels_;  // of the last second and a half
    std::vector<double> sorted_; // the same, for finding the quietest tenth
    std::deque<std::int16_t> recent_;
    double level_ = 0;
};

} // namespace sphinx
