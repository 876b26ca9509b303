#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace training {

// The words of a prompt as the dictionary spells them: lower case, without punctuation
// ("Start Notepad, please." -> start notepad please).
QStringList trainingWords(const QString& prompt);

// Pronunciations of `words`: every one the dictionary file has ("word", "word(2)", ...
// mapped to CMU phones), and for a word it lacks, the one guessed from its spelling. A
// word nobody can pronounce is not in the result.
QHash<QString, QStringList> pronunciationsFor(const QStringList& words,
                                              const QString& dictionaryPath);

// The same as the lines of a dictionary file: "word PHONES", "word(2) PHONES".
QString dictionaryText(const QHash<QString, QStringList>& pronunciations);

} // namespace training
