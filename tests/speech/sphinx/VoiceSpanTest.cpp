#include "speech/sphinx/VoiceSpan.h"
#include "tests/support/SynthAudio.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace synth;

TEST(VoiceSpanTest, FindsTheVoiceInTalkButNotInSteadyNoise)
{
    const std::vector<std::int16_t> voice = vowel(0.5, 140, 10000);
    const double voicePower = power(voice.data(), voice.size());
    // Noise `belowDb` under the voice's power.
    const auto talk = [&](double seconds, double belowDb, std::uint32_t seed) {
        return noise(seconds,
                     static_cast<int>(std::sqrt(3 * voicePower / std::pow(10, belowDb / 10))),
                     seed);
    };
    const std::vector<std::int16_t> silence(8000, 0);
    struct Case
    {
        const char* what;
        std::vector<std::int16_t> audio;
        std::vector<std::int16_t> background;
        std::size_t pad;
        std::pair<double, double> seconds;
    } cases[] = {
        {"talk 25 dB down either side",
         talk(1, 25, 1) + voice + talk(1, 25, 2),
         talk(1, 25, 3),
         0,
         {1, 1.5}},
        {"with a little of it kept",
         talk(1, 25, 1) + voice + talk(1, 25, 2),
         talk(1, 25, 3),
         4800,
         {0.7, 1.8}},
        {"a quiet room", silence + voice + silence, talk(1, 60, 3), 0, {0.5, 1}},
        {"steady noise 12 dB down is all voice",
         talk(1, 12, 1) + voice + talk(1, 12, 2),
         talk(1, 12, 3),
         0,
         {0, 2.5}},
        {"talk alone", talk(2, 25, 1), talk(1, 25, 3), 0, {0, 2}},
    };
    for (const Case& c : cases) {
        const auto [begin, end] = sphinx::voiceSpan(
            c.audio.data(), c.audio.size(),
            sphinx::backgroundLevel(c.background.data(), c.background.size()), 18, c.pad);
        EXPECT_NEAR(begin / rate, c.seconds.first, 0.011) << c.what;
        EXPECT_NEAR(end / rate, c.seconds.second, 0.011) << c.what;
    }
}

} // namespace
