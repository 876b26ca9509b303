#include "speech/sphinx/HearingCheck.h"

#include "speech/sphinx/Acceptance.h"
#include "speech/sphinx/Hiss.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sphinx {

QString hearingProblem(const PhonesHeard& phonesOf)
{
    constexpr std::size_t kSamples = 8000;
    std::vector<std::int16_t> quiet(kSamples, 0);
    std::uint32_t hiss = 1;
    addHiss(quiet.data(), quiet.size(), hiss);
    // The vowel: ten harmonics of 120 Hz, loud, in the middle 0.3 s.
    std::vector<std::int16_t> voiced = quiet;
    for (std::size_t i = 1600; i < 6400; ++i) {
        double wave = 0;
        for (int k = 1; k <= 10; ++k)
            wave += std::sin(2 * std::numbers::pi * 120 * k * static_cast<double>(i) / 16000) / k;
        voiced[i] = static_cast<std::int16_t>(voiced[i] + 3000 * wave);
    }
    const std::optional<QStringList> inQuiet = phonesOf(quiet);
    const std::optional<QStringList> inVoice = phonesOf(voiced);
    if (!inQuiet || !inVoice)
        return QStringLiteral("the adapted model gives no finite score");
    const auto speech = [](const QString& phone) { return !isSilence(phone); };
    if (std::any_of(inQuiet->begin(), inQuiet->end(), speech))
        return QStringLiteral("the adapted model hears speech in quiet");
    if (std::none_of(inVoice->begin(), inVoice->end(), speech))
        return QStringLiteral("the adapted model hears no speech in a voice");
    return {};
}

} // namespace sphinx
