#pragma once

#include "platform/audio/Audio.h"
#include "platform/audio/SoundFile.h"

#include <QByteArray>
#include <QString>

namespace platform {

// Sound output through the PulseAudio server of the desktop session (PipeWire's
// PulseAudio server too), on its default output. Every sound is played to its end
// before the call returns; without a reachable server nothing is played and the
// calls return at once, without a message.
class PulseAudio : public Audio
{
public:
    // `server` names the server as PULSE_SERVER does ("unix:/path/to/socket", a host
    // name); empty uses the session's default server.
    explicit PulseAudio(const QString& server = {});

    // False only when the file cannot be read as sound; whether a server played it does
    // not change the result.
    bool playSoundFile(const QString& path) override;
    void beep() override;

    // Plays `pcm` and returns when it has ended. False when no server took the sound.
    bool play(const Pcm& pcm);

private:
    QByteArray server_;
};

} // namespace platform
