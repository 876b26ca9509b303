#include "platform/portal/GlobalShortcutsPortal.h"

#include "platform/portal/PortalRequests.h"
#include "platform/portal/PortalShortcut.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <utility>

namespace platform::portal {

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& shortcut)
{
    out.beginStructure();
    out << shortcut.id << shortcut.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& shortcut)
{
    in.beginStructure();
    in >> shortcut.id >> shortcut.properties;
    in.endStructure();
    return in;
}

void registerShortcutTypes()
{
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
}

} // namespace platform::portal

namespace platform {

namespace {

using portal::kPath;
using portal::kService;
using portal::kSession;
using portal::Shortcut;
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kTalk = QStringLiteral("talk");

// How the desktop describes the talk shortcut's key among `shortcuts`; empty: no key.
QString talkTrigger(const QList<Shortcut>& shortcuts)
{
    for (const Shortcut& shortcut : shortcuts)
        if (shortcut.id == kTalk)
            return shortcut.properties.value(QStringLiteral("trigger_description")).toString();
    return QString();
}

} // namespace

GlobalShortcutsPortal::GlobalShortcutsPortal(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)),
      request_(bus_, kInterface, this, SLOT(onResponse(uint, QVariantMap)),
               [this](const QString& why) { refuse(why); })
{
    portal::registerShortcutTypes();
    if (portal::interfaceProperties(bus_, kInterface).isEmpty()) {
        problem_ = QStringLiteral("the desktop portal offers no global shortcuts");
        return;
    }
    bus_.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                 SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("Deactivated"), this,
                 SLOT(onDeactivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ShortcutsChanged"), this,
                 SLOT(onShortcutsChanged(QDBusObjectPath, QList<platform::portal::Shortcut>)));
}

GlobalShortcutsPortal::~GlobalShortcutsPortal()
{
    close();
}

void GlobalShortcutsPortal::bind(const QString& keysymName)
{
    close();
    key_ = keysymName;
    if (key_.isEmpty() || !problem_.isEmpty())
        return;
    state_ = State::Creating;
    // A token that stays the same from one run to the next: Plasma keeps the key the user
    // gave the shortcut under it.
    request_.send(
        QStringLiteral("CreateSession"), {},
        {{QStringLiteral("session_handle_token"), QStringLiteral("sarquen_talk_") + key_}});
}

void GlobalShortcutsPortal::onResponse(uint response, const QVariantMap& results)
{
    request_.forget();
    if (response != 0) {
        refuse(response == 1
                   ? QStringLiteral("the desktop was told not to give the program %1").arg(key_)
                   : QStringLiteral("the desktop would not give the program %1").arg(key_));
        return;
    }
    if (state_ == State::Creating) {
        session_ = portal::pathText(results.value(QStringLiteral("session_handle")));
        state_ = State::Binding;
        const QList<Shortcut> shortcuts{
            {kTalk,
             {{QStringLiteral("description"), QStringLiteral("Ombrel Sarquen: push to talk")},
              {QStringLiteral("preferred_trigger"), key_}}}};
        request_.send(QStringLiteral("BindShortcuts"),
                      {QVariant::fromValue(QDBusObjectPath(session_)),
                       QVariant::fromValue(shortcuts), QString()},
                      {});
    } else if (state_ == State::Binding) {
        // A desktop that lets the user pick keys in its own settings (Plasma 5) binds
        // the shortcut without a key, and gives it one when the user does.
        state_ = State::Bound;
        emit bound(
            talkTrigger(qdbus_cast<QList<Shortcut>>(results.value(QStringLiteral("shortcuts")))));
    }
}

void GlobalShortcutsPortal::onActivated(const QDBusObjectPath& session, const QString& id,
                                        qulonglong, const QVariantMap&)
{
    if (state_ == State::Bound && session.path() == session_ && id == kTalk && !down_) {
        down_ = true;
        emit pressed();
    }
}

void GlobalShortcutsPortal::onDeactivated(const QDBusObjectPath& session, const QString& id,
                                          qulonglong, const QVariantMap&)
{
    if (session.path() == session_ && id == kTalk && down_) {
        down_ = false;
        emit released();
    }
}

void GlobalShortcutsPortal::onShortcutsChanged(const QDBusObjectPath& session,
                                               const QList<portal::Shortcut>& shortcuts)
{
    if (state_ == State::Bound && session.path() == session_)
        emit bound(talkTrigger(shortcuts));
}

void GlobalShortcutsPortal::close()
{
    request_.forget();
    if (!session_.isEmpty())
        bus_.send(QDBusMessage::createMethodCall(kService, std::exchange(session_, QString()),
                                                 kSession, QStringLiteral("Close")));
    // A key that goes while held is let go, or the launcher would listen on.
    if (std::exchange(down_, false))
        emit released();
    state_ = State::Idle;
}

void GlobalShortcutsPortal::refuse(const QString& why)
{
    close();
    emit refused(why);
}

} // namespace platform
