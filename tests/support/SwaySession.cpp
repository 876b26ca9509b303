#include "tests/support/SwaySession.h"

#include "tests/support/WaitUntil.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <functional>
#include <unistd.h>

namespace {

// The first node of sway's tree (windows, floating ones too) that `match` takes.
QJsonObject findNode(const QJsonObject& node, const std::function<bool(const QJsonObject&)>& match)
{
    if (match(node))
        return node;
    for (const char* list : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node.value(QLatin1String(list)).toArray()) {
            const QJsonObject found = findNode(child.toObject(), match);
            if (!found.isEmpty())
                return found;
        }
    }
    return {};
}

} // namespace

SwaySession::SwaySession()
{
    const QString sway = QStandardPaths::findExecutable(QStringLiteral("sway"));
    if (sway.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("foot")).isEmpty()) {
        problem_ = QStringLiteral("needs sway and foot (make test installs them)");
        return;
    }
    const QString dir = runtime_.path();
    const QString config = runtime_.filePath(QStringLiteral("config"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write("xwayland disable\n") < 0) {
        problem_ = QStringLiteral("cannot write the compositor's configuration");
        return;
    }
    file.close();

    environment_ = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "XDG_CURRENT_DESKTOP"})
        environment_.remove(QString::fromLatin1(name));
    environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    environment_.insert(QStringLiteral("HOME"), dir);
    environment_.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment_.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    environment_.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    sway_.setProcessEnvironment(environment_);
    sway_.setStandardErrorFile(runtime_.filePath(QStringLiteral("sway.log")));
    sway_.setStandardOutputFile(QProcess::nullDevice());
    QStringList arguments{QStringLiteral("-c"), config};
    if (geteuid() == 0) {
        // The folder and the configuration become nobody's, as sway's own would be.
        const QStringList own{QStringLiteral("nobody:nogroup"), dir, config};
        if (QProcess::execute(QStringLiteral("chown"), own) != 0) {
            problem_ = QStringLiteral("cannot hand the runtime folder to nobody");
            return;
        }
        arguments.prepend(sway);
        arguments = QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                QStringLiteral("--clear-groups")} +
                    arguments;
        sway_.start(QStringLiteral("setpriv"), arguments);
    } else {
        sway_.start(sway, arguments);
    }
    const QDir runtimeDir(dir);
    const bool up = waitUntil(
        [&] {
            return !runtimeDir.entryList({QStringLiteral("sway-ipc.*")}, QDir::System).isEmpty() &&
                   runtimeDir.exists(QStringLiteral("wayland-1"));
        },
        15000);
    if (!up) {
        problem_ = QStringLiteral("sway did not start");
        return;
    }
    socket_ = runtimeDir.filePath(QStringLiteral("wayland-1"));
    environment_.insert(QStringLiteral("WAYLAND_DISPLAY"), socket_);
    environment_.insert(
        QStringLiteral("SWAYSOCK"),
        runtimeDir.filePath(
            runtimeDir.entryList({QStringLiteral("sway-ipc.*")}, QDir::System).first()));
}

SwaySession::~SwaySession()
{
    for (const auto& client : clients_) {
        client->kill();
        client->waitForFinished(3000);
    }
    if (sway_.state() != QProcess::NotRunning) {
        sway_.terminate();
        if (!sway_.waitForFinished(5000))
            sway_.kill();
        sway_.waitForFinished(3000);
    }
}

QProcess* SwaySession::startTerminal(const QString& appId, const QStringList& command)
{
    auto client = std::make_unique<QProcess>();
    client->setProcessEnvironment(environment_);
    client->setStandardOutputFile(QProcess::nullDevice());
    client->setStandardErrorFile(QProcess::nullDevice());
    client->start(QStringLiteral("foot"),
                  QStringList{QStringLiteral("--app-id=") + appId} + command);
    clients_.push_back(std::move(client));
    return clients_.back().get();
}

QByteArray SwaySession::swaymsg(const QStringList& arguments) const
{
    QProcess msg;
    msg.setProcessEnvironment(environment_);
    msg.start(QStringLiteral("swaymsg"), arguments);
    msg.waitForFinished(5000);
    return msg.readAllStandardOutput();
}

QJsonObject SwaySession::window(const QString& appId) const
{
    const QJsonObject tree =
        QJsonDocument::fromJson(swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")}))
            .object();
    return findNode(tree, [&](const QJsonObject& node) {
        return node.value(QLatin1String("app_id")).toString() == appId;
    });
}

bool SwaySession::command(const QString& text) const
{
    const QJsonArray results = QJsonDocument::fromJson(swaymsg({text})).array();
    return !results.isEmpty() &&
           results.first().toObject().value(QLatin1String("success")).toBool();
}
