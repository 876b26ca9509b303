#include "speech/whisper/WhisperJudge.h"

#include <QRegularExpression>
#include <cstdio>

namespace whisper {

namespace {

// Lower-case words without punctuation: "What time is it?" is "what time is it".
QString words(const QString& text)
{
    static const QRegularExpression other(QStringLiteral("[^\\w']+"));
    return text.toLower().replace(other, QStringLiteral(" ")).simplified();
}

} // namespace

bool Rule::takes(const Answer& answer) const
{
    if (!answer.phrase)
        return false;
    return words(*answer.phrase) == words(answer.heard) ||
           (answer.phraseScore - answer.heardScore >= margin && answer.noSpeech <= noSpeech);
}

bool WhisperJudge::loadPhrases(const QStringList& phrases, QString* error)
{
    return process_->setPhrases(phrases, error);
}

bool WhisperJudge::judge(const std::vector<std::int16_t>& audio, DecodedUtterance& result)
{
    QString error;
    const std::optional<Answer> answer = process_->hear(audio, &error);
    if (!answer) {
        // Told once: the process answers nothing after that, and PocketSphinx decides.
        if (!toldFailure_)
            std::fprintf(stderr, "zorv: %s; PocketSphinx decides alone\n", qPrintable(error));
        toldFailure_ = true;
        return false;
    }
    result.candidate = answer->phrase;
    result.rival = answer->heard;
    result.score = answer->phraseScore;
    result.wordScore = answer->heardScore;
    result.rivalMargin = answer->phraseScore - answer->heardScore;
    result.noSpeech = answer->noSpeech;
    if (rule_.takes(*answer))
        result.phrase = answer->phrase;
    return true;
}

} // namespace whisper
