#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>

// A canonical PCM WAV file (8-bit unsigned or 16-bit signed samples) of `frames`
// frames, each sample given by value(frame, channel) in the 16-bit range (8-bit files
// keep its high byte). `declaredFrames`, when not negative, is the length the header
// claims instead of the real one.
inline QByteArray wavBytes(int channels, int bits, int rate, int frames,
                           const std::function<std::int16_t(int, int)>& value,
                           long long declaredFrames = -1)
{
    const int bytesPerSample = bits / 8;
    const auto dataSize = static_cast<std::uint32_t>(
        (declaredFrames < 0 ? frames : declaredFrames) * channels * bytesPerSample);
    QByteArray out;
    const auto u32 = [&out](std::uint32_t v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    const auto u16 = [&out](std::uint16_t v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    out.append("RIFF");
    u32(36 + dataSize);
    out.append("WAVEfmt ");
    u32(16);
    u16(1); // PCM
    u16(static_cast<std::uint16_t>(channels));
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate * channels * bytesPerSample));
    u16(static_cast<std::uint16_t>(channels * bytesPerSample));
    u16(static_cast<std::uint16_t>(bits));
    out.append("data");
    u32(dataSize);
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const std::int16_t v = value(f, c);
            if (bits == 8)
                out.append(static_cast<char>((v >> 8) + 128));
            else
                u16(static_cast<std::uint16_t>(v));
        }
    }
    return out;
}

// A sine tone at `frequency`, at a quarter of full scale, in every channel.
inline std::function<std::int16_t(int, int)> toneAt(double frequency, int rate)
{
    return [=](int frame, int) {
        return static_cast<std::int16_t>(8000 *
                                         std::sin(2 * std::numbers::pi * frequency * frame / rate));
    };
}
