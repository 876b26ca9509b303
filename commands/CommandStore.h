#pragma once

#include "commands/CommandTable.h"

#include <QString>
#include <functional>
#include <iostream>

class modReg;

// The user's commands in the store (HKEY_LOCAL_MACHINE):
//   list         "numItems" = the number of commands, in decimal
//   list\list    one value per command: phrase = target
//   list\check   one value per command: phrase = "1" (stop listening on launch) or "0"
// The loader fills the CommandTable; the three writers change the store only, and the
// caller reloads the table afterwards.

// Fills `table` from the store. Each phrase is handed to `onPhrase` as soon as its row is
// read, before the row's flag and target. With no commands (count missing, 0 or less)
// nothing is read. When the list\list key cannot be opened the user is told, the table
// keeps its rows and the result is false; otherwise true. Rows past the last one read are
// left as they were, and `numItems` keeps the stored count even when it disagrees with the
// number of values. At most CommandTable::kRows rows are read; a larger list is reported
// with one line on `diagnostics`.
bool LoadCommandTable(modReg& reg, CommandTable& table,
                      const std::function<void(const QString& phrase)>& onPhrase,
                      std::ostream& diagnostics = std::cerr);

// The phrase as the store keeps it: without leading and trailing spaces, and with a
// lower-case first letter made upper-case ("notepad" -> "Notepad", "9 ball" unchanged).
QString normalisePhrase(const QString& phrase);

// Stores a new command: the count (one more than `table` holds) first, then the target and
// the flag. `phrase` is already normalised. A failed write is reported and the rest still run.
void AddCommand(modReg& reg, const CommandTable& table, const QString& phrase,
                const QString& target, bool stopListening);

// Rewrites a command under `newPhrase`; when the phrase changed (case counts) the values of
// `oldPhrase` are deleted first. The count is not touched.
void ChangeCommand(modReg& reg, const QString& oldPhrase, const QString& newPhrase,
                   const QString& target, bool stopListening);

// Deletes the command `phrase` (case counts): for each row of `table` holding it, its two
// values go and the count is lowered and written. No match writes nothing.
void DeleteCommand(modReg& reg, const CommandTable& table, const QString& phrase);

// Whether a row other than `exceptRow` (1-based; 0 = none) holds `phrase` without regard to
// case: the store cannot keep two phrases that differ only in case.
bool PhraseTaken(const CommandTable& table, const QString& phrase, int exceptRow = 0);
