#include "tests/support/FakePortal.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QMutexLocker>
#include <QTimer>

FakePortal::FakePortal()
{
    thread_.start();
    moveToThread(&thread_);
}

FakePortal::~FakePortal()
{
    stop();
}

void FakePortal::stop()
{
    if (!thread_.isRunning())
        return;
    QThread* home = QCoreApplication::instance()->thread();
    QMetaObject::invokeMethod(
        this,
        [this, home] {
            if (bus_.isConnected())
                QDBusConnection::disconnectFromBus(bus_.name());
            moveToThread(home);
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

bool FakePortal::registerOn(const QString& address)
{
    bool registered = false;
    QMetaObject::invokeMethod(
        this,
        [&] {
            bus_ = QDBusConnection::connectToBus(address,
                                                 QString::fromLatin1(metaObject()->className()));
            registered =
                bus_.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                    QDBusConnection::ExportAllSlots |
                                        QDBusConnection::ExportAllProperties) &&
                bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
        },
        Qt::BlockingQueuedConnection);
    return registered;
}

QStringList FakePortal::calls() const
{
    const QMutexLocker lock(&mutex_);
    return calls_;
}

void FakePortal::record(const QString& call)
{
    const QMutexLocker lock(&mutex_);
    calls_ << call;
}

void FakePortal::emitSignal(const QString& path, const QString& interface, const QString& name,
                            const QVariantList& arguments)
{
    QMetaObject::invokeMethod(this, [this, path, interface, name, arguments] {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
        signal.setArguments(arguments);
        bus_.send(signal);
    });
}

QString FakePortal::newSession(const QVariantMap& options)
{
    return QStringLiteral("/org/freedesktop/portal/desktop/session/1/%1")
        .arg(options.value(QStringLiteral("session_handle_token")).toString());
}

QDBusObjectPath FakePortal::respond(const QVariantMap& options, uint response,
                                    const QVariantMap& results)
{
    QString sender = message().service().mid(1);
    sender.replace(u'.', u'_');
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                             .arg(sender, options.value(QStringLiteral("handle_token")).toString());
    QTimer::singleShot(0, this, [this, path, response, results] {
        emitSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                   QStringLiteral("Response"), {response, results});
    });
    return QDBusObjectPath(path);
}
