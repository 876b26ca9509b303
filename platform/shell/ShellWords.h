#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Splits a parameter text into program arguments the way a POSIX shell reads words, but
// without any expansion (no variables, globbing, tilde or command substitution):
// - blanks (space, tab, newline) outside quotes separate words;
// - single quotes keep everything up to the next single quote literally;
// - double quotes keep everything literally, except that a backslash before " \ $ `
//   stands for that character, and a backslash before a newline removes both;
// - outside quotes a backslash makes the next character literal (a backslash before a
//   newline removes both; a backslash at the very end stays);
// - quoted and unquoted pieces that touch form one word, and "" or '' alone is an empty
//   argument;
// - a quote that is never closed runs to the end of the text.
QStringList shellWords(const QString& text);

// True when `text` begins with a URL scheme followed by a colon ("https:", "mailto:",
// "file:"), i.e. it is an address rather than a path. The scheme must be at least two
// characters long, so that "x:/app" reads as a path with a drive-style prefix.
bool isAddress(const QString& text);

} // namespace platform
