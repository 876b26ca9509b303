#pragma once

#include "speech/sphinx/UtteranceJudge.h"
#include "speech/whisper/WhisperProcess.h"

#include <memory>

namespace whisper {

// When Whisper's answer is taken for a phrase: what it heard freely is that phrase word for
// word; or the phrase is nearly as likely as what it heard (the log-probability by which it
// falls short at most `-margin`) and the model does not think that nothing was said.
struct Rule
{
    double margin;
    double noSpeech;
    bool takes(const Answer& answer) const;
};

// Whisper tiny.en, in its own process, as the judge of PocketSphinx's utterances.
class WhisperJudge final : public sphinx::UtteranceJudge
{
public:
    WhisperJudge(std::unique_ptr<WhisperProcess> process, const Rule& rule)
        : process_(std::move(process)), rule_(rule)
    {
    }
    bool loadPhrases(const QStringList& phrases, QString* error) override;
    bool judge(const std::vector<std::int16_t>& audio, DecodedUtterance& result) override;

private:
    std::unique_ptr<WhisperProcess> process_;
    Rule rule_;
    bool toldFailure_ = false;
};

} // namespace whisper
