#include "speech/sphinx/NoiseSuppressor.h"

#include <algorithm>
#include <cstdlib>
#include <speex/speex_preprocess.h>

namespace sphinx {
namespace {

constexpr int sampleRate = 16000;
constexpr std::size_t frameSamples = 160; // 10 ms, the decoders' frame step

} // namespace

NoiseSuppressor::NoiseSuppressor(int maxAttenuationDb)
    : state_(speex_preprocess_state_init(static_cast<int>(frameSamples), sampleRate))
{
    int on = 1;
    speex_preprocess_ctl(state_, SPEEX_PREPROCESS_SET_DENOISE, &on);
    // The preprocessor takes the limit as a gain in dB: negative.
    int limit = -std::abs(maxAttenuationDb);
    speex_preprocess_ctl(state_, SPEEX_PREPROCESS_SET_NOISE_SUPPRESS, &limit);
}

NoiseSuppressor::~NoiseSuppressor()
{
    speex_preprocess_state_destroy(state_);
}

void NoiseSuppressor::learn(const std::int16_t* samples, std::size_t count)
{
    spx_int16_t frame[frameSamples];
    for (std::size_t pos = 0; pos + frameSamples <= count; pos += frameSamples) {
        std::copy(samples + pos, samples + pos + frameSamples, frame);
        speex_preprocess_estimate_update(state_, frame);
    }
}

std::vector<std::int16_t> NoiseSuppressor::clean(const std::int16_t* samples, std::size_t count)
{
    std::vector<std::int16_t> out(samples, samples + count);
    // The last part frame is padded with silence for the preprocessor and cut off after.
    out.resize((count + frameSamples - 1) / frameSamples * frameSamples, 0);
    for (std::size_t pos = 0; pos < out.size(); pos += frameSamples)
        speex_preprocess_run(state_, out.data() + pos);
    out.resize(count);
    return out;
}

} // namespace sphinx
