#include "launcher/Listening.h"
#include "tests/support/FakeSpeech.h"

#include <gtest/gtest.h>

namespace {

// Records the indicator changes in the same journal as the recogniser's calls.
class JournalIndicators : public ListeningIndicators
{
public:
    explicit JournalIndicators(QStringList& journal) : journal_(journal) {}
    void setStartItemEnabled(bool e) override { journal_ << QStringLiteral("startItem=%1").arg(e); }
    void setStopItemEnabled(bool e) override { journal_ << QStringLiteral("stopItem=%1").arg(e); }
    void setStartButtonShown(bool s) override
    {
        journal_ << QStringLiteral("startButton=%1").arg(s);
    }
    void setStopButtonShown(bool s) override
    {
        stopShown = s;
        journal_ << QStringLiteral("stopButton=%1").arg(s);
    }
    bool stopButtonShown() const override { return stopShown; }

    bool stopShown = true;

private:
    QStringList& journal_;
};

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
    JournalIndicators indicators{journal};
    Listening listening{recognizer, indicators};
};

TEST_F(ListeningTest, StopListeningPausesThenSwitchesTheFourPlacesInOrder)
{
    listening.stopListening();
    EXPECT_EQ(journal, (QStringList{"StopRecognition", "stopItem=0", "stopButton=0", "startItem=1",
                                    "startButton=1"}));
    EXPECT_FALSE(listening.isListening());
    EXPECT_FALSE(recognizer.isRecognising());
}

TEST_F(ListeningTest, StartListeningResumesThenSwitchesTheFourPlacesInOrder)
{
    listening.stopListening();
    journal.clear();
    listening.startListening();
    EXPECT_EQ(journal, (QStringList{"StartRecognition", "startItem=0", "startButton=0",
                                    "stopItem=1", "stopButton=1"}));
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
