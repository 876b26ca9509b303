#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QVariantMap>

// A stand-in for the desktop portal's remote control on a private bus. Each request
// answers with its Response signal right after the call returns; Start answers with
// `answer` (0 allowed, 1 the user said no) and hands out `restoreToken`. What the caller
// asks is recorded in `calls`, in order: "CreateSession", "SelectDevices types=3
// persist=2 token=abc", "Start", "key 21 1", "motion 800 600", "button 272 1".
// It answers from a thread of its own, so a caller may wait for it without an event loop.
class FakeRemoteDesktop : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.RemoteDesktop")
    Q_PROPERTY(uint version READ version)
    Q_PROPERTY(uint AvailableDeviceTypes READ availableDeviceTypes)
public:
    // Answers Start with `answer`, handing out `restoreToken`.
    explicit FakeRemoteDesktop(uint answer = 0, QString restoreToken = QStringLiteral("token-1"));
    ~FakeRemoteDesktop() override;
    // Takes the portal's name on the bus at `address`, on a connection of its own.
    bool registerOn(const QString& address);
    // Ends the session as the desktop does when the user stops the remote control.
    void closeSession();

    uint version() const { return 2; }
    uint availableDeviceTypes() const { return 7; }
    QStringList calls() const;

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options);
    QDBusObjectPath SelectDevices(const QDBusObjectPath& session, const QVariantMap& options);
    QDBusObjectPath Start(const QDBusObjectPath& session, const QString& parent,
                          const QVariantMap& options);
    void NotifyKeyboardKeycode(const QDBusObjectPath& session, const QVariantMap& options,
                               int keycode, uint state);
    void NotifyPointerMotion(const QDBusObjectPath& session, const QVariantMap& options, double dx,
                             double dy);
    void NotifyPointerButton(const QDBusObjectPath& session, const QVariantMap& options, int button,
                             uint state);

private:
    // The request object for the caller's `options`, answered with `response` and
    // `results` once the call has returned.
    QDBusObjectPath respond(const QVariantMap& options, uint response, const QVariantMap& results);
    void record(const QString& call);

    const uint answer_;
    const QString restoreToken_;
    QThread thread_;
    QDBusConnection bus_{QString()};
    QString session_;
    mutable QMutex mutex_;
    QStringList calls_;
};
