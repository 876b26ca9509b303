#include "tests/support/FakeLogind.h"

#include <QDBusError>
#include <QDBusMessage>

bool FakeLogind::registerOn(QDBusConnection bus)
{
    auto* session = new FakeLogindSession(*this);
    return bus.registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                              QDBusConnection::ExportAllSlots) &&
           bus.registerObject(kOwnSession, session, QDBusConnection::ExportAllSlots) &&
           bus.registerObject(kDesktopSession, session, QDBusConnection::ExportAllSlots) &&
           bus.registerService(QStringLiteral("org.freedesktop.login1"));
}

bool FakeLogind::accept(const QString& call)
{
    calls << call;
    return !refuses;
}

void FakeLogind::PowerOff(bool interactive)
{
    if (!accept(QStringLiteral("PowerOff(%1)").arg(interactive ? "true" : "false")))
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("refused"));
}

void FakeLogind::Reboot(bool interactive)
{
    if (!accept(QStringLiteral("Reboot(%1)").arg(interactive ? "true" : "false")))
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("refused"));
}

QDBusObjectPath FakeLogind::GetSessionByPID(uint pid)
{
    if (!accept(QStringLiteral("GetSessionByPID(%1)").arg(pid)))
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("refused"));
    else if (!callerHasSession)
        sendErrorReply(QStringLiteral("org.freedesktop.login1.NoSessionForPID"),
                       QStringLiteral("PID %1 does not belong to any known session").arg(pid));
    return QDBusObjectPath(kOwnSession);
}

QDBusObjectPath FakeLogind::GetSession(const QString& id)
{
    if (!accept(QStringLiteral("GetSession(%1)").arg(id)))
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("refused"));
    else if (id != QLatin1String("auto"))
        sendErrorReply(QStringLiteral("org.freedesktop.login1.NoSuchSession"), id);
    return QDBusObjectPath(kDesktopSession);
}

void FakeLogindSession::Terminate()
{
    if (!logind_.accept(QStringLiteral("Terminate ") + message().path()))
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("refused"));
}
