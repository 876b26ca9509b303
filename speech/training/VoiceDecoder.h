#pragma once

#include "speech/sphinx/PhraseDecoder.h"
#include "speech/training/VoiceFolder.h"

#include <memory>

namespace training {

// The recogniser's decoder for the user, as it is made at start and after the voice
// training changed: with the adaptation and its calibration when there is one, it is in
// use and it loads; otherwise the general model, and `problem` says why the adaptation
// was left out, in words the user acts on. Null, with the reason in `error`, only when
// the general model cannot be loaded either.
std::unique_ptr<PhraseDecoder> voiceDecoder(const VoiceFolder& folder, QString* problem,
                                            QString* error);

} // namespace training
