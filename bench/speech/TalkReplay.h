#pragma once

#include "bench/speech/SpeechTally.h"

#include <optional>
#include <utility>

namespace bench {

// The phrases push-to-talk lets through of what the decoder made of one file: its
// utterance starts and ends go through the launcher's talk gate, on the stream's own
// clock, with the talk key held from `held->first` to `held->second` (ms), or never.
QStringList talkAdmitted(const Outcome& o, std::optional<std::pair<double, double>> held);

} // namespace bench
