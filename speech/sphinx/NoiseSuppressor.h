#pragma once

#include <cstdint>
#include <vector>

struct SpeexPreprocessState_;

namespace sphinx {

// Takes steady background noise (fans, hiss, hum of a room) out of 16 kHz speech before
// the decoders hear it: the acoustic model knows speech recorded in quiet rooms, and noise
// under the words is what makes it take one phrase for another. Speex's preprocessor
// estimates the noise's spectrum where no one speaks and lowers each band by how much of
// it is noise, at most by `maxAttenuationDb`.
class NoiseSuppressor
{
public:
    explicit NoiseSuppressor(int maxAttenuationDb);
    ~NoiseSuppressor();
    NoiseSuppressor(const NoiseSuppressor&) = delete;
    NoiseSuppressor& operator=(const NoiseSuppressor&) = delete;

    // Learns the noise from audio that holds no speech, without changing it.
    void learn(const std::int16_t* samples, std::size_t count);
    // The audio with the noise taken out, as long as the audio given; the estimate of the
    // noise goes on adapting.
    std::vector<std::int16_t> clean(const std::int16_t* samples, std::size_t count);

private:
    SpeexPreprocessState_* state_;
};

} // namespace sphinx
