#pragma once

#include <QString>

namespace platform {

// Sound output. Both calls return only when the sound has ended; without a sound
// server they return at once, silently.
class Audio
{
public:
    virtual ~Audio() = default;

    // Plays a WAV (or other sound) file. False when the file cannot be read as sound.
    virtual bool playSoundFile(const QString& path) = 0;
    // The standard short beep.
    virtual void beep() = 0;
};

} // namespace platform
