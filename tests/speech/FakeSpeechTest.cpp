#include "tests/support/FakeSpeech.h"
#include "tests/support/QStringPrinting.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

// The fakes stand in for the engines in the main window's tests, so they must keep the
// engines' promises: nothing heard while stopped, SpeechDone only through the event loop.
TEST(FakeSpeech, KeepsTheEnginePromises)
{
    FakeRecognizer recognizer;
    QSignalSpy heard(&recognizer, &Recognizer::PhraseHeard);
    recognizer.hear("too early");
    recognizer.StartRecognition();
    recognizer.hear("What Time Is It");
    recognizer.StopRecognition();
    recognizer.hear("too late");
    ASSERT_EQ(heard.size(), 1);
    EXPECT_EQ(heard[0][0].toString(), "What Time Is It");

    FakeSynthesizer synth;
    QSignalSpy done(&synth, &Synthesizer::SpeechDone);
    synth.SpeakText("one");
    synth.SpeakText("two");
    EXPECT_EQ(done.size(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(done.size(), 2);

    synth.finishesSpeech = false;
    synth.SpeakText("never finished");
    QCoreApplication::processEvents();
    EXPECT_EQ(done.size(), 2);
    synth.finishSpeech();
    EXPECT_EQ(done.size(), 3);
}
