#include "launcher/AppPath.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class AppPathTest : public ::testing::Test
{
protected:
    ScopedEnv home{"SARQUEN_HOME", QByteArray()};
};

TEST_F(AppPathTest, IsTheExecutablesFolderWithLinksResolved)
{
    TempDir dir;
    QDir().mkpath(dir.file(QStringLiteral("real")));
    const QString exe = dir.write(QStringLiteral("real/zorv"), "#!");
    const QString link = dir.file(QStringLiteral("zorv-link"));
    ASSERT_TRUE(QFile::link(exe, link));
    const QString realFolder = QDir(dir.file(QStringLiteral("real"))).canonicalPath();
    EXPECT_EQ(computeAppPath(link), realFolder + QLatin1Char('/'));
    EXPECT_EQ(computeAppPath(exe), realFolder + QLatin1Char('/'));
}

TEST_F(AppPathTest, SarquenHomeNamesAnotherFolder)
{
    home.set("/srv/sarquen");
    EXPECT_EQ(computeAppPath(QStringLiteral("/usr/bin/zorv")), QStringLiteral("/srv/sarquen/"));
    home.set("/srv/sarquen/");
    EXPECT_EQ(computeAppPath(QStringLiteral("/usr/bin/zorv")), QStringLiteral("/srv/sarquen/"));
}

TEST_F(AppPathTest, AnInstalledProgramGetsAFolderOfTheUsersOwn)
{
    TempDir shared, data;
    shared.write(QStringLiteral("Help.rtf"), "{\\rtf1 help}");
    shared.write(QStringLiteral("defaults.reg"), "REGEDIT4");
    QDir().mkpath(shared.file(QStringLiteral("Scripts")));
    const QString folder = userProgramFolder(shared.path(), data.path());
    ASSERT_EQ(folder, data.file(QStringLiteral("ombrel-sarquen/")));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("Scripts")).isDir());
    EXPECT_FALSE(QFileInfo(folder + QStringLiteral("Scripts")).isSymLink());
    EXPECT_EQ(QFileInfo(folder + QStringLiteral("Help.rtf")).symLinkTarget(),
              shared.file(QStringLiteral("Help.rtf")));

    // The user's own files stay; a second start changes nothing.
    QFile::remove(folder + QStringLiteral("defaults.reg"));
    data.write(QStringLiteral("ombrel-sarquen/defaults.reg"), "mine");
    EXPECT_EQ(userProgramFolder(shared.path(), data.path()), folder);
    QFile mine(folder + QStringLiteral("defaults.reg"));
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), "mine");

    // Links to a program since moved lead to the moved one; those to files it no longer
    // has go.
    TempDir moved;
    moved.write(QStringLiteral("Help.rtf"), "{\\rtf1 help}");
    QDir(shared.path()).removeRecursively();
    EXPECT_EQ(userProgramFolder(moved.path(), data.path()), folder);
    EXPECT_EQ(QFileInfo(folder + QStringLiteral("Help.rtf")).symLinkTarget(),
              moved.file(QStringLiteral("Help.rtf")));
    EXPECT_EQ(QDir(folder).entryList(QDir::System | QDir::Files).size(), 2); // Help, defaults

    EXPECT_EQ(userProgramFolder(shared.path(), QString()), QString());
}

} // namespace
