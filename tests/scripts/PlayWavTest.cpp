#include "scripts/PlayWav.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakeSpeech.h"

#include <gtest/gtest.h>

namespace {

class PlayWav : public ::testing::Test
{
protected:
    PlayWav()
    {
        recognizer.journal = &journal;
        audio.journal = &journal;
        recognizer.StartRecognition();
        journal.clear();
    }

    QStringList journal;
    FakeRecognizer recognizer;
    FakeAudio audio;
};

} // namespace

TEST_F(PlayWav, PlaysTheFileWhileRecognitionIsPaused)
{
    PlayWaveFile(recognizer, audio, QStringLiteral("/sounds/start.wav"));
    EXPECT_EQ(journal,
              QStringList({"StopRecognition", "play /sounds/start.wav", "StartRecognition"}));
}

TEST_F(PlayWav, RecognitionIsOnAfterwardsEvenWhenItWasOffBefore)
{
    recognizer.StopRecognition();
    journal.clear();
    PlayWaveFile(recognizer, audio, QStringLiteral("start.wav"));
    EXPECT_EQ(journal, QStringList({"play start.wav", "StartRecognition"}));
    EXPECT_TRUE(recognizer.isRecognising());

    recognizer.StopRecognition();
    PlayBeep(recognizer, audio);
    EXPECT_TRUE(recognizer.isRecognising());
}

TEST_F(PlayWav, ThePathEndsAtItsFirstNul)
{
    PlayWaveFile(recognizer, audio, QStringLiteral("/sounds/start.wav") + QChar(u'\0') + "rest");
    PlayWaveFile(recognizer, audio, QString(QChar(u'\0')) + "start.wav");
    EXPECT_EQ(audio.calls, QStringList({"play /sounds/start.wav", "play "}));
}

TEST_F(PlayWav, AFileThatCannotBePlayedSoundsTheBeepInstead)
{
    audio.playable = false;
    PlayWaveFile(recognizer, audio, QStringLiteral("broken.wav"));
    EXPECT_EQ(journal,
              QStringList({"StopRecognition", "play broken.wav", "beep", "StartRecognition"}));
}

TEST_F(PlayWav, TheBeepIsPlayedWhileRecognitionIsPaused)
{
    PlayBeep(recognizer, audio);
    EXPECT_EQ(journal, QStringList({"StopRecognition", "beep", "StartRecognition"}));
}
