#pragma once

#include "tests/support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest/QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// What a private server has besides its output "out" (whose monitor is a source too).
struct PulseDevices
{
    bool speakers = false;   // a null sink "speakers", with its monitor "speakers.monitor"
    bool microphone = false; // a pipe source "mic": what is written to microphone()
    QString defaultSource;   // empty: the server's own choice
};

// A private PulseAudio server on a socket in a temporary folder, with its own home and
// runtime folders so that it meets no other server. Its output "out" writes what it plays
// into a FIFO as mono 16-bit samples at `rate`, as fast as they are read: sound passes
// through without taking its playing time.
class PrivatePulseServer
{
public:
    explicit PrivatePulseServer(int rate = 44100, const PulseDevices& devices = {})
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
        QStringList arguments{
            QStringLiteral("-n"),
            QStringLiteral("--daemonize=no"),
            QStringLiteral("--exit-idle-time=-1"),
            QStringLiteral("--use-pid-file=no"),
            QStringLiteral("--disable-shm=yes"),
            QStringLiteral("--realtime=no"),
            QStringLiteral("--high-priority=no"),
            QStringLiteral("--log-target=stderr"),
            QStringLiteral("-L"),
            QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket,
            QStringLiteral("-L"),
            QStringLiteral("module-pipe-sink sink_name=out format=s16le rate=%1 channels=1 file=")
                    .arg(rate) +
                output()};
        if (devices.speakers)
            arguments << QStringLiteral("-L")
                      << QStringLiteral("module-null-sink sink_name=speakers");
        if (devices.microphone) {
            arguments << QStringLiteral("-L")
                      << QStringLiteral("module-pipe-source source_name=mic format=s16le "
                                        "rate=16000 channels=1 file=") +
                             microphone();
        }
        if (!devices.defaultSource.isEmpty()) {
            arguments << QStringLiteral("-F")
                      << dir_.write(QStringLiteral("default.pa"),
                                    "set-default-source " + devices.defaultSource.toUtf8() + "\n");
        }
        process_.start(QStringLiteral("pulseaudio"), arguments);
        const bool up = QTest::qWaitFor(
            [&] {
                return process_.state() == QProcess::NotRunning ||
                       (QFileInfo::exists(socket) && QFileInfo::exists(output()) &&
                        (!devices.microphone || QFileInfo::exists(microphone())));
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
    // The FIFO the microphone records from (see MicrophoneVoice).
    QString microphone() const { return dir_.file(QStringLiteral("microphone")); }
    QString log() { return QString::fromLocal8Bit(process_.readAll()); }

private:
    TempDir dir_;
    QProcess process_;
    QString server_;
};

// One end of a server's FIFO, served by a thread of its own until the object goes.
class FifoEnd
{
public:
    bool isOpen() const { return fd_ >= 0; }

protected:
    FifoEnd(const QString& fifo, int flags)
        : fd_(::open(QFile::encodeName(fifo).constData(), flags | O_NONBLOCK))
    {
    }
    ~FifoEnd()
    {
        stop();
        if (fd_ >= 0)
            ::close(fd_);
    }
    FifoEnd(const FifoEnd&) = delete;
    FifoEnd& operator=(const FifoEnd&) = delete;
    // Runs `serve` on the thread, when the FIFO is open.
    void start(std::function<void()> serve)
    {
        if (fd_ >= 0)
            thread_ = std::thread(std::move(serve));
    }
    // Ends the thread; the classes below call it first, as it uses their members.
    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    int fd_;
    std::atomic<bool> stop_ = false;

private:
    std::thread thread_;
};

// Reads the server's output FIFO on a thread of its own and counts the samples louder
// than `level`.
class OutputListener : public FifoEnd
{
public:
    OutputListener(const QString& fifo, int level) : FifoEnd(fifo, O_RDONLY)
    {
        start([this, level] { listen(level); });
    }
    ~OutputListener() { stop(); }

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

    std::atomic<int> loud_ = 0;
};

// Someone at the server's microphone: writes 16 kHz samples into its FIFO at the pace of
// speech, silence while nothing is said. A pipe source gives nothing while nothing is
// written, and whoever records from it would wait for ever.
class MicrophoneVoice : public FifoEnd
{
public:
    explicit MicrophoneVoice(const QString& fifo) : FifoEnd(fifo, O_WRONLY)
    {
        start([this] { talk(); });
    }
    ~MicrophoneVoice() { stop(); }

    // Says `samples` after what is being said now.
    void say(const std::vector<std::int16_t>& samples)
    {
        std::lock_guard<std::mutex> lock(lock_);
        words_.insert(words_.end(), samples.begin(), samples.end());
    }

private:
    void talk()
    {
        constexpr std::size_t piece = 1600; // 100 ms
        auto due = std::chrono::steady_clock::now();
        std::vector<std::int16_t> samples(piece);
        while (!stop_) {
            {
                std::lock_guard<std::mutex> lock(lock_);
                const std::size_t n = std::min(piece, words_.size());
                std::fill(std::copy_n(words_.begin(), n, samples.begin()), samples.end(), 0);
                words_.erase(words_.begin(), words_.begin() + static_cast<std::ptrdiff_t>(n));
            }
            const auto* bytes = reinterpret_cast<const char*>(samples.data());
            std::size_t left = piece * sizeof(std::int16_t);
            while (left > 0 && !stop_) {
                pollfd writable{fd_, POLLOUT, 0};
                if (::poll(&writable, 1, 10) <= 0)
                    continue;
                const ssize_t put = ::write(fd_, bytes, left);
                if (put > 0) {
                    bytes += put;
                    left -= static_cast<std::size_t>(put);
                }
            }
            due += std::chrono::milliseconds(100);
            std::this_thread::sleep_until(due);
        }
    }

    std::mutex lock_;
    std::vector<std::int16_t> words_;
};
