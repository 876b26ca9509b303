#pragma once

#include "tests/support/FakePortal.h"

// A stand-in for the desktop portal's remote control on a private bus. Start answers with
// `answer` (0 allowed, 1 the user said no) and hands out `restoreToken`. What the caller
// asks is recorded in `calls`, in order: "CreateSession", "SelectDevices types=3
// persist=2 token=abc", "Start", "key 21 1", "motion 800 600", "button 272 1".
class FakeRemoteDesktop : public FakePortal
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.RemoteDesktop")
    Q_PROPERTY(uint version READ version)
    Q_PROPERTY(uint AvailableDeviceTypes READ availableDeviceTypes)
public:
    // Answers Start with `answer`, handing out `restoreToken`.
    explicit FakeRemoteDesktop(uint answer = 0, QString restoreToken = QStringLiteral("token-1"));
    ~FakeRemoteDesktop() override;
    // Ends the session as the desktop does when the user stops the remote control.
    void closeSession();

    uint version() const { return 2; }
    uint availableDeviceTypes() const { return 7; }

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
    const uint answer_;
    const QString restoreToken_;
    QString session_;
};
