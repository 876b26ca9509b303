#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace training {

// Why a take of a prompt cannot be used for training, in words the user acts on: the
// voice overdrove the microphone (clipped), hardly stood out from the background (too
// quiet, or nothing said), or ran into the beginning or end of the recording (cut off).
// Nothing when the take is good. 16 kHz mono samples.
std::optional<QString> recordingFault(const std::vector<std::int16_t>& samples);

} // namespace training
