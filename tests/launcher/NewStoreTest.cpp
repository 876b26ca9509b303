#include "launcher/NewStore.h"
#include "commands/CommandStore.h"
#include "launching/sheller.h"
#include "platform/shell/ShellWords.h"
#include "store/RegistryPaths.h"
#include "tests/support/TestStore.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// The file installed beside the program.
const QString kDefaults = qEnvironmentVariable("SARQUEN_SOURCE_DIR") + "/data/defaults.reg";

TEST(NewStoreTest, AStoreWithoutTheProductKeyGetsTheFirstValues)
{
    TestStore store;
    EXPECT_EQ(setUpNewStore(store.registry, kDefaults), QString());
    EXPECT_EQ(store.text(regpath::kOptions, QStringLiteral("startCommand")),
              QStringLiteral("Computer"));
    // Three commands to start with, each a program and its arguments.
    CommandTable table;
    ASSERT_TRUE(LoadCommandTable(store.reg, table, [](const QString&) {}));
    const std::pair<const char*, QStringList> examples[] = {
        {"Open Terminal", {"x-terminal-emulator"}},
        {"Open Files", {"sh", "-c", "exec xdg-open \"$HOME\""}},
        {"Open Browser", {"sensible-browser"}}};
    ASSERT_EQ(table.count(), 3);
    for (int row = 1; row <= 3; ++row) {
        const auto& [phrase, words] = examples[row - 1];
        EXPECT_EQ(table.phrases[row].text(), QString::fromLatin1(phrase));
        const LaunchParts parts = SplitLaunchLine(table.targets[row].text().chopped(1), {});
        EXPECT_EQ(QStringList{parts.file} + platform::shellWords(parts.parameters), words)
            << phrase;
    }
    EXPECT_EQ(store.text(regpath::kOptions, QStringLiteral("tcomt")), QStringLiteral("5000"));

    // Set up once: what the user changed afterwards stays.
    store.setText(regpath::kOptions, QStringLiteral("tcomt"), QStringLiteral("2500"));
    EXPECT_EQ(setUpNewStore(store.registry, kDefaults), QString());
    EXPECT_EQ(store.text(regpath::kOptions, QStringLiteral("tcomt")), QStringLiteral("2500"));
}

TEST(NewStoreTest, MissingOrBrokenDefaultsSayWhyAndWriteNothing)
{
    TestStore store;
    const QString missing = store.dir.file(QStringLiteral("nowhere.reg"));
    EXPECT_TRUE(
        setUpNewStore(store.registry, missing)
            .startsWith(QStringLiteral("cannot set up the new store from %1: ").arg(missing)));
    const QString broken = store.dir.file(QStringLiteral("broken.reg"));
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Ombrel Online\\Sarquen]\n\"update\"=\n");
    f.close();
    EXPECT_TRUE(setUpNewStore(store.registry, broken).contains(QStringLiteral("line 4")));
    EXPECT_EQ(store.text(regpath::kProduct, QStringLiteral("update")), std::nullopt);
}

TEST(NewStoreTest, AnUnreadableStoreIsLeftAlone)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("store.db"));
    QFile junk(path);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    std::ostringstream diagnostics;
    platform::SqliteRegistry registry(path, QStringLiteral("zorv"), diagnostics);
    EXPECT_EQ(setUpNewStore(registry, kDefaults), QString());
    QFile after(path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), QByteArray(4096, 'x'));
}

} // namespace
