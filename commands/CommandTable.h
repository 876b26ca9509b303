#pragma once

#include "store/RegValue.h"

#include <array>

// The user's spoken commands as last loaded from the store: the stored count and rows
// 1 to 1000 of phrase, target and stop-listening flag. Rows are only ever overwritten,
// never cleared; readers use rows 1 to count() only.
struct CommandTable
{
    static constexpr int kRows = 1000;

    RegValue numItems;                       // as stored (text with its NUL), empty when missing
    std::array<RegValue, kRows + 1> phrases; // index 0 unused
    std::array<RegValue, kRows + 1> targets; // text as stored, with its NUL
    std::array<RegValue, kRows + 1> checks;  // "1"/"0" with NUL, or empty

    // The stored count as a number: 0 when empty, negative or not a number, and at
    // most kRows, because the table has no further rows.
    int count() const;
};
