#include "tests/support/KwinSession.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

KwinSession::KwinSession()
{
    const QString kwin = QStandardPaths::findExecutable(QStringLiteral("kwin_wayland"));
    if (kwin.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
        problem_ = QStringLiteral("needs kwin_wayland, dbus-daemon and qt6-wayland "
                                  "(make test installs them)");
        return;
    }
    // kwin_wayland carries a file capability, which a container may refuse to start; a
    // plain copy runs anywhere.
    const QString copy = runtime_.filePath(QStringLiteral("kwin_wayland"));
    if (!QFile::copy(kwin, copy)) {
        problem_ = QStringLiteral("cannot copy kwin_wayland");
        return;
    }
    // KWin lets a program type and point only when a menu entry names it, and types
    // with the user's layouts: a German one here, so that keys cannot pass for letters,
    // and a Russian one to switch to.
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    if (!writeFile(QStringLiteral(".local/share/applications/sarquen-test.desktop"),
                   QStringLiteral("[Desktop Entry]\nType=Application\nName=test\nExec=%1\n"
                                  "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n")
                       .arg(exe)) ||
        !setLayouts(QStringLiteral("de,ru"))) {
        problem_ = QStringLiteral("cannot write KWin's settings");
        return;
    }
    startCompositor(
        QStringLiteral("KDE"), copy,
        {QStringLiteral("--virtual"), QStringLiteral("--socket"), display(),
         QStringLiteral("--width"), QStringLiteral("800"), QStringLiteral("--height"),
         QStringLiteral("600")},
        [&] {
            // KWin takes its name on the bus before its scripting is there.
            QDBusMessage ask = QDBusMessage::createMethodCall(
                QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("isScriptLoaded"));
            ask << QStringLiteral("none");
            return bus().call(ask, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
        });
}

bool KwinSession::setLayouts(const QString& list)
{
    if (!writeFile(QStringLiteral(".config/kxkbrc"),
                   QStringLiteral("[Layout]\nLayoutList=%1\nUse=true\n").arg(list)))
        return false;
    // Before KWin runs there is nobody to tell.
    if (!bus().isConnected())
        return true;
    return bus().send(QDBusMessage::createSignal(QStringLiteral("/Layouts"),
                                                 QStringLiteral("org.kde.keyboard"),
                                                 QStringLiteral("reloadConfig")));
}
