#include "launcher/Listening.h"
#include "tests/support/FakeSpeech.h"

#include <gtest/gtest.h>

namespace {

class ListeningTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        recognizer.journal = &journal;
        recognizer.StartRecognition();
        journal.clear();
    }

    QStringList journal;
    FakeRecognizer recognizer;
    // The windows hear of each change of the listening state after the recogniser.
    Listening listening{recognizer,
                        [this](bool on) { journal << QStringLiteral("listening=%1").arg(on); }};
};

TEST_F(ListeningTest, StopListeningPausesThenShowsTheNewState)
{
    listening.stopListening();
    EXPECT_EQ(journal, (QStringList{"StopRecognition", "listening=0"}));
    EXPECT_FALSE(listening.isListening());
    EXPECT_FALSE(recognizer.isRecognising());
}

TEST_F(ListeningTest, StartListeningResumesThenShowsTheNewState)
{
    listening.stopListening();
    journal.clear();
    listening.startListening();
    EXPECT_EQ(journal, (QStringList{"StartRecognition", "listening=1"}));
    EXPECT_TRUE(listening.isListening());
}

TEST_F(ListeningTest, PauseAndResumeLeaveTheIndicatorsAlone)
{
    listening.pauseRecognition();
    EXPECT_EQ(journal, QStringList{"StopRecognition"});
    EXPECT_TRUE(listening.isListening());
    listening.resumeRecognition();
    EXPECT_EQ(journal, (QStringList{"StopRecognition", "StartRecognition"}));
}

TEST_F(ListeningTest, APausedRecogniserHearsNothing)
{
    QStringList heard;
    QObject::connect(&recognizer, &Recognizer::PhraseHeard,
                     [&heard](const QString& p) { heard << p; });
    recognizer.hear(QStringLiteral("Yes"));
    listening.pauseRecognition();
    recognizer.hear(QStringLiteral("No"));
    listening.resumeRecognition();
    recognizer.hear(QStringLiteral("Go"));
    EXPECT_EQ(heard, (QStringList{"Yes", "Go"}));
}

} // namespace
