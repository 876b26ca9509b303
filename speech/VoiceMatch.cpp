#include "speech/VoiceMatch.h"

QList<VoiceAttribute> parseVoiceAttributes(const QString& text)
{
    QList<VoiceAttribute> pairs;
    for (const QString& piece : text.split(QLatin1Char(';'))) {
        const qsizetype equals = piece.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        VoiceAttribute pair{piece.left(equals).trimmed(), piece.mid(equals + 1).trimmed()};
        if (pair.key.isEmpty())
            continue;
        pairs.append(pair);
    }
    return pairs;
}

namespace {

int sharedPairs(const QList<VoiceAttribute>& wanted, const QList<VoiceAttribute>& voice)
{
    int count = 0;
    for (const VoiceAttribute& w : wanted) {
        for (const VoiceAttribute& v : voice) {
            if (w.key.compare(v.key, Qt::CaseInsensitive) == 0 &&
                w.value.compare(v.value, Qt::CaseInsensitive) == 0) {
                ++count;
                break;
            }
        }
    }
    return count;
}

} // namespace

int bestVoiceIndex(const QString& attributes, const QStringList& voices)
{
    const QList<VoiceAttribute> wanted = parseVoiceAttributes(attributes);
    int best = 0;
    int bestCount = -1;
    for (qsizetype i = 0; i < voices.size(); ++i) {
        const int count = sharedPairs(wanted, parseVoiceAttributes(voices[i]));
        if (count > bestCount) {
            best = int(i) + 1;
            bestCount = count;
        }
    }
    return best;
}
