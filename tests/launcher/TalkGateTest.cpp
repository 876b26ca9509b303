#include "launcher/TalkGate.h"

#include <gtest/gtest.h>
#include <string>

// Push-to-talk's gate, step by step on a clock the test moves: each case is a list of
// events, and whether the utterance that ends at the close counts.
namespace {

struct Case
{
    const char* name;
    std::string steps; // d key down, u key up, t "/talk", s speech begins, +N N ms pass
    bool counts;
};

bool run(const std::string& steps)
{
    qint64 now = 0;
    TalkGate gate([&now] { return now; });
    gate.setEnabled(true);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        switch (steps[i]) {
        case 'd':
            gate.keyDown();
            break;
        case 'u':
            gate.keyUp();
            break;
        case 't':
            gate.talkOnce();
            break;
        case 's':
            gate.utteranceStarted();
            break;
        case '+': {
            std::size_t used = 0;
            now += std::stoll(steps.substr(i + 1), &used);
            i += used;
            break;
        }
        default:
            break;
        }
    }
    return gate.admits();
}

TEST(TalkGate, AnUtteranceCountsWhenItBeganWhileTheKeyWasHeld)
{
    const Case cases[] = {
        {"no key at all", "s+900", false},
        {"said while held", "d+100s+900u", true},
        {"released before the phrase ends", "d+100s+200u+800", true},
        {"begun in the tail", "d+500u+250s+900", true},
        {"begun after the tail", "d+500u+350s+900", false},
        {"key pressed after speech began", "s+100d+900u", false},
        {"an engine that says no beginning: judged on arrival", "d+500", true},
        {"...and after the tail", "d+100u+400", false},
        {"/talk: the next utterance", "t+1000s+900", true},
        {"/talk waits five seconds for speech", "t+5100s+900", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(run(c.steps), c.counts) << c.name;
}

TEST(TalkGate, TalkOpensForOneUtteranceAndOffLetsEverythingThrough)
{
    qint64 now = 0;
    TalkGate gate([&now] { return now; });
    EXPECT_TRUE(gate.admits()); // push-to-talk off
    gate.setEnabled(true);
    EXPECT_FALSE(gate.isOpen());
    gate.talkOnce();
    gate.utteranceStarted();
    now += 8000; // a long phrase keeps what it began with
    EXPECT_TRUE(gate.admits());
    gate.utteranceStarted();
    EXPECT_FALSE(gate.admits());
    // Held across a change of options, the key is forgotten.
    gate.keyDown();
    gate.setEnabled(true);
    EXPECT_FALSE(gate.isOpen());
}

} // namespace
