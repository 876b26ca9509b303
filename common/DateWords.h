#pragma once

#include <QDate>
#include <QString>

// The words the program speaks for dates, in its own spelling ("Wendsday", "Febuary").

// "Sunday" to "Saturday".
inline QString weekdayName(const QDate& date)
{
    // Qt counts Monday as 1 and Sunday as 7; modulo 7 puts Sunday first.
    static const char* const days[] = {"Sunday",   "Monday", "Tuesday", "Wendsday",
                                       "Thursday", "Friday", "Saturday"};
    return QString::fromLatin1(days[date.dayOfWeek() % 7]);
}

// "January" to "December" for 1 to 12.
inline QString monthName(int month)
{
    static const char* const months[] = {"January",   "Febuary", "March",    "April",
                                         "May",       "June",    "July",     "August",
                                         "September", "October", "November", "December"};
    return month >= 1 && month <= 12 ? QString::fromLatin1(months[month - 1]) : QString();
}

// The ordinal ending of a day of the month: "st", "nd" and "rd" only for 1, 2 and 3,
// "th" for every other day (so 21th, 22th).
inline QString daySuffix(int day)
{
    return QString::fromLatin1(day == 1 ? "st" : day == 2 ? "nd" : day == 3 ? "rd" : "th");
}
