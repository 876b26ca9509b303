#include "speech/training/RecordingCheck.h"

#include "speech/sphinx/Background.h"

#include <algorithm>
#include <cstdlib>

namespace training {
namespace {

using sphinx::Background;

// Samples this close to full scale are where the converter ran out of range; a few in a
// row mean the waveform was flattened, not just a loud peak.
constexpr int kFullScale = 32000;
constexpr int kClippedRun = 3;
constexpr int kClippedRuns = 3;
// The speech must stand this far (dB) above the quiet frames of the take.
constexpr double kSpeechAboveBackgroundDb = 15;
// And reach this level at its loudest (dB, as Background::levelOf): a voice quieter
// than that is mostly the microphone's own noise after the recogniser's gain.
constexpr double kLoudestSpeechDb = 45;
// A frame is speech when it lies within this much of the loudest frames.
constexpr double kSpeechFrameDb = 20;
// Speech this close to either end (frames of 10 ms) was cut off.
constexpr std::size_t kEdgeFrames = 12;
// At least this much speech (frames) makes a take of a prompt.
constexpr int kShortestSpeech = 15;

int clippedRuns(const std::vector<std::int16_t>& samples)
{
    int runs = 0, run = 0;
    for (const std::int16_t s : samples) {
        run = std::abs(static_cast<int>(s)) >= kFullScale ? run + 1 : 0;
        runs += run == kClippedRun ? 1 : 0;
    }
    return runs;
}

} // namespace

std::optional<QString> recordingFault(const std::vector<std::int16_t>& samples)
{
    if (clippedRuns(samples) >= kClippedRuns)
        return QStringLiteral("The recording is clipped: the voice was too loud for the "
                              "microphone. Speak a little further from it, or turn its level "
                              "down, and record again.");
    std::vector<double> levels;
    for (std::size_t at = 0; at + Background::kFrame <= samples.size(); at += Background::kFrame)
        levels.push_back(Background::levelOf(samples.data() + at));
    const auto tooQuiet = [] {
        return QStringLiteral("The recording is too quiet: the voice hardly stands out from "
                              "the background. Speak closer to the microphone, or turn its "
                              "level up, and record again.");
    };
    if (levels.size() < 2 * kEdgeFrames + kShortestSpeech)
        return tooQuiet();
    std::vector<double> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    const double quiet = sorted[sorted.size() / 10];
    const double loud = sorted[sorted.size() - 1 - sorted.size() / 50];
    if (loud - quiet < kSpeechAboveBackgroundDb || loud < kLoudestSpeechDb)
        return tooQuiet();
    const auto isSpeech = [&](double level) { return level >= loud - kSpeechFrameDb; };
    const long speechFrames = std::count_if(levels.begin(), levels.end(), isSpeech);
    if (speechFrames < kShortestSpeech)
        return tooQuiet();
    const bool early = std::any_of(levels.begin(), levels.begin() + kEdgeFrames, isSpeech);
    const bool late = std::any_of(levels.end() - kEdgeFrames, levels.end(), isSpeech);
    if (early)
        return QStringLiteral("The recording is cut off: you began speaking before it "
                              "started. Wait for the level meter to move, then read the "
                              "prompt again.");
    if (late)
        return QStringLiteral("The recording is cut off: it stopped before you had "
                              "finished. Record again and stop only after the last word.");
    return std::nullopt;
}

} // namespace training
