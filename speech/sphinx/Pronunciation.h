#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Pronunciations for words the dictionary lacks: espeak-ng's phonemes for the word,
// mapped onto the 39 phones of the CMU set the acoustic model knows.
namespace sphinx {

// CMU phones ("S AA R K W AH N") for espeak-ng phoneme mnemonics separated by "_" and
// spaces ("s_'A@_k_w_@_n"); stress and length marks are dropped. Nothing when a
// phoneme has no counterpart or no phone is left.
std::optional<QString> cmuPhonesFromEspeak(const QString& espeakPhonemes);

// espeak-ng's phoneme mnemonics for `text` in the en-us voice, "_" between phonemes and
// " " between words; empty when espeak-ng cannot be used. Thread-safe; the voice that
// was selected before is selected again afterwards.
QString espeakPhonemes(const QString& text);

// The longest word guessPronunciation() takes, in characters.
inline constexpr qsizetype kLongestWord = 64;

// Both of the above: the CMU phones espeak-ng gives for a word; nothing for one longer
// than kLongestWord.
std::optional<QString> guessPronunciation(const QString& word);

// Further ways of saying a guessed pronunciation (CMU phones) that speakers of other
// accents use: espeak-ng's "a", the vowel of "trap", comes out as AE, but many speakers
// outside North America say it open, nearer AA ("Kelvaro" as "kel-VAH-ro"). Empty when
// there is no other way.
QStringList accentVariants(const QString& cmuPhones);

// The number of vowel phones in a CMU pronunciation: its syllables.
int syllableCount(const QString& cmuPhones);

} // namespace sphinx
