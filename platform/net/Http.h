#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// What a fetch brought back: the document, or why there is none.
struct HttpReply
{
    bool ok = false;
    QByteArray body;
    QString error; // empty when ok
};

// Fetches documents by their full address. The fetch is synchronous for the caller:
// events keep being processed (windows repaint, timers run) but user input waits
// until the document has arrived or the fetch has failed.
class Http
{
public:
    virtual ~Http() = default;

    virtual HttpReply get(const QString& address) = 0;
};

} // namespace platform
