#include "speech/sphinx/GrammarTranslation.h"

#include "speech/sphinx/Rivals.h"

#include "speech/sphinx/Pronunciation.h"

using namespace Qt::StringLiterals;

namespace sphinx {
namespace {

const QStringList& ones()
{
    static const QStringList words{u"zero"_s,    u"one"_s,       u"two"_s,      u"three"_s,
                                   u"four"_s,    u"five"_s,      u"six"_s,      u"seven"_s,
                                   u"eight"_s,   u"nine"_s,      u"ten"_s,      u"eleven"_s,
                                   u"twelve"_s,  u"thirteen"_s,  u"fourteen"_s, u"fifteen"_s,
                                   u"sixteen"_s, u"seventeen"_s, u"eighteen"_s, u"nineteen"_s};
    return words;
}

const QStringList& tens()
{
    static const QStringList words{u""_s,      u""_s,      u"twenty"_s,  u"thirty"_s, u"forty"_s,
                                   u"fifty"_s, u"sixty"_s, u"seventy"_s, u"eighty"_s, u"ninety"_s};
    return words;
}

QStringList belowHundred(int n)
{
    if (n < 20)
        return {ones()[n]};
    QStringList words{tens()[n / 10]};
    if (n % 10 != 0)
        words << ones()[n % 10];
    return words;
}

// Symbols that are read as a word when they stand between words.
QString symbolWord(QChar c)
{
    switch (c.unicode()) {
    case '&':
        return QStringLiteral("and");
    case '+':
        return QStringLiteral("plus");
    case '@':
        return QStringLiteral("at");
    case '%':
        return QStringLiteral("percent");
    default:
        return {};
    }
}

bool isApostrophe(QChar c)
{
    return c == QLatin1Char('\'') || c == QChar(0x2019);
}

} // namespace

QStringList numberWords(const QString& digits)
{
    QStringList words;
    if (digits.size() > 4 || (digits.size() > 1 && digits.front() == QLatin1Char('0'))) {
        for (QChar d : digits)
            words << ones()[d.digitValue()];
        return words;
    }
    int n = digits.toInt();
    if (n == 0)
        return {ones()[0]};
    if (n >= 1000) {
        words << ones()[n / 1000] << QStringLiteral("thousand");
        n %= 1000;
    }
    if (n >= 100) {
        words << ones()[n / 100] << QStringLiteral("hundred");
        n %= 100;
    }
    if (n > 0)
        words << belowHundred(n);
    return words;
}

QStringList speakableWords(const QString& phrase)
{
    // Accented letters lose their accents; letters outside the Latin alphabet and all
    // other marks separate words.
    const QString text = phrase.normalized(QString::NormalizationForm_KD).toLower();
    QStringList words;
    QString word;
    QString digits;
    auto flush = [&] {
        if (!digits.isEmpty())
            words << numberWords(digits);
        digits.clear();
        while (!word.isEmpty() && isApostrophe(word.back()))
            word.chop(1);
        if (!word.isEmpty())
            words << word;
        word.clear();
    };
    for (QChar c : text) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) {
            if (!digits.isEmpty())
                flush();
            word += c;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            if (!word.isEmpty())
                flush();
            digits += c;
        } else if (isApostrophe(c) && !word.isEmpty()) {
            word += QLatin1Char('\'');
        } else {
            flush();
            if (const QString w = symbolWord(c); !w.isEmpty())
                words << w;
        }
    }
    flush();
    return words;
}

QStringList grammarPhrases(const QString& grammarText)
{
    static const QString rule = QStringLiteral("<start>=");
    QStringList phrases;
    for (const QString& line : grammarText.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(rule))
            phrases << line.mid(rule.size());
    }
    return phrases;
}

const PhraseEntry* TranslatedGrammar::find(const QString& hypothesis) const
{
    auto it = phrases.constFind(hypothesis.simplified());
    return it == phrases.constEnd() ? nullptr : &*it;
}

bool TranslatedGrammar::beginsLongerPhrase(const QString& hypothesis) const
{
    const QString start = hypothesis.simplified() + QLatin1Char(' ');
    if (start.size() < 2)
        return false;
    for (auto it = phrases.constBegin(); it != phrases.constEnd(); ++it)
        if (it.key().startsWith(start))
            return true;
    return false;
}

TranslatedGrammar translateGrammar(const QString& grammarText, const PronunciationSource& source)
{
    TranslatedGrammar out;
    QHash<QString, std::optional<QString>> known; // word -> pronunciation (none: unspeakable)
    QStringList alternatives;

    // The dictionary word a spoken word is decoded as, with its pronunciation.
    auto pronounce = [&](const QString& word) -> std::optional<std::pair<QString, QString>> {
        QString name = word;
        std::optional<QString> phones = source.lookup(name);
        if (!phones && name.contains(QLatin1Char('\''))) {
            name.remove(QLatin1Char('\''));
            phones = source.lookup(name);
        }
        if (phones)
            return std::pair{name, *phones};
        if (auto it = known.constFind(name); it != known.constEnd())
            return *it ? std::optional(std::pair{name, **it}) : std::nullopt;
        phones = source.guess(name);
        known.insert(name, phones);
        if (!phones)
            return std::nullopt;
        out.newWords.emplace_back(name, *phones);
        return std::pair{name, *phones};
    };

    QString lastKey; // the last rule's phrase, if it can be spoken
    for (const QString& phrase : grammarPhrases(grammarText)) {
        lastKey.clear();
        if (phrase.trimmed().isEmpty())
            continue;
        const QStringList spoken = speakableWords(phrase);
        PhraseEntry entry{phrase, {}, false, false};
        int syllables = 0;
        bool speakable = !spoken.isEmpty();
        for (const QString& word : spoken) {
            const auto pron = pronounce(word);
            if (!pron) {
                speakable = false;
                break;
            }
            entry.words << pron->first;
            syllables += syllableCount(pron->second);
        }
        if (!speakable) {
            out.skipped << phrase;
            continue;
        }
        entry.isShort = entry.words.size() == 1 && syllables <= 2;
        const QString key = entry.words.join(QLatin1Char(' '));
        lastKey = key;
        if (out.phrases.contains(key))
            continue;
        out.phrases.insert(key, entry);
        alternatives << key;
    }

    if (!lastKey.isEmpty())
        out.phrases[lastKey].isStart = true;
    if (!alternatives.isEmpty())
        out.jsgf = jsgfGrammar(alternatives);
    out.alternatives = alternatives;
    return out;
}

} // namespace sphinx
