#pragma once

#include <QByteArray>
#include <vector>

// What a fuzz target run by the fuzz driver gives it besides its entry point
// (LLVMFuzzerTestOneInput): pieces of its input language worth inserting whole, and
// inputs to start from besides the seed files named on the command line.
struct FuzzLanguage
{
    std::vector<QByteArray> tokens;
    std::vector<QByteArray> seeds;
};

FuzzLanguage fuzzLanguage();
