#include "scripts/PlayWav.h"

#include "platform/audio/Audio.h"
#include "platform/registry/StoredText.h"
#include "speech/Recognizer.h"

void PlayWaveFile(Recognizer& recognizer, platform::Audio& audio, const QString& path)
{
    recognizer.StopRecognition();
    if (!audio.playSoundFile(textBeforeNul(path)))
        audio.beep();
    recognizer.StartRecognition();
}

void PlayBeep(Recognizer& recognizer, platform::Audio& audio)
{
    recognizer.StopRecognition();
    audio.beep();
    recognizer.StartRecognition();
}
