#pragma once

#include "options/Options.h"

#include <QString>

class modReg;

// Reads the options in their fixed order, then the start-up entry's values. Missing
// values read as empty text or 0; nothing is substituted.
Options LoadOptions(modReg& reg);

// Writes every option as text in its fixed order. A failed write is reported by the
// registry layer and the remaining values are still written.
void SaveOptions(modReg& reg, const Options& options);

// The options the program works with: the one record in memory, read from the store at
// start-up and written back whenever the user changes it. Nobody else reads or writes
// the options in the store.
class OptionsStore
{
public:
    explicit OptionsStore(modReg& reg) : reg_(reg) {}

    void load() { options_ = LoadOptions(reg_); }
    const Options& current() const { return options_; }
    // `options` become the record, then every value is written; a value that cannot be
    // written is reported, and the record keeps the new values all the same.
    void save(const Options& options);

private:
    modReg& reg_;
    Options options_;
};

// The confirmation words as the prompt uses them: a trailing NUL removed and a space
// appended when the text does not end with one.
QString normaliseChkText(QString text);
