#include "speech/sphinx/SignalToNoise.h"
#include "tests/support/SynthAudio.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace synth;

// A vowel spoken over steady noise, with a little of the noise alone before and after.
std::vector<std::int16_t> spokenOver(int noiseAmplitude, double vowelAmplitude)
{
    const std::vector<std::int16_t> voice = vowel(1, 150, vowelAmplitude);
    std::vector<std::int16_t> under = noise(1, noiseAmplitude, 11);
    for (std::size_t i = 0; i < under.size(); ++i)
        under[i] = static_cast<std::int16_t>(under[i] + voice[i]);
    return noise(0.4, noiseAmplitude, 3) + under + noise(0.4, noiseAmplitude, 5);
}

double snr(const std::vector<std::int16_t>& audio)
{
    return sphinx::signalToNoiseDb(audio.data(), audio.size());
}

TEST(SignalToNoiseTest, MeasuresSpeechAgainstTheBackground)
{
    // The vowel's own power against the noise's: what the estimate should come close to.
    const std::vector<std::int16_t> voice = vowel(1, 150, 8000);
    const std::vector<std::int16_t> background = noise(1, 800);
    const double expected = 10 * std::log10(power(voice.data(), voice.size()) /
                                            power(background.data(), background.size()));
    EXPECT_NEAR(snr(spokenOver(800, 8000)), expected, 3.0);

    // Louder noise under the same voice, a lower ratio.
    EXPECT_GT(snr(spokenOver(300, 8000)), snr(spokenOver(800, 8000)) + 6);
    EXPECT_GT(snr(spokenOver(800, 8000)), snr(spokenOver(3000, 8000)) + 6);
}

TEST(SignalToNoiseTest, AKnownBackgroundNeedsNoQuietInTheUtterance)
{
    // Speech from end to end, with the background heard elsewhere: the same ratio as
    // when the utterance has quiet of its own to measure it from.
    const std::vector<std::int16_t> background = noise(1, 800, 13);
    const std::vector<std::int16_t> spoken = spokenOver(800, 8000);
    std::vector<std::int16_t> wall = vowel(1, 150, 8000);
    for (std::size_t i = 0; i < wall.size(); ++i)
        wall[i] = static_cast<std::int16_t>(wall[i] + background[i]);
    const double known =
        sphinx::signalToNoiseDb(wall.data(), wall.size(), background.data(), background.size());
    EXPECT_NEAR(known, snr(spoken), 2.0);
    EXPECT_LT(snr(wall), known - 6); // on its own, the wall of speech is its own noise
    EXPECT_EQ(sphinx::signalToNoiseDb(wall.data(), wall.size(), nullptr, 0), 0);
}

TEST(SignalToNoiseTest, DigitalSilenceAndShortAudioStayFinite)
{
    // Exact zeros around the voice: a very high ratio, not an infinite one.
    const std::vector<std::int16_t> quiet = std::vector<std::int16_t>(8000, 0) +
                                            vowel(1, 150, 8000) +
                                            std::vector<std::int16_t>(8000, 0);
    const double clean = snr(quiet);
    EXPECT_TRUE(std::isfinite(clean));
    EXPECT_GT(clean, 50);
    EXPECT_EQ(snr(std::vector<std::int16_t>(16000, 0)), 0);
    EXPECT_EQ(snr(vowel(0.005, 150, 8000)), 0); // shorter than a frame
    EXPECT_EQ(sphinx::signalToNoiseDb(nullptr, 0), 0);
}

} // namespace
