#include "options/RunEntry.h"
#include "platform/autostart/Autostart.h"
#include "store/RegistryPaths.h"
#include "tests/support/TestStore.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace platform;

namespace {

const QString kExe = QStringLiteral("/opt/Ombrel Sarquen/zorv");

class RunEntryTest : public ::testing::Test
{
protected:
    void SetUp() override { store.createProductKeys(); }

    std::optional<QString> runValue() { return store.text(regpath::kRun, regpath::kRunValue); }
    QString autostartFile() const { return autostart.filePath(QStringLiteral("OmbrelLauncher")); }
    QString autostartText() const
    {
        QFile f(autostartFile());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    TestStore store;
    TempDir autostartDir;
    Autostart autostart{autostartDir.file(QStringLiteral("autostart"))};
    RunEntryUpdater updater{store.reg, autostart, store.dialogs, kExe,
                            QStringLiteral("/opt/Ombrel Sarquen/sarquen.png")};
};

TEST(RunEntryCommandTest, AppendsTheSwitchOfTheStartModeUnquoted)
{
    EXPECT_EQ(RunEntryCommand(kExe, 1), kExe);
    EXPECT_EQ(RunEntryCommand(kExe, 2), kExe + QStringLiteral(" /m"));
    EXPECT_EQ(RunEntryCommand(kExe, 3), kExe + QStringLiteral(" /h"));
    EXPECT_TRUE(RunEntryCommand(kExe, 0).isEmpty());
    EXPECT_TRUE(RunEntryCommand(kExe, 4).isEmpty());
}

TEST_F(RunEntryTest, StartingWithTheSessionWritesTheEntryAndTheAutostartFile)
{
    EXPECT_EQ(updater.UpdateRunEntry(1, 3, 0), 1);
    EXPECT_EQ(runValue(), kExe + QStringLiteral(" /h"));
    const QString text = autostartText();
    EXPECT_TRUE(text.contains(QStringLiteral("Exec=\"/opt/Ombrel Sarquen/zorv\" /h\n")))
        << text.toStdString();
    // Skipped by the session once the program is gone.
    EXPECT_TRUE(text.contains(QStringLiteral("TryExec=/opt/Ombrel Sarquen/zorv\n")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n")));

    // Rewritten on every confirmation, here with another start mode.
    EXPECT_EQ(updater.UpdateRunEntry(1, 2, 1), 1);
    EXPECT_EQ(runValue(), kExe + QStringLiteral(" /m"));
    EXPECT_TRUE(autostartText().contains(QStringLiteral("\" /m\n")));
    EXPECT_EQ(updater.UpdateRunEntry(1, 1, 1), 1);
    EXPECT_EQ(runValue(), kExe);
    EXPECT_TRUE(autostartText().contains(QStringLiteral("Exec=\"/opt/Ombrel Sarquen/zorv\"\n")));
    EXPECT_TRUE(store.dialogs.messages.empty());
}

TEST_F(RunEntryTest, UncheckingRemovesTheEntryOnlyWhenItWasWritten)
{
    updater.UpdateRunEntry(1, 1, 0);
    ASSERT_TRUE(runValue());
    EXPECT_EQ(updater.UpdateRunEntry(0, 1, 1), 0);
    EXPECT_FALSE(runValue());
    EXPECT_FALSE(QFileInfo::exists(autostartFile()));

    // regCheck 0: the Run key is left alone, even if something is there.
    store.setText(regpath::kRun, regpath::kRunValue, QStringLiteral("other"));
    EXPECT_EQ(updater.UpdateRunEntry(0, 1, 0), 0);
    EXPECT_EQ(runValue(), QStringLiteral("other"));
    EXPECT_TRUE(store.dialogs.messages.empty());
}

TEST_F(RunEntryTest, NoStartModeWritesNothingButMarksTheEntry)
{
    EXPECT_EQ(updater.UpdateRunEntry(1, 0, 0), 1);
    EXPECT_FALSE(runValue());
    EXPECT_FALSE(QFileInfo::exists(autostartFile()));
}

TEST_F(RunEntryTest, AGreyedCheckBoxChangesNothing)
{
    EXPECT_EQ(updater.UpdateRunEntry(2, 3, 1), 1);
    EXPECT_EQ(updater.UpdateRunEntry(-1, 3, 0), 0);
    EXPECT_FALSE(runValue());
}

TEST_F(RunEntryTest, AnUnwritableAutostartFolderIsReportedAndTheEntryStillWritten)
{
    // A file where the folder should be.
    const QString blocked = autostartDir.write(QStringLiteral("blocked"), "x");
    Autostart broken(blocked + QStringLiteral("/autostart"));
    RunEntryUpdater u(store.reg, broken, store.dialogs, kExe, QString());
    EXPECT_EQ(u.UpdateRunEntry(1, 1, 0), 1);
    EXPECT_EQ(runValue(), kExe);
    ASSERT_EQ(store.dialogs.messages.size(), 1u);
    EXPECT_TRUE(store.dialogs.messages[0].text.contains(blocked));
}

TEST_F(RunEntryTest, MissingRunKeyIsReportedByTheRegistryLayer)
{
    TestStore bare;
    RunEntryUpdater u(bare.reg, autostart, bare.dialogs, kExe, QString());
    EXPECT_EQ(u.UpdateRunEntry(1, 2, 0), 1);
    EXPECT_EQ(bare.dialogs.texts(), (QStringList{QStringLiteral("RegOpenKey error - 2"),
                                                 QStringLiteral("SetValue error - 6")}));
    // Removing reports nothing, also when there is nothing to remove.
    bare.dialogs.messages.clear();
    EXPECT_EQ(u.UpdateRunEntry(0, 2, 1), 0);
    EXPECT_TRUE(bare.dialogs.messages.empty());
}

TEST(DesktopExecArgumentTest, QuotesWhatTheSessionWouldOtherwiseSplit)
{
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/usr/bin/zorv")),
              QStringLiteral("/usr/bin/zorv"));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/h")), QStringLiteral("/h"));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/a b/zorv")), QStringLiteral("\"/a b/zorv\""));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/a$b")), QStringLiteral("\"/a\\\\$b\""));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/a\\b")), QStringLiteral("\"/a\\\\\\\\b\""));
    EXPECT_EQ(desktopExecArgument(QStringLiteral("/100%")), QStringLiteral("/100%%"));
    EXPECT_EQ(desktopExecArgument(QString()), QStringLiteral("\"\""));
}

} // namespace
