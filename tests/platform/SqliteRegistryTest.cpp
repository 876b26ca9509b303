#include "platform/registry/SqliteRegistry.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

Bytes bytes(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

std::vector<std::string> valueNames(Registry& reg, HKey key)
{
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; reg.enumValue(key, i, &name, nullptr, nullptr) == 0; ++i)
        names.push_back(name);
    return names;
}

std::vector<std::string> subkeys(Registry& reg, HKey key)
{
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; reg.enumKey(key, i, &name) == 0; ++i)
        names.push_back(name);
    return names;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

class SqliteRegistryTest : public ::testing::Test
{
protected:
    std::unique_ptr<SqliteRegistry> open(const QString& file)
    {
        return std::make_unique<SqliteRegistry>(file, QStringLiteral("zorv"), diag);
    }
    HKey create(const std::string& keyPath, HKey hive = HKEY_LOCAL_MACHINE)
    {
        HKey key = kNullKey;
        EXPECT_EQ(reg->createKey(hive, keyPath, &key), ERROR_SUCCESS);
        return key;
    }

    TempDir dir;
    std::ostringstream diag;
    QString path = dir.file(QStringLiteral("registry.db"));
    std::unique_ptr<SqliteRegistry> reg = open(path);
};

TEST_F(SqliteRegistryTest, ResultCodesFollowTheRegistryConventions)
{
    HKey key = 99;
    EXPECT_EQ(reg->openKey(HKEY_LOCAL_MACHINE, "Software\\Missing", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, kNullKey);
    EXPECT_EQ(reg->openKey(0x80000003, "", &key), ERROR_INVALID_HANDLE);

    const HKey closed = create("Software\\Closed");
    EXPECT_EQ(reg->closeKey(closed), ERROR_SUCCESS);
    Bytes data;
    std::string name;
    for (HKey bad : {kNullKey, closed, HKey{12345}}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(reg->queryValue(bad, "v", nullptr, &data), ERROR_INVALID_HANDLE);
        EXPECT_EQ(reg->setValue(bad, "v", REG_SZ, bytes("x")), ERROR_INVALID_HANDLE);
        EXPECT_EQ(reg->deleteValue(bad, "v"), ERROR_INVALID_HANDLE);
        EXPECT_EQ(reg->enumValue(bad, 0, &name, nullptr, &data), ERROR_INVALID_HANDLE);
        EXPECT_EQ(reg->enumKey(bad, 0, &name), ERROR_INVALID_HANDLE);
    }
    reg->closeKey(kNullKey);

    const HKey key2 = create("Software\\Open");
    EXPECT_EQ(reg->queryValue(key2, "missing", nullptr, &data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg->deleteValue(key2, "missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg->enumValue(key2, 0, &name, nullptr, &data), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(reg->enumKey(key2, 0, &name), ERROR_NO_MORE_ITEMS);
    ASSERT_EQ(reg->setValue(key2, "one", REG_SZ, bytes("1")), ERROR_SUCCESS);
    EXPECT_EQ(reg->enumValue(key2, 1, &name, nullptr, &data), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(reg->deleteKey(HKEY_LOCAL_MACHINE, "Software\\Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(diag.str().empty());
}

TEST_F(SqliteRegistryTest, HiveRootsAlwaysExistAndAreSeparate)
{
    HKey root = kNullKey;
    ASSERT_EQ(reg->openKey(HKEY_CURRENT_USER, "", &root), ERROR_SUCCESS);
    EXPECT_NE(root, kNullKey);
    ASSERT_EQ(reg->setValue(root, "top", REG_SZ, bytes("u")), ERROR_SUCCESS);
    // The predefined hive handles work as keys too.
    Bytes data;
    EXPECT_EQ(reg->queryValue(HKEY_CURRENT_USER, "top", nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(reg->queryValue(HKEY_LOCAL_MACHINE, "top", nullptr, &data), ERROR_FILE_NOT_FOUND);

    create("Software\\OnlyMachine");
    HKey key = kNullKey;
    EXPECT_EQ(reg->openKey(HKEY_CURRENT_USER, "Software\\OnlyMachine", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg->deleteKey(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg->openKey(HKEY_LOCAL_MACHINE, "Software\\OnlyMachine", &key), ERROR_SUCCESS);
}

TEST_F(SqliteRegistryTest, KeyPathsIgnoreCaseAndStrayBackslashes)
{
    const HKey created = create("\\Software\\\\Ärger\\Sub\\");
    ASSERT_EQ(reg->setValue(created, "Value", REG_SZ, bytes("a")), ERROR_SUCCESS);

    HKey key = kNullKey;
    ASSERT_EQ(reg->openKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\ärger\\sub", &key), ERROR_SUCCESS);
    Bytes data;
    EXPECT_EQ(reg->queryValue(key, "VALUE", nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, bytes("a"));

    // Creating an existing key in another spelling neither duplicates nor renames it.
    create("software\\ÄRGER");
    HKey software = kNullKey;
    ASSERT_EQ(reg->openKey(HKEY_LOCAL_MACHINE, "Software", &software), ERROR_SUCCESS);
    EXPECT_EQ(subkeys(*reg, software), std::vector<std::string>{"Ärger"});
    EXPECT_EQ(subkeys(*reg, HKEY_LOCAL_MACHINE), std::vector<std::string>{"Software"});
}

TEST_F(SqliteRegistryTest, ValueNamesIgnoreCaseAndKeepTheirFirstSpelling)
{
    const HKey key = create("K");
    ASSERT_EQ(reg->setValue(key, "Ärger", REG_SZ, bytes("1")), ERROR_SUCCESS);
    ASSERT_EQ(reg->setValue(key, "ärger", REG_SZ, bytes("2")), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(*reg, key), std::vector<std::string>{"Ärger"});
    Bytes data;
    ASSERT_EQ(reg->queryValue(key, "ÄRGER", nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, bytes("2"));
    EXPECT_EQ(reg->deleteValue(key, "äRGER"), ERROR_SUCCESS);
    EXPECT_TRUE(valueNames(*reg, key).empty());
}

TEST_F(SqliteRegistryTest, EnumerationKeepsFirstWriteAndCreationOrder)
{
    const HKey key = create("K");
    for (const char* name : {"b", "c", "a"})
        ASSERT_EQ(reg->setValue(key, name, REG_SZ, bytes("x")), ERROR_SUCCESS);
    ASSERT_EQ(reg->setValue(key, "C", REG_DWORD, bytes("abcd")), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(*reg, key), (std::vector<std::string>{"b", "c", "a"}));

    ASSERT_EQ(reg->deleteValue(key, "b"), ERROR_SUCCESS);
    ASSERT_EQ(reg->setValue(key, "B", REG_SZ, bytes("y")), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(*reg, key), (std::vector<std::string>{"c", "a", "B"}));

    for (const char* sub : {"K\\z", "K\\a", "K\\m"})
        create(sub);
    EXPECT_EQ(subkeys(*reg, key), (std::vector<std::string>{"z", "a", "m"}));
}

TEST_F(SqliteRegistryTest, DataAndTypesAreStoredExactlyAsGiven)
{
    Bytes all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<std::uint8_t>(i));
    const std::vector<std::pair<RegType, Bytes>> cases{
        {REG_SZ, Bytes{0x33, 0x00}},
        {REG_SZ, bytes("no terminator")},
        {REG_SZ, Bytes{'a', 0, 'b', 0, 0}},
        {REG_SZ, Bytes{}},
        {REG_EXPAND_SZ, bytes(std::string_view("%HOME%\0", 7))},
        {REG_BINARY, all},
        {REG_DWORD, Bytes{1, 2, 3}},
        {static_cast<RegType>(0x12345678), Bytes{9}},
    };
    const HKey key = create("K");
    for (std::size_t i = 0; i < cases.size(); ++i)
        ASSERT_EQ(reg->setValue(key, std::to_string(i), cases[i].first, cases[i].second), 0);

    auto reopened = open(path);
    HKey again = kNullKey;
    ASSERT_EQ(reopened->openKey(HKEY_LOCAL_MACHINE, "K", &again), ERROR_SUCCESS);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        RegType type = REG_NONE;
        Bytes data{0xEE};
        ASSERT_EQ(reopened->queryValue(again, std::to_string(i), &type, &data), ERROR_SUCCESS);
        EXPECT_EQ(type, cases[i].first);
        EXPECT_EQ(data, cases[i].second);
    }
}

TEST_F(SqliteRegistryTest, DeleteKeyTakesSubkeysAndValuesAlong)
{
    const HKey deep = create("A\\B\\C");
    ASSERT_EQ(reg->setValue(deep, "v", REG_SZ, bytes("x")), ERROR_SUCCESS);
    const HKey keep = create("A2");
    ASSERT_EQ(reg->setValue(keep, "v", REG_SZ, bytes("x")), ERROR_SUCCESS);

    ASSERT_EQ(reg->deleteKey(HKEY_LOCAL_MACHINE, "a"), ERROR_SUCCESS);
    HKey key = kNullKey;
    EXPECT_EQ(reg->openKey(HKEY_LOCAL_MACHINE, "A\\B", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg->openKey(HKEY_LOCAL_MACHINE, "A2", &key), ERROR_SUCCESS);
    EXPECT_EQ(valueNames(*reg, key).size(), 1u);

    // A handle to the deleted key cannot bring its values back.
    EXPECT_EQ(reg->setValue(deep, "w", REG_SZ, bytes("y")), ERROR_KEY_DELETED);
    const HKey recreated = create("A\\B\\C");
    EXPECT_TRUE(valueNames(*reg, recreated).empty());
    EXPECT_EQ(subkeys(*reg, HKEY_LOCAL_MACHINE), (std::vector<std::string>{"A2", "A"}));
}

TEST_F(SqliteRegistryTest, TwoInstancesOnOneFileSeeEachOthersWrites)
{
    auto other = open(path);
    const HKey mine = create("Shared");
    HKey theirs = kNullKey;
    ASSERT_EQ(other->openKey(HKEY_LOCAL_MACHINE, "shared", &theirs), ERROR_SUCCESS);

    ASSERT_EQ(reg->setValue(mine, "n", REG_SZ, bytes("1")), ERROR_SUCCESS);
    Bytes data;
    ASSERT_EQ(other->queryValue(theirs, "n", nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, bytes("1"));
    ASSERT_EQ(other->setValue(theirs, "N", REG_SZ, bytes("2")), ERROR_SUCCESS);
    ASSERT_EQ(reg->queryValue(mine, "n", nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, bytes("2"));

    reg.reset();
    other.reset();
    auto later = open(path);
    HKey key = kNullKey;
    ASSERT_EQ(later->openKey(HKEY_LOCAL_MACHINE, "Shared", &key), ERROR_SUCCESS);
    EXPECT_EQ(later->queryValue(key, "n", nullptr, &data), ERROR_SUCCESS);
}

TEST_F(SqliteRegistryTest, CreatesAPrivateFileAndFolderOnFirstUse)
{
    const QString nested = dir.file(QStringLiteral("a/b/registry.db"));
    auto store = open(nested);
    EXPECT_FALSE(QFileInfo::exists(nested));
    HKey key = kNullKey;
    ASSERT_EQ(store->createKey(HKEY_LOCAL_MACHINE, "K", &key), ERROR_SUCCESS);

    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(nested).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    for (const char* folder : {"a", "a/b"}) {
        ASSERT_EQ(::stat(QFile::encodeName(dir.file(QLatin1String(folder))).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
}

TEST_F(SqliteRegistryTest, AnEmptyFileBecomesANewStore)
{
    const QString empty = dir.write(QStringLiteral("empty.db"), QByteArray());
    auto store = open(empty);
    HKey key = kNullKey;
    EXPECT_EQ(store->createKey(HKEY_LOCAL_MACHINE, "K", &key), ERROR_SUCCESS);
    EXPECT_EQ(store->setValue(key, "v", REG_SZ, bytes("x")), ERROR_SUCCESS);
    EXPECT_TRUE(diag.str().empty());
}

// A file that is not a store of ours: reads come back empty, writes fail, the file keeps
// every byte and one line names it.
void expectRefusedAndUntouched(const QString& file, std::ostringstream& diag)
{
    const QByteArray before = fileBytes(file);
    {
        SqliteRegistry store(file, QStringLiteral("zorv"), diag);
        HKey key = 77;
        EXPECT_EQ(store.openKey(HKEY_LOCAL_MACHINE, "Software", &key), ERROR_REGISTRY_CORRUPT);
        EXPECT_EQ(key, kNullKey);
        Bytes data;
        std::string name;
        EXPECT_EQ(store.queryValue(key, "v", nullptr, &data), ERROR_INVALID_HANDLE);
        EXPECT_EQ(store.enumValue(key, 0, &name, nullptr, &data), ERROR_INVALID_HANDLE);
        EXPECT_EQ(store.setValue(key, "v", REG_SZ, bytes("x")), ERROR_INVALID_HANDLE);
        EXPECT_EQ(store.createKey(HKEY_LOCAL_MACHINE, "Software", &key), ERROR_REGISTRY_CORRUPT);
        EXPECT_EQ(store.deleteKey(HKEY_LOCAL_MACHINE, "Software"), ERROR_REGISTRY_CORRUPT);
        EXPECT_EQ(store.queryValue(HKEY_LOCAL_MACHINE, "v", nullptr, &data),
                  ERROR_REGISTRY_CORRUPT);
    }
    EXPECT_EQ(fileBytes(file), before);
    const std::string expected = "zorv: the settings store " + file.toStdString() +
                                 " is not a readable database; settings are not read or saved "
                                 "until it is repaired or removed\n";
    EXPECT_EQ(diag.str(), expected);
}

TEST_F(SqliteRegistryTest, GarbageFileIsLeftAlone)
{
    QByteArray garbage;
    for (int i = 0; i < 3000; ++i)
        garbage.append(static_cast<char>((i * 7919) % 251));
    expectRefusedAndUntouched(dir.write(QStringLiteral("garbage.db"), garbage), diag);
}

TEST_F(SqliteRegistryTest, TruncatedStoreIsLeftAlone)
{
    const HKey key = create("Software\\Ombrel Online\\Sarquen\\list\\list");
    for (int i = 0; i < 200; ++i)
        reg->setValue(key, "phrase " + std::to_string(i), REG_SZ, Bytes(60, 'x'));
    reg.reset();
    const QByteArray whole = fileBytes(path);
    ASSERT_GT(whole.size(), 8192);
    expectRefusedAndUntouched(dir.write(QStringLiteral("cut.db"), whole.left(whole.size() / 2)),
                              diag);
}

TEST_F(SqliteRegistryTest, ForeignDatabaseIsLeftAlone)
{
    const QString foreign = dir.file(QStringLiteral("foreign.db"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(foreign).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(x); INSERT INTO notes VALUES('keep me')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    expectRefusedAndUntouched(foreign, diag);
}

void expectAccessDenied(const QString& file, std::ostringstream& diag)
{
    SqliteRegistry store(file, QStringLiteral("zorv"), diag);
    HKey key = kNullKey;
    EXPECT_EQ(store.openKey(HKEY_LOCAL_MACHINE, "", &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(store.createKey(HKEY_LOCAL_MACHINE, "K", &key), ERROR_ACCESS_DENIED);
    const std::string said = diag.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    EXPECT_NE(said.find(file.toStdString()), std::string::npos);
}

TEST_F(SqliteRegistryTest, FolderThatCannotBeMadeIsAccessDenied)
{
    const QString notAFolder = dir.write(QStringLiteral("plain"), "x");
    expectAccessDenied(notAFolder + QStringLiteral("/registry.db"), diag);
}

TEST_F(SqliteRegistryTest, ReadOnlyFileIsAccessDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind the superuser";
    const QString locked = dir.write(QStringLiteral("locked.db"), QByteArray());
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0400), 0);
    expectAccessDenied(locked, diag);
}

TEST(SqliteRegistryDefaultPath, FollowsTheEnvironment)
{
    const ScopedEnv store("SARQUEN_REGISTRY", "/tmp/chosen.db");
    const ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
    const ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(SqliteRegistry::defaultPath(), QStringLiteral("/tmp/chosen.db"));
    store.set("");
    EXPECT_EQ(SqliteRegistry::defaultPath(), QStringLiteral("/cfg/ombrel-sarquen/registry.db"));
    config.set("");
    EXPECT_EQ(SqliteRegistry::defaultPath(),
              QStringLiteral("/home/someone/.config/ombrel-sarquen/registry.db"));
}

} // namespace
