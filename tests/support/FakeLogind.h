#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>

// A stand-in for systemd-logind on a private bus: the Manager methods the program uses
// and two session objects, the caller's own ("/org/freedesktop/login1/session/_31") and
// the user's desktop session ("/org/freedesktop/login1/session/c2", what "auto" finds).
// Every call is recorded in `calls`, in order: "PowerOff(true)", "Reboot(true)",
// "GetSessionByPID(1234)", "GetSession(auto)", "Terminate <session path>".
class FakeLogind : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    static inline const QString kOwnSession = QStringLiteral("/org/freedesktop/login1/session/_31");
    static inline const QString kDesktopSession =
        QStringLiteral("/org/freedesktop/login1/session/c2");

    // Takes the name "org.freedesktop.login1" on `bus` and registers the objects.
    bool registerOn(QDBusConnection bus);

    QStringList calls;
    // Every method answers with an access-denied error.
    bool refuses = false;
    // Whether GetSessionByPID finds a session for the caller.
    bool callerHasSession = true;

public slots:
    void PowerOff(bool interactive);
    void Reboot(bool interactive);
    QDBusObjectPath GetSessionByPID(uint pid);
    QDBusObjectPath GetSession(const QString& id);
    // Not a logind method: answers nothing and records nothing; a test's round trip.
    void Sync() {}

private:
    friend class FakeLogindSession;
    // Records `call`; false, after an error answer, when the fake refuses.
    bool accept(const QString& call);
};

// A session object of FakeLogind.
class FakeLogindSession : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
public:
    explicit FakeLogindSession(FakeLogind& logind) : QObject(&logind), logind_(logind) {}

public slots:
    void Terminate();

private:
    FakeLogind& logind_;
};
