#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Ordinary words that compete with the grammar's phrases. A grammar of a few dozen
// phrases takes whatever is said for the phrase it sounds least unlike; a search among
// the commonest words of the language finds the word that was really said ("key", not
// "Train"), with the same context-dependent models the phrases are matched with. Speech
// that one of them fits clearly better than the phrase is no command.
namespace sphinx {

// The `count` likeliest single words of an n-gram language model, likeliest first: plain
// lower-case words only (no sentence marks, no abbreviations). Empty when the model
// cannot be read.
QStringList commonWords(const QString& languageModel, int count);

// Phones, as the dictionary writes them ("K IY"), one per entry.
QStringList phonesOf(const QString& pronunciation);

// Whether two phone sequences are near enough to be taken for each other: at most one
// phone in four (at least one) inserted, dropped or changed.
bool soundAlike(const QStringList& a, const QStringList& b);

// The first `count` of `candidates` that are in the dictionary (`lookup`) and sound like
// none of `protectedPronunciations` (the phrases' words, and the phrases whole): a rival
// that sounds like a command would take the command's place.
QStringList pickRivals(const QStringList& candidates,
                       const std::vector<QStringList>& protectedPronunciations,
                       const std::function<std::optional<QString>(const QString&)>& lookup,
                       int count);

// A JSGF grammar of one of `alternatives` (word sequences), all equally likely.
QString jsgfGrammar(const QStringList& alternatives);

} // namespace sphinx
