#include "speech/training/TrainingWords.h"

#include "speech/sphinx/Pronunciation.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <algorithm>

namespace training {

QStringList trainingWords(const QString& prompt)
{
    static const QRegularExpression notWord(QStringLiteral("[^a-z0-9' ]"));
    return prompt.toLower()
        .replace(notWord, QStringLiteral(" "))
        .split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QHash<QString, QStringList> pronunciationsFor(const QStringList& words,
                                              const QString& dictionaryPath)
{
    const QSet<QString> wanted(words.begin(), words.end());
    QHash<QString, QStringList> found;
    QFile file(dictionaryPath);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&file);
        static const QRegularExpression alternative(QStringLiteral("\\(\\d+\\)$"));
        while (!in.atEnd()) {
            const QString line = in.readLine();
            const qsizetype space = line.indexOf(QLatin1Char(' '));
            if (space <= 0)
                continue;
            const QString word = line.left(space).remove(alternative);
            if (wanted.contains(word))
                found[word] << line.mid(space + 1).trimmed();
        }
    }
    for (const QString& word : wanted) {
        if (found.contains(word))
            continue;
        if (const std::optional<QString> guess = sphinx::guessPronunciation(word))
            found[word] << *guess;
    }
    return found;
}

QString dictionaryText(const QHash<QString, QStringList>& pronunciations)
{
    QStringList words = pronunciations.keys();
    std::sort(words.begin(), words.end());
    QString text;
    for (const QString& word : words) {
        const QStringList& all = pronunciations[word];
        for (qsizetype i = 0; i < all.size(); ++i)
            text += (i == 0 ? word : QStringLiteral("%1(%2)").arg(word).arg(i + 1)) +
                    QLatin1Char(' ') + all[i] + QLatin1Char('\n');
    }
    return text;
}

} // namespace training
