#include "commands/CommandStore.h"
#include "store/RegistryPaths.h"
#include "tests/support/TestStore.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

using namespace platform;

namespace {

const QChar kNul(u'\0');

QString withNul(const QString& text)
{
    return text + kNul;
}

class CommandStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { store.createProductKeys(); }

    // Stores commands as the program does, with the count in step.
    void storeCommands(const QStringList& phrases)
    {
        for (const QString& p : phrases) {
            store.setText(regpath::kListList, p, QStringLiteral("/usr/bin/") + p);
            store.setText(regpath::kListCheck, p, QStringLiteral("0"));
        }
        setCount(QString::number(phrases.size()));
    }
    void store3()
    {
        storeCommands(
            {QStringLiteral("Notepad"), QStringLiteral("My mail"), QStringLiteral("Calculator")});
    }
    void setCount(const QString& n)
    {
        store.setText(regpath::kList, QStringLiteral("numItems"), n);
    }
    void setRaw(const QString& key, const std::string& name, RegType type, const Bytes& data)
    {
        HKey handle = kNullKey;
        ASSERT_EQ(store.registry.openKey(HKEY_LOCAL_MACHINE, key.toStdString(), &handle), 0);
        ASSERT_EQ(store.registry.setValue(handle, name, type, data), 0);
        store.registry.closeKey(handle);
    }
    // The value names of a key in store order.
    QStringList names(const QString& key)
    {
        HKey handle = kNullKey;
        store.registry.openKey(HKEY_LOCAL_MACHINE, key.toStdString(), &handle);
        QStringList out;
        std::string name;
        for (std::uint32_t i = 0;
             store.registry.enumValue(handle, i, &name, nullptr, nullptr) == ERROR_SUCCESS; ++i)
            out << QString::fromStdString(name);
        store.registry.closeKey(handle);
        return out;
    }
    bool load()
    {
        heard.clear();
        return LoadCommandTable(
            store.reg, table, [&](const QString& p) { heard << p; }, diagnostics);
    }
    int diagnosticLines() const
    {
        const std::string s = diagnostics.str();
        return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
    }

    TestStore store;
    CommandTable table;
    QStringList heard;
    std::ostringstream diagnostics;
};

TEST(CommandTableCount, IsTheStoredNumberWithinTheTable)
{
    CommandTable t;
    EXPECT_EQ(t.count(), 0);
    const std::pair<RegValue, int> cases[] = {
        {RegValue(withNul("12")), 12}, {RegValue(withNul("-3")), 0}, {RegValue(withNul("x")), 0},
        {RegValue(withNul("")), 0},    {RegValue(5000), 1000},       {RegValue(1000), 1000}};
    for (const auto& [stored, expected] : cases) {
        t.numItems = stored;
        EXPECT_EQ(t.count(), expected) << stored.text().toStdString();
    }
}

TEST(NormalisePhrase, TrimsSpacesAndCapitalisesALowerCaseFirstLetter)
{
    EXPECT_EQ(normalisePhrase(QStringLiteral("notepad")), QStringLiteral("Notepad"));
    EXPECT_EQ(normalisePhrase(QStringLiteral("  my mail ")), QStringLiteral("My mail"));
    EXPECT_EQ(normalisePhrase(QStringLiteral("9 ball")), QStringLiteral("9 ball"));
    EXPECT_EQ(normalisePhrase(QStringLiteral("iPod music")), QStringLiteral("IPod music"));
    EXPECT_EQ(normalisePhrase(QStringLiteral("élan")), QStringLiteral("Élan"));
    EXPECT_EQ(normalisePhrase(QStringLiteral("   ")), QString());
}

TEST_F(CommandStoreTest, FreshStoreHasNoCommandsAndTheFirstAddStartsTheCount)
{
    EXPECT_TRUE(load());
    EXPECT_TRUE(table.numItems.isEmpty());
    EXPECT_EQ(table.count(), 0);
    EXPECT_TRUE(heard.isEmpty());

    AddCommand(store.reg, table, QStringLiteral("Notepad"), QStringLiteral("/usr/bin/gedit"), true);
    EXPECT_EQ(store.text(regpath::kList, QStringLiteral("numItems")), QStringLiteral("1"));
    EXPECT_EQ(store.text(regpath::kListList, QStringLiteral("Notepad")),
              QStringLiteral("/usr/bin/gedit"));
    EXPECT_EQ(store.text(regpath::kListCheck, QStringLiteral("Notepad")), QStringLiteral("1"));
    EXPECT_TRUE(store.dialogs.messages.empty());
    EXPECT_EQ(diagnosticLines(), 0);
}

TEST_F(CommandStoreTest, AddStoresTheNormalisedPhraseAndRaisesTheCount)
{
    storeCommands({QStringLiteral("Notepad"), QStringLiteral("My mail")});
    ASSERT_TRUE(load());
    AddCommand(store.reg, table, normalisePhrase(QStringLiteral(" calculator")),
               QStringLiteral("/usr/bin/gnome-calculator"), true);
    EXPECT_EQ(store.text(regpath::kList, QStringLiteral("numItems")), QStringLiteral("3"));
    EXPECT_EQ(names(regpath::kListList).last(), QStringLiteral("Calculator"));
    EXPECT_EQ(names(regpath::kListCheck).last(), QStringLiteral("Calculator"));
    EXPECT_EQ(store.text(regpath::kListCheck, QStringLiteral("Calculator")), QStringLiteral("1"));

    ASSERT_TRUE(load());
    EXPECT_EQ(table.count(), 3);
    EXPECT_EQ(table.targets[3].text(), withNul(QStringLiteral("/usr/bin/gnome-calculator")));
}

TEST_F(CommandStoreTest, AddGoesOnAfterAFailedWriteWithTheCountFirst)
{
    store.registry.deleteKey(HKEY_LOCAL_MACHINE, regpath::kListList.toStdString());
    AddCommand(store.reg, table, QStringLiteral("Notepad"), QStringLiteral("/x"), true);
    EXPECT_EQ(store.dialogs.texts(), (QStringList{QStringLiteral("RegOpenKey error - 2"),
                                                  QStringLiteral("SetValue error - 6")}));
    EXPECT_EQ(store.text(regpath::kList, QStringLiteral("numItems")), QStringLiteral("1"));
    EXPECT_EQ(store.text(regpath::kListCheck, QStringLiteral("Notepad")), QStringLiteral("1"));
}

TEST_F(CommandStoreTest, ChangeRenamesBothValuesAndLeavesTheCount)
{
    store3();
    ChangeCommand(store.reg, QStringLiteral("Notepad"), QStringLiteral("Editor"),
                  QStringLiteral("/usr/bin/kate"), true);
    EXPECT_EQ(names(regpath::kListList),
              (QStringList{QStringLiteral("My mail"), QStringLiteral("Calculator"),
                           QStringLiteral("Editor")}));
    EXPECT_FALSE(store.raw(regpath::kListCheck, QStringLiteral("Notepad")));
    EXPECT_EQ(store.text(regpath::kListList, QStringLiteral("Editor")),
              QStringLiteral("/usr/bin/kate"));
    EXPECT_EQ(store.text(regpath::kListCheck, QStringLiteral("Editor")), QStringLiteral("1"));
    EXPECT_EQ(store.text(regpath::kList, QStringLiteral("numItems")), QStringLiteral("3"));

    // A change of case alone must reach the store, which ignores case in value names.
    ChangeCommand(store.reg, QStringLiteral("Editor"), QStringLiteral("EDITOR"),
                  QStringLiteral("/usr/bin/kate"), true);
    EXPECT_EQ(names(regpath::kListList).last(), QStringLiteral("EDITOR"));
    EXPECT_EQ(names(regpath::kListCheck).last(), QStringLiteral("EDITOR"));

    // The same phrase keeps its place and takes the new target and flag.
    ChangeCommand(store.reg, QStringLiteral("My mail"), QStringLiteral("My mail"),
                  QStringLiteral("/usr/bin/mutt"), true);
    EXPECT_EQ(names(regpath::kListList).first(), QStringLiteral("My mail"));
    EXPECT_EQ(store.text(regpath::kListList, QStringLiteral("My mail")),
              QStringLiteral("/usr/bin/mutt"));
    EXPECT_EQ(store.text(regpath::kListCheck, QStringLiteral("My mail")), QStringLiteral("1"));
    EXPECT_TRUE(store.dialogs.messages.empty());
}

TEST_F(CommandStoreTest, DeleteRemovesTheMatchingRowAndLowersTheCount)
{
    store3();
    ASSERT_TRUE(load());
    DeleteCommand(store.reg, table, QStringLiteral("My mail"));
    const QStringList left{QStringLiteral("Notepad"), QStringLiteral("Calculator")};
    EXPECT_EQ(names(regpath::kListList), left);
    EXPECT_EQ(names(regpath::kListCheck), left);
    EXPECT_EQ(store.text(regpath::kList, QStringLiteral("numItems")), QStringLiteral("2"));
    EXPECT_TRUE(store.dialogs.messages.empty());
}

TEST_F(CommandStoreTest, DeleteWritesNothingWithoutAMatchAmongTheCountedRows)
{
    store3();
    ASSERT_TRUE(load());
    table.numItems = withNul(QStringLiteral("2")); // row 3 is now past the count
    setCount(QStringLiteral("7"));
    for (const char* p : {"Calculator", "notepad", ""})
        DeleteCommand(store.reg, table, QLatin1String(p));
    EXPECT_EQ(store.text(regpath::kList, QStringLiteral("numItems")), QStringLiteral("7"));
    EXPECT_EQ(names(regpath::kListList).size(), 3);
}

TEST_F(CommandStoreTest, LoadTrustsTheStoredCountAndKeepsRowsPastTheValuesRead)
{
    store3();
    store.reg.DeleteRegValue(HKEY_LOCAL_MACHINE, regpath::kListList, QStringLiteral("Calculator"));
    ASSERT_TRUE(load());
    EXPECT_EQ(table.numItems.text(), withNul(QStringLiteral("3")));
    EXPECT_EQ(table.count(), 3);
    EXPECT_EQ(heard, (QStringList{QStringLiteral("Notepad"), QStringLiteral("My mail")}));
    EXPECT_TRUE(table.phrases[3].isEmpty());

    CommandTable earlier;
    earlier.phrases[3] = QStringLiteral("Old");
    earlier.targets[3] = withNul(QStringLiteral("/old"));
    table = earlier;
    ASSERT_TRUE(load());
    EXPECT_EQ(table.phrases[2].text(), QStringLiteral("My mail"));
    EXPECT_EQ(table.phrases[3].text(), QStringLiteral("Old"));
    EXPECT_EQ(table.targets[3].text(), withNul(QStringLiteral("/old")));
}

TEST_F(CommandStoreTest, MissingListKeyWithACountIsReportedAndLeavesTheRows)
{
    store3();
    store.registry.deleteKey(HKEY_LOCAL_MACHINE, regpath::kListList.toStdString());
    table.phrases[1] = QStringLiteral("Keep");
    EXPECT_FALSE(load());
    ASSERT_EQ(store.dialogs.messages.size(), 1u);
    const auto& m = store.dialogs.messages.front();
    EXPECT_EQ(m.text, QStringLiteral("Error accessing HKEY_LOCAL_MACHINE\\Software\\Ombrel "
                                     "Online\\Sarquen\\list\\list"));
    EXPECT_EQ(m.title, QStringLiteral("Ombrel Sarquen 2.0"));
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(m.icon, MsgIcon::None);
    EXPECT_EQ(table.phrases[1].text(), QStringLiteral("Keep"));
    EXPECT_TRUE(heard.isEmpty());

    // With no count the key is never opened, so nothing is said.
    for (const char* n : {"0", "", "-1", "none"}) {
        setCount(QLatin1String(n));
        EXPECT_TRUE(load()) << n;
    }
    EXPECT_EQ(store.dialogs.messages.size(), 1u);
    EXPECT_TRUE(heard.isEmpty());
}

TEST_F(CommandStoreTest, EachPhraseIsAnnouncedBeforeItsRowIsComplete)
{
    store3();
    store.reg.DeleteRegValue(HKEY_LOCAL_MACHINE, regpath::kListCheck, QStringLiteral("My mail"));
    store.setText(regpath::kListCheck, QStringLiteral("Calculator"), QStringLiteral("1"));
    for (int r = 1; r <= 3; ++r) {
        table.targets[r] = QStringLiteral("stale");
        table.checks[r] = QStringLiteral("stale");
    }
    int row = 0;
    ASSERT_TRUE(LoadCommandTable(
        store.reg, table,
        [&](const QString& p) {
            ++row;
            EXPECT_EQ(table.phrases[row].text(), p);
            EXPECT_EQ(table.targets[row].text(), QStringLiteral("stale"));
            EXPECT_EQ(table.checks[row].text(), QStringLiteral("stale"));
        },
        diagnostics));
    EXPECT_EQ(row, 3);
    EXPECT_EQ(table.phrases[3].text(), QStringLiteral("Calculator"));
    EXPECT_EQ(table.targets[1].text(), withNul(QStringLiteral("/usr/bin/Notepad")));
    EXPECT_EQ(table.checks[1].text(), withNul(QStringLiteral("0")));
    EXPECT_TRUE(table.checks[2].isEmpty());
    EXPECT_EQ(table.checks[3].toInt32(), 1);
}

TEST_F(CommandStoreTest, TargetsOfOtherTypesAreShownAsText)
{
    setRaw(regpath::kListList, "Bin", REG_BINARY, Bytes{0x0A, 0xFF, 0x00});
    setRaw(regpath::kListList, "Num", REG_DWORD, Bytes{0xFE, 0xFF, 0xFF, 0xFF});
    setRaw(regpath::kListList, "Big", REG_DWORD, Bytes{0x40, 0x42, 0x0F, 0x00});
    setRaw(regpath::kListList, "Exp", REG_EXPAND_SZ, Bytes{'$', 'H', 0});
    setRaw(regpath::kListList, "Bare", REG_SZ, Bytes{'/', 'x'});
    setCount(QStringLiteral("5"));
    ASSERT_TRUE(load());
    EXPECT_EQ(table.targets[1].text(), QStringLiteral("0A FF 00 "));
    EXPECT_EQ(table.targets[2].text(), QStringLiteral("-2"));
    EXPECT_EQ(table.targets[3].text(), QStringLiteral("1000000"));
    EXPECT_EQ(table.targets[4].text(), withNul(QStringLiteral("$H")));
    EXPECT_EQ(table.targets[5].text(), QStringLiteral("/x"));
}

TEST_F(CommandStoreTest, LongPhrasesAndTargetsAreKeptWhole)
{
    const QString phrase = QStringLiteral("Open ") + QString(150, u'a');
    const QString target =
        QStringLiteral("/home/user/") + QString(300, u'b') + QStringLiteral(".pdf");
    AddCommand(store.reg, table, phrase, target, true);
    ASSERT_TRUE(load());
    EXPECT_EQ(table.phrases[1].text(), phrase);
    EXPECT_EQ(table.targets[1].text(), withNul(target));
    EXPECT_EQ(table.checks[1].toInt32(), 1);
}

TEST_F(CommandStoreTest, OnlyTheFirstThousandCommandsAreLoaded)
{
    for (int i = 1; i <= 1001; ++i)
        store.setText(regpath::kListList, QStringLiteral("Command %1").arg(i),
                      QStringLiteral("/bin/%1").arg(i));
    setCount(QStringLiteral("1001"));
    ASSERT_TRUE(load());
    EXPECT_EQ(heard.size(), 1000);
    EXPECT_EQ(table.phrases[1000].text(), QStringLiteral("Command 1000"));
    EXPECT_EQ(table.count(), 1000);
    EXPECT_EQ(diagnosticLines(), 1);
}

TEST_F(CommandStoreTest, ACountAboveTheTableIsCappedAndReportedOnce)
{
    store3();
    setCount(QStringLiteral("5000"));
    ASSERT_TRUE(load());
    EXPECT_EQ(table.count(), 1000);
    EXPECT_EQ(heard.size(), 3);
    EXPECT_EQ(diagnosticLines(), 1);
    EXPECT_EQ(diagnostics.str().rfind("zorv: ", 0), 0u);
}

TEST_F(CommandStoreTest, PhraseTakenIgnoresCaseTheExceptedRowAndRowsPastTheCount)
{
    store3();
    ASSERT_TRUE(load());
    EXPECT_TRUE(PhraseTaken(table, QStringLiteral("MY MAIL")));
    EXPECT_FALSE(PhraseTaken(table, QStringLiteral("my mail"), 2));
    EXPECT_TRUE(PhraseTaken(table, QStringLiteral("notepad"), 2));
    EXPECT_FALSE(PhraseTaken(table, QStringLiteral("Notepad2")));
    table.numItems = withNul(QStringLiteral("2"));
    EXPECT_FALSE(PhraseTaken(table, QStringLiteral("Calculator")));
}

} // namespace
