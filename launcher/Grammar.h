#pragma once

#include <QString>
#include <QStringList>

// The 21 phrases every grammar holds, in their fixed order.
const QStringList& builtinGrammarPhrases();

// The 19 entries that follow the user's phrases in the main window's list of commands.
const QStringList& builtinListEntries();

// The recogniser's grammar: the header, the built-in rules, one rule per user phrase
// and the start rule last, lines ending in "\r\n" except the start rule. Phrases are
// inserted as they are, without escaping.
QString buildGrammarText(const QStringList& userPhrases, const QString& startCommand);
