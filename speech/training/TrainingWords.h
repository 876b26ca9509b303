#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace training {

// The words of a prompt as the dictionary spells them: lower case, without punctuation
// ("Start Notepad, please." -> start notepad please).
QStringList trainingWords(const QString& prompt);

// The pronunciation of each of `words` (CMU phones): the dictionary file's first one
// (the one the trainer follows), or for a word it lacks, the one guessed from its
// spelling. A word nobody can pronounce is not in the result.
QHash<QString, QString> pronunciationsFor(const QStringList& words, const QString& dictionaryPath);

// The same as the lines of a dictionary file: "word PHONES".
QString dictionaryText(const QHash<QString, QString>& pronunciations);

} // namespace training
