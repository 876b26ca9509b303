#include "tests/support/KwinSession.h"

#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(3000);
}

} // namespace

bool KwinSession::writeFile(const QString& name, const QString& text)
{
    const QString path = runtime_.filePath(name);
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(text.toUtf8()) >= 0 && file.flush();
}

KwinSession::KwinSession()
{
    const QString kwin = QStandardPaths::findExecutable(QStringLiteral("kwin_wayland"));
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (kwin.isEmpty() || daemon.isEmpty()) {
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
    const QString socket = runtime_.filePath(QStringLiteral("bus"));
    const QString address = QStringLiteral("unix:path=") + socket;
    bus_.setStandardOutputFile(QProcess::nullDevice());
    bus_.setStandardErrorFile(QProcess::nullDevice());
    bus_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--address=") + address});
    busName_ = QStringLiteral("kwin-session-%1").arg(reinterpret_cast<quintptr>(this));
    if (!waitUntil([&] { return QFile::exists(socket); }) ||
        !QDBusConnection::connectToBus(address, busName_).isConnected()) {
        problem_ = QStringLiteral("the D-Bus daemon did not start");
        return;
    }

    // KWin lets a program type and point only when a menu entry names it, and types
    // with the user's layout: a German one here, so that keys cannot pass for letters.
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    if (!writeFile(QStringLiteral(".local/share/applications/sarquen-test.desktop"),
                   QStringLiteral("[Desktop Entry]\nType=Application\nName=test\nExec=%1\n"
                                  "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n")
                       .arg(exe)) ||
        !writeFile(QStringLiteral(".config/kxkbrc"),
                   QStringLiteral("[Layout]\nLayoutList=de\nUse=true\n"))) {
        problem_ = QStringLiteral("cannot write KWin's settings");
        return;
    }

    environment_ = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP"})
        environment_.remove(QString::fromLatin1(name));
    environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    environment_.insert(QStringLiteral("HOME"), runtime_.path());
    environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment_.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("kwin_*.debug=true"));
    kwin_.setProcessEnvironment(environment_);
    kwin_.setStandardOutputFile(QProcess::nullDevice());
    kwin_.setStandardErrorFile(runtime_.filePath(QStringLiteral("kwin.log")));
    kwin_.start(copy, {QStringLiteral("--virtual"), QStringLiteral("--socket"), display(),
                       QStringLiteral("--width"), QStringLiteral("800"), QStringLiteral("--height"),
                       QStringLiteral("600")});
    if (!waitUntil(
            [&] {
                // KWin takes its name on the bus before its scripting is there.
                QDBusMessage ask = QDBusMessage::createMethodCall(
                    QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                    QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("isScriptLoaded"));
                ask << QStringLiteral("none");
                return bus().call(ask, QDBus::Block, 2000).type() == QDBusMessage::ReplyMessage;
            },
            20000)) {
        problem_ = QStringLiteral("KWin did not start");
        return;
    }
    environment_.insert(QStringLiteral("WAYLAND_DISPLAY"), display());
    environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
}

KwinSession::~KwinSession()
{
    for (const auto& window : windows_)
        stop(*window);
    stop(kwin_);
    QDBusConnection::disconnectFromBus(busName_);
    stop(bus_);
}

QProcess* KwinSession::startWindow(const QString& title)
{
    auto window = std::make_unique<QProcess>();
    window->setProcessEnvironment(environment_);
    {
        auto e = environment_;
        e.insert("WAYLAND_DEBUG", "1");
        window->setProcessEnvironment(e);
    }
    window->setStandardErrorFile(runtime_.filePath(title + ".log"));
    window->start(QStringLiteral(SARQUEN_TEST_WINDOW), {title});
    windows_.push_back(std::move(window));
    return windows_.back().get();
}
