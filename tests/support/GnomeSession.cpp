#include "tests/support/GnomeSession.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>

namespace {

// A call to the Shell's extension manager about the program's extension, in the form for
// the Shell the tests have (43).
QDBusMessage extensionCall(const QString& method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
        QStringLiteral("org.gnome.Shell.Extensions"), method);
    return call << QStringLiteral("sarquen-desktop@ombrel.example");
}

} // namespace

GnomeSession::GnomeSession()
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("gnome-shell"));
    if (shell.isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
        problem_ = QStringLiteral("needs gnome-shell, dbus-daemon and qt6-wayland "
                                  "(make test installs them)");
        return;
    }
    // The extension as the build made it, where the Shell looks for a user's own.
    const QDir built(QStringLiteral(SARQUEN_GNOME_EXTENSIONS));
    if (!built.isAbsolute() || !built.exists(QStringLiteral("sarquen-desktop@ombrel.example"))) {
        problem_ = QStringLiteral("the build made no GNOME Shell extension");
        return;
    }
    QDirIterator files(built.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString from = files.next();
        QFile file(from);
        if (!file.open(QIODevice::ReadOnly) ||
            !writeFile(QStringLiteral(".local/share/gnome-shell/extensions/") +
                           built.relativeFilePath(from),
                       QString::fromUtf8(file.readAll()))) {
            problem_ = QStringLiteral("cannot install the extension for the Shell");
            return;
        }
    }
    // The Shell wants a system bus (for logind) even where nothing answers on it.
    const QString system = startBus(QStringLiteral("system-bus"));
    if (system.isEmpty()) {
        problem_ = QStringLiteral("the D-Bus daemon did not start");
        return;
    }
    environment_.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), system);
    startCompositor(QStringLiteral("GNOME"), shell,
                    {QStringLiteral("--headless"), QStringLiteral("--wayland"),
                     QStringLiteral("--no-x11"), QStringLiteral("--virtual-monitor"),
                     QStringLiteral("1024x768"), QStringLiteral("--wayland-display"), display()},
                    [&] {
                        QDBusMessage ask = QDBusMessage::createMethodCall(
                            QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
                            QStringLiteral("org.gnome.Shell.Extensions"),
                            QStringLiteral("ListExtensions"));
                        // Up once it has looked through the extensions.
                        const QDBusMessage answer = bus().call(ask, QDBus::Block, 2000);
                        return qdbus_cast<QVariantMap>(answer.arguments().value(0))
                            .contains(QStringLiteral("sarquen-desktop@ombrel.example"));
                    });
}

bool GnomeSession::extensionOn() const
{
    const QDBusMessage info = bus().call(extensionCall(QStringLiteral("GetExtensionInfo")));
    const int on = 1; // the state of an extension that is on
    return qdbus_cast<QVariantMap>(info.arguments().value(0))
               .value(QStringLiteral("state"))
               .toInt() == on;
}

void GnomeSession::turnExtensionOn() const
{
    bus().call(extensionCall(QStringLiteral("EnableExtension")));
}
