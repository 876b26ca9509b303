#include "tests/support/TestHttpServer.h"

#include <QTcpSocket>
#include <gtest/gtest.h>

TestHttpServer::TestHttpServer()
{
    EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                if (buffer->contains("\r\n\r\n"))
                    return; // answered already
                *buffer += socket->readAll();
                if (buffer->contains("\r\n\r\n"))
                    answer(socket, *buffer);
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

TestHttpServer::~TestHttpServer()
{
    server_.close();
}

QString TestHttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void TestHttpServer::serve(const QString& path, const QByteArray& body, int status,
                           const QString& location, bool withLength)
{
    responses_[path] = Response{body, status, location, withLength, false, {}, {}};
}

void TestHttpServer::hold(const QString& path)
{
    Response r;
    r.held = true;
    responses_[path] = r;
}

void TestHttpServer::flood(const QString& path, const QByteArray& head, const QByteArray& repeated)
{
    Response r;
    r.head = head;
    r.repeated = repeated;
    responses_[path] = r;
}

void TestHttpServer::answer(QTcpSocket* socket, const QByteArray& request)
{
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = words.size() >= 2 ? QString::fromLatin1(words[1]) : QString();
    requests << path;
    if (onRequest)
        onRequest(path);

    Response r;
    if (responses_.contains(path))
        r = responses_.value(path);
    else
        r = Response{"not here", 404, {}, true, false, {}, {}};
    if (r.held)
        return;
    if (!r.repeated.isEmpty()) {
        socket->write(r.head);
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, r] {
            if (socket->bytesToWrite() < 64 * 1024)
                socket->write(r.repeated.repeated(64));
        });
        return;
    }

    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + " Test\r\n";
    head += "Content-Type: text/plain\r\nConnection: close\r\n";
    if (r.withLength)
        head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
    if (!r.location.isEmpty())
        head += "Location: " + r.location.toUtf8() + "\r\n";
    socket->write(head + "\r\n" + r.body);
    socket->disconnectFromHost();
}

quint16 TestHttpServer::unusedPort()
{
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
