#include "platform/widgets/RtfReader.h"

#include <QColor>
#include <QFont>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rtf {

bool looksLikeRtf(const QByteArray& bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.mid(i, 5) == "{\\rtf";
}

namespace {

// Windows-1252 differs from Latin-1 in 0x80..0x9F only.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QChar fromCp1252(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kCp1252High[byte - 0x80]);
    return QChar(static_cast<char16_t>(byte));
}

// Numbers beyond these are clamped; RTF itself uses 16-bit and some 32-bit values.
constexpr std::int64_t kNumberLimit = 2147483647;
// Sizes that lay out in reasonable time, in half-points and twips.
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 400;
constexpr int kMaxIndentTwips = 31680; // 22 inches

enum class Dest
{
    Text,
    Skip,
    FontTable,
    ColorTable
};

struct CharState
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int vertical = 0; // 0 normal, 1 superscript, -1 subscript
    int halfPoints = 24;
    int color = 0; // index into the colour table; 0 is usually "auto"
    int font = -1; // index into the font table; -1 is the document's font
    bool operator==(const CharState&) const = default;
};

struct ParaState
{
    Qt::Alignment align = Qt::AlignLeft;
    int left = 0; // all in twips
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
    std::array<int, 16> tabs{}; // tab stops, in twips from the left margin
    int tabCount = 0;
    bool operator==(const ParaState&) const = default;
};

struct Group
{
    Dest dest = Dest::Text;
    CharState chr;
    ParaState para;
    int uc = 1; // characters that stand in for each \uN
};

enum class Word
{
    Par,
    Line,
    Tab,
    Char, // a fixed character, see kCharWords
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Super,
    Sub,
    NoSuperSub,
    Plain,
    FontSize,
    Color,
    Font,
    DefaultFont,
    Pard,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    TabStop,
    Unicode,
    UnicodeSkip,
    Binary,
    Red,
    Green,
    Blue,
    FontTable,
    ColorTable,
    SkipDest
};

const std::unordered_map<std::string_view, Word>& words()
{
    static const std::unordered_map<std::string_view, Word> table = [] {
        std::unordered_map<std::string_view, Word> t{
            {"par", Word::Par},
            {"sect", Word::Par},
            {"page", Word::Par},
            {"row", Word::Par},
            {"line", Word::Line},
            {"tab", Word::Tab},
            {"cell", Word::Tab},
            {"emdash", Word::Char},
            {"endash", Word::Char},
            {"bullet", Word::Char},
            {"lquote", Word::Char},
            {"rquote", Word::Char},
            {"ldblquote", Word::Char},
            {"rdblquote", Word::Char},
            {"emspace", Word::Char},
            {"enspace", Word::Char},
            {"qmspace", Word::Char},
            {"b", Word::Bold},
            {"i", Word::Italic},
            {"ul", Word::Underline},
            {"uld", Word::Underline},
            {"uldb", Word::Underline},
            {"ulw", Word::Underline},
            {"ulth", Word::Underline},
            {"ulnone", Word::UnderlineNone},
            {"strike", Word::Strike},
            {"super", Word::Super},
            {"sub", Word::Sub},
            {"nosupersub", Word::NoSuperSub},
            {"plain", Word::Plain},
            {"fs", Word::FontSize},
            {"cf", Word::Color},
            {"f", Word::Font},
            {"deff", Word::DefaultFont},
            {"pard", Word::Pard},
            {"ql", Word::AlignLeft},
            {"qc", Word::AlignCenter},
            {"qr", Word::AlignRight},
            {"qj", Word::AlignJustify},
            {"li", Word::LeftIndent},
            {"ri", Word::RightIndent},
            {"fi", Word::FirstIndent},
            {"sb", Word::SpaceBefore},
            {"sa", Word::SpaceAfter},
            {"tx", Word::TabStop},
            {"u", Word::Unicode},
            {"uc", Word::UnicodeSkip},
            {"bin", Word::Binary},
            {"red", Word::Red},
            {"green", Word::Green},
            {"blue", Word::Blue},
            {"fonttbl", Word::FontTable},
            {"colortbl", Word::ColorTable},
        };
        for (const char* skipped : {"stylesheet",
                                    "info",
                                    "pict",
                                    "object",
                                    "objdata",
                                    "header",
                                    "headerl",
                                    "headerr",
                                    "headerf",
                                    "footer",
                                    "footerl",
                                    "footerr",
                                    "footerf",
                                    "footnote",
                                    "annotation",
                                    "xe",
                                    "tc",
                                    "txe",
                                    "rxe",
                                    "fldinst",
                                    "datafield",
                                    "listtable",
                                    "listoverridetable",
                                    "revtbl",
                                    "rsidtbl",
                                    "generator",
                                    "themedata",
                                    "colorschememapping",
                                    "latentstyles",
                                    "datastore",
                                    "xmlnstbl",
                                    "pn",
                                    "nonshppict",
                                    "shpinst",
                                    "sp",
                                    "sn",
                                    "sv",
                                    "bkmkstart",
                                    "bkmkend",
                                    "userprops",
                                    "docvar",
                                    "template",
                                    "filetbl",
                                    "pgdsctbl",
                                    "mmathPr",
                                    "wgrffmtfilter"})
            t.emplace(skipped, Word::SkipDest);
        return t;
    }();
    return table;
}

char16_t fixedChar(std::string_view word)
{
    static const std::unordered_map<std::string_view, char16_t> chars{
        {"emdash", u'\u2014'},    {"endash", u'\u2013'},  {"bullet", u'\u2022'},
        {"lquote", u'\u2018'},    {"rquote", u'\u2019'},  {"ldblquote", u'\u201C'},
        {"rdblquote", u'\u201D'}, {"emspace", u'\u2003'}, {"enspace", u'\u2002'},
        {"qmspace", u'\u2005'}};
    const auto it = chars.find(word);
    return it == chars.end() ? u'\uFFFD' : it->second;
}

int clampInt(std::int64_t v, int lo, int hi)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, lo, hi));
}

class Reader
{
public:
    Reader(const QByteArray& in, QTextDocument& doc)
        : p_(in.constData()), end_(in.constData() + in.size()), cursor_(&doc)
    {
    }

    void run();

private:
    Group& top() { return stack_.back(); }
    void openGroup();
    bool closeGroup(); // false once the outermost group has closed
    void controlWord();
    void controlSymbol(char c);
    void applyWord(std::string_view word, bool hasParam, std::int64_t param);
    void text(QChar c);
    void paragraph();
    void flush();
    QTextCharFormat charFormat(const CharState& s) const;
    static QTextBlockFormat blockFormat(const ParaState& s);
    // A character, escape or control word that stands in for the last \uN.
    bool consumedBySkip();

    const char* p_;
    const char* end_;
    QTextCursor cursor_;
    std::vector<Group> stack_;
    int dropped_ = 0; // groups opened beyond kMaxDepth, skipped with their content
    int skip_ = 0;    // replacement characters still to skip after \uN

    QString pending_;
    CharState pendingChar_;
    ParaState lastPara_;

    std::map<int, QString> fonts_;
    int defaultFont_ = -1;
    int fontEntry_ = -1;
    QString fontName_;
    std::vector<QColor> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
};

void Reader::run()
{
    while (p_ < end_) {
        const char c = *p_++;
        if (c == '{') {
            openGroup();
        } else if (c == '}') {
            if (!closeGroup())
                break;
        } else if (stack_.empty()) {
            // Only the first group is the document.
            continue;
        } else if (c == '\\') {
            if (p_ >= end_)
                break;
            const char next = *p_;
            if ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z')) {
                controlWord();
            } else {
                ++p_;
                controlSymbol(next);
            }
        } else if (c == '\r' || c == '\n') {
            // Line breaks in the file mean nothing.
        } else if (static_cast<unsigned char>(c) < 0x20) {
            // Other control characters are not text either.
        } else {
            text(fromCp1252(static_cast<unsigned char>(c)));
        }
    }
    flush();
    cursor_.setBlockFormat(blockFormat(lastPara_));
}

void Reader::openGroup()
{
    skip_ = 0;
    if (dropped_ > 0 || static_cast<int>(stack_.size()) >= kMaxDepth) {
        ++dropped_;
        return;
    }
    if (stack_.empty())
        stack_.push_back(Group{});
    else
        stack_.push_back(top());
}

bool Reader::closeGroup()
{
    skip_ = 0;
    if (dropped_ > 0) {
        --dropped_;
        return true;
    }
    if (stack_.empty())
        return true; // a stray brace before the document
    const Group closing = stack_.back();
    stack_.pop_back();
    if (closing.dest == Dest::FontTable && !fontName_.isEmpty() &&
        (stack_.empty() || top().dest != Dest::FontTable)) {
        // The last entry of a table without its closing semicolon.
        fonts_[fontEntry_] = fontName_.trimmed();
        fontName_.clear();
    }
    return !stack_.empty();
}

bool Reader::consumedBySkip()
{
    if (skip_ > 0) {
        --skip_;
        return true;
    }
    return false;
}

void Reader::controlWord()
{
    const char* start = p_;
    while (p_ < end_ && ((*p_ >= 'a' && *p_ <= 'z') || (*p_ >= 'A' && *p_ <= 'Z')))
        ++p_;
    const std::string_view word(start, static_cast<size_t>(p_ - start));

    bool negative = false;
    if (p_ < end_ && *p_ == '-' && p_ + 1 < end_ && *(p_ + 1) >= '0' && *(p_ + 1) <= '9') {
        negative = true;
        ++p_;
    }
    bool hasParam = false;
    std::int64_t value = 0;
    while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
        hasParam = true;
        if (value <= kNumberLimit)
            value = value * 10 + (*p_ - '0');
        ++p_;
    }
    value = std::min(value, kNumberLimit);
    if (negative)
        value = -value;
    if (p_ < end_ && *p_ == ' ')
        ++p_; // the delimiter belongs to the control word

    if (word == "bin") {
        // Binary data follows; it is never text, whatever the group.
        const std::int64_t n = std::clamp<std::int64_t>(value, 0, end_ - p_);
        p_ += n;
        return;
    }
    if (stack_.empty() || dropped_ > 0)
        return;
    if (word != "u" && consumedBySkip())
        return;
    applyWord(word, hasParam, value);
}

void Reader::controlSymbol(char c)
{
    if (dropped_ > 0)
        return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        text(QChar(QLatin1Char(c)));
        return;
    case '~':
        text(QChar(0x00A0));
        return;
    case '_':
        text(QChar(0x2011));
        return;
    case '\'': {
        int value = 0;
        int digits = 0;
        while (digits < 2 && p_ < end_) {
            const char h = *p_;
            int v;
            if (h >= '0' && h <= '9')
                v = h - '0';
            else if (h >= 'a' && h <= 'f')
                v = h - 'a' + 10;
            else if (h >= 'A' && h <= 'F')
                v = h - 'A' + 10;
            else
                break;
            value = value * 16 + v;
            ++digits;
            ++p_;
        }
        if (digits == 2)
            text(fromCp1252(static_cast<unsigned char>(value)));
        return;
    }
    case '*':
        if (!consumedBySkip())
            top().dest = Dest::Skip;
        return;
    case '\r':
    case '\n':
        if (!consumedBySkip())
            paragraph();
        return;
    default:
        // Optional hyphens, index marks and formula characters show nothing.
        consumedBySkip();
        return;
    }
}

void Reader::applyWord(std::string_view word, bool hasParam, std::int64_t param)
{
    const auto it = words().find(word);
    if (it == words().end())
        return;
    Group& g = top();
    CharState& c = g.chr;
    ParaState& para = g.para;
    const bool on = !hasParam || param != 0;

    switch (it->second) {
    case Word::Par:
        paragraph();
        break;
    case Word::Line:
        text(QChar(QChar::LineSeparator));
        break;
    case Word::Tab:
        text(QLatin1Char('\t'));
        break;
    case Word::Char:
        text(QChar(fixedChar(word)));
        break;
    case Word::Bold:
        c.bold = on;
        break;
    case Word::Italic:
        c.italic = on;
        break;
    case Word::Underline:
        c.underline = on;
        break;
    case Word::UnderlineNone:
        c.underline = false;
        break;
    case Word::Strike:
        c.strike = on;
        break;
    case Word::Super:
        c.vertical = 1;
        break;
    case Word::Sub:
        c.vertical = -1;
        break;
    case Word::NoSuperSub:
        c.vertical = 0;
        break;
    case Word::Plain:
        c = CharState{};
        c.font = defaultFont_;
        break;
    case Word::FontSize:
        c.halfPoints = hasParam ? clampInt(param, kMinHalfPoints, kMaxHalfPoints) : 24;
        break;
    case Word::Color:
        c.color = clampInt(param, 0, 1 << 16);
        break;
    case Word::Font:
        if (g.dest == Dest::FontTable) {
            fontEntry_ = clampInt(param, -1, 1 << 16);
            fontName_.clear();
        } else {
            c.font = clampInt(param, -1, 1 << 16);
        }
        break;
    case Word::DefaultFont:
        defaultFont_ = clampInt(param, -1, 1 << 16);
        c.font = defaultFont_;
        break;
    case Word::Pard:
        para = ParaState{};
        break;
    case Word::AlignLeft:
        para.align = Qt::AlignLeft;
        break;
    case Word::AlignCenter:
        para.align = Qt::AlignHCenter;
        break;
    case Word::AlignRight:
        para.align = Qt::AlignRight;
        break;
    case Word::AlignJustify:
        para.align = Qt::AlignJustify;
        break;
    case Word::LeftIndent:
        para.left = clampInt(param, -kMaxIndentTwips, kMaxIndentTwips);
        break;
    case Word::RightIndent:
        para.right = clampInt(param, -kMaxIndentTwips, kMaxIndentTwips);
        break;
    case Word::FirstIndent:
        para.first = clampInt(param, -kMaxIndentTwips, kMaxIndentTwips);
        break;
    case Word::SpaceBefore:
        para.before = clampInt(param, 0, kMaxIndentTwips);
        break;
    case Word::SpaceAfter:
        para.after = clampInt(param, 0, kMaxIndentTwips);
        break;
    case Word::TabStop:
        if (para.tabCount < static_cast<int>(para.tabs.size()))
            para.tabs[para.tabCount++] = clampInt(param, 0, kMaxIndentTwips);
        break;
    case Word::Unicode: {
        // Signed 16-bit in the file; negative values stand for 32768..65535.
        std::int64_t code = param;
        if (code < 0)
            code += 65536;
        // A \u in the middle of a skipped replacement counts as one stand-in.
        if (consumedBySkip() || !hasParam)
            break;
        const bool valid = code >= 0 && code <= 0xFFFF;
        text(valid ? QChar(static_cast<char16_t>(code)) : QChar(QChar::ReplacementCharacter));
        skip_ = g.uc;
        break;
    }
    case Word::UnicodeSkip:
        g.uc = clampInt(param, 0, 16);
        break;
    case Word::Binary:
        break; // handled before the words
    case Word::Red:
        red_ = clampInt(param, 0, 255);
        colorSet_ = true;
        break;
    case Word::Green:
        green_ = clampInt(param, 0, 255);
        colorSet_ = true;
        break;
    case Word::Blue:
        blue_ = clampInt(param, 0, 255);
        colorSet_ = true;
        break;
    case Word::FontTable:
        g.dest = g.dest == Dest::Skip ? Dest::Skip : Dest::FontTable;
        fontEntry_ = -1;
        fontName_.clear();
        break;
    case Word::ColorTable:
        g.dest = g.dest == Dest::Skip ? Dest::Skip : Dest::ColorTable;
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
        break;
    case Word::SkipDest:
        g.dest = Dest::Skip;
        break;
    }
}

void Reader::text(QChar ch)
{
    if (stack_.empty() || dropped_ > 0 || consumedBySkip())
        return;
    Group& g = top();
    switch (g.dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        if (ch == QLatin1Char(';')) {
            fonts_[fontEntry_] = fontName_.trimmed();
            fontName_.clear();
        } else if (fontName_.size() < 256) {
            fontName_.append(ch);
        }
        return;
    case Dest::ColorTable:
        if (ch == QLatin1Char(';')) {
            // An entry without components is "auto": the text keeps its own colour.
            colors_.push_back(colorSet_ ? QColor(red_, green_, blue_) : QColor());
            red_ = green_ = blue_ = 0;
            colorSet_ = false;
        }
        return;
    case Dest::Text:
        break;
    }
    if (g.chr != pendingChar_) {
        flush();
        pendingChar_ = g.chr;
    }
    lastPara_ = g.para;
    pending_.append(ch);
}

void Reader::paragraph()
{
    if (stack_.empty() || top().dest != Dest::Text)
        return;
    flush();
    lastPara_ = top().para;
    cursor_.setBlockFormat(blockFormat(lastPara_));
    cursor_.insertBlock();
}

void Reader::flush()
{
    if (pending_.isEmpty())
        return;
    cursor_.insertText(pending_, charFormat(pendingChar_));
    pending_.clear();
}

QTextCharFormat Reader::charFormat(const CharState& s) const
{
    QTextCharFormat f;
    f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(s.italic);
    f.setFontUnderline(s.underline);
    f.setFontStrikeOut(s.strike);
    f.setFontPointSize(s.halfPoints / 2.0);
    if (s.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (s.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (s.color >= 0 && s.color < static_cast<int>(colors_.size()) && colors_[s.color].isValid())
        f.setForeground(colors_[s.color]);
    const auto font = fonts_.find(s.font);
    if (font != fonts_.end() && !font->second.isEmpty())
        f.setFontFamilies(QStringList{font->second});
    return f;
}

QTextBlockFormat Reader::blockFormat(const ParaState& s)
{
    // Twips to the document's pixels at 96 dots per inch.
    constexpr double kTwipsPerPixel = 15.0;
    QTextBlockFormat f;
    f.setAlignment(s.align);
    f.setLeftMargin(std::max(0, s.left) / kTwipsPerPixel);
    f.setRightMargin(std::max(0, s.right) / kTwipsPerPixel);
    f.setTextIndent(s.first / kTwipsPerPixel);
    f.setTopMargin(s.before / kTwipsPerPixel);
    f.setBottomMargin(s.after / kTwipsPerPixel);
    // Qt measures tab stops from where the first line starts; RTF from the margin.
    const int firstLine = std::max(0, s.left) + s.first;
    QList<QTextOption::Tab> tabs;
    for (int i = 0; i < s.tabCount; ++i) {
        if (s.tabs[i] > firstLine)
            tabs.append(
                QTextOption::Tab((s.tabs[i] - firstLine) / kTwipsPerPixel, QTextOption::LeftTab));
    }
    // A hanging first line tabs to the left indent, as in a numbered or bulleted list.
    if (tabs.isEmpty() && s.first < 0 && s.left > 0)
        tabs.append(QTextOption::Tab(-s.first / kTwipsPerPixel, QTextOption::LeftTab));
    f.setTabPositions(tabs);
    return f;
}

} // namespace

void read(const QByteArray& rtf, QTextDocument& document)
{
    document.clear();
    Reader reader(rtf, document);
    reader.run();
}

} // namespace rtf
