#pragma once

#include <cstddef>
#include <cstdint>

// Beeps, whistles and test tones hold nearly all their power in one narrow band: the
// decoders, made for speech, force them onto a drawn-out vowel ("No", "Go") that can fit
// better than anything else the phone loop finds. Voices spread their power over a series
// of harmonics shaped by formants, and noise over everything. Even a high voice on a close
// vowel ("oo"), whose fundamental carries most of its power, leaves more than a tenth to
// the rest of the series; a tone leaves next to nothing.
namespace sphinx {

// The share (0..1) of the sounding 10 ms frames of 16 kHz audio whose power lies mostly
// (at least `peakShare` of it) within about 80 Hz of one frequency. Frames more than
// 30 dB below the loudest frame, and audio with no frame louder than faint hiss, count
// as silence; silence alone gives 0.
double tonalShare(const std::int16_t* samples, std::size_t count, double peakShare = 0.9);

} // namespace sphinx
