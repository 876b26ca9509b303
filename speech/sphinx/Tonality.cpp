#include "speech/sphinx/Tonality.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace sphinx {
namespace {

constexpr std::size_t fftSize = 512;   // 31.25 Hz a bin at 16 kHz
constexpr std::size_t frameSize = 400; // 25 ms
constexpr std::size_t hop = 160;       // 10 ms
constexpr std::size_t lowestBin = 3;   // below about 90 Hz: hum and rumble, left out
constexpr int halfBand = 2;            // the band around the peak: 5 bins, about 156 Hz
// Frames quieter than this (mean square) are silence whatever the rest: faint hiss.
constexpr double silentPower = 1e4;
constexpr double quietBelowLoudest = 1e-3; // 30 dB

// In-place radix-2 FFT.
void fft(std::array<std::complex<double>, fftSize>& x)
{
    for (std::size_t i = 1, j = 0; i < fftSize; ++i) {
        std::size_t bit = fftSize >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (std::size_t len = 2; len <= fftSize; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi / len);
        for (std::size_t i = 0; i < fftSize; i += len) {
            std::complex<double> w = 1;
            for (std::size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> u = x[i + k], v = x[i + k + len / 2] * w;
                x[i + k] = u + v;
                x[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

} // namespace

double tonalShare(const std::int16_t* samples, std::size_t count, double peakShare)
{
    if (count < frameSize)
        return 0;
    static const std::vector<double> window = [] {
        std::vector<double> w(frameSize);
        for (std::size_t i = 0; i < frameSize; ++i)
            w[i] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (frameSize - 1));
        return w;
    }();
    struct Frame
    {
        double power = 0;
        bool tonal = false;
    };
    std::vector<Frame> frames;
    std::array<std::complex<double>, fftSize> x;
    for (std::size_t at = 0; at + frameSize <= count; at += hop) {
        Frame frame;
        for (std::size_t i = 0; i < frameSize; ++i)
            frame.power += static_cast<double>(samples[at + i]) * samples[at + i];
        frame.power /= frameSize;
        if (frame.power >= silentPower) {
            x.fill(0);
            for (std::size_t i = 0; i < frameSize; ++i)
                x[i] = samples[at + i] * window[i];
            fft(x);
            std::array<double, fftSize / 2> spectrum{};
            double total = 0;
            std::size_t peak = lowestBin;
            for (std::size_t k = lowestBin; k < fftSize / 2; ++k) {
                spectrum[k] = std::norm(x[k]);
                total += spectrum[k];
                if (spectrum[k] > spectrum[peak])
                    peak = k;
            }
            double band = 0;
            for (std::size_t k = peak > lowestBin + halfBand ? peak - halfBand : lowestBin;
                 k <= std::min(fftSize / 2 - 1, peak + halfBand); ++k)
                band += spectrum[k];
            frame.tonal = total > 0 && band >= peakShare * total;
        }
        frames.push_back(frame);
    }
    double loudest = 0;
    for (const Frame& f : frames)
        loudest = std::max(loudest, f.power);
    if (loudest < silentPower)
        return 0;
    int sounding = 0, tonal = 0;
    for (const Frame& f : frames) {
        if (f.power < silentPower || f.power < loudest * quietBelowLoudest)
            continue;
        ++sounding;
        tonal += f.tonal ? 1 : 0;
    }
    return sounding ? static_cast<double>(tonal) / sounding : 0;
}

} // namespace sphinx
