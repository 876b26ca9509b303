#include "platform/net/QtHttp.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace platform {

QtHttp::QtHttp(QObject* parent) : QObject(parent), manager_(new QNetworkAccessManager(this)) {}

bool QtHttp::isFetchable(const QUrl& url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

HttpReply QtHttp::get(const QString& address)
{
    HttpReply result;
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    if (!isFetchable(url)) {
        result.error = QStringLiteral("Not an http or https address: \"%1\"").arg(address);
        return result;
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);

    emit started(url);
    std::unique_ptr<QNetworkReply> reply(manager_->get(request));
    QNetworkReply* r = reply.get();
    QByteArray body;
    QString failure;
    auto fail = [&](const QString& why) {
        if (failure.isEmpty())
            failure = why;
        if (r->isRunning())
            r->abort();
    };
    auto tooLarge = [&] {
        fail(QStringLiteral("The document is larger than %1 bytes").arg(maxBytes_));
    };

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop,
            [&] { fail(QStringLiteral("No answer within %1 ms").arg(timeoutMs_)); });
    connect(r, &QNetworkReply::redirected, &loop, [&](const QUrl& target) {
        const bool downgrade =
            url.scheme() == QLatin1String("https") && target.scheme() == QLatin1String("http");
        if (isFetchable(target) && !downgrade)
            emit r->redirectAllowed();
        else
            fail(QStringLiteral("Refused redirect to \"%1\"").arg(target.toString()));
    });
    connect(r, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = r->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes_)
            tooLarge();
    });
    connect(r, &QNetworkReply::readyRead, &loop, [&] {
        body += r->read(maxBytes_ + 1 - body.size());
        if (body.size() > maxBytes_)
            tooLarge();
    });
    connect(r, &QNetworkReply::downloadProgress, this,
            [this](qint64 received, qint64 total) { emit progress(received, total); });
    connect(r, &QNetworkReply::finished, &loop, &QEventLoop::quit);

    deadline.start(std::max(1, timeoutMs_));
    if (!r->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();

    if (failure.isEmpty() && r->error() == QNetworkReply::NoError) {
        body += r->read(maxBytes_ + 1 - body.size());
        if (body.size() > maxBytes_)
            failure = QStringLiteral("The document is larger than %1 bytes").arg(maxBytes_);
    }
    const int status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // A status the server sent says more than the transfer error Qt makes of it.
    if (!failure.isEmpty())
        result.error = failure;
    else if (status >= 400)
        result.error = QStringLiteral("The server answered with status %1").arg(status);
    else if (r->error() != QNetworkReply::NoError)
        result.error = r->errorString();
    else {
        result.ok = true;
        result.body = body;
    }
    reply->disconnect();
    emit finished();
    return result;
}

} // namespace platform
