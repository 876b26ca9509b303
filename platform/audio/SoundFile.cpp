#include "platform/audio/SoundFile.h"

#include <QFile>

#include <pulse/sample.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform {

SoundFileReader::SoundFileReader(const QString& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return;
    if (info.channels < 1 || static_cast<unsigned>(info.channels) > PA_CHANNELS_MAX ||
        info.samplerate < 1 || static_cast<unsigned>(info.samplerate) > PA_RATE_MAX) {
        sf_close(file);
        return;
    }
    // Floating-point files may hold values beyond full scale: clip them instead of
    // letting them wrap around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    file_ = file;
    sampleRate_ = info.samplerate;
    channels_ = info.channels;
}

SoundFileReader::~SoundFileReader()
{
    if (file_)
        sf_close(file_);
}

std::size_t SoundFileReader::read(std::vector<std::int16_t>& samples, std::size_t maxFrames)
{
    samples.clear();
    if (!file_ || maxFrames == 0)
        return 0;
    samples.resize(maxFrames * static_cast<std::size_t>(channels_));
    const sf_count_t got =
        sf_readf_short(file_, samples.data(), static_cast<sf_count_t>(maxFrames));
    const std::size_t frames = got > 0 ? static_cast<std::size_t>(got) : 0;
    samples.resize(frames * static_cast<std::size_t>(channels_));
    return frames;
}

std::optional<Pcm> decodeSoundFile(const QString& path, std::size_t maxFrames)
{
    SoundFileReader reader(path);
    if (!reader.isOpen())
        return std::nullopt;
    Pcm pcm;
    pcm.sampleRate = reader.sampleRate();
    pcm.channels = reader.channels();
    std::vector<std::int16_t> chunk;
    std::size_t frames = 0;
    while (frames < maxFrames) {
        const std::size_t got = reader.read(chunk, std::min<std::size_t>(4096, maxFrames - frames));
        if (got == 0)
            break;
        pcm.samples.insert(pcm.samples.end(), chunk.begin(), chunk.end());
        frames += got;
    }
    return pcm;
}

Pcm beepTone()
{
    constexpr int rate = 44100;
    constexpr double frequency = 880.0;
    constexpr int frames = rate * 150 / 1000;
    constexpr int fadeFrames = rate * 5 / 1000;
    constexpr double amplitude = 0.5 * 32767.0;

    Pcm pcm;
    pcm.sampleRate = rate;
    pcm.channels = 1;
    pcm.samples.resize(frames);
    for (int i = 0; i < frames; ++i) {
        // Raised-cosine ramps at both ends, reaching zero on the first and last frame.
        const int edge = std::min(i, frames - 1 - i);
        const double gain =
            edge >= fadeFrames ? 1.0 : 0.5 - 0.5 * std::cos(std::numbers::pi * edge / fadeFrames);
        const double value = std::sin(2.0 * std::numbers::pi * frequency * i / rate);
        pcm.samples[i] = static_cast<std::int16_t>(std::lround(amplitude * gain * value));
    }
    return pcm;
}

} // namespace platform
