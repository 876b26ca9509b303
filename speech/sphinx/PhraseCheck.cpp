#include "speech/sphinx/PhraseCheck.h"

#include "speech/sphinx/PronouncingDictionary.h"
#include "speech/sphinx/Pronunciation.h"
#include "speech/sphinx/Rivals.h"

#include <algorithm>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace sphinx {
namespace {

// Phones of one class sound alike: vowels, stops, fricatives and affricates, nasals,
// liquids and glides.
int phoneClass(const QString& phone)
{
    static const QHash<QString, int> classes = [] {
        QHash<QString, int> map;
        const QStringList groups[] = {{u"AA"_s, u"AE"_s, u"AH"_s, u"AO"_s, u"AW"_s, u"AY"_s,
                                       u"EH"_s, u"ER"_s, u"EY"_s, u"IH"_s, u"IY"_s, u"OW"_s,
                                       u"OY"_s, u"UH"_s, u"UW"_s},
                                      {u"P"_s, u"B"_s, u"T"_s, u"D"_s, u"K"_s, u"G"_s},
                                      {u"F"_s, u"V"_s, u"TH"_s, u"DH"_s, u"S"_s, u"Z"_s, u"SH"_s,
                                       u"ZH"_s, u"HH"_s, u"CH"_s, u"JH"_s},
                                      {u"M"_s, u"N"_s, u"NG"_s},
                                      {u"L"_s, u"R"_s, u"W"_s, u"Y"_s}};
        int group = 0;
        for (const QStringList& phones : groups) {
            for (const QString& member : phones)
                map.insert(member, group);
            ++group;
        }
        return map;
    }();
    return classes.value(phone, -1);
}

double substitutionCost(const QString& a, const QString& b)
{
    if (a == b)
        return 0;
    const int cls = phoneClass(a);
    return cls >= 0 && cls == phoneClass(b) ? 0.5 : 1;
}

// The words of the phrase as the user wrote them, for each dictionary word it is
// spoken as ("Zorblat's" for "zorblats"); the dictionary word itself when none is found.
QString writtenAs(const QString& dictionaryWord, const QString& phrase)
{
    for (const QString& token : phrase.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        for (QString spoken : speakableWords(token)) {
            if (spoken.remove(QLatin1Char('\'')) == dictionaryWord)
                return token;
        }
    }
    return dictionaryWord;
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

double phoneDistance(const QStringList& a, const QStringList& b)
{
    const auto longer = std::max(a.size(), b.size());
    if (longer == 0)
        return 0;
    // Edit distance, one row at a time.
    std::vector<double> row(static_cast<std::size_t>(b.size()) + 1);
    for (std::size_t j = 0; j < row.size(); ++j)
        row[j] = static_cast<double>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        double diagonal = row[0];
        row[0] = static_cast<double>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const auto at = static_cast<std::size_t>(j);
            const double above = row[at];
            row[at] = std::min(
                {above + 1, row[at - 1] + 1, diagonal + substitutionCost(a[i - 1], b[j - 1])});
            diagonal = above;
        }
    }
    return row.back() / static_cast<double>(longer);
}

QStringList findingSentences(const PhraseFindings& findings)
{
    QStringList sentences;
    const QStringList& unknown = findings.unknownWords;
    if (unknown.size() == 1) {
        sentences << u"The recogniser does not know %1 and will guess how it is said."_s.arg(
            quoted(unknown.first()));
    } else if (unknown.size() > 1) {
        QStringList names;
        for (const QString& word : unknown)
            names << quoted(word);
        const QString last = names.takeLast();
        sentences << u"The recogniser does not know %1 and %2: it will guess how they are said."_s
                         .arg(names.join(u", "_s), last);
    }
    if (!findings.soundsLike.isEmpty()) {
        sentences << u"%1 sounds like %2: the recogniser may take one for the other."_s.arg(
            quoted(findings.phrase), quoted(findings.soundsLike));
    }
    return sentences;
}

PhraseCheck::PhraseCheck(PronunciationSource source, bool dictionaryRead)
    : source_(std::move(source)), dictionaryRead_(dictionaryRead)
{
}

PhraseCheck PhraseCheck::installed()
{
    const PronouncingDictionary& dictionary = PronouncingDictionary::installed();
    PronunciationSource source{
        [&dictionary](const QString& word) { return dictionary.lookup(word); },
        [](const QString& word) { return guessPronunciation(word); }};
    return PhraseCheck(std::move(source), dictionary.isAvailable());
}

const PhraseCheck::Sound& PhraseCheck::soundOf(const QString& phrase)
{
    if (auto it = sounds_.constFind(phrase); it != sounds_.constEnd())
        return *it;
    // The phrase as the grammar's one rule: the words the decoder takes it as, and the
    // pronunciations it has to guess.
    const TranslatedGrammar grammar =
        translateGrammar(QStringLiteral("<start>=") + phrase.simplified(), source_);
    Sound sound;
    if (!grammar.alternatives.isEmpty()) {
        QHash<QString, QString> guessed;
        for (const auto& [word, phones] : grammar.newWords) {
            guessed.insert(word, phones);
            if (dictionaryRead_)
                sound.unknownWords << writtenAs(word, phrase);
        }
        for (const QString& word : grammar.phrases.value(grammar.alternatives.first()).words) {
            const QString phones = guessed.contains(word)
                                       ? guessed.value(word)
                                       : source_.lookup(word).value_or(QString());
            sound.phones << phonesOf(phones);
        }
    }
    return *sounds_.insert(phrase, sound);
}

PhraseFindings PhraseCheck::check(const QString& phrase, const QStringList& others,
                                  const QString& replacing)
{
    PhraseFindings findings{phrase, soundOf(phrase).unknownWords, QString()};
    const QStringList phones = soundOf(phrase).phones;
    if (phones.isEmpty())
        return findings;
    // The closest one is named; of equally close ones the first.
    double nearest = 1;
    for (const QString& other : others) {
        if (other.trimmed().isEmpty() || other == replacing)
            continue;
        const QStringList otherPhones = soundOf(other).phones;
        const double d = phoneDistance(phones, otherPhones);
        if (!otherPhones.isEmpty() && d <= kConfusableDistance && d < nearest) {
            findings.soundsLike = other;
            nearest = d;
        }
    }
    return findings;
}

QList<PhraseFindings> PhraseCheck::checkAll(const QStringList& commands,
                                            const QStringList& builtins)
{
    QList<PhraseFindings> found;
    for (qsizetype i = 0; i < commands.size(); ++i) {
        const PhraseFindings findings = check(commands[i], commands.mid(i + 1) + builtins);
        if (findings.any())
            found << findings;
    }
    return found;
}

} // namespace sphinx
