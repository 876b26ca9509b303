#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <functional>
#include <memory>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for the tests, answering on the test's own event
// loop: GET requests get the response set up for their path, 404 otherwise. A held
// path takes the request and never answers.
class TestHttpServer
{
public:
    TestHttpServer();
    ~TestHttpServer();

    quint16 port() const { return server_.serverPort(); }
    // "http://127.0.0.1:<port><path>"
    QString url(const QString& path) const;

    // Answers `path` with `body` and the given status; a Location header when
    // `location` is given; without Content-Length when `withLength` is false (the end
    // of the body is then the end of the connection).
    void serve(const QString& path, const QByteArray& body, int status = 200,
               const QString& location = {}, bool withLength = true);
    // Takes requests for `path` and never answers them.
    void hold(const QString& path);
    // Answers `path` with `head`, then `repeated` again and again until the client goes.
    void flood(const QString& path, const QByteArray& head, const QByteArray& repeated);

    // The paths requested so far, in order.
    QStringList requests;
    // Called with the path of each request as it arrives, before the answer.
    std::function<void(const QString& path)> onRequest;

    // A port on 127.0.0.1 on which nothing listens.
    static quint16 unusedPort();

private:
    struct Response
    {
        QByteArray body;
        int status = 200;
        QString location;
        bool withLength = true;
        bool held = false;
        QByteArray head;
        QByteArray repeated; // flooded when not empty
    };
    void answer(QTcpSocket* socket, const QByteArray& request);

    QTcpServer server_;
    QMap<QString, Response> responses_;
};
