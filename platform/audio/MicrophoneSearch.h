#pragma once

#include <QString>
#include <vector>

namespace platform {

// A recording source as the sound server lists it.
struct SoundSource
{
    QString name;
    QString description;
    bool monitor = false;   // the monitor of an output: what the speakers play, not a voice
    bool unplugged = false; // its active port is known to have nothing plugged in
};

// The source the voice is recorded from, or why there is none.
struct MicrophoneSearch
{
    enum class Outcome
    {
        Found,
        NoServer,
        NoMicrophone
    };
    Outcome outcome = Outcome::NoServer;
    QString source; // when found: the source's name
    // When found elsewhere than at the server's default source: which source and why;
    // when not found: why. Empty when the default source is taken.
    QString detail;
};

// The default source when it is a real input. Otherwise (the default is a monitor, or
// missing) the first real input listed with something plugged in, then the first real
// input at all: the server lists its sources oldest first, the built-in ones before
// those plugged in later. None when the server has only monitors.
MicrophoneSearch chooseMicrophone(const QString& defaultSource,
                                  const std::vector<SoundSource>& sources);

// Asks the sound server that `server` names (as PULSE_SERVER does; empty: the session's)
// for its default source and its sources, and chooses as above. Never starts a server.
MicrophoneSearch findMicrophone(const QString& server = {});

} // namespace platform
