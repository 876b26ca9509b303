#pragma once

#include "platform/net/Http.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

class QEventLoop;

namespace platform {

class HttpAnswerReader;

// Fetches http and https addresses over Qt's TCP and TLS sockets, waiting in a local
// event loop. A fetch fails when the address is not http or https, on any connection
// or certificate error, on an HTTP status other than 2xx, when the answer's header is
// larger than HttpAnswerReader::kMaxHeadBytes or the document larger than maxBytes,
// and when it has not arrived completely within the time-out or by the caller's
// deadline. Redirects (301, 302, 303, 307, 308) are followed up to five times, never
// from https to http and never to another scheme; a redirect not followed fails.
class QtHttp : public Http
{
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 60000;
    static constexpr qint64 kDefaultMaxBytes = 64 * 1024;
    static constexpr int kMaxRedirects = 5;

    explicit QtHttp(QObject* parent = nullptr);
    ~QtHttp() override;

    HttpReply get(const QString& address, QDeadlineTimer deadline) override;
    HttpReply get(const QString& address) { return get(address, QDeadlineTimer::Forever); }

    // The whole fetch, connection and redirects included, must end within this many
    // milliseconds.
    void setTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
    int timeout() const { return timeoutMs_; }
    void setMaxBytes(qint64 bytes) { maxBytes_ = bytes; }
    qint64 maxBytes() const { return maxBytes_; }

    void cancel() override;

private:
    struct Hop;
    // One request and its answer, without following redirects.
    Hop fetchOnce(const QUrl& url, const QDeadlineTimer& deadline);

    int timeoutMs_ = kDefaultTimeoutMs;
    qint64 maxBytes_ = kDefaultMaxBytes;
    bool cancelled_ = false;
    QPointer<QEventLoop> waiting_;
};

} // namespace platform
