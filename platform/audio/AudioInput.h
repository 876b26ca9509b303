#pragma once

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// Where the recogniser's audio comes from: 16 kHz mono 16-bit samples, read in pieces
// on the recogniser's own thread.
class AudioInput
{
public:
    static constexpr int kSampleRate = 16000;

    virtual ~AudioInput() = default;
    // False, with the reason, when there is nothing to listen to.
    virtual bool open(QString* error) = 0;
    // Fills `count` samples, blocking as a microphone does. False when the input failed.
    virtual bool read(std::int16_t* samples, std::size_t count) = 0;
};

// The session's microphone through PulseAudio (or PipeWire's server): its default
// source when that is a real input, another real input when it is a monitor (see
// findMicrophone). Opening it fails, with the reason, without a server or a microphone.
std::unique_ptr<AudioInput> makeMicrophoneInput(const QString& server = {});

// A sound file heard at its own pace, as if it were spoken into the microphone, then
// silence. Any rate and channel count libsndfile reads; it is mixed down to mono and
// resampled to 16 kHz.
std::unique_ptr<AudioInput> makeFileInput(const QString& path);

} // namespace platform
