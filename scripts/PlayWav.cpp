#include "scripts/PlayWav.h"

#include "app/speech/Recognizer.h"
#include "platform/audio/Audio.h"

void PlayWaveFile(Recognizer& recognizer, platform::Audio& audio, const QString& path)
{
    recognizer.StopRecognition();
    const qsizetype end = path.indexOf(QChar(u'\0'));
    if (!audio.playSoundFile(end < 0 ? path : path.left(end)))
        audio.beep();
    recognizer.StartRecognition();
}

void PlayBeep(Recognizer& recognizer, platform::Audio& audio)
{
    recognizer.StopRecognition();
    audio.beep();
    recognizer.StartRecognition();
}
