#include "speech/sphinx/Acceptance.h"

#include <algorithm>
#include <limits>

namespace sphinx {

bool isSilence(const QString& word)
{
    return word.isEmpty() || word.startsWith(QLatin1Char('<')) ||
           word.startsWith(QLatin1Char('[')) || word.startsWith(QLatin1Char('+')) ||
           word == QLatin1String("SIL");
}

Evidence compare(const std::vector<Segment>& grammarPath, const std::vector<Segment>& phonePath)
{
    // The phone loop's score frame by frame, each segment's spread evenly over its frames.
    int frames = 0;
    for (const Segment& s : phonePath)
        frames = std::max(frames, s.last + 1);
    std::vector<double> perFrame(static_cast<std::size_t>(frames), 0.0);
    for (const Segment& s : phonePath) {
        if (s.last < s.first || s.first < 0)
            continue;
        const double share = s.score / (s.last - s.first + 1);
        for (int f = s.first; f <= s.last; ++f)
            perFrame[static_cast<std::size_t>(f)] = share;
    }

    Evidence e;
    double grammarTotal = 0, phoneTotal = 0;
    e.worstWordScore = std::numeric_limits<double>::infinity();
    for (const Segment& s : grammarPath) {
        if (s.last < s.first || s.first < 0)
            continue;
        const int length = s.last - s.first + 1;
        double phones = 0;
        for (int f = s.first; f <= std::min(s.last, frames - 1); ++f)
            phones += perFrame[static_cast<std::size_t>(f)];
        grammarTotal += s.score;
        phoneTotal += phones;
        if (isSilence(s.word))
            continue;
        e.wordFrames += length;
        ++e.words;
        e.worstWordScore = std::min(e.worstWordScore, (s.score - phones) / length);
        if (s.phones > 0) {
            const double phone = static_cast<double>(length) / s.phones;
            e.shortestPhone = e.shortestPhone > 0 ? std::min(e.shortestPhone, phone) : phone;
            e.longestPhone = std::max(e.longestPhone, phone);
        }
    }
    if (e.words == 0) {
        e.phraseScore = e.worstWordScore = -std::numeric_limits<double>::infinity();
        return e;
    }
    e.phraseScore = (grammarTotal - phoneTotal) / e.wordFrames;
    return e;
}

void compareRival(Evidence& evidence, const std::vector<Segment>& grammarPath,
                  const std::vector<Segment>& rivalPath)
{
    if (evidence.wordFrames == 0 || rivalPath.empty())
        return;
    const auto total = [](const std::vector<Segment>& path) {
        double sum = 0;
        for (const Segment& s : path)
            sum += s.score;
        return sum;
    };
    evidence.rivalMargin = (total(grammarPath) - total(rivalPath)) / evidence.wordFrames;
}

Thresholds thresholdsFor(const PhraseDecoder::Settings& settings, const PhraseEntry& phrase,
                         double snrDb)
{
    const double snr = std::clamp(snrDb, settings.noisiestSnrDb, settings.quietSnrDb);
    const double relief = settings.noiseReliefPerDb * (settings.quietSnrDb - snr);
    const double stricter = phrase.isStart ? settings.startPhraseMargin : 0;
    // A short phrase is one word: its worst word is the phrase itself.
    const double whole = phrase.isShort ? settings.shortPhraseThreshold : settings.acceptThreshold;
    const double word = phrase.isShort ? settings.shortPhraseThreshold : settings.wordThreshold;
    return Thresholds{whole - relief + stricter, word - relief + stricter, settings.shortestPhone,
                      settings.longestPhone, settings.rivalMargin + stricter};
}

bool accepts(const Evidence& evidence, const Thresholds& thresholds)
{
    return evidence.words > 0 && evidence.phraseScore >= thresholds.phrase &&
           evidence.worstWordScore >= thresholds.worstWord &&
           (evidence.shortestPhone == 0 || evidence.shortestPhone >= thresholds.shortestPhone) &&
           evidence.longestPhone <= thresholds.longestPhone &&
           evidence.rivalMargin >= thresholds.rivalMargin;
}

} // namespace sphinx
