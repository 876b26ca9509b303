#pragma once

#include "platform/session/Session.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

namespace platform {

// Ends the session through systemd-logind on the system bus. Shut-down and reboot are
// interactive requests (logind may ask the user or refuse, and other programs' locks
// may hold them off); log-off terminates the login session this program runs in.
// Every request is sent without waiting for an answer; errors, a missing logind and a
// missing bus are ignored.
class LogindSession : public Session
{
public:
    explicit LogindSession(QDBusConnection bus = QDBusConnection::systemBus(),
                           const QString& service = QStringLiteral("org.freedesktop.login1"));

    void logOff() override;
    void shutDown() override;
    void reboot() override;

private:
    void callManager(const QString& method, const QVariantList& arguments);
    // Asks the manager for a session object with `method`(`argument`); on an answer,
    // terminates that session, on an error calls `otherwise`.
    void terminateSessionFrom(const QString& method, const QVariant& argument,
                              std::function<void()> otherwise);
    void terminate(const QString& sessionPath);

    QDBusConnection bus_;
    QString service_;
    // Parent of the watchers of pending answers, which go with it.
    QObject pending_;
};

} // namespace platform
