#include "platform/session/LogindSession.h"
#include "tests/support/FakeLogind.h"
#include "tests/support/TempDir.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <unistd.h>

using platform::LogindSession;

namespace {

// A private message bus, with a fake logind on it and a separate connection for the
// program, as it would have on the system bus.
class LogindSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "no dbus-daemon for a private bus";
        const QString config = dir_.write(
            "bus.conf",
            QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                           "Configuration 1.0//EN\" "
                           "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                           "<busconfig><type>session</type><listen>unix:path=%1</listen>"
                           "<auth>EXTERNAL</auth><policy context=\"default\">"
                           "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                           "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                .arg(dir_.file("bus"))
                .toUtf8());
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--nopidfile"), QStringLiteral("--print-address")});
        // The daemon prints its address once it listens.
        const bool ready = QTest::qWaitFor(
            [this] { return daemon_.canReadLine() || daemon_.state() == QProcess::NotRunning; },
            20000);
        const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
        ASSERT_TRUE(ready && !address.isEmpty()) << daemon_.readAllStandardError().toStdString();

        logindBus_ = QDBusConnection::connectToBus(address, QStringLiteral("fake-logind"));
        programBus_ = QDBusConnection::connectToBus(address, QStringLiteral("program"));
        ASSERT_TRUE(logindBus_.isConnected());
        ASSERT_TRUE(programBus_.isConnected());
        ASSERT_TRUE(logind_.registerOn(logindBus_));
    }

    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-logind"));
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.kill();
            daemon_.waitForFinished();
        }
    }

    // Waits until the fake has recorded `count` calls.
    bool waitForCalls(int count)
    {
        return QTest::qWaitFor([&] { return logind_.calls.size() >= count; }, 20000);
    }

    // Makes sure everything the program has asked for so far has reached the fake, and
    // the program has handled every answer sent so far and sent what that made it ask:
    // each round trip to the fake passes every message sent before it.
    void settle(int roundTrips = 3)
    {
        for (int i = 0; i < roundTrips; ++i) {
            QDBusPendingCallWatcher watcher(programBus_.asyncCall(QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Sync"))));
            bool answered = false;
            QObject::connect(&watcher, &QDBusPendingCallWatcher::finished,
                             [&answered] { answered = true; });
            ASSERT_TRUE(QTest::qWaitFor([&answered] { return answered; }, 20000));
        }
    }

    TempDir dir_;
    QProcess daemon_;
    QDBusConnection logindBus_{QString()};
    QDBusConnection programBus_{QString()};
    FakeLogind logind_;
};

} // namespace

TEST_F(LogindSessionTest, ShutDownAndRebootAreInteractiveRequestsThatDoNotWait)
{
    LogindSession session(programBus_);
    session.shutDown();
    // Returned before logind has even seen the request.
    EXPECT_TRUE(logind_.calls.isEmpty());
    ASSERT_TRUE(waitForCalls(1));
    session.reboot();
    ASSERT_TRUE(waitForCalls(2));
    settle();
    EXPECT_EQ(logind_.calls, QStringList({"PowerOff(true)", "Reboot(true)"}));
}

TEST_F(LogindSessionTest, LogOffTerminatesTheProgramsOwnSession)
{
    LogindSession session(programBus_);
    session.logOff();
    EXPECT_TRUE(logind_.calls.isEmpty());
    ASSERT_TRUE(waitForCalls(2));
    settle();
    EXPECT_EQ(logind_.calls, QStringList({QStringLiteral("GetSessionByPID(%1)").arg(getpid()),
                                          "Terminate " + FakeLogind::kOwnSession}));
}

TEST_F(LogindSessionTest, LogOffOutsideASessionTerminatesTheUsersDesktopSession)
{
    logind_.callerHasSession = false;
    LogindSession session(programBus_);
    session.logOff();
    ASSERT_TRUE(waitForCalls(3));
    settle();
    EXPECT_EQ(logind_.calls,
              QStringList({QStringLiteral("GetSessionByPID(%1)").arg(getpid()), "GetSession(auto)",
                           "Terminate " + FakeLogind::kDesktopSession}));
}

TEST_F(LogindSessionTest, RefusedRequestsEndThere)
{
    logind_.refuses = true;
    LogindSession session(programBus_);
    session.logOff();
    session.shutDown();
    session.reboot();
    ASSERT_TRUE(waitForCalls(4));
    settle();
    EXPECT_EQ(logind_.calls, QStringList({QStringLiteral("GetSessionByPID(%1)").arg(getpid()),
                                          "PowerOff(true)", "Reboot(true)", "GetSession(auto)"}));
}

TEST_F(LogindSessionTest, WithoutLogindNothingHappens)
{
    LogindSession absent(programBus_, QStringLiteral("org.example.NoLogind"));
    absent.logOff();
    absent.shutDown();
    absent.reboot();
    settle();

    LogindSession noBus(QDBusConnection(QStringLiteral("not connected")));
    noBus.logOff();
    noBus.shutDown();
    noBus.reboot();
    settle();
    EXPECT_TRUE(logind_.calls.isEmpty());
}
