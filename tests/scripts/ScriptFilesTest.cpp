#include "scripts/ScriptFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace scriptfiles;

TEST(ScriptFilesTest, LoadingDropsTheFinalLineBreakOnly)
{
    EXPECT_EQ(textForEditing("$say$Hello\r\n$wait$2\r\n"), QStringLiteral("$say$Hello\n$wait$2"));
    // Line feeds alone, as other editors write them: the last character stays.
    EXPECT_EQ(textForEditing("$say$Hello\n$wait$2\n"), QStringLiteral("$say$Hello\n$wait$2"));
    EXPECT_EQ(textForEditing("$wait$2"), QStringLiteral("$wait$2"));
    EXPECT_EQ(textForEditing("$wait$2\r\n\r\n"), QStringLiteral("$wait$2\n"));
    EXPECT_EQ(textForEditing(""), QString());
    EXPECT_EQ(textForEditing("$say$Gr\xc3\xbc\xc3\x9f"
                             "e\r\n"),
              QStringLiteral("$say$Grüße"));
}

TEST(ScriptFilesTest, SavingEndsWithExactlyOneCrLf)
{
    EXPECT_EQ(bytesForSaving(QStringLiteral("$say$Hi\n\n\n")), QByteArray("$say$Hi\r\n"));
    EXPECT_EQ(bytesForSaving(QStringLiteral("$say$Hi\n$wait$1")),
              QByteArray("$say$Hi\r\n$wait$1\r\n"));
    EXPECT_EQ(bytesForSaving(QStringLiteral("$say$Hi\r\n\r\n")), QByteArray("$say$Hi\r\n"));
    EXPECT_EQ(bytesForSaving(QString()), QByteArray("\r\n"));
    // Blank lines inside the script are the user's and stay.
    EXPECT_EQ(bytesForSaving(QStringLiteral("a\n\nb")), QByteArray("a\r\n\r\nb\r\n"));

    // Saving and loading over and over changes nothing after the first save.
    for (const char* text : {"", "a", "a\n", "a\n\n\nb\n\n", "\n\n"}) {
        const QByteArray once = bytesForSaving(QString::fromUtf8(text));
        QByteArray bytes = once;
        for (int round = 0; round < 3; ++round)
            bytes = bytesForSaving(textForEditing(bytes));
        EXPECT_EQ(bytes, once) << text;
    }
}

TEST(ScriptFilesTest, NewScriptNamesMustMakeAFileName)
{
    EXPECT_EQ(newScriptFileName(QStringLiteral("test")).fileName, QStringLiteral("test.kps"));
    EXPECT_EQ(newScriptFileName(QStringLiteral("  mail  ")).fileName, QStringLiteral("mail.kps"));
    EXPECT_EQ(newScriptFileName(QStringLiteral("Grüße")).fileName, QStringLiteral("Grüße.kps"));

    // Nothing typed ends the action quietly.
    const NewName none = newScriptFileName(QString());
    EXPECT_TRUE(none.fileName.isEmpty());
    EXPECT_TRUE(none.error.isEmpty());

    for (const QString& bad :
         {QStringLiteral("   "), QStringLiteral("a/b"), QStringLiteral("/etc/passwd"),
          QStringLiteral("."), QStringLiteral(".."), QStringLiteral("tab\there"),
          QStringLiteral("line\nbreak"), QString(300, u'x')}) {
        const NewName refused = newScriptFileName(bad);
        EXPECT_TRUE(refused.fileName.isEmpty()) << bad.toStdString();
        EXPECT_FALSE(refused.error.isEmpty()) << bad.toStdString();
    }
}

TEST(ScriptFilesTest, CaptionNamesTheOpenScriptWithoutItsExtension)
{
    EXPECT_EQ(editorCaption(QString()), QStringLiteral("Script Editor"));
    EXPECT_EQ(editorCaption(QStringLiteral("test.kps")), QStringLiteral("Script Editor - test"));
    EXPECT_EQ(editorCaption(QStringLiteral("a.b.kps")), QStringLiteral("Script Editor - a.b"));
}

} // namespace
