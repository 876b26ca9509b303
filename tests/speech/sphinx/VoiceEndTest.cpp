#include "speech/sphinx/VoiceEnd.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Stretch
{
    int frames;
    double frameDb;
    double backgroundDb;
};

// The frame (counted from 1) at which the voice is over, or 0 when it never is.
int endOf(int goneFrames, const std::vector<Stretch>& stretches)
{
    sphinx::VoiceEnd end(goneFrames, 18);
    int frame = 0;
    for (const Stretch& s : stretches) {
        for (int i = 0; i < s.frames; ++i) {
            ++frame;
            if (end.follow(s.frameDb, s.backgroundDb))
                return frame;
        }
    }
    return 0;
}

TEST(VoiceEndTest, EndsWhenTheUsersVoiceHasBeenGoneAPause)
{
    struct Case
    {
        const char* what;
        int goneFrames;
        std::vector<Stretch> stretches;
        int end;
    } cases[] = {
        {"a word in a quiet room", 30, {{10, 30, 30}, {40, 60, 30}, {50, 31, 30}}, 80},
        {"a word over talk in the room", 30, {{10, 48, 45}, {40, 70, 45}, {50, 50, 45}}, 80},
        {"talk 10 dB below the voice", 30, {{5, 60, 45}, {200, 50, 45}}, 0},
        {"steady noise 13 dB below the voice", 30, {{40, 65, 50}, {200, 52, 50}}, 0},
        {"a pause shorter than the end", 30, {{40, 60, 30}, {29, 30, 30}, {40, 60, 30}}, 0},
        {"a soft word after a loud click", 30, {{2, 90, 30}, {100, 50, 30}}, 0},
        {"the talk stops after the voice", 30, {{5, 60, 45}, {200, 35, 30}}, 35},
        {"none wanted", 0, {{40, 60, 30}, {200, 30, 30}}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(endOf(c.goneFrames, c.stretches), c.end) << c.what;
}

TEST(VoiceEndTest, ANewUtteranceWaitsForItsOwnVoice)
{
    sphinx::VoiceEnd end(3, 18);
    end.follow(60, 30);
    end.reset();
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(end.follow(30, 30));
}

} // namespace
