#pragma once

#include "speech/sphinx/PhraseDecoder.h"
#include "speech/training/VoiceFolder.h"

#include <functional>
#include <optional>

namespace training {

// How far the rejection thresholds are lowered for the user's voice: the general limits
// were set on other voices, and a quiet or accented speaker's right phrases can score
// below them even after adaptation. Measured on the user's own takes of phrases of the
// grammar, under the adapted model.
struct Calibration
{
    double relief = 0; // subtracted from every phrase and word threshold; 0 to kMaxRelief
    int takes = 0;     // the takes it was measured on
};

// The most the thresholds are lowered: below that, ordinary speech would pass as phrases.
inline constexpr double kMaxRelief = 8;

// Decodes every take whose prompt is a phrase of `grammarText` and lowers the thresholds
// so far that the weakest of them, taken for its own phrase, passes with some margin.
// Nothing when no take is a phrase of the grammar, or when `cancelled` (asked before each
// take) says the run was cancelled.
std::optional<Calibration> calibrate(PhraseDecoder& decoder,
                                     const PhraseDecoder::Settings& settings,
                                     const QString& grammarText,
                                     const std::vector<VoiceRecording>& recordings,
                                     const std::function<bool()>& cancelled = {});

bool saveCalibration(const QString& path, const Calibration& calibration, QString* error);
// Nothing when missing or damaged.
std::optional<Calibration> loadCalibration(const QString& path);

// The decoder's settings for the user: the general model's, with the adaptation and its
// calibration when there is one and it is in use. A stored adaptation that is damaged or
// does not fit the model is left out, and `problem` says so in words the user acts on.
PhraseDecoder::Settings voiceSettings(const VoiceFolder& folder, QString* problem);

} // namespace training
