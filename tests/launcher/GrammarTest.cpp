#include "launcher/Grammar.h"
#include "launcher/StartMode.h"

#include <gtest/gtest.h>

namespace {

const QString kHeaderAndBuiltins = QStringLiteral(
    "[Grammar]\r\ntype=cfg\r\n[<start>]\r\n"
    "<start>=Exit Sarquen\r\n<start>=Minimize Sarquen\r\n<start>=Maximize Sarquen\r\n"
    "<start>=Show Sarquen\r\n<start>=Hide Sarquen\r\n<start>=What Time Is It\r\n"
    "<start>=Whats The Date\r\n<start>=About Sarquen\r\n<start>=Yes\r\n<start>=No\r\n"
    "<start>=Close Window\r\n<start>=Show Desktop\r\n<start>=Run Program\r\n"
    "<start>=System Properties\r\n<start>=Last\r\n<start>=Next\r\n<start>=Go\r\n"
    "<start>=Next Window\r\n<start>=Maximize Window\r\n<start>=Minimize Window\r\n"
    "<start>=Restore Window\r\n");

TEST(GrammarTest, WithoutUserCommandsHoldsBuiltinsAndTheStartRule)
{
    EXPECT_EQ(buildGrammarText({}, QStringLiteral("Computer")),
              kHeaderAndBuiltins + QStringLiteral("<start>=Computer"));
    // An empty start phrase still gives its rule.
    EXPECT_EQ(buildGrammarText({}, QString()), kHeaderAndBuiltins + QStringLiteral("<start>="));
}

TEST(GrammarTest, UserRulesComeInOrderBeforeTheStartRuleAndAreNotEscaped)
{
    const QString text =
        buildGrammarText({QStringLiteral("Notepad"), QStringLiteral("My Mail"),
                          QStringLiteral("Close Window"), QString(), QStringLiteral("<odd>=|[x]")},
                         QStringLiteral("Computer"));
    EXPECT_EQ(text, kHeaderAndBuiltins +
                        QStringLiteral("<start>=Notepad\r\n<start>=My Mail\r\n"
                                       "<start>=Close Window\r\n<start>=\r\n<start>=<odd>=|[x]\r\n"
                                       "<start>=Computer"));
    EXPECT_EQ(text.count(QStringLiteral("<start>=Close Window\r\n")), 2);
    EXPECT_TRUE(text.endsWith(u'r'));
}

TEST(GrammarTest, ListEntriesAreTheNineteenBuiltinsInOrder)
{
    const QStringList& list = builtinListEntries();
    ASSERT_EQ(list.size(), 19);
    EXPECT_EQ(list.first(), QStringLiteral("Close Window"));
    EXPECT_EQ(list[5], QStringLiteral("->Next - (use only after 'Next Window' command)"));
    EXPECT_EQ(list[6], QStringLiteral("->Last - (use only after 'Next Window' command)"));
    EXPECT_EQ(list[7], QStringLiteral("->Go - (use only after 'Next Window' command)"));
    EXPECT_EQ(list.last(), QStringLiteral("Exit Sarquen"));
    EXPECT_FALSE(list.contains(QStringLiteral("Yes")));
    EXPECT_FALSE(list.contains(QStringLiteral("No")));
    EXPECT_EQ(builtinGrammarPhrases().size(), 21);
}

TEST(StartModeTest, OnlyExactSwitchesAfterTrimmingCount)
{
    EXPECT_EQ(startModeFor(QStringLiteral("/h")), StartMode::Hidden);
    EXPECT_EQ(startModeFor(QStringLiteral("  /h  ")), StartMode::Hidden);
    EXPECT_EQ(startModeFor(QStringLiteral("/m")), StartMode::Minimised);
    EXPECT_EQ(startModeFor(QStringLiteral("/H")), StartMode::Normal);
    EXPECT_EQ(startModeFor(QStringLiteral("/M")), StartMode::Normal);
    EXPECT_EQ(startModeFor(QStringLiteral("/m extra")), StartMode::Normal);
    EXPECT_EQ(startModeFor(QString()), StartMode::Normal);
    EXPECT_EQ(startModeFor(QStringLiteral("-h")), StartMode::Normal);
}

TEST(StartModeTest, CommandLineIsTheArgumentsAfterTheProgram)
{
    EXPECT_EQ(commandLineText({QStringLiteral("zorv")}), QString());
    EXPECT_EQ(startModeFor(commandLineText({QStringLiteral("zorv"), QStringLiteral("/h")})),
              StartMode::Hidden);
    EXPECT_EQ(startModeFor(commandLineText(
                  {QStringLiteral("zorv"), QStringLiteral("/m"), QStringLiteral("x")})),
              StartMode::Normal);
}

} // namespace
