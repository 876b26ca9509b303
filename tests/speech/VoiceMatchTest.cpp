#include "speech/VoiceMatch.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>

TEST(VoiceMatch, ParsesPairsTrimmedAndSkipsMalformedPieces)
{
    const QList<VoiceAttribute> pairs =
        parseVoiceAttributes(" Name = Console Male ;gender=2;;junk; =x;Mode=a=b;Empty=");
    ASSERT_EQ(pairs.size(), 4);
    EXPECT_EQ(pairs[0].key, "Name");
    EXPECT_EQ(pairs[0].value, "Console Male");
    EXPECT_EQ(pairs[1].key, "gender");
    EXPECT_EQ(pairs[1].value, "2");
    EXPECT_EQ(pairs[2].key, "Mode");
    EXPECT_EQ(pairs[2].value, "a=b");
    EXPECT_EQ(pairs[3].key, "Empty");
    EXPECT_EQ(pairs[3].value, "");
}

TEST(VoiceMatch, PicksTheVoiceSharingMostPairs)
{
    const QStringList voices = {"Name=Console Female;Gender=1;Mfg=Ombrel",
                                "Name=Console Male;Gender=2;Mfg=Ombrel",
                                "Name=Reader;Gender=2;Mfg=Other;Age=Adult"};
    EXPECT_EQ(bestVoiceIndex("Mfg=Microsoft;Gender=1", voices), 1);
    EXPECT_EQ(bestVoiceIndex("GENDER = 2 ; mfg=OMBREL", voices), 2);
    EXPECT_EQ(bestVoiceIndex("Gender=2;Age=adult", voices), 3);
    // A value matches whole, not in part.
    EXPECT_EQ(bestVoiceIndex("Name=Console", voices), 1);
    EXPECT_EQ(bestVoiceIndex("Name=console male", voices), 2);
}

TEST(VoiceMatch, TiesAndNoMatchGoToTheLowestIndex)
{
    const QStringList voices = {"Gender=1;Mfg=A", "Gender=2;Mfg=B", "Gender=2;Mfg=C"};
    EXPECT_EQ(bestVoiceIndex("Gender=2", voices), 2);
    EXPECT_EQ(bestVoiceIndex("Gender=3;Mfg=Z", voices), 1);
    EXPECT_EQ(bestVoiceIndex("", voices), 1);
    EXPECT_EQ(bestVoiceIndex("garbage", voices), 1);
    EXPECT_EQ(bestVoiceIndex("Gender=1", {}), 0);
}
