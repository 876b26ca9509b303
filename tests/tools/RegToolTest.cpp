#include "tools/sarquen-reg/RegTool.h"
#include "platform/registry/SqliteRegistry.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sstream>

using namespace platform;

namespace {

struct Result
{
    int code;
    QString out;
    QString err;
};

// Every key below `path` with its values (name, type, bytes) in store order.
using Dump = std::map<std::string, std::vector<std::tuple<std::string, RegType, Bytes>>>;

void dump(Registry& reg, HKey hive, const std::string& path, Dump& out)
{
    HKey key = kNullKey;
    ASSERT_EQ(reg.openKey(hive, path, &key), ERROR_SUCCESS) << path;
    auto& values = out[path];
    std::string name;
    RegType type = REG_NONE;
    Bytes data;
    for (std::uint32_t i = 0; reg.enumValue(key, i, &name, &type, &data) == 0; ++i)
        values.emplace_back(name, type, data);
    std::vector<std::string> subkeys;
    for (std::uint32_t i = 0; reg.enumKey(key, i, &name) == 0; ++i)
        subkeys.push_back(name);
    reg.closeKey(key);
    for (const auto& sub : subkeys)
        dump(reg, hive, path + "\\" + sub, out);
}

class RegToolTest : public ::testing::Test
{
protected:
    std::unique_ptr<SqliteRegistry> store(const QString& name)
    {
        return std::make_unique<SqliteRegistry>(dir.file(name), QStringLiteral("sarquen-reg"),
                                                diag);
    }
    Result run(const QStringList& args, Registry* on = nullptr)
    {
        Result r{0, {}, {}};
        QTextStream out(&r.out);
        QTextStream err(&r.err);
        r.code = runRegTool(on ? *on : *reg, args, out, err);
        return r;
    }
    std::optional<std::pair<RegType, Bytes>> raw(const std::string& path, const std::string& name)
    {
        HKey key = kNullKey;
        if (reg->openKey(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS)
            return std::nullopt;
        RegType type = REG_NONE;
        Bytes data;
        const long rc = reg->queryValue(key, name, &type, &data);
        reg->closeKey(key);
        if (rc != ERROR_SUCCESS)
            return std::nullopt;
        return std::make_pair(type, data);
    }

    TempDir dir;
    std::ostringstream diag;
    std::unique_ptr<SqliteRegistry> reg = store(QStringLiteral("registry.db"));
};

const QString kProduct = QStringLiteral("HKLM\\Software\\Ombrel Online\\Sarquen");

TEST_F(RegToolTest, ExportThenImportReproducesEveryByte)
{
    const QByteArray source = "REGEDIT4\r\n\r\n"
                              "[HKEY_LOCAL_MACHINE\\Software\\Ombrel Online\\Sarquen]\r\n"
                              "\"update\"=\"http://example.invalid/u.dat\"\r\n"
                              "[HKLM\\Software\\Ombrel Online\\Sarquen\\list\\list]\r\n"
                              "\"Gr\xC3\xBC\xC3\x9F"
                              "e\"=\"C:\\\\Tools\\\\\xC3\xA4.exe\"\r\n"
                              "\"NoNul\"=hex(1):41,42\r\n"
                              "\"Mixed\"=hex(1):61,00,62,00\r\n"
                              "\"Invalid\"=hex(1):ff,fe,00\r\n"
                              "@=\"default\"\r\n"
                              "[HKLM\\Software\\Ombrel Online\\Sarquen\\options]\r\n"
                              "\"tcomt\"=dword:00000bb8\r\n"
                              "\"blob\"=hex:00,01,02,ff\r\n"
                              "\"path\"=hex(2):25,48,4f,4d,45,25,00\r\n"
                              "\"multi\"=hex(7):61,00,00,\\\r\n"
                              "  00\r\n";
    const QString file = dir.write(QStringLiteral("in.reg"), source);
    ASSERT_EQ(run({QStringLiteral("import"), file}).code, 0);
    EXPECT_EQ(raw("Software\\Ombrel Online\\Sarquen\\list\\list", "NoNul"),
              std::make_pair(REG_SZ, Bytes{'A', 'B'}));
    EXPECT_EQ(
        raw("Software\\Ombrel Online\\Sarquen\\list\\list", "grüße")->second,
        (Bytes{'C', ':', '\\', 'T', 'o', 'o', 'l', 's', '\\', 0xC3, 0xA4, '.', 'e', 'x', 'e', 0}));

    const Result exported = run({QStringLiteral("export"), QStringLiteral("HKLM\\Software")});
    ASSERT_EQ(exported.code, 0) << exported.err.toStdString();
    const QString copy = dir.write(QStringLiteral("copy.reg"), exported.out.toUtf8());
    auto fresh = store(QStringLiteral("fresh.db"));
    ASSERT_EQ(run({QStringLiteral("import"), copy}, fresh.get()).code, 0);

    Dump before, after;
    dump(*reg, HKEY_LOCAL_MACHINE, "Software", before);
    dump(*fresh, HKEY_LOCAL_MACHINE, "Software", after);
    EXPECT_EQ(before.size(), 6u);
    EXPECT_EQ(before, after);
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("HKLM\\Software")}, fresh.get()).out,
              exported.out);
    EXPECT_TRUE(diag.str().empty());
}

TEST_F(RegToolTest, QueryListsAKeyOrPrintsOneValue)
{
    ASSERT_EQ(run({QStringLiteral("create-key"), kProduct + QStringLiteral("\\list")}).code, 0);
    ASSERT_EQ(
        run({QStringLiteral("set"), kProduct, QStringLiteral("update"), QStringLiteral("http://x")})
            .code,
        0);
    ASSERT_EQ(run({QStringLiteral("set"), kProduct, QStringLiteral("n"), QStringLiteral("-3"),
                   QStringLiteral("--dword")})
                  .code,
              0);
    HKey key = kNullKey;
    ASSERT_EQ(reg->openKey(HKEY_LOCAL_MACHINE, "Software\\Ombrel Online\\Sarquen", &key), 0);
    reg->setValue(key, "", REG_BINARY, Bytes{0x0A, 0xFF});
    reg->setValue(key, "tab", REG_SZ, Bytes{'a', '\t', 0});

    const Result listing = run({QStringLiteral("query"), kProduct + QStringLiteral("\\")});
    EXPECT_EQ(listing.code, 0);
    EXPECT_EQ(listing.out, QStringLiteral("update\tREG_SZ\thttp://x\n"
                                          "n\tREG_DWORD\t-3\n"
                                          "@\tREG_BINARY\t0a,ff\n"
                                          "tab\tREG_SZ\thex:61,09,00\n"
                                          "HKLM\\Software\\Ombrel Online\\Sarquen\\list\n"));

    const Result one = run({QStringLiteral("query"),
                            QStringLiteral("hkey_local_machine\\SOFTWARE\\"
                                           "ombrel online\\sarquen"),
                            QStringLiteral("UPDATE")});
    EXPECT_EQ(one.code, 0);
    EXPECT_EQ(one.out, QStringLiteral("http://x\n"));

    const Result noValue = run({QStringLiteral("query"), kProduct, QStringLiteral("missing")});
    EXPECT_EQ(noValue.code, 1);
    EXPECT_TRUE(noValue.err.contains(QStringLiteral("missing")));
    const Result noKey = run({QStringLiteral("query"), QStringLiteral("HKCU\\Software")});
    EXPECT_EQ(noKey.code, 1);
    EXPECT_TRUE(noKey.err.contains(QStringLiteral("HKCU\\Software")));
    EXPECT_TRUE(noKey.out.isEmpty());
}

TEST_F(RegToolTest, SetWritesValuesAsTheProgramDoes)
{
    ASSERT_EQ(run({QStringLiteral("create-key"), kProduct}).code, 0);
    const std::string product = "Software\\Ombrel Online\\Sarquen";
    EXPECT_EQ(run({QStringLiteral("set"), kProduct, QStringLiteral("t"), QStringLiteral("3")}).code,
              0);
    EXPECT_EQ(raw(product, "t"), std::make_pair(REG_SZ, Bytes{'3', 0}));
    EXPECT_EQ(run({QStringLiteral("set"), kProduct, QStringLiteral("e"), QString()}).code, 0);
    EXPECT_EQ(raw(product, "e"), std::make_pair(REG_SZ, Bytes{0}));
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("--dword"), kProduct, QStringLiteral("d"),
                   QStringLiteral("0xFFFFFFFF")})
                  .code,
              0);
    EXPECT_EQ(raw(product, "d"), std::make_pair(REG_DWORD, Bytes{0xFF, 0xFF, 0xFF, 0xFF}));

    for (const char* bad : {"12x", "4294967296", "-2147483649", "0x123456789"}) {
        const Result r = run({QStringLiteral("set"), kProduct, QStringLiteral("d"),
                              QLatin1String(bad), QStringLiteral("--dword")});
        EXPECT_EQ(r.code, 2) << bad;
    }
    const Result missing = run({QStringLiteral("set"), kProduct + QStringLiteral("\\options"),
                                QStringLiteral("t"), QStringLiteral("1")});
    EXPECT_EQ(missing.code, 1);
    HKey key = kNullKey;
    EXPECT_EQ(reg->openKey(HKEY_LOCAL_MACHINE, product + "\\options", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegToolTest, DeleteRemovesAValueOrAWholeKey)
{
    ASSERT_EQ(run({QStringLiteral("create-key"), kProduct + QStringLiteral("\\list\\list")}).code,
              0);
    ASSERT_EQ(run({QStringLiteral("set"), kProduct, QStringLiteral("v"), QStringLiteral("1")}).code,
              0);
    EXPECT_EQ(run({QStringLiteral("delete"), kProduct, QStringLiteral("V")}).code, 0);
    EXPECT_EQ(raw("Software\\Ombrel Online\\Sarquen", "v"), std::nullopt);
    EXPECT_EQ(run({QStringLiteral("delete"), kProduct, QStringLiteral("v")}).code, 1);

    EXPECT_EQ(run({QStringLiteral("delete"), QStringLiteral("HKLM\\Software\\Ombrel Online")}).code,
              0);
    EXPECT_EQ(run({QStringLiteral("query"), kProduct + QStringLiteral("\\list\\list")}).code, 1);
    EXPECT_EQ(run({QStringLiteral("delete"), QStringLiteral("HKLM\\Software\\Ombrel Online")}).code,
              1);
    EXPECT_EQ(run({QStringLiteral("delete"), QStringLiteral("HKLM")}).code, 2);
    EXPECT_EQ(run({QStringLiteral("query"), QStringLiteral("HKLM")}).code, 0);
}

TEST_F(RegToolTest, BadCommandLinesExitWithTwo)
{
    const QList<QStringList> bad{
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("query")},
        {QStringLiteral("query"), kProduct, QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("set"), kProduct, QStringLiteral("n")},
        {QStringLiteral("export")},
        {QStringLiteral("query"), QStringLiteral("HKEY_CLASSES_ROOT\\x")},
        {QStringLiteral("create-key"), QStringLiteral("Software\\x")},
    };
    for (const QStringList& args : bad) {
        const Result r = run(args);
        EXPECT_EQ(r.code, 2) << args.join(u' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    const Result help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out, regToolUsage());
    EXPECT_TRUE(help.err.isEmpty());
}

TEST_F(RegToolTest, ImportProblemsChangeNothing)
{
    const Result missing = run({QStringLiteral("import"), dir.file(QStringLiteral("none.reg"))});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("none.reg")));

    const QString file = dir.write(QStringLiteral("bad.reg"), "REGEDIT4\n[HKLM\\Software\\New]\n"
                                                              "\"a\"=\"b\"\n\"c\"=dword:xyz\n");
    const Result r = run({QStringLiteral("import"), file});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(file + QStringLiteral(":4: "))) << r.err.toStdString();
    HKey key = kNullKey;
    EXPECT_EQ(reg->openKey(HKEY_LOCAL_MACHINE, "Software\\New", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegToolTest, ABadStoreFailsEveryCommand)
{
    auto bad = std::make_unique<SqliteRegistry>(
        dir.write(QStringLiteral("junk.db"), QByteArray(2048, 'Z')), QStringLiteral("sarquen-reg"),
        diag);
    const Result query = run({QStringLiteral("query"), kProduct}, bad.get());
    EXPECT_EQ(query.code, 1);
    EXPECT_TRUE(query.err.contains(QStringLiteral("not a readable database")));
    EXPECT_EQ(run({QStringLiteral("create-key"), kProduct}, bad.get()).code, 1);
    const QString file = dir.write(QStringLiteral("ok.reg"), "REGEDIT4\n[HKLM\\A]\n");
    EXPECT_EQ(run({QStringLiteral("import"), file}, bad.get()).code, 1);
    const std::string said = diag.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    EXPECT_EQ(said.rfind("sarquen-reg: the settings store ", 0), 0u);
}

} // namespace
