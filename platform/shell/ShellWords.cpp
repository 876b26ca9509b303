#include "platform/shell/ShellWords.h"

namespace platform {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

} // namespace

QStringList shellWords(const QString& text)
{
    QStringList words;
    QString word;
    bool inWord = false; // a word has begun, even if it is still empty ("")
    const qsizetype n = text.size();

    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (isBlank(c)) {
            if (inWord) {
                words << word;
                word.clear();
                inWord = false;
            }
            continue;
        }
        if (c == u'\\' && i + 1 < n && text[i + 1] == u'\n') {
            ++i; // a line continuation: neither part of a word nor a separator
            continue;
        }
        inWord = true;
        if (c == u'\'') {
            const qsizetype end = text.indexOf(u'\'', i + 1);
            const qsizetype stop = end < 0 ? n : end;
            word += text.mid(i + 1, stop - i - 1);
            i = stop; // the closing quote, or the end
        } else if (c == u'"') {
            for (++i; i < n && text[i] != u'"'; ++i) {
                if (text[i] == u'\\' && i + 1 < n) {
                    const QChar next = text[i + 1];
                    if (next == u'\n') {
                        ++i;
                        continue;
                    }
                    if (next == u'"' || next == u'\\' || next == u'$' || next == u'`') {
                        word += next;
                        ++i;
                        continue;
                    }
                }
                word += text[i];
            }
        } else if (c == u'\\') {
            if (i + 1 < n) {
                word += text[++i];
            } else {
                word += c;
            }
        } else {
            word += c;
        }
    }
    if (inWord) {
        words << word;
    }
    return words;
}

bool isAddress(const QString& text)
{
    // scheme = letter *( letter / digit / "+" / "-" / "." ), then ":"
    const qsizetype colon = text.indexOf(u':');
    if (colon < 2) {
        return false;
    }
    if (!text[0].isLetter() || text[0].unicode() > 0x7f) {
        return false;
    }
    for (qsizetype i = 1; i < colon; ++i) {
        const QChar c = text[i];
        const bool ascii = c.unicode() <= 0x7f;
        if (!(ascii && (c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.'))) {
            return false;
        }
    }
    return true;
}

} // namespace platform
