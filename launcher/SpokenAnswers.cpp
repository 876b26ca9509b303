#include "launcher/SpokenAnswers.h"

#include "common/DateWords.h"
#include "options/Options.h"
#include "platform/clock/Clock.h"
#include "scripts/PlayWav.h"
#include "speech/Recognizer.h"
#include "speech/Synthesizer.h"

#include <exception>

QString timeAnswer(const QTime& time)
{
    const int hour = time.hour();
    const bool pm = hour > 12;
    return QStringLiteral("The current time is %1 %2%3")
        .arg(pm ? hour - 12 : hour)
        .arg(time.minute())
        .arg(pm ? QStringLiteral(" PM") : QStringLiteral(" AM"));
}

QString dateText(const QDate& date)
{
    return QStringLiteral("%1 the %2%3 of %4, %5")
        .arg(weekdayName(date))
        .arg(date.day())
        .arg(daySuffix(date.day()), monthName(date.month()))
        .arg(date.year());
}

SpokenAnswers::SpokenAnswers(Recognizer& recognizer, Synthesizer& synthesizer,
                             platform::Clock& clock, platform::Audio& audio, const Options& options)
    : recognizer_(recognizer), synthesizer_(synthesizer), clock_(clock), audio_(audio),
      options_(options)
{
}

void SpokenAnswers::Speak(const QString& words)
{
    recognizer_.StopRecognition();
    synthesizer_.SpeakText(words);
    recognizer_.StartRecognition();
}

void SpokenAnswers::speakTime()
{
    Speak(timeAnswer(clock_.now().time()));
}

void SpokenAnswers::speakDate()
{
    Speak(QStringLiteral("Todays date is ") + getDate());
}

QString SpokenAnswers::getDate() const
{
    return dateText(clock_.now().date());
}

void SpokenAnswers::Sounding()
{
    // The start sound never reports a failure.
    try {
        if (options_.soundPlay != 1)
            return;
        if (options_.soundOpt == 0)
            PlayWaveFile(recognizer_, audio_, options_.soundPath);
        else if (options_.soundOpt == 1)
            PlayBeep(recognizer_, audio_);
    } catch (const std::exception&) {
    }
}
