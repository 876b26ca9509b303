#pragma once

#include "speech/sphinx/PhraseDecoder.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace sphinx {

// Decides which phrase a finished utterance was, in place of PocketSphinx's own passes:
// PocketSphinx still finds where each utterance begins and ends, and another recogniser
// hears the audio in between.
class UtteranceJudge
{
public:
    virtual ~UtteranceJudge() = default;
    // The grammar's phrases, exactly as the rules have them.
    virtual bool loadPhrases(const QStringList& phrases, QString* error) = 0;
    // Fills in the phrase (or leaves it empty), the candidate and the scores of `result`;
    // its end and its signal-to-noise ratio are already set. False when it cannot judge
    // (its engine failed): PocketSphinx then decides, as it does without a judge.
    virtual bool judge(const std::vector<std::int16_t>& audio, DecodedUtterance& result) = 0;
};

} // namespace sphinx
