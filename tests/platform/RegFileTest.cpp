#include "platform/registry/RegFile.h"
#include "platform/registry/SqliteRegistry.h"
#include "tests/support/TempDir.h"
#include "tests/support/WriteRefusingRegistry.h"

#include <QStringEncoder>
#include <gtest/gtest.h>
#include <sstream>

using namespace platform;
using Kind = RegOperation::Kind;

namespace {

Bytes bytes(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

TEST(RegFileParse, ReadsEveryKindOfLine)
{
    const QByteArray text = "\xEF\xBB\xBFREGEDIT4\r\n"
                            "\r\n"
                            "; a comment\r\n"
                            "[HKLM\\Software\\Ombrel Online]\r\n"
                            "\"say\"=\"\\\"hi\\\" C:\\\\dir\\\\\"\r\n"
                            "@=\"d\xC3\xA9\"\r\n"
                            "\"count\" = dword:0000000C\r\n"
                            "\"raw\"=hex:01,FF,\\\r\n"
                            "  0a\r\n"
                            "\"path\"=hex(2):25,00\r\n"
                            "\"q\"=hex(b):01\r\n"
                            "\"empty\"=hex:\r\n"
                            "\"gone\"=-\r\n"
                            "[-HKEY_CURRENT_USER\\Old\\Stuff]\n"
                            "[hkcu\\\\New\\]\n";
    const RegFile file = RegFile::parse(text);
    ASSERT_TRUE(file.ok()) << file.errors().front().message.toStdString();
    const auto& ops = file.operations();
    ASSERT_EQ(ops.size(), 11u);

    EXPECT_EQ(ops[0].kind, Kind::CreateKey);
    EXPECT_EQ(ops[0].hive, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(ops[0].path, "Software\\Ombrel Online");
    EXPECT_EQ(ops[0].line, 4);

    const std::vector<std::tuple<std::string, RegType, Bytes>> values{
        {"say", REG_SZ, bytes(std::string_view("\"hi\" C:\\dir\\\0", 13))},
        {"", REG_SZ, Bytes{'d', 0xC3, 0xA9, 0}},
        {"count", REG_DWORD, Bytes{12, 0, 0, 0}},
        {"raw", REG_BINARY, Bytes{1, 0xFF, 0x0A}},
        {"path", REG_EXPAND_SZ, Bytes{0x25, 0}},
        {"q", static_cast<RegType>(11), Bytes{1}},
        {"empty", REG_BINARY, Bytes{}},
    };
    for (std::size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(i);
        const RegOperation& op = ops[i + 1];
        EXPECT_EQ(op.kind, Kind::SetValue);
        EXPECT_EQ(op.path, "Software\\Ombrel Online");
        EXPECT_EQ(op.name, std::get<0>(values[i]));
        EXPECT_EQ(op.type, std::get<1>(values[i]));
        EXPECT_EQ(op.data, std::get<2>(values[i]));
    }
    EXPECT_EQ(ops[4].line, 8);  // the continued line counts from where it starts
    EXPECT_EQ(ops[5].line, 10); // and the next one keeps the file's numbering
    EXPECT_EQ(ops[8].kind, Kind::DeleteValue);
    EXPECT_EQ(ops[8].name, "gone");
    EXPECT_EQ(ops[9].kind, Kind::DeleteKey);
    EXPECT_EQ(ops[9].hive, HKEY_CURRENT_USER);
    EXPECT_EQ(ops[9].path, "Old\\Stuff");
    EXPECT_EQ(ops[10].kind, Kind::CreateKey);
    EXPECT_EQ(ops[10].path, "New");
}

TEST(RegFileParse, AcceptsBothHeaders)
{
    EXPECT_TRUE(RegFile::parse("Windows Registry Editor Version 5.00\n\n[HKLM\\A]\n").ok());
    for (const char* bad : {"", "\n\n", "[HKLM\\A]\n", "REGEDIT5\n"}) {
        const RegFile file = RegFile::parse(bad);
        ASSERT_EQ(file.errors().size(), 1u) << bad;
        EXPECT_TRUE(file.operations().empty());
    }
}

TEST(RegFileParse, ReadsUtf16FilesWithTheirByteOrderMark)
{
    const QString text =
        QStringLiteral("Windows Registry Editor Version "
                       "5.00\r\n\r\n[HKLM\\A]\r\n\"n\u00e4me\"=\"v\u00e4lue\"\r\n");
    const RegFile utf8 = RegFile::parse(text.toUtf8());
    ASSERT_TRUE(utf8.ok());
    for (QStringEncoder::Encoding encoding : {QStringEncoder::Utf16LE, QStringEncoder::Utf16BE}) {
        QStringEncoder encode(encoding, QStringEncoder::Flag::WriteBom);
        const RegFile wide = RegFile::parse(encode(text));
        ASSERT_TRUE(wide.ok()) << int(encoding);
        ASSERT_EQ(wide.operations().size(), utf8.operations().size());
        EXPECT_EQ(wide.operations()[1].name, utf8.operations()[1].name);
        EXPECT_EQ(wide.operations()[1].data, utf8.operations()[1].data);
    }
    // An odd number of bytes is no UTF-16 text.
    EXPECT_FALSE(RegFile::parse(QByteArray("\xFF\xFEx")).ok());
}

TEST(RegFileParse, ReportsEachMalformedLineWithItsNumber)
{
    const char* const bad[] = {
        "\"a\"=dword:123456789",
        "\"a\"=dword:xyz",
        "\"a\"=dword:",
        "\"a\"=hex:1g",
        "\"a\"=hex:123",
        "\"a\"=hex:01,,02",
        "\"a\"=hex:01,",
        "\"a\"=hex(zz):01",
        "\"a\"=hex(2)01",
        "\"a\"=\"unterminated",
        "\"a\"=\"bad \\q\"",
        "\"a\"=\"x\" tail",
        "\"a\" \"b\"",
        "a=b",
        "\"a\"=text",
        "[HKEY_CLASSES_ROOT\\x]",
        "[HKLM\\x",
        "[-HKLM]",
        "\xFF\xFE\"a\"=-",
    };
    std::vector<QByteArray> lines(std::begin(bad), std::end(bad));
    // Names a .reg file cannot hold, so that what is imported can be exported again.
    lines.push_back(QByteArray("\"a\0b\"=\"x\"", 9));
    lines.push_back(QByteArray("[HKLM\\K\0L]", 10));
    for (const QByteArray& line : lines) {
        SCOPED_TRACE(line.toStdString());
        const QByteArray text = QByteArray("REGEDIT4\n[HKLM\\K]\n\"ok\"=hex:01,\\\n  02\n") + line +
                                "\n\"fine\"=\"x\"\n";
        const RegFile file = RegFile::parse(text);
        ASSERT_EQ(file.errors().size(), 1u);
        EXPECT_EQ(file.errors()[0].line, 5);
        EXPECT_FALSE(file.errors()[0].message.isEmpty());
    }
}

TEST(RegFileParse, ValuesNeedAKeyThatIsNotBeingDeleted)
{
    const RegFile file = RegFile::parse("REGEDIT4\n\"a\"=\"b\"\n[-HKLM\\K]\n\"c\"=-\n[HKLM\\K]\n"
                                        "\"d\"=\"e\"\n[BAD\\K]\n\"f\"=\"g\"\n");
    ASSERT_EQ(file.errors().size(), 3u);
    EXPECT_EQ(file.errors()[0].line, 2);
    EXPECT_EQ(file.errors()[1].line, 4);
    EXPECT_EQ(file.errors()[2].line, 7);
    // The value after the bad section is not put under the previous key.
    EXPECT_EQ(file.operations().size(), 3u);
}

class RegFileStoreTest : public ::testing::Test
{
protected:
    HKey create(const std::string& path)
    {
        HKey key = kNullKey;
        EXPECT_EQ(store.createKey(HKEY_LOCAL_MACHINE, path, &key), ERROR_SUCCESS);
        return key;
    }
    bool exists(const std::string& path)
    {
        HKey key = kNullKey;
        const bool found = store.openKey(HKEY_LOCAL_MACHINE, path, &key) == ERROR_SUCCESS;
        store.closeKey(key);
        return found;
    }

    TempDir dir;
    std::ostringstream diag;
    SqliteRegistry store{dir.file(QStringLiteral("registry.db")), QStringLiteral("test"), diag};
};

TEST_F(RegFileStoreTest, ApplyChangesNothingWhenAnyLineIsBad)
{
    const RegFile file = RegFile::parse("REGEDIT4\n[HKLM\\New]\n\"a\"=\"b\"\n\"c\"=dword:zz\n");
    QString error;
    EXPECT_NE(file.apply(store, &error), ERROR_SUCCESS);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(exists("New"));
}

TEST_F(RegFileStoreTest, ApplyKeepsNothingWhenTheStoreRefusesAChange)
{
    WriteRefusingRegistry refusing(store);
    refusing.refused.insert("c");
    const RegFile file = RegFile::parse("REGEDIT4\n[HKLM\\Old]\n\"a\"=\"1\"\n[HKLM\\New]\n"
                                        "\"b\"=\"2\"\n\"c\"=\"3\"\n\"d\"=\"4\"\n");
    ASSERT_TRUE(file.ok());
    QString error;
    EXPECT_NE(file.apply(refusing, &error), ERROR_SUCCESS);
    EXPECT_TRUE(error.startsWith(QStringLiteral("line 6: "))) << error.toStdString();
    EXPECT_FALSE(exists("Old"));
    EXPECT_FALSE(exists("New"));
    // The store takes changes again afterwards, one by one and in batches.
    refusing.refused.clear();
    EXPECT_EQ(file.apply(refusing, &error), ERROR_SUCCESS);
    EXPECT_TRUE(exists("New"));
}

TEST_F(RegFileStoreTest, KeyPathsHaveALimit)
{
    const std::string longest = std::string(1022, 'k') + "\\k";
    const std::string deeper(1025, '\\');
    std::string nested;
    for (int i = 0; i < 600; ++i)
        nested += "a\\";
    HKey key = kNullKey;
    EXPECT_EQ(store.createKey(HKEY_LOCAL_MACHINE, longest, &key), ERROR_BADKEY); // name > 255
    EXPECT_EQ(store.createKey(HKEY_LOCAL_MACHINE, nested, &key), ERROR_BADKEY);
    const std::string fits = std::string(255, 'k') + "\\" + nested.substr(0, 768);
    EXPECT_EQ(store.createKey(HKEY_LOCAL_MACHINE, fits, &key), ERROR_SUCCESS);
    store.closeKey(key);
    EXPECT_EQ(store.createKey(HKEY_LOCAL_MACHINE, fits + "b", &key), ERROR_BADKEY);
    EXPECT_EQ(store.createKey(HKEY_LOCAL_MACHINE, deeper, &key), ERROR_SUCCESS); // the root

    // A file naming such a key is refused, with the line.
    const RegFile file =
        RegFile::parse("REGEDIT4\n\n[HKLM\\" + QByteArray::fromStdString(nested) + "]\n");
    ASSERT_EQ(file.errors().size(), 1u);
    EXPECT_EQ(file.errors()[0].line, 3);
}

TEST_F(RegFileStoreTest, ApplyCreatesSetsAndDeletes)
{
    const HKey old = create("Old\\Sub");
    store.setValue(old, "v", REG_SZ, bytes("x"));
    const HKey keep = create("Keep");
    store.setValue(keep, "drop", REG_SZ, bytes("x"));
    store.setValue(keep, "stay", REG_SZ, bytes("x"));

    const RegFile file = RegFile::parse("REGEDIT4\n[-HKLM\\Old]\n[-HKLM\\NeverWas]\n"
                                        "[HKLM\\Keep]\n\"drop\"=-\n\"nothing\"=-\n"
                                        "[HKLM\\A\\B]\n@=\"top\"\n\"n\"=dword:ffffffff\n");
    QString error;
    ASSERT_EQ(file.apply(store, &error), ERROR_SUCCESS) << error.toStdString();
    EXPECT_FALSE(exists("Old"));
    std::string name;
    ASSERT_EQ(store.enumValue(keep, 0, &name, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(name, "stay");
    EXPECT_EQ(store.enumValue(keep, 1, &name, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    HKey ab = kNullKey;
    ASSERT_EQ(store.openKey(HKEY_LOCAL_MACHINE, "A\\B", &ab), ERROR_SUCCESS);
    Bytes data;
    RegType type = REG_NONE;
    ASSERT_EQ(store.queryValue(ab, "", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, bytes(std::string_view("top\0", 4)));
    ASSERT_EQ(store.queryValue(ab, "n", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(RegFileStoreTest, WritesTheKeyAndItsSubkeysInStoreOrder)
{
    const HKey key = create("Software\\K");
    store.setValue(key, "", REG_SZ, bytes(std::string_view("top\0", 4)));
    store.setValue(key, "quote \"q\" \\", REG_SZ, bytes(std::string_view("C:\\dir\\\0", 8)));
    store.setValue(key, "n", REG_DWORD, Bytes{12, 0, 0, 0});
    store.setValue(key, "nonul", REG_SZ, bytes("ab"));
    store.setValue(key, "twoline", REG_SZ, bytes(std::string_view("a\nb\0", 4)));
    store.setValue(key, "exp", REG_EXPAND_SZ, Bytes{0x25, 0});
    store.setValue(key, "short", REG_DWORD, Bytes{1, 2});
    store.setValue(key, "bin", REG_BINARY, Bytes{0, 0xAB});
    create("Software\\K\\Z");
    create("Software\\K\\A\\Deeper");

    QByteArray text;
    ASSERT_EQ(RegFile::write(store, HKEY_LOCAL_MACHINE, "Software\\\\K\\", &text), 0);
    EXPECT_EQ(text.toStdString(), "REGEDIT4\n"
                                  "\n[HKEY_LOCAL_MACHINE\\Software\\K]\n"
                                  "@=\"top\"\n"
                                  "\"quote \\\"q\\\" \\\\\"=\"C:\\\\dir\\\\\"\n"
                                  "\"n\"=dword:0000000c\n"
                                  "\"nonul\"=hex(1):61,62\n"
                                  "\"twoline\"=hex(1):61,0a,62,00\n"
                                  "\"exp\"=hex(2):25,00\n"
                                  "\"short\"=hex(4):01,02\n"
                                  "\"bin\"=hex:00,ab\n"
                                  "\n[HKEY_LOCAL_MACHINE\\Software\\K\\Z]\n"
                                  "\n[HKEY_LOCAL_MACHINE\\Software\\K\\A]\n"
                                  "\n[HKEY_LOCAL_MACHINE\\Software\\K\\A\\Deeper]\n"
                                  "\n");
}

TEST_F(RegFileStoreTest, LongHexDataIsWrappedAndReadsBack)
{
    Bytes data;
    for (int i = 0; i < 300; ++i)
        data.push_back(static_cast<std::uint8_t>(i * 31));
    store.setValue(create("K"), "a rather long value name", static_cast<RegType>(0x1234), data);

    QByteArray text;
    ASSERT_EQ(RegFile::write(store, HKEY_LOCAL_MACHINE, "K", &text), 0);
    const QList<QByteArray> lines = text.split('\n');
    EXPECT_GT(lines.size(), 10);
    for (const QByteArray& line : lines)
        EXPECT_LE(line.size(), 80) << line.toStdString();
    const RegFile back = RegFile::parse(text);
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back.operations().size(), 2u);
    EXPECT_EQ(back.operations()[1].type, static_cast<RegType>(0x1234));
    EXPECT_EQ(back.operations()[1].data, data);
}

TEST_F(RegFileStoreTest, WriteRefusesWhatAFileCannotHold)
{
    QByteArray text = "unchanged";
    EXPECT_EQ(RegFile::write(store, HKEY_LOCAL_MACHINE, "Missing", &text), ERROR_FILE_NOT_FOUND);
    store.setValue(create("K"), "two\nlines", REG_SZ, bytes("x"));
    QString error;
    EXPECT_NE(RegFile::write(store, HKEY_LOCAL_MACHINE, "K", &text, &error), ERROR_SUCCESS);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(text, "unchanged");
}

} // namespace
