#include "tests/support/FakeRemoteDesktop.h"

#include <utility>

FakeRemoteDesktop::FakeRemoteDesktop(uint answer, QString restoreToken)
    : answer_(answer), restoreToken_(std::move(restoreToken))
{
}

FakeRemoteDesktop::~FakeRemoteDesktop()
{
    stop();
}

void FakeRemoteDesktop::closeSession()
{
    emitSignal(session_, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Closed"),
               {QVariantMap()});
}

QDBusObjectPath FakeRemoteDesktop::CreateSession(const QVariantMap& options)
{
    record(QStringLiteral("CreateSession"));
    session_ = newSession(options);
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
