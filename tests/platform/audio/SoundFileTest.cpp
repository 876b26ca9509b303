#include "platform/audio/SoundFile.h"
#include "tests/platform/audio/WavBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using platform::beepTone;
using platform::decodeSoundFile;
using platform::Pcm;

namespace {

struct Layout
{
    int channels;
    int bits;
    int rate;
};

class SoundFileLayouts : public ::testing::TestWithParam<Layout>
{
};

// Distinct values per frame and channel, with the low byte clear so that 8-bit files
// keep them exactly.
std::int16_t pattern(int frame, int channel)
{
    return static_cast<std::int16_t>(((frame * 37 + channel * 71) % 256 - 128) * 256);
}

} // namespace

TEST_P(SoundFileLayouts, DecodesEveryFrameAtTheFilesRateAndChannels)
{
    const Layout layout = GetParam();
    const int frames = layout.rate / 10 + 3; // a tenth of a second and an odd rest
    TempDir dir;
    const QString path = dir.write(
        "sound.wav", wavBytes(layout.channels, layout.bits, layout.rate, frames, pattern));

    const std::optional<Pcm> pcm = decodeSoundFile(path);
    ASSERT_TRUE(pcm.has_value());
    EXPECT_EQ(pcm->sampleRate, layout.rate);
    EXPECT_EQ(pcm->channels, layout.channels);
    ASSERT_EQ(pcm->frames(), static_cast<std::size_t>(frames));
    ASSERT_EQ(pcm->samples.size(), static_cast<std::size_t>(frames * layout.channels));
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < layout.channels; ++c)
            ASSERT_EQ(pcm->samples[f * layout.channels + c], pattern(f, c))
                << "frame " << f << " channel " << c;
}

INSTANTIATE_TEST_SUITE_P(Wav, SoundFileLayouts,
                         ::testing::Values(Layout{1, 8, 8000}, Layout{1, 16, 16000},
                                           Layout{2, 16, 44100}, Layout{2, 8, 16000},
                                           Layout{1, 16, 44100}, Layout{2, 16, 8000}));

TEST(SoundFile, FilesThatAreNotSoundAreRefused)
{
    TempDir dir;
    const QString garbage = dir.write("garbage.wav", QByteArray("This is not a sound at all.\n"));
    const QString empty = dir.write("empty.wav", QByteArray());
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    const QString binary = dir.write("noise.wav", noise);

    for (const QString& path : {garbage, empty, binary, dir.file("missing.wav"), dir.path()}) {
        EXPECT_FALSE(decodeSoundFile(path).has_value()) << path.toStdString();
        EXPECT_FALSE(platform::SoundFileReader(path).isOpen()) << path.toStdString();
    }
}

TEST(SoundFile, AHeaderThatPromisesMoreGivesWhatIsThere)
{
    TempDir dir;
    const QString path =
        dir.write("short.wav", wavBytes(1, 16, 16000, 100, pattern, 0x3fffffff / 2));
    const std::optional<Pcm> pcm = decodeSoundFile(path);
    ASSERT_TRUE(pcm.has_value());
    EXPECT_EQ(pcm->frames(), 100u);
}

TEST(SoundFile, ASoundWithoutFramesIsEmpty)
{
    TempDir dir;
    const std::optional<Pcm> pcm =
        decodeSoundFile(dir.write("none.wav", wavBytes(2, 16, 22050, 0, pattern)));
    ASSERT_TRUE(pcm.has_value());
    EXPECT_EQ(pcm->channels, 2);
    EXPECT_EQ(pcm->sampleRate, 22050);
    EXPECT_TRUE(pcm->samples.empty());
}

TEST(SoundFile, LayoutsSoundOutputCannotTakeAreRefused)
{
    TempDir dir;
    EXPECT_FALSE(decodeSoundFile(dir.write("many.wav", wavBytes(40, 16, 8000, 10, pattern))));
    EXPECT_FALSE(decodeSoundFile(dir.write("fast.wav", wavBytes(1, 16, 1000000, 10, pattern))));
}

TEST(BeepTone, IsAShortUnclippedToneThatStartsAndEndsInSilence)
{
    const Pcm beep = beepTone();
    ASSERT_EQ(beep.channels, 1);
    ASSERT_EQ(beep.sampleRate, 44100);
    EXPECT_EQ(beep.frames(), 44100u * 150 / 1000);

    const auto peak = [&beep](std::size_t from, std::size_t to) {
        int most = 0;
        for (std::size_t i = from; i < to; ++i)
            most = std::max(most, std::abs(int{beep.samples[i]}));
        return most;
    };
    const std::size_t n = beep.samples.size();
    EXPECT_GT(peak(0, n), 32767 * 4 / 10);
    EXPECT_LT(peak(0, n), 32767 * 6 / 10); // far from the clipping limits
    // The fades: silent at both ends and rising over the first few milliseconds.
    EXPECT_EQ(beep.samples.front(), 0);
    EXPECT_EQ(beep.samples.back(), 0);
    EXPECT_LT(peak(0, 44), peak(n / 2, n / 2 + 100) / 4);
    EXPECT_LT(peak(n - 44, n), peak(n / 2, n / 2 + 100) / 4);

    // 880 Hz: two zero crossings per period.
    int crossings = 0;
    for (std::size_t i = 1; i < n; ++i)
        if ((beep.samples[i - 1] < 0) != (beep.samples[i] < 0))
            ++crossings;
    EXPECT_NEAR(crossings, 2 * 880 * 0.150, 4);
}
