#include "store/RegValue.h"

#include <gtest/gtest.h>

namespace {

QString withNul(const char* text)
{
    return QString::fromUtf8(text) + QChar(u'\0');
}

TEST(RegValue, TextConvertsToNumbersAsTheProgramReadsThem)
{
    const std::vector<std::pair<QString, std::int32_t>> cases{
        {withNul("3"), 3},
        {QString(), 0},
        {QStringLiteral("-5"), -5},
        {withNul(" 7 "), 7},
        {QStringLiteral("12abc"), 0},
        {withNul(""), 0},
        {withNul("1") + QStringLiteral("junk"), 1},
        {QStringLiteral("+"), 0},
        {QStringLiteral("99999999999999999999"), 0},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(RegValue(text).toInt32(), expected) << text.toStdString();
        EXPECT_EQ(RegValue(text).toInt16(), expected) << text.toStdString();
    }
    EXPECT_FALSE(RegValue(QStringLiteral("12abc")).number());
    EXPECT_FALSE(RegValue(withNul("")).number());
}

TEST(RegValue, NumbersThatDoNotFitBecomeZero)
{
    const RegValue big(withNul("70000"));
    EXPECT_EQ(big.toInt16(), 0);
    EXPECT_EQ(big.toInt32(), 70000);
    EXPECT_EQ(RegValue(withNul("-32768")).toInt16(), -32768);
    EXPECT_EQ(RegValue(QStringLiteral("2147483648")).toInt32(), 0);
    EXPECT_EQ(RegValue(QStringLiteral("-2147483648")).toInt32(), INT32_MIN);
}

} // namespace
