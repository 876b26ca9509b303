#include "launcher/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 2000;

// The folder of the socket when the session has no runtime folder: made private when it
// is new. One that is not a folder of the user's own, or that others may write in, is
// refused (an empty text), since whoever may add to it could put a socket of theirs in
// the program's place. (Earlier versions made it readable by others: that is harmless,
// the socket itself is the user's alone.)
QString privateFolder(const QString& folder, QString* problem)
{
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), 0700);
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        if (problem)
            *problem = QStringLiteral("%1 is not a folder of the user's own that only the "
                                      "user may write in: a second start will not find this "
                                      "one")
                           .arg(folder);
        return QString();
    }
    return folder;
}

} // namespace

QString SingleInstance::socketFor(const QString& storePath, QString* problem)
{
    const QByteArray store =
        QCryptographicHash::hash(QDir::cleanPath(storePath).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder =
        !runtime.isEmpty() && QDir(runtime).exists()
            ? runtime
            : privateFolder(QDir::tempPath() + QStringLiteral("/ombrel-sarquen-%1").arg(getuid()),
                            problem);
    if (folder.isEmpty())
        return QString();
    return folder + QStringLiteral("/ombrel-sarquen-") + QString::fromLatin1(store);
}

SingleInstance::SingleInstance(QString socket, QObject* parent, int clientTimeoutMs)
    : QObject(parent), socket_(std::move(socket)), clientTimeoutMs_(clientTimeoutMs)
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
        while (QLocalSocket* client = server_->nextPendingConnection())
            take(client);
    });
    return true;
}

void SingleInstance::take(QLocalSocket* client)
{
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    // One that says nothing, or more than a command line, holds nothing for long.
    const auto drop = [client] {
        client->abort();
        client->deleteLater();
    };
    QTimer::singleShot(clientTimeoutMs_, client, drop);
    connect(client, &QLocalSocket::readyRead, this, [this, client, drop] {
        if (!client->canReadLine()) {
            if (client->bytesAvailable() > kMaxMessage)
                drop();
            return;
        }
        const QByteArray line = client->readLine(kMaxMessage + 1);
        client->disconnectFromServer();
        if (line.endsWith('\n'))
            emit startedAgain(QString::fromUtf8(line).chopped(1));
    });
}
