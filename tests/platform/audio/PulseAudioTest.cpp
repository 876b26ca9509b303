#include "platform/audio/PulseAudio.h"
#include "tests/platform/audio/WavBytes.h"
#include "tests/support/PrivatePulseServer.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using platform::PulseAudio;

// The test's environment points PULSE_SERVER at a socket that does not exist, so a
// default PulseAudio finds no server here.
TEST(PulseAudioWithoutServer, ReturnsAtOnceWithTheFilesReadability)
{
    TempDir dir;
    const QString sound = dir.write("tone.wav", wavBytes(1, 16, 16000, 16000, toneAt(440, 16000)));
    const QString garbage = dir.write("garbage.wav", QByteArray("not sound"));

    PulseAudio audio;
    EXPECT_TRUE(audio.playSoundFile(sound));
    EXPECT_FALSE(audio.playSoundFile(garbage));
    EXPECT_FALSE(audio.playSoundFile(dir.file("missing.wav")));
    EXPECT_FALSE(audio.play(platform::beepTone()));
    audio.beep();
}

TEST(PulseAudioWithServer, PlaysFilesAndTheBeepOnTheDefaultOutput)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
        GTEST_SKIP() << "no pulseaudio binary for a private server";
    PrivatePulseServer server;
    ASSERT_FALSE(server.server().isEmpty()) << server.log().toStdString();
    OutputListener speaker(server.output(), 1000);
    ASSERT_TRUE(speaker.isOpen());

    // A tenth of a second of a 440 Hz tone at 8000 (a quarter of full scale): at the
    // output's rate, 4410 samples, about 92% of them above 1000.
    TempDir dir;
    const QString stereo =
        dir.write("stereo.wav", wavBytes(2, 16, 22050, 2205, toneAt(440, 22050)));
    PulseAudio audio(server.server());
    EXPECT_TRUE(audio.playSoundFile(stereo));
    ASSERT_TRUE(QTest::qWaitFor([&] { return speaker.loudSamples() >= 3500; }, 20000))
        << speaker.loudSamples();

    // The beep at the output's own rate: nearly all of its 6615 samples are loud.
    int beepLoud = 0;
    for (std::int16_t s : platform::beepTone().samples)
        beepLoud += std::abs(int{s}) > 1000;
    EXPECT_TRUE(audio.play(platform::beepTone()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return speaker.loudSamples() >= 3500 + beepLoud; }, 20000))
        << speaker.loudSamples();
}
