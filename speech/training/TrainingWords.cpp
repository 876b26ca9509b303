#include "speech/training/TrainingWords.h"

#include "speech/sphinx/PronouncingDictionary.h"
#include "speech/sphinx/Pronunciation.h"

#include <QRegularExpression>
#include <algorithm>

namespace training {

QStringList trainingWords(const QString& prompt)
{
    static const QRegularExpression notWord(QStringLiteral("[^a-z0-9' ]"));
    return prompt.toLower()
        .replace(notWord, QStringLiteral(" "))
        .split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QHash<QString, QString> pronunciationsFor(const QStringList& words, const QString& dictionaryPath)
{
    const sphinx::PronouncingDictionary dictionary(dictionaryPath);
    QHash<QString, QString> found;
    for (const QString& word : words) {
        if (found.contains(word))
            continue;
        std::optional<QString> phones = dictionary.lookup(word);
        if (!phones)
            phones = sphinx::guessPronunciation(word);
        if (phones)
            found.insert(word, *phones);
    }
    return found;
}

QString dictionaryText(const QHash<QString, QString>& pronunciations)
{
    QStringList words = pronunciations.keys();
    std::sort(words.begin(), words.end());
    QString text;
    for (const QString& word : words)
        text += word + QLatin1Char(' ') + pronunciations[word] + QLatin1Char('\n');
    return text;
}

} // namespace training
