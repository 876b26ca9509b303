#pragma once

#include <QByteArray>

class QTextDocument;

// Reads RTF into a QTextDocument: groups, paragraphs and line breaks, bold, italic,
// underline, strike-through, super- and subscript, font sizes, fonts and colours from
// their tables, alignment and indents, tabs, the special characters, "\'hh" escapes
// (Windows-1252) and "\uN" with its "\ucN" replacement count. Pictures, objects, the
// document information, style sheets, headers, footers, field instructions and every
// "\*" destination are skipped.
//
// Any bytes are accepted and reading always ends after one pass over them: unknown
// control words are ignored, huge numbers are clamped, unbalanced braces and a
// truncated end are tolerated, groups nested deeper than kMaxDepth are dropped with
// their content, and reading stops where the outermost group closes.
namespace rtf {

inline constexpr int kMaxDepth = 100;

// True when `bytes` begin, after blanks, with "{\rtf".
bool looksLikeRtf(const QByteArray& bytes);

// Replaces the content of `document` with what could be read from `rtf`.
void read(const QByteArray& rtf, QTextDocument& document);

} // namespace rtf
