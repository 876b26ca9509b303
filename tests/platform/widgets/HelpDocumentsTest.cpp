// The help documents that are installed beside the program: they read without leftovers
// of the notation and cover what the program offers.
#include "launcher/Grammar.h"
#include "platform/widgets/RtfReader.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

QString shownText(const QString& name, QTextDocument& doc)
{
    QFile file(qEnvironmentVariable("SARQUEN_SOURCE_DIR") + QStringLiteral("/data/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(rtf::looksLikeRtf(bytes));
    // Hand-written: balanced braces, nothing after the document.
    EXPECT_EQ(bytes.count('{') - bytes.count("\\{"), bytes.count('}') - bytes.count("\\}"));
    EXPECT_TRUE(bytes.trimmed().endsWith('}'));
    rtf::read(bytes, doc);
    return doc.toPlainText();
}

// A control word that the reader did not take as one shows as text.
void expectNoNotation(const QString& text)
{
    const QRegularExpression word(QStringLiteral("\\\\[a-z]{2,}"));
    const auto match = word.match(text);
    EXPECT_FALSE(match.hasMatch()) << match.captured().toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("\\'")));
}

TEST(HelpDocuments, HelpCoversTheSpokenCommandsAndTheWindows)
{
    QTextDocument doc;
    const QString text = shownText(QStringLiteral("Help.rtf"), doc);
    expectNoNotation(text);
    for (const QString& phrase : builtinGrammarPhrases())
        EXPECT_TRUE(text.contains(phrase)) << phrase.toStdString();
    for (const char* words :
         {"Computer", "Add / Edit / Remove Command", "Script Editor", "Stop Listening",
          "Start Listening", "Use Start Command", "Ask for comfirmation before launching a program",
          "Start Hidden (in system tray)", "Help / About Ombrel Sarquen", "Exit Ombrel Sarquen",
          "Print Help File", "Check For Updates", "SQ Error 10: File Not Found", "microphone",
          "zorv /h", "sarquen-reg"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(words))) << words;
}

TEST(HelpDocuments, ScriptGuideCoversEveryKeywordMacroAndKey)
{
    QTextDocument doc;
    const QString text = shownText(QStringLiteral("Script Help and Guide.rtf"), doc);
    expectNoNotation(text);
    for (const char* keyword :
         {"$say$", "$run$", "$stop$", "$start$", "$type$", "$mousepos$", "$mousemove$",
          "$mouseclick$", "$wait$", "$minwin$", "$maxwin$", "$closewin$", "$restorewin$",
          "$exitzorv$", "$reboot$", "$shutdown$", "$logoff$"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(keyword))) << keyword;
    for (const char* macro : {"#sh", "#mh", "#mm", "#ss", "#dy", "#wd", "#yr", "#wm", "#nm", "#ap"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(macro))) << macro;
    for (const char* button : {"leftdown", "leftup", "middledown", "middleup", "rightdown",
                               "rightup", "middle", "right", "left"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(button))) << button;
    for (const char* key :
         {"{ENTER}",      "{TAB}",   "{BACKSPACE}", "{BS}",    "{BKSP}",  "{DELETE}",   "{DEL}",
          "{HOME}",       "{END}",   "{LEFT}",      "{RIGHT}", "{UP}",    "{DOWN}",     "{PGUP}",
          "{PGDN}",       "{ESC}",   "{INSERT}",    "{INS}",   "{BREAK}", "{CAPSLOCK}", "{NUMLOCK}",
          "{SCROLLLOCK}", "{PRTSC}", "{HELP}",      "{F1}",    "{F16}",   "{+}",        "{^}",
          "{%}",          "{~}",     "{(}",         "{)}",     "{{}",     "{}}",        "{LEFT 3}"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(key))) << key;
    for (const char* words : {"New Script", "Save Script", "Delete Script", "Use Script",
                              "Syntax error in '$keyword$'", "9999", "3600"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(words))) << words;
}

} // namespace
