#pragma once

#include "platform/net/Http.h"

#include <QObject>
#include <QUrl>

class QNetworkAccessManager;

namespace platform {

// Fetches http and https addresses with Qt Network, waiting in a local event loop.
// A fetch fails when the address is not http or https, on any network error, on an
// HTTP status of 400 or more, when the document is larger than maxBytes, and when it
// has not arrived completely within the time-out. Redirects are followed up to five
// times, never from https to http and never to another scheme.
class QtHttp : public QObject, public Http
{
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 60000;
    static constexpr qint64 kDefaultMaxBytes = 64 * 1024;
    static constexpr int kMaxRedirects = 5;

    explicit QtHttp(QObject* parent = nullptr);

    HttpReply get(const QString& address) override;

    // The whole fetch, connection included, must end within this many milliseconds.
    void setTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
    int timeout() const { return timeoutMs_; }
    void setMaxBytes(qint64 bytes) { maxBytes_ = bytes; }
    qint64 maxBytes() const { return maxBytes_; }

    // Whether `url` is an address this transfer fetches (http or https with a host).
    static bool isFetchable(const QUrl& url);

signals:
    // A fetch begins; `received` grows while it runs (`total` is -1 when unknown);
    // `finished` comes once it has ended, whatever the outcome.
    void started(const QUrl& url);
    void progress(qint64 received, qint64 total);
    void finished();

private:
    QNetworkAccessManager* manager_;
    int timeoutMs_ = kDefaultTimeoutMs;
    qint64 maxBytes_ = kDefaultMaxBytes;
};

} // namespace platform
