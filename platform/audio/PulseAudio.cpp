#include "platform/audio/PulseAudio.h"

#include <pulse/channelmap.h>
#include <pulse/sample.h>
#include <pulse/simple.h>

#include <vector>

namespace platform {

namespace {

constexpr const char* kClientName = "Ombrel Sarquen";

// One playback stream on the server's default output, closed on destruction.
class PlaybackStream
{
public:
    PlaybackStream(const QByteArray& server, int sampleRate, int channels)
    {
        if (channels < 1 || static_cast<unsigned>(channels) > PA_CHANNELS_MAX || sampleRate < 1)
            return;
        pa_sample_spec sampleFormat{};
        sampleFormat.format = PA_SAMPLE_S16LE;
        sampleFormat.rate = static_cast<std::uint32_t>(sampleRate);
        sampleFormat.channels = static_cast<std::uint8_t>(channels);
        if (!pa_sample_spec_valid(&sampleFormat))
            return;
        // The standard layout for 1 to 8 channels; any further channels are auxiliary.
        pa_channel_map map;
        pa_channel_map_init_extend(&map, sampleFormat.channels, PA_CHANNEL_MAP_DEFAULT);
        stream_ = pa_simple_new(server.isEmpty() ? nullptr : server.constData(), kClientName,
                                PA_STREAM_PLAYBACK, nullptr, "Sound", &sampleFormat, &map, nullptr,
                                nullptr);
    }
    ~PlaybackStream()
    {
        if (stream_)
            pa_simple_free(stream_);
    }
    PlaybackStream(const PlaybackStream&) = delete;
    PlaybackStream& operator=(const PlaybackStream&) = delete;

    bool isOpen() const { return stream_ != nullptr; }

    bool write(const std::vector<std::int16_t>& samples)
    {
        if (samples.empty())
            return true;
        return pa_simple_write(stream_, samples.data(), samples.size() * sizeof(std::int16_t),
                               nullptr) == 0;
    }

    // Waits until everything written has been played.
    bool drain() { return pa_simple_drain(stream_, nullptr) == 0; }

private:
    pa_simple* stream_ = nullptr;
};

} // namespace

PulseAudio::PulseAudio(const QString& server) : server_(server.toLocal8Bit()) {}

bool PulseAudio::playSoundFile(const QString& path)
{
    SoundFileReader reader(path);
    if (!reader.isOpen())
        return false;
    // About a tenth of a second per piece at common rates.
    constexpr std::size_t chunkFrames = 4096;
    std::vector<std::int16_t> chunk;
    if (reader.read(chunk, chunkFrames) == 0)
        return true; // a sound without frames: nothing to play
    PlaybackStream stream(server_, reader.sampleRate(), reader.channels());
    if (!stream.isOpen())
        return true;
    do {
        if (!stream.write(chunk))
            return true; // the server went away
    } while (reader.read(chunk, chunkFrames) > 0);
    stream.drain();
    return true;
}

void PulseAudio::beep()
{
    play(beepTone());
}

bool PulseAudio::play(const Pcm& pcm)
{
    PlaybackStream stream(server_, pcm.sampleRate, pcm.channels);
    if (!stream.isOpen())
        return false;
    return stream.write(pcm.samples) && stream.drain();
}

} // namespace platform
