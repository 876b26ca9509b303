#include "speech/sphinx/Tonality.h"
#include "tests/support/SynthAudio.h"

#include <gtest/gtest.h>

namespace {

using namespace synth;

double share(const std::vector<std::int16_t>& audio)
{
    return sphinx::tonalShare(audio.data(), audio.size());
}

TEST(TonalityTest, BeepsWhistlesAndSweepsAreTonal)
{
    EXPECT_GT(share(sweep(1, 440, 440, 10000, sine)), 0.9);
    EXPECT_GT(share(sweep(1, 1000, 1000, 10000, sine)), 0.9);
    EXPECT_GT(share(sweep(2, 200, 4000, 10000, sine)), 0.9);
    EXPECT_GT(share(sweep(2, 3000, 300, 10000, sine)), 0.9);
    // The harmonics of a triangle wave fall off fast: its fundamental is all there is.
    EXPECT_GT(share(sweep(2, 500, 1500, 10000, triangle)), 0.9);
}

TEST(TonalityTest, VoicesAndNoiseAreNot)
{
    EXPECT_LT(share(vowel(0.5, 120, 10000)), 0.1);
    EXPECT_LT(share(vowel(0.5, 220, 10000)), 0.1);
    // A high voice on a close vowel: its first formant sits on the fundamental, which
    // carries most of the power, but the rest of the series is still there.
    EXPECT_LT(share(vowel(0.5, 300, 10000, {300, 870, 2240})), 0.1);
    // So is a buzzer's square wave: a series of harmonics, no narrow tone.
    EXPECT_LT(share(sweep(1, 300, 300, 10000, square)), 0.1);
    EXPECT_LT(share(noise(1, 8000)), 0.1);
    // A beep drowned in loud noise is no longer one narrow band.
    std::vector<std::int16_t> masked = sweep(1, 1000, 1000, 2000, sine);
    const std::vector<std::int16_t> loud = noise(1, 16000);
    for (std::size_t i = 0; i < masked.size(); ++i)
        masked[i] = static_cast<std::int16_t>(masked[i] / 2 + loud[i] / 2);
    EXPECT_LT(share(masked), 0.1);
}

TEST(TonalityTest, SilenceAroundATuneDoesNotDiluteIt)
{
    // Digital silence and faint hiss before and after count as neither.
    const std::vector<std::int16_t> beep = sweep(0.3, 880, 880, 10000, sine);
    EXPECT_GT(share(std::vector<std::int16_t>(16000, 0) + beep + noise(1, 100)), 0.9);
    // Beeps between stretches of a voice: the share is what each takes.
    const double mixed = share(vowel(0.5, 150, 10000) + beep + vowel(0.5, 150, 10000) + beep);
    EXPECT_GT(mixed, 0.2);
    EXPECT_LT(mixed, 0.6);
}

TEST(TonalityTest, NothingToMeasureIsNotTonal)
{
    EXPECT_EQ(sphinx::tonalShare(nullptr, 0), 0);
    const std::vector<std::int16_t> shortBeep = sweep(0.02, 1000, 1000, 10000, sine);
    EXPECT_EQ(share(shortBeep), 0); // shorter than one frame
    EXPECT_EQ(share(std::vector<std::int16_t>(16000, 0)), 0);
    EXPECT_EQ(share(noise(1, 100)), 0); // hiss only
    // The peak band is measured; a lower demand makes more frames count as tonal.
    const std::vector<std::int16_t> v = vowel(0.5, 120, 10000);
    EXPECT_GE(sphinx::tonalShare(v.data(), v.size(), 0.05), 0.9);
    const std::vector<std::int16_t> oo = vowel(0.5, 300, 10000, {300, 870, 2240});
    EXPECT_GE(sphinx::tonalShare(oo.data(), oo.size(), 0.7), 0.9);
}

} // namespace
