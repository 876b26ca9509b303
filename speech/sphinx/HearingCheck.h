#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace sphinx {

// The phones a phone-loop decoder hears in 16 kHz audio, or nothing when it finds no
// path of finite score.
using PhonesHeard = std::function<std::optional<QStringList>(const std::vector<std::int16_t>&)>;

// Whether a model changed by the user's voice training still hears: a transform can drive
// every Gaussian far from any voice, or onto one another, and the model then takes every
// sound for the same one, so that the recogniser would hear nothing and not say so. Two
// made-up sounds of half a second each, faint hiss and a voiced vowel in the same hiss,
// must come out as silence and as speech. Empty when they do; otherwise what went wrong.
QString hearingProblem(const PhonesHeard& phonesOf);

} // namespace sphinx
