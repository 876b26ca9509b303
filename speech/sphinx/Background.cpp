#include "speech/sphinx/Background.h"

#include <algorithm>
#include <cmath>

namespace sphinx {
namespace {

constexpr std::size_t kWindowFrames = 150;                       // 1.5 s
constexpr std::size_t kRecentSamples = 100 * Background::kFrame; // 1 s
// A frame within this much of the background's level is taken as background.
constexpr double kBackgroundWithinDb = 3;

} // namespace

double Background::levelOf(const std::int16_t* frame)
{
    double sum = 0;
    for (std::size_t i = 0; i < kFrame; ++i)
        sum += static_cast<double>(frame[i]) * frame[i];
    return 10 * std::log10(sum / kFrame + 1);
}

void Background::add(const std::int16_t* frame)
{
    const double db = levelOf(frame);
    levels_.push_back(db);
    if (levels_.size() > kWindowFrames)
        levels_.pop_front();
    sorted_.assign(levels_.begin(), levels_.end());
    const auto tenth = sorted_.begin() + static_cast<std::ptrdiff_t>(sorted_.size() / 10);
    std::nth_element(sorted_.begin(), tenth, sorted_.end());
    level_ = *tenth;
    if (db < level_ + kBackgroundWithinDb) {
        recent_.insert(recent_.end(), frame, frame + kFrame);
        while (recent_.size() > kRecentSamples)
            recent_.erase(recent_.begin(), recent_.begin() + kFrame);
    }
}

} // namespace sphinx
