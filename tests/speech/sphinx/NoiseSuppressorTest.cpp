#include "speech/sphinx/NoiseSuppressor.h"
#include "tests/support/SynthAudio.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace synth;

double db(double ratio)
{
    return 10 * std::log10(ratio);
}

// Power of samples [from, to) of a recording, in seconds.
double powerOf(const std::vector<std::int16_t>& audio, double from, double to)
{
    const auto first = static_cast<std::size_t>(from * rate);
    const auto last = std::min(audio.size(), static_cast<std::size_t>(to * rate));
    return power(audio.data() + first, last - first);
}

TEST(NoiseSuppressorTest, LowersSteadyNoiseAndKeepsTheVoice)
{
    // Two seconds of noise with a vowel in the second.
    std::vector<std::int16_t> audio = noise(2, 1500);
    const std::vector<std::int16_t> voice = vowel(1, 150, 10000);
    for (std::size_t i = 0; i < voice.size(); ++i)
        audio[16000 + i] = static_cast<std::int16_t>(audio[16000 + i] + voice[i]);

    // As the decoder does: the first 0.2 s, three times over, for an estimate that has
    // settled.
    sphinx::NoiseSuppressor suppressor(15);
    for (int i = 0; i < 3; ++i)
        suppressor.learn(audio.data(), 3200);
    const std::vector<std::int16_t> cleaned = suppressor.clean(audio.data(), audio.size());
    ASSERT_EQ(cleaned.size(), audio.size());

    // The noise alone loses at least 10 dB, never more than the 15 allowed (and a little
    // for the estimate's spread).
    const double noiseDrop = db(powerOf(audio, 0.3, 0.9) / powerOf(cleaned, 0.3, 0.9));
    EXPECT_GT(noiseDrop, 10);
    EXPECT_LT(noiseDrop, 18);
    // The voice keeps most of its power.
    const double voiceKept = db(powerOf(cleaned, 1.1, 1.9) / power(voice.data(), voice.size()));
    EXPECT_GT(voiceKept, -3);
}

TEST(NoiseSuppressorTest, AttenuatesNoMoreThanAllowed)
{
    const std::vector<std::int16_t> audio = noise(1, 1500);
    sphinx::NoiseSuppressor gentle(6);
    gentle.learn(audio.data(), audio.size());
    const std::vector<std::int16_t> cleaned = gentle.clean(audio.data(), audio.size());
    const double drop = db(powerOf(audio, 0.2, 1) / powerOf(cleaned, 0.2, 1));
    EXPECT_GT(drop, 2);
    EXPECT_LT(drop, 8);
}

TEST(NoiseSuppressorTest, KeepsTheLengthOfAnyPiece)
{
    sphinx::NoiseSuppressor suppressor(15);
    // Enough audio for every piece cleaned below, the longest ending in a part frame.
    const std::vector<std::int16_t> audio = noise(0.2, 500);
    // Less than a frame to learn from teaches nothing and does no harm.
    suppressor.learn(audio.data(), 100);
    EXPECT_EQ(suppressor.clean(audio.data(), 1601).size(), 1601u);
    EXPECT_EQ(suppressor.clean(audio.data(), 7).size(), 7u);
    EXPECT_TRUE(suppressor.clean(audio.data(), 0).empty());
}

} // namespace
