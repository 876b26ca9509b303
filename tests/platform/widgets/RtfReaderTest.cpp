#include "platform/widgets/RtfReader.h"
#include "platform/widgets/RichTextBox.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <vector>

namespace {

// One run of equally formatted text.
struct TextRun
{
    QString text;
    QTextCharFormat format;
};

class RtfReaderTest : public ::testing::Test
{
protected:
    QTextDocument& read(const QByteArray& rtf)
    {
        rtf::read(rtf, doc);
        return doc;
    }
    // The blocks as their raw text (line separators stay U+2028).
    QStringList blocks(const QByteArray& rtf)
    {
        read(rtf);
        QStringList out;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            out << b.text();
        return out;
    }
    QString text(const QByteArray& rtf) { return blocks(rtf).join(QLatin1Char('\n')); }
    std::vector<TextRun> runs(const QByteArray& rtf)
    {
        read(rtf);
        std::vector<TextRun> out;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                out.push_back({it.fragment().text(), it.fragment().charFormat()});
        return out;
    }
    // The format of the run holding `piece`.
    QTextCharFormat formatOf(const QByteArray& rtf, const QString& piece)
    {
        for (const TextRun& r : runs(rtf))
            if (r.text.contains(piece))
                return r.format;
        ADD_FAILURE() << "no run holds " << piece.toStdString();
        return {};
    }

    QTextDocument doc;
};

TEST_F(RtfReaderTest, TextParagraphsLinesAndTabs)
{
    EXPECT_EQ(blocks("{\\rtf1\\ansi Hello\\par World}"), (QStringList{"Hello", "World"}));
    EXPECT_EQ(blocks("{\\rtf1 a\\line b\\tab c}"), QStringList{QStringLiteral("a\u2028b\tc")});
    // Line breaks in the file are not text; the space after a control word belongs to it.
    EXPECT_EQ(text("{\\rtf1 one\r\ntwo \\par\r\nthree}"), QStringLiteral("onetwo \nthree"));
    EXPECT_EQ(text("{\\rtf1\\par\\par x}"), QStringLiteral("\n\nx"));
    // A backslash before a line break is a paragraph too.
    EXPECT_EQ(text("{\\rtf1 a\\\nb}"), QStringLiteral("a\nb"));
    // Table cells and rows keep their text apart.
    EXPECT_EQ(text("{\\rtf1 a\\cell b\\cell\\row c}"), QStringLiteral("a\tb\t\nc"));
}

TEST_F(RtfReaderTest, CharacterFormattingFollowsGroups)
{
    const QByteArray rtf = "{\\rtf1 plain {\\b bold {\\i both}} \\ul under\\ulnone  "
                           "{\\strike gone} \\b heavy\\b0  light \\i\\b x\\plain  reset}";
    EXPECT_EQ(formatOf(rtf, "plain").fontWeight(), QFont::Normal);
    EXPECT_EQ(formatOf(rtf, "bold").fontWeight(), QFont::Bold);
    EXPECT_FALSE(formatOf(rtf, "bold").fontItalic());
    EXPECT_EQ(formatOf(rtf, "both").fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(rtf, "both").fontItalic());
    EXPECT_TRUE(formatOf(rtf, "under").fontUnderline());
    EXPECT_TRUE(formatOf(rtf, "gone").fontStrikeOut());
    EXPECT_EQ(formatOf(rtf, "heavy").fontWeight(), QFont::Bold);
    EXPECT_EQ(formatOf(rtf, "light").fontWeight(), QFont::Normal);
    EXPECT_FALSE(formatOf(rtf, "reset").fontItalic());
    EXPECT_EQ(formatOf(rtf, "reset").fontWeight(), QFont::Normal);
    EXPECT_EQ(text(rtf), QStringLiteral("plain bold both under gone heavy light x reset"));

    const QByteArray sub = "{\\rtf1 H{\\sub 2}O x{\\super 2} n\\nosupersub o}";
    EXPECT_EQ(formatOf(sub, "O x").verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(runs(sub)[1].format.verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(runs(sub)[3].format.verticalAlignment(), QTextCharFormat::AlignSuperScript);
}

TEST_F(RtfReaderTest, FontSizesColoursAndFontsComeFromTheirTables)
{
    const QByteArray rtf = "{\\rtf1\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier "
                           "New;}}{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
                           "normal \\fs40 big\\fs16  small \\cf1 red\\cf2  navy\\cf0  auto "
                           "\\cf9 missing \\f1 mono\\f0  sans\\fs0  tiny\\fs99999  huge}";
    EXPECT_EQ(formatOf(rtf, "normal").fontPointSize(), 12);
    EXPECT_EQ(formatOf(rtf, "big").fontPointSize(), 20);
    EXPECT_EQ(formatOf(rtf, "small").fontPointSize(), 8);
    EXPECT_EQ(formatOf(rtf, "red").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatOf(rtf, "navy").foreground().color(), QColor(0, 0, 128));
    EXPECT_FALSE(formatOf(rtf, "auto").hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_FALSE(formatOf(rtf, "missing").hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(formatOf(rtf, "mono").fontFamilies().toStringList(), QStringList{"Courier New"});
    EXPECT_EQ(formatOf(rtf, "sans").fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_EQ(formatOf(rtf, "tiny").fontPointSize(), 1);
    EXPECT_EQ(formatOf(rtf, "huge").fontPointSize(), 200);
    // Nothing of the tables shows.
    EXPECT_EQ(text(rtf).left(7), QStringLiteral("normal "));
}

TEST_F(RtfReaderTest, EscapesAndSpecialCharacters)
{
    EXPECT_EQ(text("{\\rtf1 caf\\'e9 \\'80\\'93q\\'94 \\'41}"),
              QStringLiteral("caf\u00e9 \u20ac\u201cq\u201d A"));
    EXPECT_EQ(text("{\\rtf1 \\\\ \\{x\\} a\\~b c\\_d e\\-f}"),
              QStringLiteral("\\ {x} a\u00a0b c\u2011d ef"));
    EXPECT_EQ(text("{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}"),
              QStringLiteral("\u2014\u2013\u2022\u2018\u2019\u201c\u201d"));
}

TEST_F(RtfReaderTest, UnicodeCharactersSkipTheirStandIns)
{
    // \uc1 is the default: one stand-in character follows each \u.
    EXPECT_EQ(text("{\\rtf1 \\u8364?x}"), QStringLiteral("\u20acx"));
    EXPECT_EQ(text("{\\rtf1 \\u8364\\'80x}"), QStringLiteral("\u20acx"));
    EXPECT_EQ(text("{\\rtf1\\uc2 \\u8364??x\\uc0 \\u8364 y}"), QStringLiteral("\u20acx\u20acy"));
    // A control word counts as one stand-in; the end of the group ends the skipping.
    EXPECT_EQ(text("{\\rtf1\\uc2 \\u8364\\bullet x}"), QStringLiteral("\u20ac"));
    EXPECT_EQ(text("{\\rtf1 {\\uc3 \\u8364}abc}"), QStringLiteral("\u20acabc"));
    // \ucN belongs to its group.
    EXPECT_EQ(text("{\\rtf1 {\\uc0 \\u65}\\u66?}"), QStringLiteral("AB"));
    // Negative values stand for the upper half; surrogate pairs join.
    EXPECT_EQ(text("{\\rtf1 \\u-3913?}"), QString(QChar(0xF0B7)));
    EXPECT_EQ(text("{\\rtf1 \\u55357?\\u56832?}"), QString::fromUtf8("\xF0\x9F\x98\x80"));
    EXPECT_EQ(text("{\\rtf1 \\u99999999?\\u?}"), QStringLiteral("\ufffd?"));
}

TEST_F(RtfReaderTest, DestinationsThatAreNotTextAreSkipped)
{
    EXPECT_EQ(text("{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}"
                   "{\\*\\generator Gen;}{\\*\\unknownthing {nested} text}"
                   "a{\\pict\\wmetafile8 0123abcd}b{\\header H}{\\footer F}c}"),
              QStringLiteral("abc"));
    // A field shows its result, not its instruction.
    EXPECT_EQ(text("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt here}}.}"),
              QStringLiteral("see here."));
    // Binary data is skipped whatever it holds, braces included.
    EXPECT_EQ(text("{\\rtf1 a{\\*\\blob\\bin5 }{\\x}b}c}"), QStringLiteral("ac"));
    EXPECT_EQ(text("{\\rtf1 a\\bin3 }}}b}"), QStringLiteral("ab"));
}

TEST_F(RtfReaderTest, ParagraphFormattingAndItsReset)
{
    read("{\\rtf1 \\qc centred\\par \\li720\\fi-360 indented\\par\\pard left}");
    QTextBlock b = doc.begin();
    EXPECT_EQ(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    b = b.next();
    EXPECT_EQ(b.blockFormat().leftMargin(), 48);
    EXPECT_EQ(b.blockFormat().textIndent(), -24);
    EXPECT_EQ(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    b = b.next();
    EXPECT_EQ(b.blockFormat().leftMargin(), 0);
    EXPECT_EQ(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST_F(RtfReaderTest, MalformedInputShowsWhatWasRead)
{
    // Missing closing braces and truncated ends.
    EXPECT_EQ(text("{\\rtf1 open {\\b end"), QStringLiteral("open end"));
    EXPECT_EQ(text("{\\rtf1 a\\"), QStringLiteral("a"));
    EXPECT_EQ(text("{\\rtf1 a\\'"), QStringLiteral("a"));
    EXPECT_EQ(text("{\\rtf1 a\\'4"), QStringLiteral("a"));
    EXPECT_EQ(text("{\\rtf1 a\\'zz"), QStringLiteral("azz"));
    EXPECT_EQ(text("{\\rtf1 a\\fs"), QStringLiteral("a"));
    EXPECT_EQ(text("{\\rtf1 a\\u"), QStringLiteral("a"));
    EXPECT_EQ(text("{\\rtf1 a\\bin"), QStringLiteral("a"));
    EXPECT_EQ(text("{\\rtf1 a\\bin-5 b}"), QStringLiteral("ab"));
    EXPECT_EQ(text("{\\rtf1 a\\bin99999999999999999999 bcd"), QStringLiteral("a"));
    // Reading ends where the document's group closes; stray braces before it are harmless.
    EXPECT_EQ(text("{\\rtf1 in} out} more"), QStringLiteral("in"));
    EXPECT_EQ(text("}}{\\rtf1 x}"), QStringLiteral("x"));
    // Huge numbers and over-long words.
    EXPECT_EQ(text("{\\rtf1\\fs999999999999999999999999 a\\li-99999999999999 b\\" +
                   QByteArray(1000, 'x') + " c}"),
              QStringLiteral("abc"));
    EXPECT_EQ(formatOf("{\\rtf1\\fs-40 a}", "a").fontPointSize(), 1);
    // Control characters and NUL bytes are not text.
    EXPECT_EQ(text(QByteArray("{\\rtf1 a\0b\x01\x7f}", 13)), QStringLiteral("ab\x7f"));
    EXPECT_EQ(text(""), QString());
}

TEST_F(RtfReaderTest, NestingBeyondTheLimitIsDroppedWithItsContent)
{
    const int deep = 100000;
    QByteArray rtf = "{\\rtf1 before ";
    rtf += QByteArray(deep, '{') + "lost" + QByteArray(deep, '}');
    rtf += " after}";
    EXPECT_EQ(text(rtf), QStringLiteral("before  after"));

    // Just within the limit the text stays, with the formatting of its groups.
    QByteArray within = "{\\rtf1 ";
    within += QByteArray(rtf::kMaxDepth - 2, '{') + "{\\b kept}" +
              QByteArray(rtf::kMaxDepth - 2, '}') + "}";
    EXPECT_EQ(text(within), QStringLiteral("kept"));
    EXPECT_EQ(formatOf(within, "kept").fontWeight(), QFont::Bold);
    // Unclosed deep nesting: the end of the input ends it.
    EXPECT_EQ(text("{\\rtf1 x" + QByteArray(deep, '{') + "y"), QStringLiteral("x"));
}

TEST(RichTextBox, LoadsFilesAndShowsWhatItCanRead)
{
    TempDir dir;
    RichTextBox box;
    EXPECT_TRUE(box.isReadOnly());
    EXPECT_TRUE(box.LoadFile(dir.write("a.rtf", "{\\rtf1 {\\b Title}\\par body}")));
    EXPECT_EQ(box.toPlainText(), QStringLiteral("Title\nbody"));
    // A missing file leaves the box empty, whatever it showed.
    EXPECT_FALSE(box.LoadFile(dir.file("missing.rtf")));
    EXPECT_TRUE(box.toPlainText().isEmpty());
    box.setRtf("{\\rtf1 x}");
    EXPECT_FALSE(box.LoadFile(dir.path())); // a folder is not a file
    EXPECT_TRUE(box.toPlainText().isEmpty());
    // Text that is not RTF is shown as it is.
    EXPECT_TRUE(box.LoadFile(dir.write("plain.txt", "line 1\nline {2} \\par")));
    EXPECT_EQ(box.toPlainText(), QStringLiteral("line 1\nline {2} \\par"));
    box.setRtf("  \r\n{\\rtf1 after blanks}");
    EXPECT_EQ(box.toPlainText(), QStringLiteral("after blanks"));
    EXPECT_TRUE(box.LoadFile(dir.write("empty.rtf", "")));
    EXPECT_TRUE(box.toPlainText().isEmpty());
}

} // namespace
