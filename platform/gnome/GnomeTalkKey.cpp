#include "platform/gnome/GnomeTalkKey.h"

#include "platform/gnome/ExtensionBus.h"

#include <QDBusMessage>

namespace platform {

GnomeTalkKey::GnomeTalkKey(QDBusConnection connection) : connection_(std::move(connection))
{
    connection_.connect(gnome::kShell, gnome::kPath, gnome::kInterface,
                        QStringLiteral("TalkKeyPressed"), this, SIGNAL(pressed()));
}

GnomeTalkKey::Answer GnomeTalkKey::watch(const QString& keysymName, QString* error)
{
    QDBusMessage ask = QDBusMessage::createMethodCall(
        gnome::kShell, gnome::kPath, gnome::kInterface, QStringLiteral("WatchTalkKey"));
    ask << keysymName;
    const QDBusMessage answer = connection_.call(ask, QDBus::Block, gnome::kTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty()) {
        *error = QStringLiteral("the program's GNOME Shell extension did not answer (%1)")
                     .arg(answer.errorMessage());
        return Answer::NoExtension;
    }
    if (!answer.arguments().constFirst().toBool()) {
        *error = QStringLiteral("GNOME Shell will not give %1 (another shortcut has it); pick "
                                "another key.")
                     .arg(keysymName);
        return Answer::Refused;
    }
    return Answer::Taken;
}

} // namespace platform
