#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// A corpus of the speech benchmark: recordings, what each must give, and the grammar they
// are heard against.
//
// A list has one line per recording: WAV path (relative to the list's folder or absolute),
// TAB, the phrase expected (empty when the recording must be rejected), TAB, condition,
// and optionally TAB, source (the speaker or recording set), TAB, fold ("tune" or "report":
// the files thresholds are set on, and those the figures are reported on), TAB, where the
// speech ends, in seconds.
namespace bench {

constexpr int kRate = 16000;
// The start phrase every corpus's grammar holds.
inline const QString kStartPhrase = QStringLiteral("Computer");

struct Entry
{
    QString path;     // as the list has it
    QString file;     // resolved
    QString expected; // empty: must be rejected
    QString condition;
    QString source;                  // "synthetic" when the list names none
    QString fold;                    // "report" when the list names none
    std::optional<double> speechEnd; // seconds
};

struct Corpus
{
    QString name; // "synthetic", "real words", ...
    QString list;
    QString grammarText;
    std::vector<Entry> entries;
};

// Reads a list; false with the reason in `error` when it cannot be read.
bool readList(const QString& list, std::vector<Entry>* entries, QString* error);

// The grammar of a corpus: FILE holds grammar text with "<start>=" rules, or user
// phrases one a line (the built-in phrases and the start phrase "Computer" are added).
// Without a file, the grammar holds the built-in phrases, the corpus's other expected
// phrases and the start phrase.
bool grammarFor(const QString& file, const std::vector<Entry>& entries, QString* grammarText,
                QString* error);

// The right-hand sides of the "<start>=" rules.
QStringList grammarPhrases(const QString& grammarText);

// 16 kHz mono 16-bit PCM WAV.
bool readWav(const QString& file, std::vector<std::int16_t>* samples, QString* error);

// Where the speech in a recording ends: the end of the last 10 ms frame whose energy
// stands out from the file's background (the quietest tenth of its frames).
std::size_t speechEnd(const std::vector<std::int16_t>& samples);

} // namespace bench
