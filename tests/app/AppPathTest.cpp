#include "app/AppPath.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class AppPathTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved_ = qgetenv("SARQUEN_HOME");
        qunsetenv("SARQUEN_HOME");
    }
    void TearDown() override
    {
        if (saved_.isNull())
            qunsetenv("SARQUEN_HOME");
        else
            qputenv("SARQUEN_HOME", saved_);
    }

private:
    QByteArray saved_;
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
    qputenv("SARQUEN_HOME", "/srv/sarquen");
    EXPECT_EQ(computeAppPath(QStringLiteral("/usr/bin/zorv")), QStringLiteral("/srv/sarquen/"));
    qputenv("SARQUEN_HOME", "/srv/sarquen/");
    EXPECT_EQ(computeAppPath(QStringLiteral("/usr/bin/zorv")), QStringLiteral("/srv/sarquen/"));
}

} // namespace
