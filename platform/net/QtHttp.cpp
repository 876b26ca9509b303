#include "platform/net/QtHttp.h"

#include "platform/net/HttpAnswerReader.h"

#include <QEventLoop>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace platform {

struct QtHttp::Hop
{
    int status = 0;
    QByteArray location;
    QByteArray body;
    QString error; // empty when an answer arrived
    bool cancelled = false;
};

namespace {

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QByteArray requestFor(const QUrl& url)
{
    QByteArray target =
        url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (!target.startsWith('/'))
        target.prepend('/');
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() != -1)
        host += ':' + QByteArray::number(url.port());
    return "GET " + target + " HTTP/1.1\r\nHost: " + host +
           "\r\nUser-Agent: Ombrel-Sarquen/2.0\r\nAccept: */*\r\n"
           "Accept-Encoding: identity\r\nConnection: close\r\n\r\n";
}

} // namespace

QtHttp::QtHttp(QObject* parent) : Http(parent) {}

QtHttp::~QtHttp() = default;

void QtHttp::cancel()
{
    cancelled_ = true;
    if (waiting_)
        waiting_->quit();
}

QtHttp::Hop QtHttp::fetchOnce(const QUrl& url, const QDeadlineTimer& deadline)
{
    Hop hop;
    const bool secure = url.scheme() == QLatin1String("https");
    if (secure && !QSslSocket::supportsSsl()) {
        hop.error = QStringLiteral("This system has no TLS support for https addresses");
        return hop;
    }
    std::unique_ptr<QTcpSocket> socket(secure ? new QSslSocket : new QTcpSocket);
    // The socket keeps no more than this unread; the reader bounds the rest.
    socket->setReadBufferSize(64 * 1024);
    HttpAnswerReader reader(maxBytes_);
    QEventLoop loop;
    waiting_ = &loop;
    bool ended = false;
    auto stop = [&](const QString& why) {
        if (hop.error.isEmpty())
            hop.error = why;
        ended = true;
        loop.quit();
    };
    auto take = [&] {
        if (reader.feed(socket->readAll()) != HttpAnswerReader::State::Head)
            emit progress(reader.body().size(), reader.announcedLength());
        if (reader.state() == HttpAnswerReader::State::Done ||
            reader.state() == HttpAnswerReader::State::Failed) {
            ended = true;
            loop.quit();
        }
    };
    auto closed = [&] {
        take();
        reader.end();
        ended = true;
        loop.quit();
    };
    const QByteArray request = requestFor(url);
    auto send = [&] { socket->write(request); };

    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer); // never before the deadline
    connect(&timer, &QTimer::timeout, &loop,
            [&] { stop(QStringLiteral("No answer within %1 ms").arg(timeoutMs_)); });
    connect(socket.get(), &QTcpSocket::readyRead, &loop, take);
    connect(socket.get(), &QTcpSocket::disconnected, &loop, closed);
    connect(socket.get(), &QAbstractSocket::errorOccurred, &loop,
            [&](QAbstractSocket::SocketError error) {
                if (error == QAbstractSocket::RemoteHostClosedError)
                    closed();
                else
                    stop(socket->errorString());
            });
    const quint16 port = static_cast<quint16>(url.port(secure ? 443 : 80));
    if (secure) {
        auto* ssl = static_cast<QSslSocket*>(socket.get());
        connect(ssl, &QSslSocket::encrypted, &loop, send);
        ssl->connectToHostEncrypted(url.host(), port);
    } else {
        connect(socket.get(), &QTcpSocket::connected, &loop, send);
        socket->connectToHost(url.host(), port);
    }

    timer.start(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    if (!ended && !cancelled_)
        loop.exec();
    waiting_ = nullptr;
    socket->disconnect();
    socket->abort();

    if (cancelled_ || !ended) {
        // Called off, or the program is ending and took the wait with it.
        hop.cancelled = true;
        hop.error = QStringLiteral("The fetch was cancelled");
    } else if (hop.error.isEmpty() && reader.state() == HttpAnswerReader::State::Failed) {
        hop.error = reader.error();
    } else if (hop.error.isEmpty()) {
        hop.status = reader.status();
        hop.location = reader.header("Location");
        hop.body = reader.body();
    }
    return hop;
}

HttpReply QtHttp::get(const QString& address, QDeadlineTimer deadline)
{
    HttpReply result;
    QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!isFetchable(url)) {
        result.error = QStringLiteral("Not an http or https address: \"%1\"").arg(address);
        return result;
    }
    deadline = std::min(deadline, QDeadlineTimer(std::max(1, timeoutMs_)));
    cancelled_ = false;
    emit started(url);
    for (int redirects = 0;; ++redirects) {
        const Hop hop = fetchOnce(url, deadline);
        if (!hop.error.isEmpty()) {
            result.error = hop.error;
            result.cancelled = hop.cancelled;
            break;
        }
        if (isRedirect(hop.status) && !hop.location.isEmpty()) {
            const QUrl target = url.resolved(QUrl::fromEncoded(hop.location.trimmed()));
            const bool downgrade =
                url.scheme() == QLatin1String("https") && target.scheme() != QLatin1String("https");
            if (!isFetchable(target) || downgrade) {
                result.error = QStringLiteral("Refused redirect to \"%1\"")
                                   .arg(QString::fromLatin1(hop.location));
                break;
            }
            if (redirects == kMaxRedirects) {
                result.error = QStringLiteral("More than %1 redirects").arg(kMaxRedirects);
                break;
            }
            url = target;
            continue;
        }
        // Anything but a document, a redirect that could not be followed included.
        if (hop.status < 200 || hop.status > 299) {
            result.error = QStringLiteral("The server answered with status %1").arg(hop.status);
            break;
        }
        result.ok = true;
        result.body = hop.body;
        break;
    }
    emit finished();
    return result;
}

} // namespace platform
