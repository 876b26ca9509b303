#pragma once

#include <QString>

class Recognizer;
namespace platform {
class Audio;
}

// Plays the sound file `path` with recognition paused, so that the recogniser does not
// hear it, and returns when the sound has ended. The path counts up to its first NUL
// character: texts read from the store keep their terminating NUL. A file that cannot
// be played sounds the beep instead. Recognition is on afterwards, also when it was off
// before the call.
void PlayWaveFile(Recognizer& recognizer, platform::Audio& audio, const QString& path);

// The beep of the start sound, played the same way: recognition paused, then on.
void PlayBeep(Recognizer& recognizer, platform::Audio& audio);
