#include "app/speech/sphinx/Pronunciation.h"

#include "app/speech/espeak/EspeakEngine.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <espeak-ng/speak_lib.h>
#include <mutex>

namespace sphinx {
namespace {

const QSet<QString>& cmuPhones()
{
    static const QSet<QString> phones{"AA", "AE", "AH", "AO", "AW", "AY", "B",  "CH", "D",  "DH",
                                      "EH", "ER", "EY", "F",  "G",  "HH", "IH", "IY", "JH", "K",
                                      "L",  "M",  "N",  "NG", "OW", "OY", "P",  "R",  "S",  "SH",
                                      "T",  "TH", "UH", "UW", "V",  "W",  "Y",  "Z",  "ZH"};
    return phones;
}

const QSet<QString>& vowels()
{
    static const QSet<QString> v{"AA", "AE", "AH", "AO", "AW", "AY", "EH", "ER",
                                 "EY", "IH", "IY", "OW", "OY", "UH", "UW"};
    return v;
}

// espeak-ng's en-us mnemonics whose CMU counterpart is not just the upper-cased name.
const QHash<QString, QString>& phonemeMap()
{
    static const QHash<QString, QString> map{
        {"a", "AE"},    {"aa", "AE"},    {"a#", "AH"}, {"@", "AH"},       {"@-", "AH"},
        {"V", "AH"},    {"0", "AA"},     {"A:", "AA"}, {"A@", "AA R"},    {"3", "ER"},
        {"3:", "ER"},   {"r-", "ER"},    {"E", "EH"},  {"e@", "EH R"},    {"eI", "EY"},
        {"I", "IH"},    {"I2", "IH"},    {"I#", "IH"}, {"i", "IY"},       {"i:", "IY"},
        {"i@", "IH R"}, {"i@3", "IH R"}, {"aI", "AY"}, {"aI3", "AY ER"},  {"aI@", "AY ER"},
        {"aU", "AW"},   {"O:", "AO"},    {"O2", "AO"}, {"O@", "AO R"},    {"o@", "AO R"},
        {"OI", "OY"},   {"oU", "OW"},    {"U", "UH"},  {"U@", "UH R"},    {"u:", "UW"},
        {"h", "HH"},    {"j", "Y"},      {"N", "NG"},  {"S", "SH"},       {"Z", "ZH"},
        {"T", "TH"},    {"D", "DH"},     {"tS", "CH"}, {"dZ", "JH"},      {"t#", "T"},
        {"t2", "T"},    {"?", "T"},      {"x", "K"},   {"@L", "AH L"},    {"n-", "AH N"},
        {"l/", "L"},    {"@2", "AH"},    {"@5", "AH"}, {"a2", "AH"},      {"3:r", "ER"},
        {"r/", "R"},    {"z/", "Z"},     {"d#", "D"},  {"aI@3", "AY ER"}, {"I@", "IH R"},
        {"u", "UW"},    {"o", "OW"},     {"O", "AO"},  {"e", "EH"},       {"A", "AA"}};
    return map;
}

std::optional<QString> mapSingle(const QString& ph)
{
    if (auto it = phonemeMap().constFind(ph); it != phonemeMap().constEnd())
        return *it;
    if (const QString upper = ph.toUpper(); ph.size() == 1 && cmuPhones().contains(upper))
        return upper;
    return std::nullopt;
}

std::optional<QString> mapPhoneme(QString ph)
{
    // Stress and syllable marks carry no phone.
    ph.remove(QRegularExpression(QStringLiteral("['%,=]")));
    if (ph.isEmpty())
        return QString();
    if (auto cmu = mapSingle(ph))
        return cmu;
    // Variants of a known phoneme carry a trailing mark ("l/", "@2"): fall back on the
    // longest known beginning.
    for (QString base = ph.chopped(1); !base.isEmpty(); base.chop(1)) {
        if (auto cmu = mapSingle(base))
            return cmu;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> cmuPhonesFromEspeak(const QString& espeakPhonemes)
{
    QStringList out;
    const QStringList phonemes =
        espeakPhonemes.split(QRegularExpression(QStringLiteral("[_ \\n]")), Qt::SkipEmptyParts);
    for (const QString& ph : phonemes) {
        const std::optional<QString> cmu = mapPhoneme(ph);
        if (!cmu)
            return std::nullopt;
        if (!cmu->isEmpty())
            out << *cmu;
    }
    if (out.isEmpty())
        return std::nullopt;
    return out.join(QLatin1Char(' '));
}

QString espeakPhonemes(const QString& text)
{
    // The synthesiser uses the same library from its own thread: one lock for both.
    std::lock_guard lock(espeakLock());
    if (startEspeak() == 0)
        return {};

    // Another part of the program may speak with a voice of its own: keep it.
    QByteArray previousVoice;
    if (const espeak_VOICE* current = espeak_GetCurrentVoice(); current && current->name)
        previousVoice = current->name;
    if (espeak_SetVoiceByName("en-us") != EE_OK)
        return {};

    const QByteArray utf8 = text.toUtf8();
    const void* cursor = utf8.constData();
    QStringList clauses;
    const int mode = '_' << 8;
    while (cursor) {
        const char* phonemes = espeak_TextToPhonemes(&cursor, espeakCHARS_UTF8, mode);
        if (!phonemes)
            break;
        const QString clause = QString::fromUtf8(phonemes).trimmed();
        if (!clause.isEmpty())
            clauses << clause;
    }
    if (!previousVoice.isEmpty())
        espeak_SetVoiceByName(previousVoice.constData());
    return clauses.join(QLatin1Char(' '));
}

std::optional<QString> guessPronunciation(const QString& word)
{
    const QString phonemes = espeakPhonemes(word);
    if (phonemes.isEmpty())
        return std::nullopt;
    return cmuPhonesFromEspeak(phonemes);
}

QStringList accentVariants(const QString& cmuPhones)
{
    QStringList phones = cmuPhones.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool changed = false;
    for (QString& phone : phones) {
        if (phone == QLatin1String("AE")) {
            phone = QStringLiteral("AA");
            changed = true;
        }
    }
    return changed ? QStringList{phones.join(QLatin1Char(' '))} : QStringList{};
}

int syllableCount(const QString& cmuPhones)
{
    int count = 0;
    for (const QString& phone : cmuPhones.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        count += vowels().contains(phone) ? 1 : 0;
    return count;
}

} // namespace sphinx
