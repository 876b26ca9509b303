#pragma once

#include <QDBusArgument>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace platform::portal {

// One global shortcut as the desktop portal passes it (a(sa{sv})): its id and its
// properties ("description", "preferred_trigger", "trigger_description").
struct Shortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& shortcut);
// Lets a shortcut and a list of them pass D-Bus; once per program is enough.
void registerShortcutTypes();

} // namespace platform::portal

Q_DECLARE_METATYPE(platform::portal::Shortcut)
