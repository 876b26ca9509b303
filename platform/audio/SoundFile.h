#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct sf_private_tag;

namespace platform {

// Sound as the output takes it: interleaved signed 16-bit samples (one per channel in
// each frame) and the rate and channel count to play them at.
struct Pcm
{
    int sampleRate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;

    std::size_t frames() const
    {
        return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
    }
};

// A sound file read as 16-bit samples at its own rate and channel count, whatever its
// encoding: WAV of any sample width, and every other format libsndfile reads (AIFF,
// FLAC, Ogg, ...). Reading goes piece by piece, so a long file is never held whole.
class SoundFileReader
{
public:
    explicit SoundFileReader(const QString& path);
    ~SoundFileReader();
    SoundFileReader(const SoundFileReader&) = delete;
    SoundFileReader& operator=(const SoundFileReader&) = delete;

    // False when the file is missing, is not sound, or has a rate or channel count that
    // sound output cannot take (more than 32 channels, more than 384 kHz).
    bool isOpen() const { return file_ != nullptr; }
    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }

    // Replaces `samples` with the next frames, at most `maxFrames` of them, and returns
    // how many frames it read: 0 at the end, on a damaged file and on a closed reader.
    std::size_t read(std::vector<std::int16_t>& samples, std::size_t maxFrames);

private:
    sf_private_tag* file_ = nullptr;
    int sampleRate_ = 0;
    int channels_ = 0;
};

// The whole file at once, up to `maxFrames` frames (the default is about a minute and a
// half at 44.1 kHz), or nothing when it cannot be read as sound. A file without frames
// gives an empty Pcm with its format. Playing reads piece by piece instead.
std::optional<Pcm> decodeSoundFile(const QString& path, std::size_t maxFrames = 1u << 22);

// The standard beep: 150 ms of 880 Hz at 44.1 kHz, mono, at half of full scale, faded in
// and out over 5 ms so that it starts and ends without a click.
Pcm beepTone();

} // namespace platform
