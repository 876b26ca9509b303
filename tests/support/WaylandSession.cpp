#include "tests/support/WaylandSession.h"

#include "tests/support/WaitUntil.h"

#include <QDBusMessage>
#include <QDBusMetaType>
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

WaylandSession::WaylandSession() : environment_(QProcessEnvironment::systemEnvironment())
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP"})
        environment_.remove(QString::fromLatin1(name));
    environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    environment_.insert(QStringLiteral("HOME"), runtime_.path());
    environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
}

WaylandSession::~WaylandSession()
{
    for (const auto& window : windows_)
        stop(*window);
    stop(compositor_);
    if (!busName_.isEmpty())
        QDBusConnection::disconnectFromBus(busName_);
    for (const auto& bus : buses_)
        stop(*bus);
}

QString WaylandSession::startBus(const QString& name)
{
    buses_.push_back(std::make_unique<QProcess>());
    QProcess& daemon = *buses_.back();
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    const QString socket = runtime_.filePath(name);
    const QString address = QStringLiteral("unix:path=") + socket;
    daemon.setProcessEnvironment(environment_);
    daemon.setStandardOutputFile(QProcess::nullDevice());
    daemon.setStandardErrorFile(QProcess::nullDevice());
    daemon.start(program, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                           QStringLiteral("--address=") + address});
    return waitUntil([&] { return QFile::exists(socket); }) ? address : QString();
}

bool WaylandSession::startCompositor(const QString& desktop, const QString& program,
                                     const QStringList& arguments, const std::function<bool()>& up)
{
    const QString address = startBus(QStringLiteral("bus"));
    busAddress_ = address;
    busName_ = QStringLiteral("wayland-session-%1").arg(reinterpret_cast<quintptr>(this));
    if (address.isEmpty() || !QDBusConnection::connectToBus(address, busName_).isConnected()) {
        problem_ = QStringLiteral("the D-Bus daemon did not start");
        return false;
    }
    environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    compositor_.setProcessEnvironment(environment_);
    compositor_.setStandardOutputFile(QProcess::nullDevice());
    compositor_.setStandardErrorFile(runtime_.filePath(QStringLiteral("compositor.log")));
    compositor_.start(program, arguments);
    if (!waitUntil(up, 30000)) {
        problem_ = QStringLiteral("%1 did not start").arg(QFileInfo(program).fileName());
        return false;
    }
    environment_.insert(QStringLiteral("WAYLAND_DISPLAY"), display());
    environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    // Services the bus starts from now on (the desktop portal) are clients of the
    // compositor too.
    QDBusMessage update = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("UpdateActivationEnvironment"));
    const QMap<QString, QString> clients{
        {QStringLiteral("WAYLAND_DISPLAY"), display()},
        {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland")},
        {QStringLiteral("XDG_CURRENT_DESKTOP"), desktop}};
    qDBusRegisterMetaType<QMap<QString, QString>>();
    update << QVariant::fromValue(clients);
    bus().call(update);
    return true;
}

bool WaylandSession::waitForOutput(QProcess* window, const QByteArray& text, QByteArray& printed)
{
    return waitForEvents([&] {
        printed += window->readAllStandardOutput();
        return printed.contains(text);
    });
}

bool WaylandSession::writeFile(const QString& name, const QString& text)
{
    const QString path = runtime_.filePath(name);
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(text.toUtf8()) >= 0 && file.flush();
}

QProcess* WaylandSession::startWindow(const QString& title)
{
    auto window = std::make_unique<QProcess>();
    window->setProcessEnvironment(environment_);
    window->setStandardErrorFile(QProcess::nullDevice());
    window->start(QStringLiteral(SARQUEN_TEST_WINDOW), {title});
    windows_.push_back(std::move(window));
    return windows_.back().get();
}
