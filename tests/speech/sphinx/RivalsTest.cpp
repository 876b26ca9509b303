#include "speech/sphinx/Rivals.h"
#include "speech/sphinx/PhraseDecoder.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QStringList phones(const char* text)
{
    return sphinx::phonesOf(QString::fromLatin1(text));
}

TEST(RivalsTest, WordsSoundAlikeWhenOnePhoneInFourDiffers)
{
    struct Case
    {
        const char* a;
        const char* b;
        bool alike;
    };
    const Case cases[] = {
        {"K IY", "K IY", true},                                  // the same
        {"K IY", "K IH", true},                                  // one change in a short word
        {"K IY", "T R EY N", false},                             // "key" is not "train"
        {"B AO L", "AO L W EY Z", false},                        // "ball", "always"
        {"P AY N AE P AH L", "P AY N AE P AH L Z", true},        // one added of eight
        {"P AY N AE P AH L", "F AY N AE N S AH L", false},       // three of eight
        {"M AH N IY", "M AY M EY L", false},                     // "money", "my mail"
        {"AE S T R AH N AO T", "AE S T R AH N AO T S", true},    // plural
        {"S AH N G L AE S AH Z", "S AH N G L AE S IH Z", true},  // a vowel of nine
        {"S AH N G L AE S AH Z", "S AH N G L AE D IH Z", true},  // two of nine
        {"S AH N G L AE S AH Z", "S AH M G L AE D IH Z", false}, // three of nine
        {"", "AH", true},                                        // nothing is one phone off
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sphinx::soundAlike(phones(c.a), phones(c.b)), c.alike) << c.a << " / " << c.b;
        EXPECT_EQ(sphinx::soundAlike(phones(c.b), phones(c.a)), c.alike) << c.b << " / " << c.a;
    }
}

TEST(RivalsTest, RivalsSoundLikeNoPhraseAndAreInTheDictionary)
{
    const QHash<QString, QString> dictionary{
        {"the", "DH AH"},      {"key", "K IY"},          {"money", "M AH N IY"}, {"bus", "B AH S"},
        {"train", "T R EY N"}, {"trains", "T R EY N Z"}, {"paper", "P EY P ER"}};
    const auto lookup = [&](const QString& word) -> std::optional<QString> {
        const auto it = dictionary.constFind(word);
        return it == dictionary.constEnd() ? std::nullopt : std::optional(*it);
    };
    // Phrases "Train" and "My Mail" (words, and the second whole).
    const std::vector<QStringList> kept{phones("T R EY N"), phones("M AY"), phones("M EY L"),
                                        phones("M AY M EY L")};
    const QStringList common{"the", "trains", "unheardof", "key", "money", "bus", "paper"};
    EXPECT_EQ(sphinx::pickRivals(common, kept, lookup, 10),
              QStringList({"the", "key", "money", "bus", "paper"}));
    // No more than asked for, commonest first.
    EXPECT_EQ(sphinx::pickRivals(common, kept, lookup, 2), QStringList({"the", "key"}));
    EXPECT_TRUE(sphinx::pickRivals(common, kept, lookup, 0).isEmpty());
}

TEST(RivalsTest, CommonWordsComeFromTheLanguageModel)
{
    const QString model = PhraseDecoder::defaultSettings().languageModel;
    const QStringList words = sphinx::commonWords(model, 500);
    ASSERT_EQ(words.size(), 500);
    EXPECT_LT(words.indexOf("the"), 5);
    EXPECT_GE(words.indexOf("because"), 0);
    static const QRegularExpression plain(QStringLiteral("^[a-z]+$"));
    for (const QString& w : words)
        EXPECT_TRUE(plain.match(w).hasMatch()) << qPrintable(w);
    EXPECT_EQ(QSet<QString>(words.begin(), words.end()).size(), words.size());

    EXPECT_TRUE(sphinx::commonWords(model, 0).isEmpty());
    EXPECT_TRUE(sphinx::commonWords(QStringLiteral("/nonexistent/model.lm.bin"), 10).isEmpty());
}

} // namespace
