#include "speech/ConsoleSynthesizer.h"
#include "tests/speech/CapturedOutput.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(ConsoleSynthesizer, PrintsOneFlushedSayLinePerText)
{
    CapturedOutput out;
    ConsoleSynthesizer synth(out.file());

    synth.SpeakText("It is 10:30");
    EXPECT_EQ(out.text(), "SAY It is 10:30\n");

    synth.SpeakText("one\r\ntwo\nthree\rfour");
    synth.SpeakText(QString::fromUtf8("Grüße"));
    synth.SpeakText(QStringLiteral("Yes or No?") + QChar(0));
    synth.SpeakText("");
    EXPECT_EQ(out.text(), QByteArray("SAY It is 10:30\n"
                                     "SAY one two three four\n"
                                     "SAY Gr\xC3\xBC\xC3\x9F"
                                     "e\n"
                                     "SAY Yes or No?\n"
                                     "SAY \n"));
}

TEST(ConsoleSynthesizer, SpeechDoneFollowsThroughTheEventLoopOncePerText)
{
    CapturedOutput out;
    ConsoleSynthesizer synth(out.file());
    QSignalSpy done(&synth, &Synthesizer::SpeechDone);

    synth.SpeakText("first");
    synth.SpeakText("second");
    EXPECT_EQ(done.size(), 0);

    QCoreApplication::processEvents();
    EXPECT_EQ(done.size(), 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(done.size(), 2);
}

TEST(ConsoleSynthesizer, VoicesAreFoundByAttributesAndBadIndicesKeepTheVoice)
{
    ConsoleSynthesizer synth(stdout);
    EXPECT_EQ(synth.FindVoiceIndex("Mfg=Microsoft;Gender=1"), 1);
    EXPECT_EQ(synth.FindVoiceIndex("Mfg=Microsoft;Gender=2"), 2);
    EXPECT_EQ(synth.FindVoiceIndex("name=console male"), 2);
    EXPECT_EQ(synth.currentVoice(), 1);

    synth.UseVoice(2);
    EXPECT_EQ(synth.currentVoice(), 2);
    for (std::int16_t bad : {0, 3, -1})
        synth.UseVoice(bad);
    EXPECT_EQ(synth.currentVoice(), 2);
    synth.UseVoice(1);
    EXPECT_EQ(synth.currentVoice(), 1);
}
