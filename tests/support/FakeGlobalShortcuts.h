#pragma once

#include "platform/portal/PortalShortcut.h"
#include "tests/support/FakePortal.h"

// A stand-in for the desktop portal's global shortcuts on a private bus. BindShortcuts
// answers with `answer` (0 given, 1 the user said no), giving each shortcut the key it
// asked for, or `givenKey` where set (the user picked another). What the caller asks is
// recorded in `calls`: "CreateSession", "BindShortcuts talk F9". press(), release() and
// giveKey() act as the user on the newest session's shortcut.
class FakeGlobalShortcuts : public FakePortal
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    explicit FakeGlobalShortcuts(uint answer = 0, QString givenKey = QString());
    ~FakeGlobalShortcuts() override;
    void press(const QString& id = QStringLiteral("talk"));
    void release(const QString& id = QStringLiteral("talk"));
    // The user gives the talk shortcut `key` in the desktop's settings.
    void giveKey(const QString& key);

    uint version() const { return 1; }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options);
    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session,
                                  const QList<platform::portal::Shortcut>& shortcuts,
                                  const QString& parent, const QVariantMap& options);

private:
    void shortcutSignal(const QString& name, const QString& id);

    const uint answer_;
    const QString givenKey_;
    QString session_;
};
