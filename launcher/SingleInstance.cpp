#include "launcher/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace {
constexpr int kTimeoutMs = 2000;
}

QString SingleInstance::socketFor(const QString& storePath)
{
    const QByteArray store =
        QCryptographicHash::hash(QDir::cleanPath(storePath).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder =
        !runtime.isEmpty() && QDir(runtime).exists()
            ? runtime
            : QDir::tempPath() + QStringLiteral("/ombrel-sarquen-%1").arg(getuid());
    QDir().mkpath(folder);
    return folder + QStringLiteral("/ombrel-sarquen-") + QString::fromLatin1(store);
}

SingleInstance::SingleInstance(QString socket, QObject* parent)
    : QObject(parent), socket_(std::move(socket))
{
}

bool SingleInstance::claim(const QString& commandLine)
{
    QLocalSocket running;
    running.connectToServer(socket_);
    if (running.waitForConnected(kTimeoutMs)) {
        running.write(commandLine.toUtf8() + '\n');
        running.waitForBytesWritten(kTimeoutMs);
        running.disconnectFromServer();
        return false;
    }
    // Nobody answers: a socket left by a program that did not end cleanly is stale.
    QLocalServer::removeServer(socket_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socket_))
        return true; // the program runs all the same; later starts will not find it
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (!client->canReadLine())
                    return;
                emit startedAgain(QString::fromUtf8(client->readLine()).chopped(1));
                client->disconnectFromServer();
            });
        }
    });
    return true;
}
