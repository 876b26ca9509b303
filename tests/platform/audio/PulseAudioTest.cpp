#include "platform/audio/PulseAudio.h"
#include "tests/platform/audio/WavBytes.h"
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

namespace {

// A private PulseAudio server on a socket in a temporary folder, with its own home and
// runtime folders so that it meets no other server. Its one output writes what it
// plays into a FIFO, as 44.1 kHz mono 16-bit samples, as fast as they are read: sound
// passes through without taking its playing time.
class PrivatePulseServer
{
public:
    PrivatePulseServer()
    {
        const QString runtime = dir_.file(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString socket = dir_.file(QStringLiteral("native"));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir_.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.file(QStringLiteral("config")));
        env.remove(QStringLiteral("PULSE_SERVER"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
             QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
             QStringLiteral("--disable-shm=yes"), QStringLiteral("--realtime=no"),
             QStringLiteral("--high-priority=no"), QStringLiteral("--log-target=stderr"),
             QStringLiteral("-L"),
             QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket,
             QStringLiteral("-L"),
             QStringLiteral("module-pipe-sink sink_name=out format=s16le rate=44100 "
                            "channels=1 file=") +
                 output()});
        // Up once both modules have made their files; clients that come early wait.
        const bool up = QTest::qWaitFor(
            [&] {
                return process_.state() == QProcess::NotRunning ||
                       (QFileInfo::exists(socket) && QFileInfo::exists(output()));
            },
            20000);
        if (up && process_.state() == QProcess::Running)
            server_ = QStringLiteral("unix:") + socket;
    }

    ~PrivatePulseServer()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(10000))
                process_.kill();
            process_.waitForFinished();
        }
    }

    // Empty when the server did not come up.
    QString server() const { return server_; }
    QString output() const { return dir_.file(QStringLiteral("output")); }
    QString log() { return QString::fromLocal8Bit(process_.readAll()); }

private:
    TempDir dir_;
    QProcess process_;
    QString server_;
};

// Reads the server's output FIFO on a thread of its own and counts the samples louder
// than `level`.
class OutputListener
{
public:
    OutputListener(const QString& fifo, int level)
    {
        fd_ = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        if (fd_ >= 0)
            thread_ = std::thread([this, level] { listen(level); });
    }
    ~OutputListener()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool isOpen() const { return fd_ >= 0; }
    int loudSamples() const { return loud_; }

private:
    void listen(int level)
    {
        std::vector<unsigned char> bytes;
        unsigned char buffer[8192];
        while (!stop_) {
            pollfd readable{fd_, POLLIN, 0};
            if (::poll(&readable, 1, 10) <= 0)
                continue;
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got <= 0)
                continue;
            bytes.insert(bytes.end(), buffer, buffer + got);
            std::size_t i = 0;
            for (; i + 1 < bytes.size(); i += 2) {
                const auto sample = static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8);
                if (std::abs(int{sample}) > level)
                    ++loud_;
            }
            bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }

    int fd_ = -1;
    std::atomic<bool> stop_ = false;
    std::atomic<int> loud_ = 0;
    std::thread thread_;
};

} // namespace

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
