#include "speech/sphinx/Background.h"
#include "tests/support/SynthAudio.h"

#include <gtest/gtest.h>

namespace {

using namespace synth;
using sphinx::Background;

// Feeds audio frame by frame; returns the background's level afterwards.
double follow(Background& background, const std::vector<std::int16_t>& audio)
{
    for (std::size_t at = 0; at + Background::kFrame <= audio.size(); at += Background::kFrame)
        background.add(audio.data() + at);
    return background.level();
}

double levelOf(const std::vector<std::int16_t>& audio)
{
    return Background::levelOf(audio.data());
}

TEST(BackgroundTest, FollowsSteadyNoiseThroughSpeech)
{
    Background background;
    const std::vector<std::int16_t> fan = noise(2, 1000);
    const double fanLevel = follow(background, fan);
    EXPECT_NEAR(fanLevel, levelOf(fan), 1.5);
    // Words over the fan, with pauses between them, do not lift it.
    std::vector<std::int16_t> words = vowel(0.4, 150, 12000) + noise(0.15, 1000, 3) +
                                      vowel(0.5, 180, 12000) + noise(0.2, 1000, 5);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<std::int16_t>(words[i] + fan[i % fan.size()] / 2);
    EXPECT_NEAR(follow(background, words), fanLevel, 3);
    // What it keeps of the recent background is the fan, never a word: a second of it.
    const std::deque<std::int16_t>& recent = background.recent();
    ASSERT_EQ(recent.size(), 16000u);
    const std::vector<std::int16_t> kept(recent.begin(), recent.end());
    EXPECT_LT(power(kept.data(), kept.size()), 2 * power(fan.data(), fan.size()));
}

TEST(BackgroundTest, SettlesOnANewBackgroundWithinTwoSeconds)
{
    Background background;
    const double quiet = follow(background, noise(3, 100));
    // A fan is switched on, and later off again.
    const double loud = follow(background, noise(2, 3000, 9));
    EXPECT_GT(loud, quiet + 25);
    EXPECT_NEAR(follow(background, noise(2, 100, 11)), quiet, 1.5);
    EXPECT_EQ(Background::levelOf(std::vector<std::int16_t>(160, 0).data()), 0);
}

} // namespace
