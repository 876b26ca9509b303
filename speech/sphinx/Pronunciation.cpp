#include "speech/sphinx/Pronunciation.h"

#include "speech/espeak/EspeakEngine.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <espeak-ng/speak_lib.h>
#include <mutex>

using namespace Qt::StringLiterals;

namespace sphinx {
namespace {

const QSet<QString>& cmuPhones()
{
    static const QSet<QString> phones{
        u"AA"_s, u"AE"_s, u"AH"_s, u"AO"_s, u"AW"_s, u"AY"_s, u"B"_s,  u"CH"_s, u"D"_s,  u"DH"_s,
        u"EH"_s, u"ER"_s, u"EY"_s, u"F"_s,  u"G"_s,  u"HH"_s, u"IH"_s, u"IY"_s, u"JH"_s, u"K"_s,
        u"L"_s,  u"M"_s,  u"N"_s,  u"NG"_s, u"OW"_s, u"OY"_s, u"P"_s,  u"R"_s,  u"S"_s,  u"SH"_s,
        u"T"_s,  u"TH"_s, u"UH"_s, u"UW"_s, u"V"_s,  u"W"_s,  u"Y"_s,  u"Z"_s,  u"ZH"_s};
    return phones;
}

const QSet<QString>& vowels()
{
    static const QSet<QString> v{u"AA"_s, u"AE"_s, u"AH"_s, u"AO"_s, u"AW"_s,
                                 u"AY"_s, u"EH"_s, u"ER"_s, u"EY"_s, u"IH"_s,
                                 u"IY"_s, u"OW"_s, u"OY"_s, u"UH"_s, u"UW"_s};
    return v;
}

// espeak-ng's en-us mnemonics whose CMU counterpart is not just the upper-cased name.
const QHash<QString, QString>& phonemeMap()
{
    static const QHash<QString, QString> map{
        {u"a"_s, u"AE"_s},      {u"aa"_s, u"AE"_s},      {u"a#"_s, u"AH"_s},
        {u"@"_s, u"AH"_s},      {u"@-"_s, u"AH"_s},      {u"V"_s, u"AH"_s},
        {u"0"_s, u"AA"_s},      {u"A:"_s, u"AA"_s},      {u"A@"_s, u"AA R"_s},
        {u"3"_s, u"ER"_s},      {u"3:"_s, u"ER"_s},      {u"r-"_s, u"ER"_s},
        {u"E"_s, u"EH"_s},      {u"e@"_s, u"EH R"_s},    {u"eI"_s, u"EY"_s},
        {u"I"_s, u"IH"_s},      {u"I2"_s, u"IH"_s},      {u"I#"_s, u"IH"_s},
        {u"i"_s, u"IY"_s},      {u"i:"_s, u"IY"_s},      {u"i@"_s, u"IH R"_s},
        {u"i@3"_s, u"IH R"_s},  {u"aI"_s, u"AY"_s},      {u"aI3"_s, u"AY ER"_s},
        {u"aI@"_s, u"AY ER"_s}, {u"aU"_s, u"AW"_s},      {u"O:"_s, u"AO"_s},
        {u"O2"_s, u"AO"_s},     {u"O@"_s, u"AO R"_s},    {u"o@"_s, u"AO R"_s},
        {u"OI"_s, u"OY"_s},     {u"oU"_s, u"OW"_s},      {u"U"_s, u"UH"_s},
        {u"U@"_s, u"UH R"_s},   {u"u:"_s, u"UW"_s},      {u"h"_s, u"HH"_s},
        {u"j"_s, u"Y"_s},       {u"N"_s, u"NG"_s},       {u"S"_s, u"SH"_s},
        {u"Z"_s, u"ZH"_s},      {u"T"_s, u"TH"_s},       {u"D"_s, u"DH"_s},
        {u"tS"_s, u"CH"_s},     {u"dZ"_s, u"JH"_s},      {u"t#"_s, u"T"_s},
        {u"t2"_s, u"T"_s},      {u"?"_s, u"T"_s},        {u"x"_s, u"K"_s},
        {u"@L"_s, u"AH L"_s},   {u"n-"_s, u"AH N"_s},    {u"l/"_s, u"L"_s},
        {u"@2"_s, u"AH"_s},     {u"@5"_s, u"AH"_s},      {u"a2"_s, u"AH"_s},
        {u"3:r"_s, u"ER"_s},    {u"r/"_s, u"R"_s},       {u"z/"_s, u"Z"_s},
        {u"d#"_s, u"D"_s},      {u"aI@3"_s, u"AY ER"_s}, {u"I@"_s, u"IH R"_s},
        {u"u"_s, u"UW"_s},      {u"o"_s, u"OW"_s},       {u"O"_s, u"AO"_s},
        {u"e"_s, u"EH"_s},      {u"A"_s, u"AA"_s}};
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
    // Far longer than any word: espeak-ng would spend minutes on it.
    if (word.size() > kLongestWord)
        return std::nullopt;
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
