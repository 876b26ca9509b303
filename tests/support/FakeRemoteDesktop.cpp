#include "tests/support/FakeRemoteDesktop.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QMutexLocker>
#include <QTimer>
#include <utility>

FakeRemoteDesktop::FakeRemoteDesktop(uint answer, QString restoreToken)
    : answer_(answer), restoreToken_(std::move(restoreToken))
{
    thread_.start();
    moveToThread(&thread_);
}

FakeRemoteDesktop::~FakeRemoteDesktop()
{
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

bool FakeRemoteDesktop::registerOn(const QString& address)
{
    bool registered = false;
    QMetaObject::invokeMethod(
        this,
        [&] {
            bus_ = QDBusConnection::connectToBus(address, QStringLiteral("fake-remote-desktop"));
            registered =
                bus_.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                    QDBusConnection::ExportAllSlots |
                                        QDBusConnection::ExportAllProperties) &&
                bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
        },
        Qt::BlockingQueuedConnection);
    return registered;
}

void FakeRemoteDesktop::closeSession()
{
    QMetaObject::invokeMethod(this, [this] {
        QDBusMessage closed = QDBusMessage::createSignal(
            session_, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Closed"));
        closed << QVariantMap();
        bus_.send(closed);
    });
}

QStringList FakeRemoteDesktop::calls() const
{
    const QMutexLocker lock(&mutex_);
    return calls_;
}

void FakeRemoteDesktop::record(const QString& call)
{
    const QMutexLocker lock(&mutex_);
    calls_ << call;
}

QDBusObjectPath FakeRemoteDesktop::respond(const QVariantMap& options, uint response,
                                           const QVariantMap& results)
{
    QString sender = message().service().mid(1);
    sender.replace(u'.', u'_');
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                             .arg(sender, options.value(QStringLiteral("handle_token")).toString());
    QTimer::singleShot(0, this, [this, path, response, results] {
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << response << results;
        bus_.send(signal);
    });
    return QDBusObjectPath(path);
}

QDBusObjectPath FakeRemoteDesktop::CreateSession(const QVariantMap& options)
{
    record(QStringLiteral("CreateSession"));
    session_ = QStringLiteral("/org/freedesktop/portal/desktop/session/1/%1")
                   .arg(options.value(QStringLiteral("session_handle_token")).toString());
    return respond(options, 0, {{QStringLiteral("session_handle"), session_}});
}

QDBusObjectPath FakeRemoteDesktop::SelectDevices(const QDBusObjectPath&, const QVariantMap& options)
{
    record(QStringLiteral("SelectDevices types=%1 persist=%2 token=%3")
               .arg(options.value(QStringLiteral("types")).toUInt())
               .arg(options.value(QStringLiteral("persist_mode")).toUInt())
               .arg(options.value(QStringLiteral("restore_token")).toString()));
    return respond(options, 0, {});
}

QDBusObjectPath FakeRemoteDesktop::Start(const QDBusObjectPath&, const QString&,
                                         const QVariantMap& options)
{
    record(QStringLiteral("Start"));
    return respond(
        options, answer_,
        {{QStringLiteral("devices"), 3U}, {QStringLiteral("restore_token"), restoreToken_}});
}

void FakeRemoteDesktop::NotifyKeyboardKeycode(const QDBusObjectPath&, const QVariantMap&,
                                              int keycode, uint state)
{
    record(QStringLiteral("key %1 %2").arg(keycode).arg(state));
}

void FakeRemoteDesktop::NotifyPointerMotion(const QDBusObjectPath&, const QVariantMap&, double dx,
                                            double dy)
{
    record(QStringLiteral("motion %1 %2").arg(dx).arg(dy));
}

void FakeRemoteDesktop::NotifyPointerButton(const QDBusObjectPath&, const QVariantMap&, int button,
                                            uint state)
{
    record(QStringLiteral("button %1 %2").arg(button).arg(state));
}
