#include "scripts/TextMacros.h"

#include "common/DateWords.h"
#include "platform/clock/Clock.h"

namespace {

// The value of one token code (already lower-cased), or nothing for an unknown code.
QString tokenValue(const QString& code, const platform::Clock& clock)
{
    const QDateTime now = clock.now();
    const int hour = now.time().hour();
    if (code == u"sh")
        return QString::number(hour > 12 ? hour - 12 : hour);
    if (code == u"mh")
        return QString::number(hour);
    if (code == u"mm")
        return QString::number(now.time().minute());
    if (code == u"ss")
        return QString::number(now.time().second());
    if (code == u"dy")
        return QString::number(now.date().day()) + daySuffix(now.date().day());
    if (code == u"wd")
        return weekdayName(now.date());
    if (code == u"yr")
        return QString::number(now.date().year());
    if (code == u"wm")
        return monthName(now.date().month());
    if (code == u"nm")
        return QString::number(now.date().month());
    if (code == u"ap")
        return hour > 12 ? QStringLiteral("PM") : QStringLiteral("AM");
    return {};
}

} // namespace

QString expandMacros(const QString& text, const platform::Clock& clock)
{
    QString out;
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        if (text[i] != u'#') {
            out += text[i];
            continue;
        }
        // The "#" and up to two characters after it are consumed, known code or not.
        out += tokenValue(text.mid(i + 1, 2).toLower(), clock);
        i += 2;
    }
    return out;
}
