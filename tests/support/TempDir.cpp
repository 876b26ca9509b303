#include "tests/support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

TempDir::TempDir()
{
    EXPECT_TRUE(dir_.isValid());
}

QString TempDir::write(const QString& name, const QByteArray& bytes) const
{
    const QString path = file(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    return path;
}
