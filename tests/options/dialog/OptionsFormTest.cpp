#include "options/OptionsForm.h"

#include <gtest/gtest.h>

namespace {

const QLocale kC = QLocale::c();
const QLocale kGerman{QLocale::German, QLocale::Germany};

TEST(OptionsFormTest, NumbersRoundHalvesToEvenAndMustFitSixteenBits)
{
    EXPECT_EQ(roundedField(QStringLiteral("3"), 1, kC), 3);
    EXPECT_EQ(roundedField(QStringLiteral(" 2.5 "), 1, kC), 2);
    EXPECT_EQ(roundedField(QStringLiteral("3.5"), 1, kC), 4);
    EXPECT_EQ(roundedField(QStringLiteral("-2.5"), 1, kC), -2);
    EXPECT_EQ(roundedField(QStringLiteral("32767"), 1, kC), 32767);
    EXPECT_EQ(roundedField(QStringLiteral("-32768"), 1, kC), -32768);
    EXPECT_EQ(roundedField(QStringLiteral("32768"), 1, kC), std::nullopt);
    EXPECT_EQ(roundedField(QStringLiteral("-32769"), 1, kC), std::nullopt);

    // Seconds to milliseconds: 32.767 s is the longest wait the field holds.
    EXPECT_EQ(roundedField(QStringLiteral("2.5"), 1000, kC), 2500);
    EXPECT_EQ(roundedField(QStringLiteral("0.0005"), 1000, kC), 0);
    EXPECT_EQ(roundedField(QStringLiteral("32.767"), 1000, kC), 32767);
    EXPECT_EQ(roundedField(QStringLiteral("32.7675"), 1000, kC), std::nullopt);
    EXPECT_EQ(roundedField(QStringLiteral("-32.768"), 1000, kC), -32768);
    EXPECT_EQ(roundedField(QStringLiteral("1e10"), 1000, kC), std::nullopt);

    for (const char* text : {"", " ", "abc", "2.5s", "1,5", "inf", "nan", "1,000"})
        EXPECT_EQ(roundedField(QString::fromLatin1(text), 1000, kC), std::nullopt) << text;
}

TEST(OptionsFormTest, TheUsersDecimalSeparatorIsReadAndShown)
{
    EXPECT_EQ(roundedField(QStringLiteral("2,5"), 1000, kGerman), 2500);
    // A point still means a fraction, never a thousands group.
    EXPECT_EQ(roundedField(QStringLiteral("2.5"), 1000, kGerman), 2500);
    EXPECT_EQ(roundedField(QStringLiteral("1.000"), 1, kGerman), 1);

    EXPECT_EQ(secondsText(5000, kC), QStringLiteral("5"));
    EXPECT_EQ(secondsText(2500, kC), QStringLiteral("2.5"));
    EXPECT_EQ(secondsText(1, kC), QStringLiteral("0.001"));
    EXPECT_EQ(secondsText(-32768, kC), QStringLiteral("-32.768"));
    EXPECT_EQ(secondsText(0, kC), QStringLiteral("0"));
    EXPECT_EQ(secondsText(2500, kGerman), QStringLiteral("2,5"));
    EXPECT_EQ(secondsText(30000, kGerman), QStringLiteral("30"));
}

TEST(OptionsFormTest, OnlyALeadingLowerCaseLetterOfTheStartCommandIsRaised)
{
    EXPECT_EQ(capitalisedStartCommand(QStringLiteral("computer wake")),
              QStringLiteral("Computer wake"));
    EXPECT_EQ(capitalisedStartCommand(QStringLiteral("ärger")), QStringLiteral("Ärger"));
    EXPECT_EQ(capitalisedStartCommand(QStringLiteral("HAL")), QStringLiteral("HAL"));
    EXPECT_EQ(capitalisedStartCommand(QStringLiteral("2nd computer")),
              QStringLiteral("2nd computer"));
    EXPECT_EQ(capitalisedStartCommand(QString()), QString());
}

OptionsFormInput validInput()
{
    OptionsFormInput in;
    in.useStartCommand = true;
    in.startCommand = QStringLiteral("jarvis");
    in.tcomtSeconds = QStringLiteral("2.5");
    in.t1tSeconds = QStringLiteral("3");
    return in;
}

TEST(OptionsFormTest, TheFirstBadFieldIsNamedAndAnEmptyPhraseOnlyCountsWhenUsed)
{
    using Field = OptionsFormError::Field;
    auto errorOf = [](const OptionsFormInput& in) {
        const auto read = readOptionsForm(in, kC);
        const auto* e = std::get_if<OptionsFormError>(&read);
        return e ? std::optional<OptionsFormError>(*e) : std::nullopt;
    };

    OptionsFormInput in = validInput();
    EXPECT_EQ(errorOf(in), std::nullopt);

    in.t1tSeconds = QStringLiteral("three");
    in.tcomtSeconds = QStringLiteral("40");
    auto e = errorOf(in);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->field, Field::T1t);
    EXPECT_EQ(e->message, QStringLiteral("\"How long to display comfirmation screen (Sec.)\" must "
                                         "be a number of seconds from 0 to 32767."));
    // The limit is written without grouping in any locale.
    const auto read = readOptionsForm(in, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(std::get<OptionsFormError>(read).message.endsWith(QLatin1String(" 0 to 32767.")));
    for (const char* negative : {"-1", "-0.6"}) {
        in.t1tSeconds = QString::fromLatin1(negative);
        EXPECT_EQ(errorOf(in)->field, Field::T1t) << negative;
    }
    in.t1tSeconds = QStringLiteral("-0.4"); // rounds to 0: no time at all is allowed
    in.tcomtSeconds = QStringLiteral("-1");
    EXPECT_EQ(errorOf(in)->field, Field::Tcomt);

    in.t1tSeconds = QStringLiteral("3");
    e = errorOf(in);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->field, Field::Tcomt);
    EXPECT_EQ(e->message, QStringLiteral("\"How long to wait for a command after hearing the "
                                         "'Start Command' (Sec.)\" must be a number of seconds "
                                         "from 0 to 32.767."));

    in.tcomtSeconds = QStringLiteral("2.5");
    in.startCommand.clear();
    e = errorOf(in);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->field, Field::StartCommand);
    EXPECT_EQ(e->message, QStringLiteral("\"Start Command:\" must not be empty while \"Use Start "
                                         "Command\" is ticked."));

    in.useStartCommand = false;
    EXPECT_EQ(errorOf(in), std::nullopt);
}

} // namespace
