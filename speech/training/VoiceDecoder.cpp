#include "speech/training/VoiceDecoder.h"

#include "speech/training/Calibration.h"

namespace training {

std::unique_ptr<PhraseDecoder> voiceDecoder(const VoiceFolder& folder, QString* problem,
                                            QString* error)
{
    const PhraseDecoder::Settings settings = voiceSettings(folder, problem);
    std::unique_ptr<PhraseDecoder> decoder = PhraseDecoder::create(settings, error);
    if (!decoder && !settings.mllr.isEmpty()) {
        if (problem)
            *problem = QStringLiteral("Your voice training cannot be loaded (%1); the general "
                                      "voice model is used instead. Train your voice again to "
                                      "mend it.")
                           .arg(error ? *error : QString());
        decoder = PhraseDecoder::create(PhraseDecoder::defaultSettings(), error);
    }
    return decoder;
}

} // namespace training
