#pragma once

#include "options/Options.h"

#include <QString>

class modReg;

struct LoadedOptions
{
    Options options;
    std::int16_t comFirmExe = 0; // held by the main window, read with the options
};

// Reads the options in their fixed order. Missing values read as empty text or 0;
// nothing is substituted.
LoadedOptions LoadOptions(modReg& reg);

// Writes every option as text in its fixed order. A failed write is reported by the
// registry layer and the remaining values are still written.
void SaveOptions(modReg& reg, const Options& options, std::int16_t comFirmExe,
                 const StartupEntry& startup);

// The confirmation words as the prompt uses them: a trailing NUL removed and a space
// appended when the text does not end with one.
QString normaliseChkText(QString text);
