#include "launcher/SingleInstance.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(SingleInstanceTest, WithoutARuntimeFolderOnlyAPrivateFolderOfTheUsersOwnIsUsed)
{
    TempDir tmp;
    const ScopedEnv runtime("XDG_RUNTIME_DIR", QByteArray());
    const ScopedEnv temp("TMPDIR", tmp.path().toUtf8());
    const QString folder = tmp.file(QStringLiteral("ombrel-sarquen-%1").arg(::getuid()));
    const QByteArray path = QFile::encodeName(folder);
    const QString store = QStringLiteral("/a/registry.db");
    QString problem;
    EXPECT_TRUE(SingleInstance::socketFor(store, &problem).startsWith(folder + QLatin1Char('/')));
    struct stat made = {};
    ASSERT_EQ(::stat(path.constData(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0700u);
    EXPECT_TRUE(problem.isEmpty());

    // One an earlier version left readable by others is the user's all the same. One
    // taken first by someone who lets others write in it, by another user, or a link to
    // elsewhere holds no socket of the program's, and the user is told.
    const auto chmodTo = [&](mode_t mode) {
        return [&, mode] { ::chmod(path.constData(), mode); };
    };
    const std::tuple<const char*, std::function<void()>, bool> cases[] = {
        {"readable by others", chmodTo(0755), true},
        {"writable by others", chmodTo(0777), false},
        {"writable by the group", chmodTo(0770), false},
        {"another user's",
         [&] {
             ::chmod(path.constData(), 0700);
             EXPECT_TRUE(::getuid() != 0 || ::chown(path.constData(), 65534, 65534) == 0);
         },
         false},
        {"a link", [&] { ::rmdir(path.constData()), QFile::link(tmp.path(), folder); }, false}};
    for (const auto& [name, take, used] : cases) {
        take();
        if (std::string(name) == "another user's" && ::getuid() != 0)
            continue; // only root can give a folder away
        problem.clear();
        EXPECT_EQ(!SingleInstance::socketFor(store, &problem).isEmpty(), used) << name;
        EXPECT_EQ(problem.contains(folder), !used) << name;
    }
}

TEST(SingleInstanceTest, ALaterStartThatSaysTooMuchOrNothingIsDropped)
{
    TempDir dir;
    QStringList heard;
    const auto dropped = [&](int timeoutMs, const QByteArray& says) {
        const QString socket = dir.file(QStringLiteral("zorv-%1.socket").arg(timeoutMs));
        SingleInstance running(socket, nullptr, timeoutMs);
        EXPECT_TRUE(running.claim(QString()));
        QObject::connect(&running, &SingleInstance::startedAgain,
                         [&](const QString& line) { heard << line; });
        QLocalSocket later;
        later.connectToServer(socket);
        EXPECT_TRUE(later.waitForConnected(2000));
        later.write(says);
        return waitForEvents([&] { return later.state() == QLocalSocket::UnconnectedState; }, 5000);
    };
    // A command line longer than any is cut off at once, whatever the time allowed.
    EXPECT_TRUE(dropped(600000, QByteArray(SingleInstance::kMaxMessage + 4096, 'x')));
    EXPECT_TRUE(dropped(200, QByteArray()));
    EXPECT_TRUE(heard.isEmpty());
}

} // namespace
