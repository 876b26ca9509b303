#include "platform/files/SafeWrite.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(SafeWrite, ReplacesALinkInsteadOfWritingThroughIt)
{
    TempDir dir;
    const QString other = dir.file(QStringLiteral("other"));
    const QString target = dir.file(QStringLiteral("update.dat"));
    ASSERT_TRUE(platform::replaceFile(other, "precious"));
    ASSERT_TRUE(QFile::link(other, target));

    EXPECT_TRUE(platform::replaceFile(target, "new"));
    EXPECT_EQ(contents(other), "precious");
    EXPECT_EQ(contents(target), "new");
    EXPECT_FALSE(QFileInfo(target).isSymLink());
    // Only the two files: no temporary file stays behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(SafeWrite, KeepsPermissionsAndLeavesTheFileAloneOnFailure)
{
    TempDir dir;
    const QString script = dir.file(QStringLiteral("run.txt"));
    ASSERT_TRUE(platform::replaceFile(script, "one"));
    ASSERT_TRUE(
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_TRUE(platform::replaceFile(script, "two"));
    // Still the owner's alone, and still runnable.
    EXPECT_TRUE(QFile::permissions(script).testFlag(QFile::ExeOwner));
    EXPECT_FALSE(QFile::permissions(script).testFlag(QFile::ReadOther));

    QString error;
    ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("folder"))));
    EXPECT_FALSE(platform::replaceFile(dir.file(QStringLiteral("folder")), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(platform::replaceFile(dir.file(QStringLiteral("no/such/file")), "x", &error));
    EXPECT_EQ(contents(script), "two");
}

} // namespace
