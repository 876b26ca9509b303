#include "speech/sphinx/PhraseCheck.h"
#include "speech/sphinx/PronouncingDictionary.h"
#include "speech/sphinx/Rivals.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>

using namespace sphinx;

namespace {

TEST(PhraseCheckTest, PhoneDistanceCountsSimilarPhonesHalf)
{
    struct Case
    {
        const char* a;
        const char* b;
        double distance;
    };
    const Case cases[] = {
        {"N OW T P AE D", "N OW T P AE D", 0},                     // "Notepad", "Note Pad"
        {"F R AH N T L EH F T", "F R AH N T R AY T", 2.0 / 9},     // "Front Left", "... Right"
        {"M EY L", "N EY L", 0.5 / 3},                             // "Mail", "Nail"
        {"M EY L", "M EY", 1.0 / 3},                               // one dropped
        {"Y EH S", "N OW", 2.5 / 3},                               // "Yes", "No"
        {"OW P AH N M EY L", "OW P AH N M Y UW Z IH K", 4.5 / 10}, // "Open Mail", "... Music"
        {"", "N OW", 1},
        {"", "", 0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(phoneDistance(phonesOf(c.a), phonesOf(c.b)), c.distance)
            << c.a << " / " << c.b;
        EXPECT_DOUBLE_EQ(phoneDistance(phonesOf(c.b), phonesOf(c.a)), c.distance)
            << c.b << " / " << c.a;
    }
}

TEST(PhraseCheckTest, NamesUnknownWordsAndTheNearestPhraseThatSoundsAlike)
{
    struct Case
    {
        const char* phrase;
        QStringList others;
        const char* replacing;
        QStringList unknown;
        const char* soundsLike;
    };
    const Case cases[] = {
        {"Note Pad", {"Mail", "Notepad"}, "", {}, "Notepad"},
        {"Front Right", {"Front Left"}, "", {}, "Front Left"},
        {"Minimize Windows", {"Maximize Window", "Minimize Window"}, "", {}, "Minimize Window"},
        {"Open Music", {"Open Mail", "Calculator", "Exit Sarquen"}, "", {}, ""},
        {"Start Zorblat's Game", {"Notepad"}, "", {"Zorblat's"}, ""},
        // A command whose phrase is changed leaves the grammar: it is no rival.
        {"Front Left", {"Front Left", "Mail"}, "Front Left", {}, ""},
        {"Front Lift", {"Front Left", "Mail"}, "Front Left", {}, ""},
        {"", {"Notepad", ""}, "", {}, ""},
        {"!!! ???", {"Notepad", "..."}, "", {}, ""},
    };
    PhraseCheck check = PhraseCheck::installed();
    for (const Case& c : cases) {
        const PhraseFindings found = check.check(c.phrase, c.others, c.replacing);
        EXPECT_EQ(found.unknownWords, c.unknown) << c.phrase;
        EXPECT_EQ(found.soundsLike, QString::fromUtf8(c.soundsLike)) << c.phrase;
    }

    // Each pair of commands once, each command with the built-in phrases.
    const QList<PhraseFindings> all = check.checkAll(
        {"Notepad", "Mail", "Note Pad", "Zorblat", "Showed Desktop"}, {"Show Desktop", "Yes"});
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(findingSentences(all[0]),
              QStringList{"\"Notepad\" sounds like \"Note Pad\": the recogniser may take one "
                          "for the other."});
    EXPECT_EQ(findingSentences(all[1]),
              QStringList{"The recogniser does not know \"Zorblat\" and will guess how it is "
                          "said."});
    EXPECT_EQ(all[2].soundsLike, QStringLiteral("Show Desktop"));
}

TEST(PhraseCheckTest, WithoutTheDictionaryNoWordIsCalledUnknown)
{
    const PronouncingDictionary missing(QStringLiteral("/nonexistent/cmudict.dict"));
    EXPECT_FALSE(missing.isAvailable());
    EXPECT_EQ(missing.lookup(QStringLiteral("notepad")), std::nullopt);
    PhraseCheck check({[&](const QString& w) { return missing.lookup(w); },
                       [](const QString&) { return std::optional<QString>("Z AO R B L AE T"); }},
                      false);
    EXPECT_TRUE(check.check(QStringLiteral("Zorblat Notepad"), {}).unknownWords.isEmpty());

    const PronouncingDictionary& installed = PronouncingDictionary::installed();
    EXPECT_EQ(installed.lookup(QStringLiteral("Notepad")), QStringLiteral("N OW T P AE D"));
    EXPECT_EQ(installed.lookup(QStringLiteral("editor")), QStringLiteral("EH D AH T ER"));
    EXPECT_EQ(installed.lookup(QStringLiteral("zorblat")), std::nullopt);
    EXPECT_EQ(installed.lookup(QString()), std::nullopt);
}

} // namespace
