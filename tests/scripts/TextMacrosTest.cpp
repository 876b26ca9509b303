#include "scripts/TextMacros.h"
#include "tests/support/FixedClock.h"

#include <gtest/gtest.h>

namespace {

QString expandAt(const QString& text, const QDateTime& instant)
{
    FixedClock clock;
    clock.instant = instant;
    return expandMacros(text, clock);
}

QDateTime at(int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2004, 1, 21), QTime(hour, minute, second));
}

TEST(TextMacrosTest, HoursOnATwelveHourClockWithoutLeadingZeros)
{
    EXPECT_EQ(expandAt("It is #sh #mm #ap", at(15, 7)), "It is 3 7 PM");
    EXPECT_EQ(expandAt("It is #sh #mm #ap", at(9, 30)), "It is 9 30 AM");
    EXPECT_EQ(expandAt("#sh #ap", at(12, 15)), "12 AM");
    EXPECT_EQ(expandAt("#sh #ap", at(0, 15)), "0 AM");
    EXPECT_EQ(expandAt("#mh #ss", at(15, 7, 5)), "15 5");
}

TEST(TextMacrosTest, DatesInTheProgramsSpelling)
{
    const std::pair<int, const char*> days[] = {{1, "1st"},   {2, "2nd"},   {3, "3rd"},  {4, "4th"},
                                                {21, "21th"}, {22, "22th"}, {31, "31th"}};
    for (const auto& [day, expected] : days)
        EXPECT_EQ(expandAt("#dy", QDateTime(QDate(2004, 1, day), QTime(8, 0))), expected) << day;

    const QDateTime wednesdayInFebruary(QDate(2004, 2, 4), QTime(8, 0));
    EXPECT_EQ(expandAt("#wd #wm #nm #yr", wednesdayInFebruary), "Wendsday Febuary 2 2004");
    EXPECT_EQ(expandAt("Today is #WD, #Wm", wednesdayInFebruary), "Today is Wendsday, Febuary");
    EXPECT_EQ(expandAt("#wd", QDateTime(QDate(2004, 2, 1), QTime(8, 0))), "Sunday");
}

TEST(TextMacrosTest, EveryHashStartsATokenEvenUnknownOrCutShort)
{
    EXPECT_EQ(expandAt("a#xyb", at(15, 7)), "ab");
    EXPECT_EQ(expandAt("a#b", at(15, 7)), "a");
    EXPECT_EQ(expandAt("end#", at(15, 7)), "end");
    EXPECT_EQ(expandAt("##sh", at(15, 7)), "h"); // "#" then the code "#s"
    EXPECT_EQ(expandAt("", at(15, 7)), "");
}

} // namespace
