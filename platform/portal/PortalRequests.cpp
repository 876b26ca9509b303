#include "platform/portal/PortalRequests.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <utility>

namespace platform::portal {

QString requestPath(const QDBusConnection& bus, const QString& token)
{
    QString sender = bus.baseService();
    if (sender.startsWith(u':'))
        sender.remove(0, 1);
    sender.replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

QString newToken()
{
    static int count = 0;
    return QStringLiteral("sarquen%1_%2").arg(QCoreApplication::applicationPid()).arg(++count);
}

QString pathText(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<QDBusObjectPath>()
               ? value.value<QDBusObjectPath>().path()
               : value.toString();
}

QVariantMap interfaceProperties(const QDBusConnection& bus, const QString& interface)
{
    QDBusMessage ask = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("GetAll"));
    ask << interface;
    // The portal may be started for this call.
    const QDBusMessage answer = bus.call(ask, QDBus::Block, 10000);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty())
        return {};
    return qdbus_cast<QVariantMap>(answer.arguments().constFirst());
}

PendingRequest::PendingRequest(QDBusConnection bus, QString interface, QObject* receiver,
                               const char* slot, std::function<void(const QString&)> failed)
    : bus_(std::move(bus)), interface_(std::move(interface)), receiver_(receiver), slot_(slot),
      failed_(std::move(failed))
{
}

void PendingRequest::send(const QString& method, QVariantList arguments, QVariantMap options)
{
    forget();
    const QString token = newToken();
    options.insert(QStringLiteral("handle_token"), token);
    path_ = requestPath(bus_, token);
    bus_.connect(kService, path_, kRequest, QStringLiteral("Response"), receiver_, slot_);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, interface_, method);
    arguments << options;
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), receiver_);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, receiver_,
                     [watcher, failed = failed_](QDBusPendingCallWatcher*) {
                         watcher->deleteLater();
                         if (watcher->isError() && failed)
                             failed(QStringLiteral("the desktop portal failed (%1)")
                                        .arg(watcher->error().message()));
                     });
}

void PendingRequest::forget()
{
    if (!path_.isEmpty())
        bus_.disconnect(kService, std::exchange(path_, QString()), kRequest,
                        QStringLiteral("Response"), receiver_, slot_);
}

} // namespace platform::portal
