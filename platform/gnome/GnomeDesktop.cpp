#include "platform/gnome/GnomeDesktop.h"

#include "platform/gnome/ExtensionBus.h"

#include "platform/input/VirtualKeys.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QThread>
#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon.h>

namespace platform {

namespace {

using gnome::kInterface;
using gnome::kName;
using gnome::kPath;
using gnome::kShell;
using gnome::kTimeoutMs;
// The extension's answer to a caller that is not the program.
const QString kRefused = QStringLiteral("org.ombrel.Sarquen.Desktop.Error.NotAllowed");
// The extension's two forms: GNOME Shell 40 to 44, and 45 on.
const QString kExtensions[] = {QStringLiteral("sarquen-desktop@ombrel.example"),
                               QStringLiteral("sarquen-desktop-45@ombrel.example")};
constexpr int kEnableTries = 30;
constexpr unsigned long kEnableWaitMs = 100;

// A call to the Shell's extension manager about the extension `uuid`.
QDBusMessage extensionsCall(const QString& method, const QString& uuid)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kShell, QStringLiteral("/org/gnome/Shell"),
                                       QStringLiteral("org.gnome.Shell.Extensions"), method);
    call << uuid;
    return call;
}

} // namespace

GnomeDesktop::GnomeDesktop(QDBusConnection connection) : connection_(std::move(connection))
{
    if (!connection_.isConnected()) {
        problem_ = QStringLiteral("there is no D-Bus session bus");
        return;
    }
    if (!connection_.interface()->isServiceRegistered(kShell).value()) {
        problem_ = QStringLiteral("GNOME Shell does not answer on the session bus");
        return;
    }
    ownsName_ = connection_.registerService(kName);
    if (!ownsName_) {
        problem_ = QStringLiteral("another program holds the bus name %1").arg(kName);
        return;
    }
    problem_ = reachExtension();
}

GnomeDesktop::~GnomeDesktop()
{
    if (!ownsName_)
        return;
    // The extension serves the program alone, so it goes off with the program, also when
    // the program found it on (turned on by hand, or left on by a run that crashed); the
    // name is let go after it.
    for (const QString& uuid : kExtensions)
        connection_.call(extensionsCall(QStringLiteral("DisableExtension"), uuid), QDBus::Block,
                         kTimeoutMs);
    connection_.unregisterService(kName);
}

QDBusMessage GnomeDesktop::call(const QString& method, const QVariantList& arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(kShell, kPath, kInterface, method);
    message.setArguments(arguments);
    return connection_.call(message, QDBus::Block, kTimeoutMs);
}

QString GnomeDesktop::reachExtension()
{
    bool known = true;
    // The Shell turns an extension on after it has stored the change: a moment later.
    for (int tries = 0; known && tries < kEnableTries; ++tries) {
        const QDBusMessage answer = call(QStringLiteral("ActiveWindow"));
        if (answer.type() == QDBusMessage::ReplyMessage)
            return QString();
        if (answer.errorName() == kRefused)
            return QStringLiteral("the program's GNOME Shell extension refuses it: %1; start the "
                                  "program as installed")
                .arg(answer.errorMessage());
        if (tries == 0)
            known = turnExtensionOn();
        else
            QThread::msleep(kEnableWaitMs);
    }
    if (!known)
        return QStringLiteral("GNOME Shell does not know the program's extension: install the "
                              "program (its package, or make install), then log out and in once");
    return QStringLiteral("GNOME Shell would not turn on the program's extension: turn on "
                          "\"Ombrel Sarquen\" in the Extensions app");
}

bool GnomeDesktop::turnExtensionOn()
{
    bool known = false;
    for (const QString& uuid : kExtensions) {
        const QDBusMessage answer = connection_.call(
            extensionsCall(QStringLiteral("GetExtensionInfo"), uuid), QDBus::Block, kTimeoutMs);
        if (answer.type() != QDBusMessage::ReplyMessage ||
            qdbus_cast<QVariantMap>(answer.arguments().value(0)).isEmpty())
            continue;
        known = true;
        connection_.call(extensionsCall(QStringLiteral("EnableExtension"), uuid), QDBus::Block,
                         kTimeoutMs);
    }
    return known;
}

WindowId GnomeDesktop::activeWindow()
{
    return call(QStringLiteral("ActiveWindow")).arguments().value(0).toULongLong();
}

std::vector<WindowId> GnomeDesktop::windowsByRecentUse()
{
    std::vector<WindowId> windows;
    const QDBusMessage answer = call(QStringLiteral("RecentWindows"));
    const QVariant list = answer.arguments().value(0);
    QList<qulonglong> ids;
    if (list.canConvert<QDBusArgument>())
        list.value<QDBusArgument>() >> ids;
    else
        ids = list.value<QList<qulonglong>>();
    for (const qulonglong id : ids)
        windows.push_back(id);
    return windows;
}

void GnomeDesktop::windowAction(WindowId window, const QString& action)
{
    if (window != 0)
        call(QStringLiteral("WindowAction"), {QVariant::fromValue<qulonglong>(window), action});
}

void GnomeDesktop::minimizeWindow(WindowId window)
{
    windowAction(window, QStringLiteral("minimize"));
}

void GnomeDesktop::maximizeWindow(WindowId window)
{
    windowAction(window, QStringLiteral("maximize"));
}

void GnomeDesktop::closeWindow(WindowId window)
{
    windowAction(window, QStringLiteral("close"));
}

void GnomeDesktop::restoreWindow(WindowId window)
{
    windowAction(window, QStringLiteral("restore"));
}

void GnomeDesktop::activateWindow(WindowId window)
{
    windowAction(window, QStringLiteral("activate"));
}

bool GnomeDesktop::showDesktop()
{
    call(QStringLiteral("ShowDesktop"));
    return true;
}

void GnomeDesktop::key(std::uint32_t keysym, bool down)
{
    call(QStringLiteral("Key"), {QVariant::fromValue(keysym), down});
}

void GnomeDesktop::keyEvent(int virtualKey, bool down)
{
    const auto keysym = static_cast<std::uint32_t>(keysymForVirtualKey(virtualKey));
    if (keysym == 0)
        return;
    // A modifier is held as asked; any other key is tapped when it goes down.
    if (isModifierKey(virtualKey)) {
        key(keysym, down);
    } else if (down) {
        key(keysym, true);
        key(keysym, false);
    }
}

bool GnomeDesktop::typeCharacter(char32_t character)
{
    const xkb_keysym_t keysym = xkb_utf32_to_keysym(character);
    if (keysym == XKB_KEY_NoSymbol)
        return false;
    key(keysym, true);
    key(keysym, false);
    return true;
}

void GnomeDesktop::mouseButton(MouseButton button, bool down)
{
    const std::uint32_t code = button == MouseButton::Left    ? BTN_LEFT
                               : button == MouseButton::Right ? BTN_RIGHT
                                                              : BTN_MIDDLE;
    call(QStringLiteral("PointerButton"), {QVariant::fromValue(code), down});
}

void GnomeDesktop::moveMouse(int dx, int dy)
{
    call(QStringLiteral("PointerMove"), {dx, dy});
}

void GnomeDesktop::setMousePosition(int x, int y)
{
    call(QStringLiteral("PointerMoveTo"), {x, y});
}

QPoint GnomeDesktop::mousePosition()
{
    const QList<QVariant> position = call(QStringLiteral("PointerPosition")).arguments();
    return QPoint(position.value(0).toInt(), position.value(1).toInt());
}

} // namespace platform
