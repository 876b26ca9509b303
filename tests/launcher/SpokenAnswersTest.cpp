#include "launcher/SpokenAnswers.h"
#include "options/Options.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeSpeech.h"
#include "tests/support/FixedClock.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(TimeAnswerTest, HoursAfterNoonArePmEverythingElseAm)
{
    EXPECT_EQ(timeAnswer(QTime(0, 5)), QStringLiteral("The current time is 0 5 AM"));
    EXPECT_EQ(timeAnswer(QTime(9, 30)), QStringLiteral("The current time is 9 30 AM"));
    EXPECT_EQ(timeAnswer(QTime(12, 45)), QStringLiteral("The current time is 12 45 AM"));
    EXPECT_EQ(timeAnswer(QTime(13, 7)), QStringLiteral("The current time is 1 7 PM"));
    EXPECT_EQ(timeAnswer(QTime(23, 59)), QStringLiteral("The current time is 11 59 PM"));
}

TEST(DateTextTest, SuffixesOnlyForTheFirstThreeDays)
{
    const std::pair<int, const char*> expected[] = {{1, "st"},  {2, "nd"},  {3, "rd"},  {4, "th"},
                                                    {11, "th"}, {12, "th"}, {13, "th"}, {21, "th"},
                                                    {22, "th"}, {23, "th"}, {31, "th"}};
    for (const auto& [day, suffix] : expected) {
        const QString text = dateText(QDate(2005, 1, day));
        EXPECT_TRUE(text.contains(QStringLiteral(" the %1%2 of ").arg(day).arg(suffix)))
            << text.toStdString();
    }
}

TEST(DateTextTest, UsesTheProgramsSpellingOfMonthsAndDays)
{
    EXPECT_EQ(dateText(QDate(2004, 1, 21)), QStringLiteral("Wendsday the 21th of January, 2004"));
    EXPECT_EQ(dateText(QDate(2026, 2, 1)), QStringLiteral("Sunday the 1st of Febuary, 2026"));
    EXPECT_EQ(dateText(QDate(2026, 12, 12)), QStringLiteral("Saturday the 12th of December, 2026"));
    EXPECT_EQ(dateText(QDate(999, 9, 2)).right(5), QStringLiteral(", 999"));
}

class SpokenAnswersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        recognizer.journal = &journal;
        synthesizer.journal = &journal;
        audio.journal = &journal;
        recognizer.StartRecognition();
        journal.clear();
    }

    QStringList journal;
    FakeRecognizer recognizer;
    FakeSynthesizer synthesizer;
    FakeAudio audio;
    FixedClock clock;
    Options options;
    SpokenAnswers answers{recognizer, synthesizer, clock, audio, options};
};

TEST_F(SpokenAnswersTest, SpeakPausesRecognitionOnlyAroundHandingOverTheText)
{
    answers.Speak(QStringLiteral("Hello"));
    EXPECT_EQ(journal, (QStringList{"StopRecognition", "SpeakText(Hello)", "StartRecognition"}));
}

TEST_F(SpokenAnswersTest, SpeakTurnsRecognitionBackOnEvenWhenItWasOff)
{
    recognizer.StopRecognition();
    answers.Speak(QStringLiteral("x"));
    EXPECT_TRUE(recognizer.isRecognising());
}

TEST_F(SpokenAnswersTest, TimeAndDateAnswersReadTheClock)
{
    clock.instant = QDateTime(QDate(2004, 1, 21), QTime(13, 7, 59));
    answers.speakTime();
    answers.speakDate();
    EXPECT_EQ(synthesizer.spoken,
              (QStringList{"The current time is 1 7 PM",
                           "Todays date is Wendsday the 21th of January, 2004"}));
}

TEST_F(SpokenAnswersTest, SoundingPlaysTheWaveFileOrTheBeepWithRecognitionPaused)
{
    options.soundPlay = 1;
    options.soundOpt = 0;
    options.soundPath = QStringLiteral("/s/start.wav") + QChar(u'\0');
    answers.Sounding();
    EXPECT_EQ(journal, (QStringList{"StopRecognition", "play /s/start.wav", "StartRecognition"}));

    journal.clear();
    options.soundOpt = 1;
    answers.Sounding();
    EXPECT_EQ(journal, (QStringList{"StopRecognition", "beep", "StartRecognition"}));
}

TEST_F(SpokenAnswersTest, SoundingDoesNothingUnlessAskedFor)
{
    options.soundPlay = 0;
    options.soundOpt = 1;
    answers.Sounding();
    options.soundPlay = 1;
    options.soundOpt = 2;
    answers.Sounding();
    EXPECT_TRUE(journal.isEmpty());
}

} // namespace
