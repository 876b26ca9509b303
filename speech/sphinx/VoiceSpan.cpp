#include "speech/sphinx/VoiceSpan.h"

#include "speech/sphinx/Background.h"
#include "speech/sphinx/VoiceEnd.h"

#include <algorithm>
#include <vector>

namespace sphinx {
namespace {

std::vector<double> frameLevels(const std::int16_t* samples, std::size_t count)
{
    std::vector<double> levels;
    for (std::size_t at = 0; at + Background::kFrame <= count; at += Background::kFrame)
        levels.push_back(Background::levelOf(samples + at));
    return levels;
}

} // namespace

std::pair<std::size_t, std::size_t> voiceSpan(const std::int16_t* audio, std::size_t count,
                                              double backgroundDb, double dropDb, std::size_t pad)
{
    const std::vector<double> levels = frameLevels(audio, count);
    if (levels.empty())
        return {0, count};
    const double loudest = *std::max_element(levels.begin(), levels.end());
    const auto voice = [&](double db) {
        return VoiceEnd::isVoice(db, backgroundDb, loudest, dropDb);
    };
    const auto first = std::find_if(levels.begin(), levels.end(), voice);
    const auto last = std::find_if(levels.rbegin(), levels.rend(), voice);
    const auto begin = static_cast<std::size_t>(first - levels.begin()) * Background::kFrame;
    const auto end = static_cast<std::size_t>(levels.rend() - last) * Background::kFrame;
    return {begin > pad ? begin - pad : 0, std::min(count, end + pad)};
}

double backgroundLevel(const std::int16_t* samples, std::size_t count)
{
    std::vector<double> levels = frameLevels(samples, count);
    if (levels.empty())
        return 0;
    const auto middle = levels.begin() + static_cast<std::ptrdiff_t>(levels.size() / 2);
    std::nth_element(levels.begin(), middle, levels.end());
    return *middle;
}

} // namespace sphinx
