#include "platform/session/LogindSession.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <unistd.h>

namespace platform {

namespace {

const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSessionInterface = QStringLiteral("org.freedesktop.login1.Session");

} // namespace

LogindSession::LogindSession(QDBusConnection bus, const QString& service)
    : bus_(std::move(bus)), service_(service)
{
}

void LogindSession::shutDown()
{
    callManager(QStringLiteral("PowerOff"), {true});
}

void LogindSession::reboot()
{
    callManager(QStringLiteral("Reboot"), {true});
}

void LogindSession::logOff()
{
    // The session of this process; when the program runs outside any session (started
    // by the user's service manager), logind's "auto" session: the user's desktop.
    terminateSessionFrom(QStringLiteral("GetSessionByPID"),
                         QVariant::fromValue(static_cast<uint>(getpid())), [this] {
                             terminateSessionFrom(QStringLiteral("GetSession"),
                                                  QStringLiteral("auto"), [] {});
                         });
}

void LogindSession::callManager(const QString& method, const QVariantList& arguments)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(service_, kManagerPath, kManagerInterface, method);
    call.setArguments(arguments);
    bus_.send(call); // the answer, if any, is dropped
}

void LogindSession::terminateSessionFrom(const QString& method, const QVariant& argument,
                                         std::function<void()> otherwise)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(service_, kManagerPath, kManagerInterface, method);
    call << argument;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), &pending_);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &pending_,
                     [this, otherwise = std::move(otherwise)](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                         if (reply.isError())
                             otherwise();
                         else
                             terminate(reply.value().path());
                     });
}

void LogindSession::terminate(const QString& sessionPath)
{
    bus_.send(QDBusMessage::createMethodCall(service_, sessionPath, kSessionInterface,
                                             QStringLiteral("Terminate")));
}

} // namespace platform
