#include "launcher/SingleInstance.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(SingleInstanceTest, ALaterStartHandsItsCommandLineToTheRunningOne)
{
    TempDir dir;
    const QString socket = dir.file(QStringLiteral("zorv.socket"));
    SingleInstance running(socket);
    ASSERT_TRUE(running.claim(QString()));
    QStringList heard;
    QObject::connect(&running, &SingleInstance::startedAgain,
                     [&](const QString& line) { heard << line; });

    for (const char* line : {"/h", "", "/m now"}) {
        SingleInstance later(socket);
        // The running one answers from its event loop, which a real second process does
        // not wait for; here the two share one thread.
        bool claimed = true;
        QMetaObject::invokeMethod(
            &later, [&] { claimed = later.claim(QString::fromLatin1(line)); },
            Qt::QueuedConnection);
        EXPECT_TRUE(waitForEvents(
            [&] { return heard.size() > 0 && heard.last() == QLatin1String(line); }, 5000))
            << line;
        EXPECT_FALSE(claimed) << line;
    }
    EXPECT_EQ(heard, (QStringList{"/h", "", "/m now"}));
}

TEST(SingleInstanceTest, ASocketLeftByAProgramThatDiedIsTakenOver)
{
    TempDir dir;
    const QString socket = dir.file(QStringLiteral("zorv.socket"));
    QFile stale(socket);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    SingleInstance first(socket);
    EXPECT_TRUE(first.claim(QString()));
    // Each store has its own socket.
    EXPECT_NE(SingleInstance::socketFor(QStringLiteral("/a/registry.db")),
              SingleInstance::socketFor(QStringLiteral("/b/registry.db")));
    EXPECT_EQ(SingleInstance::socketFor(QStringLiteral("/a/registry.db")),
              SingleInstance::socketFor(QStringLiteral("/a//registry.db")));
}

} // namespace
