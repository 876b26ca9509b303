#pragma once

#include <QByteArray>
#include <initializer_list>
#include <vector>

// What a fuzz target run by the fuzz driver gives it besides its entry point
// (LLVMFuzzerTestOneInput): pieces of its input language worth inserting whole, and
// inputs to start from besides the seed files named on the command line.
struct FuzzLanguage
{
    std::vector<QByteArray> tokens;
    std::vector<QByteArray> seeds;

    // Adds tokens written as C strings; an empty one stands for a NUL byte.
    void addTokens(std::initializer_list<const char*> pieces)
    {
        for (const char* piece : pieces)
            tokens.push_back(*piece ? QByteArray(piece) : QByteArray(1, '\0'));
    }
};

FuzzLanguage fuzzLanguage();
