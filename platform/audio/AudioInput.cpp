#include "platform/audio/AudioInput.h"

#include "platform/audio/MicrophoneSearch.h"
#include "platform/audio/SoundFile.h"

#include <algorithm>
#include <chrono>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <thread>
#include <vector>

namespace platform {

namespace {

class MicrophoneInput : public AudioInput
{
public:
    explicit MicrophoneInput(QString server) : server_(std::move(server)) {}
    ~MicrophoneInput() override
    {
        if (stream_)
            pa_simple_free(stream_);
    }

    bool open(QString* error) override
    {
        const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, kSampleRate, 1};
        // Small fragments keep the time from speech to result short.
        pa_buffer_attr attributes{};
        attributes.maxlength = static_cast<std::uint32_t>(-1);
        attributes.fragsize = kSampleRate / 10 * 2;
        // Never the monitor of an output: that hears the speakers, not the user.
        const MicrophoneSearch microphone = findMicrophone(server_);
        if (microphone.outcome != MicrophoneSearch::Outcome::Found) {
            if (error)
                *error = microphone.detail;
            return false;
        }
        const QByteArray server = server_.toUtf8();
        const QByteArray source = microphone.source.toUtf8();
        int code = 0;
        stream_ = pa_simple_new(server.isEmpty() ? nullptr : server.constData(), "Ombrel Sarquen",
                                PA_STREAM_RECORD, source.constData(), "Voice commands",
                                &sampleFormat, nullptr, &attributes, &code);
        if (!stream_ && error)
            *error = QStringLiteral("the microphone cannot be opened: %1")
                         .arg(QString::fromUtf8(pa_strerror(code)));
        return stream_ != nullptr;
    }

    bool read(std::int16_t* samples, std::size_t count) override
    {
        int code = 0;
        return stream_ &&
               pa_simple_read(stream_, samples, count * sizeof(std::int16_t), &code) >= 0;
    }

private:
    QString server_;
    pa_simple* stream_ = nullptr;
};

class FileInput : public AudioInput
{
public:
    explicit FileInput(QString path) : path_(std::move(path)) {}

    bool open(QString* error) override
    {
        const std::optional<Pcm> pcm = decodeSoundFile(path_);
        if (!pcm || pcm->channels <= 0 || pcm->sampleRate <= 0) {
            if (error)
                *error = QStringLiteral("%1 cannot be read as sound").arg(path_);
            return false;
        }
        // Mono at 16 kHz: channels averaged, then resampled linearly.
        const std::size_t frames = pcm->frames();
        const double step = static_cast<double>(pcm->sampleRate) / kSampleRate;
        const std::size_t outFrames = static_cast<std::size_t>(frames / step);
        samples_.resize(outFrames);
        auto mono = [&](std::size_t frame) {
            long sum = 0;
            for (int c = 0; c < pcm->channels; ++c)
                sum += pcm->samples[frame * pcm->channels + c];
            return static_cast<double>(sum) / pcm->channels;
        };
        for (std::size_t i = 0; i < outFrames; ++i) {
            const double at = i * step;
            const std::size_t a = std::min(static_cast<std::size_t>(at), frames - 1);
            const std::size_t b = std::min(a + 1, frames - 1);
            const double t = at - static_cast<double>(a);
            samples_[i] = static_cast<std::int16_t>(mono(a) * (1 - t) + mono(b) * t);
        }
        started_ = std::chrono::steady_clock::now();
        return true;
    }

    bool read(std::int16_t* samples, std::size_t count) override
    {
        // Keep the pace of real speech: a piece is handed out when its time has come.
        delivered_ += count;
        std::this_thread::sleep_until(
            started_ + std::chrono::microseconds(delivered_ * 1000000 / kSampleRate));
        const std::size_t from = std::min(position_, samples_.size());
        const std::size_t n = std::min(count, samples_.size() - from);
        std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(from), n, samples);
        std::fill(samples + n, samples + count, std::int16_t{0});
        position_ += count;
        return true;
    }

private:
    QString path_;
    std::vector<std::int16_t> samples_;
    std::size_t position_ = 0;
    std::size_t delivered_ = 0;
    std::chrono::steady_clock::time_point started_;
};

} // namespace

std::unique_ptr<AudioInput> makeMicrophoneInput(const QString& server)
{
    return std::make_unique<MicrophoneInput>(server);
}

std::unique_ptr<AudioInput> makeFileInput(const QString& path)
{
    return std::make_unique<FileInput>(path);
}

} // namespace platform
