#include "scripts/KeyNotation.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

// What the desktop receives for `keys`, which must be well formed.
QStringList sent(const QString& keys)
{
    FakeDesktop desktop;
    QString error;
    EXPECT_TRUE(TypeKeys(desktop, keys, &error))
        << keys.toStdString() << ": " << error.toStdString();
    return desktop.calls;
}

QStringList typed(const QString& characters)
{
    QStringList calls;
    for (const QChar c : characters)
        calls << QStringLiteral("type %1").arg(c);
    return calls;
}

QStringList tap(int virtualKey)
{
    const QString code = QStringLiteral("key 0x%1 ").arg(virtualKey, 2, 16, QLatin1Char('0'));
    return {code + QStringLiteral("down"), code + QStringLiteral("up")};
}

QStringList holding(int modifier, const QStringList& keys)
{
    const QString code = QStringLiteral("key 0x%1 ").arg(modifier, 2, 16, QLatin1Char('0'));
    return QStringList{code + QStringLiteral("down")} + keys +
           QStringList{code + QStringLiteral("up")};
}

const QStringList kSync{QStringLiteral("sync")};
constexpr int kShift = 0x10;
constexpr int kCtrl = 0x11;
constexpr int kAlt = 0x12;

TEST(KeyNotation, PlainTextIsTypedAsWrittenThenSynced)
{
    EXPECT_EQ(sent(QStringLiteral("Hello, World!")),
              typed(QStringLiteral("Hello, World!")) + kSync);
    // Characters outside the Basic Multilingual Plane arrive whole, not as two halves.
    EXPECT_EQ(sent(QStringLiteral("é\U0001F600[a]")),
              QStringList({"type é", "type \U0001F600", "type [", "type a", "type ]", "sync"}));
    EXPECT_EQ(sent(QString()), kSync);
}

TEST(KeyNotation, BraceNamesAreKeysInAnyCase)
{
    const std::pair<const char*, int> names[] = {
        {"ENTER", 0x0D},   {"tab", 0x09},        {"BACKSPACE", 0x08}, {"BS", 0x08},
        {"bksp", 0x08},    {"DELETE", 0x2E},     {"Del", 0x2E},       {"HOME", 0x24},
        {"END", 0x23},     {"LEFT", 0x25},       {"RIGHT", 0x27},     {"UP", 0x26},
        {"DOWN", 0x28},    {"PGUP", 0x21},       {"PGDN", 0x22},      {"ESC", 0x1B},
        {"INSERT", 0x2D},  {"INS", 0x2D},        {"BREAK", 0x03},     {"CAPSLOCK", 0x14},
        {"NUMLOCK", 0x90}, {"SCROLLLOCK", 0x91}, {"PRTSC", 0x2C},     {"HELP", 0x2F},
        {"F1", 0x70},      {"f10", 0x79},        {"F16", 0x7F}};
    for (const auto& [name, virtualKey] : names)
        EXPECT_EQ(sent(QStringLiteral("{%1}").arg(QLatin1String(name))), tap(virtualKey) + kSync)
            << name;
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(sent(QStringLiteral("{F%1}").arg(n)), tap(0x6F + n) + kSync) << n;
    EXPECT_EQ(sent(QStringLiteral("a~b")),
              QStringList{"type a"} + tap(0x0D) + QStringList({"type b", "sync"}));
}

TEST(KeyNotation, RepeatCountsRepeatTheKey)
{
    EXPECT_EQ(sent(QStringLiteral("{x 3}")), typed(QStringLiteral("xxx")) + kSync);
    EXPECT_EQ(sent(QStringLiteral("{left 2}")), tap(0x25) + tap(0x25) + kSync);
    EXPECT_EQ(sent(QStringLiteral("{+ 2}{~ 1}")), typed(QStringLiteral("++~")) + kSync);
    // The key may itself be a space.
    EXPECT_EQ(sent(QStringLiteral("{  2}")), typed(QStringLiteral("  ")) + kSync);
    EXPECT_EQ(sent(QStringLiteral("a{x 0}b")), typed(QStringLiteral("ab")) + kSync);
    EXPECT_EQ(sent(QStringLiteral("{x 9999}")).size(), 10000);
}

TEST(KeyNotation, ReservedCharactersInBracesAreTypedLiterally)
{
    EXPECT_EQ(sent(QStringLiteral("{+}{^}{%}{~}{(}{)}{{}{}}{[}{]}{ }")),
              typed(QStringLiteral("+^%~(){}[] ")) + kSync);
}

TEST(KeyNotation, ModifiersHoldTheirKeyOrGroup)
{
    // Letters, digits and the space bar are the keys themselves: ^c is Ctrl+C.
    EXPECT_EQ(sent(QStringLiteral("^c")), holding(kCtrl, tap(0x43)) + kSync);
    EXPECT_EQ(sent(QStringLiteral("+a")), holding(kShift, tap(0x41)) + kSync);
    EXPECT_EQ(sent(QStringLiteral("%1^ ")),
              holding(kAlt, tap(0x31)) + holding(kCtrl, tap(0x20)) + kSync);
    EXPECT_EQ(sent(QStringLiteral("%{F4}")), holding(kAlt, tap(0x73)) + kSync);
    EXPECT_EQ(sent(QStringLiteral("+~")), holding(kShift, tap(0x0D)) + kSync);
    // A capital letter adds Shift, unless it is held already.
    EXPECT_EQ(sent(QStringLiteral("^A")), holding(kCtrl, holding(kShift, tap(0x41))) + kSync);
    EXPECT_EQ(sent(QStringLiteral("+(Ab)")), holding(kShift, tap(0x41) + tap(0x42)) + kSync);
    // Other characters are typed with the modifier held.
    EXPECT_EQ(sent(QStringLiteral("^.")), holding(kCtrl, typed(QStringLiteral("."))) + kSync);
    // The modifier ends with its key.
    EXPECT_EQ(sent(QStringLiteral("+ab")),
              holding(kShift, tap(0x41)) + typed(QStringLiteral("b")) + kSync);
}

TEST(KeyNotation, ModifiersCombineAndNest)
{
    EXPECT_EQ(sent(QStringLiteral("^+a")), holding(kCtrl, holding(kShift, tap(0x41))) + kSync);
    EXPECT_EQ(sent(QStringLiteral("+^{F4}")), holding(kShift, holding(kCtrl, tap(0x73))) + kSync);
    EXPECT_EQ(sent(QStringLiteral("+{x 2}")), holding(kShift, tap(0x58) + tap(0x58)) + kSync);
    EXPECT_EQ(sent(QStringLiteral("(ab)c")), typed(QStringLiteral("abc")) + kSync);
    // A modifier already held by the group is not pressed again, so it is released once,
    // at the end of the group.
    EXPECT_EQ(sent(QStringLiteral("+(a+b^c)")),
              holding(kShift, tap(0x41) + tap(0x42) + holding(kCtrl, tap(0x43))) + kSync);
    EXPECT_EQ(sent(QStringLiteral("%(^(x)y)")),
              holding(kAlt, holding(kCtrl, tap(0x58)) + tap(0x59)) + kSync);
}

TEST(KeyNotation, MalformedTextSendsNothingAndSaysWhy)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ab{FOO}", "{FOO} at position 3 is not a key name"},
        {"{F17}", "{F17} at position 1 is not a key name"},
        {"{ENTERX}", "is not a key name"},
        {"abc{ENTER", "\"{\" at position 4 is not closed"},
        {"{", "\"{\" at position 1 is not closed"},
        {"{}", "\"{\" at position 1 is not closed"},
        {"x+(ab", "\"(\" at position 3 is not closed"},
        {"(a(b)", "\"(\" at position 1 is not closed"},
        {"a)b", "\")\" at position 2 closes no group"},
        {"a}b", "\"}\" at position 2 is outside braces"},
        {"{x a}", "{x a} at position 1: the repeat count must be a number from 0 to 9999"},
        {"{x 10000}", "repeat count"},
        {"{x 3 }", "repeat count"},
        {"{%1 x}", "{%1 x} at position 1: the repeat count"},
        {"{ENTER two}", "repeat count"},
        {"abc+", "\"+\" at position 4 has no key to apply to"},
        {"^%", "\"%\" at position 2 has no key to apply to"},
        {"+(a^)", "\"^\" at position 4 has no key to apply to"},
    };
    for (const auto& [text, message] : cases) {
        FakeDesktop desktop;
        QString error;
        EXPECT_FALSE(TypeKeys(desktop, QString::fromUtf8(text), &error)) << text;
        EXPECT_TRUE(error.contains(QString::fromUtf8(message)))
            << text << " gave: " << error.toStdString();
        EXPECT_EQ(desktop.calls, QStringList()) << text;
        EXPECT_FALSE(ParseKeys(QString::fromUtf8(text), nullptr).has_value()) << text;
    }
}

TEST(KeyNotation, LongTextsAskBetweenBatchesAndReleaseHeldKeysWhenStopped)
{
    FakeDesktop desktop;
    int asked = 0;
    const QString keys = QStringLiteral("+({. 150})b");
    EXPECT_TRUE(TypeKeys(desktop, keys, nullptr, [&] { return ++asked < 2; }));
    EXPECT_EQ(asked, 2);
    // Shift and two batches of letters went out, then Shift came up again.
    EXPECT_EQ(desktop.calls.count(QStringLiteral("type .")), 127);
    EXPECT_FALSE(desktop.calls.contains(QStringLiteral("type b")));
    EXPECT_EQ(desktop.calls.count(tap(0x10).first()), 1);
    EXPECT_EQ(desktop.calls.count(tap(0x10).last()), 1);
    EXPECT_EQ(desktop.calls.last(), QStringLiteral("sync"));

    // Allowed to go on, all of it is typed.
    FakeDesktop all;
    EXPECT_TRUE(TypeKeys(all, keys, nullptr, [] { return true; }));
    EXPECT_EQ(all.calls.count(QStringLiteral("type .")), 150);
    EXPECT_TRUE(all.calls.contains(QStringLiteral("type b")));
}

TEST(KeyNotation, HostileLinesAreRefusedNotFollowed)
{
    const auto nested = [](int depth) {
        return QString(depth, QLatin1Char('(')) + QLatin1Char('a') +
               QString(depth, QLatin1Char(')'));
    };
    // Deep enough to overflow the stack once, and just over the limit.
    for (int depth : {15000, 101}) {
        QString error;
        EXPECT_FALSE(ParseKeys(nested(depth), &error)) << depth;
        EXPECT_TRUE(error.contains(QStringLiteral("nests groups more than 100 deep"))) << depth;
    }
    EXPECT_TRUE(ParseKeys(nested(100), nullptr));

    // 10,000 key actions are sent; one more, or thousands of repeats, are refused at once.
    EXPECT_EQ(ParseKeys(QStringLiteral("{a 9999}a"), nullptr)->size(), 10000u);
    for (const QString& line :
         {QStringLiteral("{a 9999}ab"), QStringLiteral("{a 9999}").repeated(20000)}) {
        QString error;
        EXPECT_FALSE(ParseKeys(line, &error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("more than 10000 key actions to type")))
            << error.toStdString();
    }
}

} // namespace
