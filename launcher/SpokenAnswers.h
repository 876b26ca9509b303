#pragma once

#include <QDate>
#include <QString>
#include <QTime>

class Recognizer;
class Synthesizer;
struct Options;
namespace platform {
class Audio;
class Clock;
} // namespace platform

// "The current time is 1 7 PM": hours past 12 count from 1 PM, every other hour
// (0 to 12) is AM; minutes without a leading zero.
QString timeAnswer(const QTime& time);

// "Wendsday the 21th of January, 2004": day name, day with its suffix (st, nd and rd
// only for 1, 2 and 3), month name and year, in the program's own spelling.
QString dateText(const QDate& date);

// Everything the program says goes through Speak, with recognition paused while the
// text is handed to the synthesiser, so that the program does not hear itself. The
// start sound is played the same way.
class SpokenAnswers
{
public:
    SpokenAnswers(Recognizer& recognizer, Synthesizer& synthesizer, platform::Clock& clock,
                  platform::Audio& audio, const Options& options);

    // Recognition is on again afterwards, even when the user had stopped listening.
    void Speak(const QString& words);
    void speakTime();
    void speakDate();
    QString getDate() const;
    // The sound that acknowledges the start phrase: the wave file, the beep, or none.
    void Sounding();

private:
    Recognizer& recognizer_;
    Synthesizer& synthesizer_;
    platform::Clock& clock_;
    platform::Audio& audio_;
    const Options& options_;
};
