#pragma once

#include "platform/portal/PortalRequests.h"
#include "platform/portal/PortalShortcut.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace platform {

// The push-to-talk key through the desktop portal's global shortcuts
// (org.freedesktop.portal.GlobalShortcuts, which Plasma and newer GNOME offer on
// Wayland): the program asks for one shortcut, "talk", with its key as the preferred
// trigger. The desktop may ask the user, who may give it another key. pressed() and
// released() say when the shortcut goes down and up; the shortcut goes with the object.
class GlobalShortcutsPortal : public QObject
{
    Q_OBJECT
public:
    explicit GlobalShortcutsPortal(QDBusConnection bus, QObject* parent = nullptr);
    ~GlobalShortcutsPortal() override;

    // Empty when the portal offers global shortcuts; else why not, in words.
    QString problem() const { return problem_; }
    // Asks for the key with this X keysym name ("F9") in place of the one asked for
    // before; empty: none. The answer comes later, as bound() or refused().
    void bind(const QString& keysymName);

signals:
    void pressed();
    void released();
    // The desktop has the shortcut; `trigger` is its words for the key ("F9"), empty
    // while the shortcut has no key (the user is to give it one in the desktop's
    // settings). It comes again when the user changes the key.
    void bound(const QString& trigger);
    void refused(const QString& why);

private slots:
    void onResponse(uint response, const QVariantMap& results);
    void onActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);
    void onDeactivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                       const QVariantMap& options);
    void onShortcutsChanged(const QDBusObjectPath& session,
                            const QList<platform::portal::Shortcut>& shortcuts);

private:
    enum class State
    {
        Idle,
        Creating,
        Binding,
        Bound
    };

    // Ends the session and forgets a request still waiting for its answer.
    void close();
    void refuse(const QString& why);

    QDBusConnection bus_;
    QString problem_;
    State state_ = State::Idle;
    QString key_;
    QString session_;
    portal::PendingRequest request_;
    bool down_ = false;
};

} // namespace platform
