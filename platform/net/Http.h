#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>

class QUrl;

namespace platform {

// What a fetch brought back: the document, or why there is none.
struct HttpReply
{
    bool ok = false;
    QByteArray body;
    QString error;          // empty when ok
    bool cancelled = false; // the fetch was called off before it ended
};

// Whether `url` is an address a fetch takes: http or https, with a host.
bool isFetchable(const QUrl& url);

// Fetches documents by their full address. The fetch is synchronous for the caller:
// events keep being processed while it waits (windows repaint, buttons work, so it
// can be cancelled), and it ends by `deadline` at the latest.
class Http : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual HttpReply get(const QString& address, QDeadlineTimer deadline) = 0;

public slots:
    // Ends the fetch under way; it comes back as cancelled.
    virtual void cancel() = 0;

signals:
    // A fetch begins; `received` grows while it runs (`total` is -1 when unknown);
    // `finished` comes once it has ended, whatever the outcome.
    void started(const QUrl& url);
    void progress(qint64 received, qint64 total);
    void finished();
};

} // namespace platform
