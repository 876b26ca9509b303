#pragma once

#include <QString>

// Text read from the store ends in the NUL the store appends; only what stands before
// the first NUL is the text.
inline QString textBeforeNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}
