#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

// An utterance heard over talk in the room holds the talk before the user began and after
// they stopped, and the passes would weigh that talk as much as the command: the phone
// loop finds phones in it, the grammar can only call it noise. The user's voice is the
// stretch that stands out from that talk, as VoiceEnd tells it apart.
namespace sphinx {

// The part of 16 kHz audio [begin, end) from `pad` samples before its first frame that is
// not background talk to `pad` samples after its last, as VoiceEnd::isVoice tells them
// apart against the loudest frame (which is always the voice's).
std::pair<std::size_t, std::size_t> voiceSpan(const std::int16_t* audio, std::size_t count,
                                              double backgroundDb, double dropDb, std::size_t pad);

// The level in dB of a stretch of background: the middle of its 10 ms frames' levels.
double backgroundLevel(const std::int16_t* samples, std::size_t count);

} // namespace sphinx
