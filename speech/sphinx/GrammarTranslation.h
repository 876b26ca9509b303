#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// Turns the program's grammar text ("<start>=Phrase" rules) into a JSGF grammar the
// decoder can search, and the decoder's word sequences back into the rules' phrases.
namespace sphinx {

// Lower-case words as they are spoken: numbers written out, punctuation dropped,
// accents removed, apostrophes kept inside words ("What's 2 + 2?" -> "what's two plus
// two"). Empty when nothing speakable is left.
QStringList speakableWords(const QString& phrase);

// "nine", "two thousand four"; above 9999 and with leading zeros digit by digit.
QStringList numberWords(const QString& digits);

// The right-hand sides of the grammar's "<start>=" rules in order, empty ones included.
QStringList grammarPhrases(const QString& grammarText);

struct PhraseEntry
{
    QString phrase;       // the rule's text, exactly
    QStringList words;    // the dictionary words it is decoded as
    bool isShort = false; // one word of at most two syllables
    // The start phrase, which wakes the program for a command: the grammar's last rule,
    // where the program writes it (buildGrammarText).
    bool isStart = false;
};

struct TranslatedGrammar
{
    QString jsgf;
    // Words the dictionary lacks, with the pronunciations to add (CMU phones).
    std::vector<std::pair<QString, QString>> newWords;
    // One entry per alternative of the grammar, keyed by its word sequence; a phrase
    // stated twice, or two phrases that sound the same, keep the first.
    QHash<QString, PhraseEntry> phrases;
    QStringList alternatives; // the keys of `phrases`, in the grammar's order
    QStringList skipped;      // phrases that cannot be spoken, as the rules have them

    // The phrase for a decoded word sequence ("what time is it"), if it is one.
    const PhraseEntry* find(const QString& hypothesis) const;
    // Whether a word sequence is the beginning of a longer phrase ("next" of "next window").
    bool beginsLongerPhrase(const QString& hypothesis) const;
};

struct PronunciationSource
{
    // The dictionary's pronunciation of a word, if it has one.
    std::function<std::optional<QString>(const QString& word)> lookup;
    // A pronunciation for a word the dictionary lacks.
    std::function<std::optional<QString>(const QString& word)> guess;
};

TranslatedGrammar translateGrammar(const QString& grammarText, const PronunciationSource& source);

} // namespace sphinx
