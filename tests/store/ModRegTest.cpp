#include "store/modReg.h"
#include "store/RegistryPaths.h"
#include "tests/support/TestStore.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace platform;

namespace {

using Raw = std::pair<RegType, Bytes>;

void expectMessages(const RecordingDialogs& dialogs, const QStringList& texts)
{
    EXPECT_EQ(dialogs.texts(), texts);
    for (const auto& m : dialogs.messages) {
        EXPECT_EQ(m.title, QStringLiteral("Ombrel Sarquen 2.0"));
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
        EXPECT_EQ(m.icon, MsgIcon::None);
    }
}

class ModRegTest : public ::testing::Test
{
protected:
    void SetUp() override { store.createProductKeys(); }
    void setRaw(const QString& key, const std::string& name, RegType type, const Bytes& data)
    {
        HKey handle = kNullKey;
        ASSERT_EQ(store.registry.openKey(HKEY_LOCAL_MACHINE, key.toStdString(), &handle), 0);
        ASSERT_EQ(store.registry.setValue(handle, name, type, data), 0);
        store.registry.closeKey(handle);
    }

    TestStore store;
    modReg& reg = store.reg;
};

TEST_F(ModRegTest, WritingToAMissingKeyShowsTwoMessagesAndStoresNothing)
{
    const QString missing = regpath::kProduct + QStringLiteral("\\nowhere");
    reg.WriteRegValue(HKEY_LOCAL_MACHINE, missing, QStringLiteral("v"), RegValue("x"), REG_SZ);
    expectMessages(store.dialogs,
                   {QStringLiteral("RegOpenKey error - 2"), QStringLiteral("SetValue error - 6")});
    HKey key = kNullKey;
    EXPECT_EQ(store.registry.openKey(HKEY_LOCAL_MACHINE, missing.toStdString(), &key),
              ERROR_FILE_NOT_FOUND);
    std::string name;
    EXPECT_EQ(store.registry.enumValue(HKEY_LOCAL_MACHINE, 0, &name, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
}

TEST_F(ModRegTest, TextIsStoredWithOneNulAndReadBackWithIt)
{
    reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kList, QStringLiteral("empty"),
                      RegValue(QString()), REG_SZ);
    reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kList, QStringLiteral("numItems"), RegValue(12),
                      REG_SZ);
    reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kList, QStringLiteral("phrase"),
                      RegValue(QStringLiteral("Grüße")), REG_SZ);
    EXPECT_TRUE(store.dialogs.messages.empty());

    EXPECT_EQ(store.raw(regpath::kList, QStringLiteral("empty")), (Raw{REG_SZ, Bytes{0}}));
    EXPECT_EQ(store.raw(regpath::kList, QStringLiteral("numItems")),
              (Raw{REG_SZ, Bytes{'1', '2', 0}}));

    const RegValue empty = reg.ReadRegValue(regpath::kList, QStringLiteral("EMPTY"));
    ASSERT_TRUE(empty.isText());
    EXPECT_EQ(empty.text(), QString(QChar(u'\0')));
    const RegValue count = reg.ReadRegValue(regpath::kList, QStringLiteral("numitems"));
    EXPECT_EQ(count.text(), QStringLiteral("12") + QChar(u'\0'));
    EXPECT_EQ(count.toInt32(), 12);
    EXPECT_EQ(reg.ReadRegValue(regpath::kList, QStringLiteral("phrase")).text(),
              QStringLiteral("Grüße") + QChar(u'\0'));
}

TEST_F(ModRegTest, DwordIsWrittenAndReadAsANumber)
{
    reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kOptions, QStringLiteral("n"),
                      RegValue(QStringLiteral("-5")), REG_DWORD);
    EXPECT_EQ(store.raw(regpath::kOptions, QStringLiteral("n")),
              (Raw{REG_DWORD, Bytes{0xFB, 0xFF, 0xFF, 0xFF}}));
    const RegValue n = reg.ReadRegValue(regpath::kOptions, QStringLiteral("n"));
    ASSERT_TRUE(n.isNumber());
    EXPECT_EQ(n.toInt32(), -5);
    EXPECT_TRUE(store.dialogs.messages.empty());
}

TEST_F(ModRegTest, ReadsThatFindNothingUsableAreEmptyAndSilent)
{
    setRaw(regpath::kOptions, "bin", REG_BINARY, Bytes{1, 2});
    setRaw(regpath::kOptions, "exp", REG_EXPAND_SZ, Bytes{'%', 0});
    for (const char* name : {"missing", "bin", "exp"})
        EXPECT_TRUE(reg.ReadRegValue(regpath::kOptions, QLatin1String(name)).isEmpty()) << name;
    EXPECT_TRUE(
        reg.ReadRegValue(QStringLiteral("Software\\Nowhere"), QStringLiteral("x")).isEmpty());
    EXPECT_TRUE(store.dialogs.messages.empty());
}

TEST_F(ModRegTest, DeletingWhatIsNotThereDoesNothing)
{
    store.setText(regpath::kList, QStringLiteral("keep"), QStringLiteral("1"));
    reg.DeleteRegValue(HKEY_LOCAL_MACHINE, regpath::kList, QStringLiteral("missing"));
    reg.DeleteRegValue(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Nowhere"),
                       QStringLiteral("keep"));
    EXPECT_TRUE(store.dialogs.messages.empty());
    EXPECT_EQ(store.text(regpath::kList, QStringLiteral("keep")), QStringLiteral("1"));

    reg.DeleteRegValue(HKEY_LOCAL_MACHINE, regpath::kList, QStringLiteral("KEEP"));
    EXPECT_FALSE(store.raw(regpath::kList, QStringLiteral("keep")));
}

TEST(ModRegCorruptStore, WritesReportAndReadsAreEmpty)
{
    TempDir dir;
    const QString file = dir.write(QStringLiteral("registry.db"), QByteArray(4096, 'Z'));
    std::ostringstream diagnostics;
    SqliteRegistry registry(file, QStringLiteral("zorv"), diagnostics);
    RecordingDialogs dialogs;
    modReg reg(registry, dialogs);

    reg.WriteRegValue(HKEY_LOCAL_MACHINE, regpath::kList, QStringLiteral("numItems"), RegValue(1),
                      REG_SZ);
    expectMessages(
        dialogs, {QStringLiteral("RegOpenKey error - 1015"), QStringLiteral("SetValue error - 6")});
    EXPECT_TRUE(reg.ReadRegValue(regpath::kList, QStringLiteral("numItems")).isEmpty());
    reg.DeleteRegValue(HKEY_LOCAL_MACHINE, regpath::kList, QStringLiteral("numItems"));
    EXPECT_EQ(dialogs.messages.size(), 2u);
    const std::string said = diagnostics.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
}

} // namespace
