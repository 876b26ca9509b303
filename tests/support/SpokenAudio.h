#pragma once

#include "tests/support/TempDir.h"

#include <QString>
#include <cstdint>
#include <vector>

// `text` read by espeak-ng, as 16 kHz mono with half a second of quiet either side and
// room noise under the voice, as a microphone has it. Files go into `dir`.
std::vector<std::int16_t> spoken(const TempDir& dir, const QString& text);
