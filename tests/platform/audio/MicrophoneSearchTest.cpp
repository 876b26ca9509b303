#include "platform/audio/MicrophoneSearch.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>

using platform::chooseMicrophone;
using platform::SoundSource;
using Outcome = platform::MicrophoneSearch::Outcome;

TEST(MicrophoneSearch, TakesARealInputAndNeverAMonitor)
{
    const SoundSource monitor{"speakers.monitor", "Monitor of Speakers", true, false};
    const SoundSource headset{"headset", "Headset Microphone", false, true}; // unplugged
    const SoundSource builtIn{"built-in", "Built-in Microphone", false, false};
    const struct
    {
        QString defaultSource;
        std::vector<SoundSource> sources;
        Outcome outcome;
        QString source;
        QString detail; // the start of it
    } cases[] = {
        // The default when it is a real input, even one with nothing plugged in.
        {"built-in", {monitor, builtIn}, Outcome::Found, "built-in", ""},
        {"headset", {headset, builtIn}, Outcome::Found, "headset", ""},
        // Otherwise a real input with something plugged in, then any real input.
        {"speakers.monitor",
         {monitor, headset, builtIn},
         Outcome::Found,
         "built-in",
         "listening to \"built-in\" (Built-in Microphone): the default source "
         "\"speakers.monitor\" is the monitor of an output, not a microphone"},
        {"speakers.monitor",
         {monitor, headset},
         Outcome::Found,
         "headset",
         "listening to \"headset\""},
        {"", {monitor, builtIn}, Outcome::Found, "built-in", "listening to \"built-in\""},
        {"gone", {builtIn}, Outcome::Found, "built-in", "listening to \"built-in\""},
        // Only monitors, or nothing at all: no microphone.
        {"speakers.monitor",
         {monitor},
         Outcome::NoMicrophone,
         "",
         "the sound server has no microphone, only the monitors of its outputs "
         "(\"speakers.monitor\")"},
        {"", {}, Outcome::NoMicrophone, "", "the sound server has no recording source"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defaultSource.toStdString() + " of " + std::to_string(c.sources.size()));
        const platform::MicrophoneSearch found = chooseMicrophone(c.defaultSource, c.sources);
        EXPECT_EQ(found.outcome, c.outcome);
        EXPECT_EQ(found.source, c.source);
        EXPECT_TRUE(c.detail.isEmpty() ? found.detail.isEmpty() : found.detail.startsWith(c.detail))
            << found.detail.toStdString();
    }
}
