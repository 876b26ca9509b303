#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

namespace platform {

// Reads one HTTP/1.x answer as its bytes arrive: the status line, the header lines and
// the body, sized by Content-Length, sent in chunks, or running to the end of the
// connection. Interim 1xx answers are skipped. What a server can make the reader hold
// is bounded: the status and header lines (chunk trailers included) by kMaxHeadBytes,
// the body by the limit it is made with; past either the answer has failed.
class HttpAnswerReader
{
public:
    static constexpr qsizetype kMaxHeadBytes = 16 * 1024;

    enum class State
    {
        Head,
        Body,
        Done,
        Failed
    };

    explicit HttpAnswerReader(qint64 maxBody) : maxBody_(maxBody) {}

    // Takes the next bytes of the connection.
    State feed(QByteArrayView bytes);
    // The connection has ended: a body that runs to the end is complete, anything
    // else still missing makes the answer fail.
    State end();

    State state() const { return state_; }
    int status() const { return status_; }
    // The first value of the header `name` (any case), empty when there is none.
    QByteArray header(QByteArrayView name) const;
    const QByteArray& body() const { return body_; }
    // The announced length of the body, -1 when the server did not say.
    qint64 announcedLength() const { return length_; }
    const QString& error() const { return error_; }

private:
    enum class Framing
    {
        Length,
        Chunked,
        UntilClose
    };
    enum class ChunkPart
    {
        Size,
        Data,
        DataEnd,
        Trailer
    };

    bool readHead();
    bool readBody();
    bool readChunks();
    bool startBody();
    // The next line without its line break, or false when it has not all arrived (or
    // is longer than `limit`, which fails the answer).
    bool takeLine(QByteArray& line, qsizetype limit);
    bool addBody(QByteArrayView bytes);
    void fail(const QString& why);
    qsizetype available() const { return pending_.size() - pos_; }

    qint64 maxBody_;
    State state_ = State::Head;
    QByteArray pending_;
    qsizetype pos_ = 0;
    qsizetype headBytes_ = 0;
    bool statusRead_ = false;
    int status_ = 0;
    QList<QPair<QByteArray, QByteArray>> headers_;
    Framing framing_ = Framing::UntilClose;
    ChunkPart chunkPart_ = ChunkPart::Size;
    qint64 length_ = -1;
    qint64 left_ = 0; // of the body or of the current chunk
    QByteArray body_;
    QString error_;
};

} // namespace platform
