#include "tests/support/FakeGlobalShortcuts.h"

#include <utility>

FakeGlobalShortcuts::FakeGlobalShortcuts(uint answer, QString givenKey)
    : answer_(answer), givenKey_(std::move(givenKey))
{
    platform::portal::registerShortcutTypes();
}

FakeGlobalShortcuts::~FakeGlobalShortcuts()
{
    stop();
}

QDBusObjectPath FakeGlobalShortcuts::CreateSession(const QVariantMap& options)
{
    record(QStringLiteral("CreateSession"));
    session_ = newSession(options);
    return respond(options, 0, {{QStringLiteral("session_handle"), session_}});
}

QDBusObjectPath
FakeGlobalShortcuts::BindShortcuts(const QDBusObjectPath&,
                                   const QList<platform::portal::Shortcut>& shortcuts,
                                   const QString&, const QVariantMap& options)
{
    QList<platform::portal::Shortcut> given;
    for (const platform::portal::Shortcut& shortcut : shortcuts) {
        const QString key =
            shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
        record(QStringLiteral("BindShortcuts %1 %2").arg(shortcut.id, key));
        given.append(
            {shortcut.id,
             {{QStringLiteral("trigger_description"), givenKey_.isEmpty() ? key : givenKey_}}});
    }
    return respond(options, answer_, {{QStringLiteral("shortcuts"), QVariant::fromValue(given)}});
}

void FakeGlobalShortcuts::shortcutSignal(const QString& name, const QString& id)
{
    emitSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
               QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), name,
               {QVariant::fromValue(QDBusObjectPath(session_)), id, qulonglong{0}, QVariantMap()});
}

void FakeGlobalShortcuts::press(const QString& id)
{
    shortcutSignal(QStringLiteral("Activated"), id);
}

void FakeGlobalShortcuts::release(const QString& id)
{
    shortcutSignal(QStringLiteral("Deactivated"), id);
}

void FakeGlobalShortcuts::giveKey(const QString& key)
{
    const QList<platform::portal::Shortcut> shortcuts{
        {QStringLiteral("talk"), {{QStringLiteral("trigger_description"), key}}}};
    emitSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
               QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
               QStringLiteral("ShortcutsChanged"),
               {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts)});
}
