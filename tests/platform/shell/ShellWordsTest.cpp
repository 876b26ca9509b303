#include "platform/shell/ShellWords.h"

#include <gtest/gtest.h>

using platform::shellWords;

TEST(ShellWords, BlanksSeparateWords)
{
    EXPECT_EQ(shellWords(u"  a  b\tc\nd  "_qs), (QStringList{"a", "b", "c", "d"}));
    EXPECT_TRUE(shellWords(u" \t\n"_qs).isEmpty());
}

TEST(ShellWords, QuotesAndEscapes)
{
    // Single quotes keep backslashes and double quotes.
    EXPECT_EQ(shellWords(uR"('a  b' 'x\y"z')"_qs), (QStringList{"a  b", R"(x\y"z)"}));
    // Double quotes take \" \\ \$ \` as escapes and keep any other backslash.
    EXPECT_EQ(shellWords(uR"("q\" s\\ d\$ b\` n\n $HOME")"_qs),
              (QStringList{R"(q" s\ d$ b` n\n $HOME)"}));
    // Outside quotes a backslash makes the next character literal.
    EXPECT_EQ(shellWords(uR"(a\ b \'c \"d)"_qs), (QStringList{"a b", "'c", "\"d"}));
    // Pieces that touch form one word; an empty quoted word is kept.
    EXPECT_EQ(shellWords(uR"(pre'mid'"post" "" '')"_qs), (QStringList{"premidpost", "", ""}));
}

TEST(ShellWords, EdgesOfTheText)
{
    EXPECT_EQ(shellWords(u"'a b"_qs), (QStringList{"a b"}));
    EXPECT_EQ(shellWords(u"x \"a 'b"_qs), (QStringList{"x", "a 'b"}));
    EXPECT_EQ(shellWords(u"a\\"_qs), (QStringList{"a\\"}));
    // A backslash before a newline joins lines, inside or outside double quotes.
    EXPECT_EQ(shellWords(u"a\\\nb \"c\\\nd\" e \\\n"_qs), (QStringList{"ab", "cd", "e"}));
}

TEST(ShellWords, AddressesHaveASchemeOfTwoOrMoreCharacters)
{
    for (const char* address :
         {"https://example.com/page", "mailto:a@b", "file:///x", "svn+ssh:x"}) {
        EXPECT_TRUE(platform::isAddress(QString::fromUtf8(address))) << address;
    }
    for (const char* path : {"", "/usr/bin/app", "x:/app", ":a", "1a:b", "my file:x", "a.txt"}) {
        EXPECT_FALSE(platform::isAddress(QString::fromUtf8(path))) << path;
    }
}
