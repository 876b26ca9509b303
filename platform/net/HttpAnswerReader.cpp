#include "platform/net/HttpAnswerReader.h"

#include <algorithm>

namespace platform {

namespace {

// Longest chunk-size line taken: hex digits and a short extension.
constexpr qsizetype kMaxChunkLine = 256;

bool parseDecimal(const QByteArray& text, qint64& value)
{
    const QByteArray digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 18)
        return false;
    for (char c : digits)
        if (c < '0' || c > '9')
            return false;
    value = digits.toLongLong();
    return true;
}

} // namespace

HttpAnswerReader::State HttpAnswerReader::feed(QByteArrayView bytes)
{
    if (state_ == State::Done || state_ == State::Failed)
        return state_;
    // Bytes already read are dropped once they are most of the buffer.
    if (pos_ > 0 && pos_ >= pending_.size() / 2) {
        pending_.remove(0, pos_);
        pos_ = 0;
    }
    pending_.append(bytes.data(), bytes.size());
    for (;;) {
        const bool more = state_ == State::Head   ? readHead()
                          : state_ == State::Body ? readBody()
                                                  : false;
        if (!more)
            return state_;
    }
}

HttpAnswerReader::State HttpAnswerReader::end()
{
    if (state_ == State::Head)
        fail(QStringLiteral("The connection ended before the whole answer arrived"));
    else if (state_ == State::Body && framing_ == Framing::UntilClose)
        state_ = State::Done;
    else if (state_ == State::Body)
        fail(QStringLiteral("The connection ended before the whole document arrived"));
    return state_;
}

QByteArray HttpAnswerReader::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers_)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

void HttpAnswerReader::fail(const QString& why)
{
    state_ = State::Failed;
    error_ = why;
    body_.clear();
    pending_.clear();
    pos_ = 0;
}

bool HttpAnswerReader::takeLine(QByteArray& line, qsizetype limit)
{
    const qsizetype lf = pending_.indexOf('\n', pos_);
    const qsizetype length = (lf < 0 ? pending_.size() : lf) - pos_;
    if (length > limit) {
        fail(
            limit == kMaxChunkLine
                ? QStringLiteral("Not a chunk of a document")
                : QStringLiteral("The answer's header is larger than %1 bytes").arg(kMaxHeadBytes));
        return false;
    }
    if (lf < 0)
        return false;
    line = pending_.mid(pos_, length);
    if (line.endsWith('\r'))
        line.chop(1);
    pos_ = lf + 1;
    return true;
}

bool HttpAnswerReader::addBody(QByteArrayView bytes)
{
    if (body_.size() + bytes.size() > maxBody_) {
        fail(QStringLiteral("The document is larger than %1 bytes").arg(maxBody_));
        return false;
    }
    body_.append(bytes.data(), bytes.size());
    return true;
}

bool HttpAnswerReader::readHead()
{
    QByteArray line;
    const qsizetype before = pos_;
    if (!takeLine(line, kMaxHeadBytes - headBytes_))
        return false;
    headBytes_ += pos_ - before;
    if (!statusRead_) {
        // "HTTP/1.1 200 OK"
        const QList<QByteArray> words = line.split(' ');
        bool ok = false;
        const int status = words.size() >= 2 ? words[1].toInt(&ok) : 0;
        if (!line.startsWith("HTTP/1.") || !ok || words[1].size() != 3 || status < 100) {
            fail(QStringLiteral("Not an HTTP answer"));
            return false;
        }
        status_ = status;
        statusRead_ = true;
        return true;
    }
    if (!line.isEmpty()) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line[0] != ' ' && line[0] != '\t')
            headers_.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        return true;
    }
    // The empty line ends the head. An interim answer is followed by the real one.
    if (status_ < 200) {
        statusRead_ = false;
        headers_.clear();
        return true;
    }
    return startBody();
}

bool HttpAnswerReader::startBody()
{
    state_ = State::Body;
    const QByteArray encoding = header("Transfer-Encoding").toLower();
    const QByteArray length = header("Content-Length");
    if (status_ == 204 || status_ == 304) {
        state_ = State::Done;
        return false;
    }
    if (!encoding.isEmpty()) {
        if (!encoding.endsWith("chunked")) {
            fail(QStringLiteral("The document is sent in a way not understood: %1")
                     .arg(QString::fromLatin1(encoding)));
            return false;
        }
        framing_ = Framing::Chunked;
        chunkPart_ = ChunkPart::Size;
        return true;
    }
    if (!length.isEmpty()) {
        if (!parseDecimal(length, length_)) {
            fail(QStringLiteral("The answer gives no valid length"));
            return false;
        }
        if (length_ > maxBody_) {
            fail(QStringLiteral("The document is larger than %1 bytes").arg(maxBody_));
            return false;
        }
        framing_ = Framing::Length;
        left_ = length_;
        if (left_ == 0)
            state_ = State::Done;
        return left_ > 0;
    }
    framing_ = Framing::UntilClose;
    return true;
}

bool HttpAnswerReader::readBody()
{
    if (framing_ == Framing::Chunked)
        return readChunks();
    qsizetype take = available();
    if (framing_ == Framing::Length)
        take = static_cast<qsizetype>(std::min<qint64>(take, left_));
    if (take == 0)
        return false;
    if (!addBody(QByteArrayView(pending_.constData() + pos_, take)))
        return false;
    pos_ += take;
    if (framing_ == Framing::Length) {
        left_ -= take;
        if (left_ == 0) {
            state_ = State::Done;
            return false;
        }
    }
    return available() > 0;
}

bool HttpAnswerReader::readChunks()
{
    QByteArray line;
    switch (chunkPart_) {
    case ChunkPart::Size: {
        if (!takeLine(line, kMaxChunkLine))
            return false;
        const qsizetype extension = line.indexOf(';');
        const QByteArray hex = (extension < 0 ? line : line.left(extension)).trimmed();
        bool ok = !hex.isEmpty() && hex.size() <= 15;
        const qint64 size = ok ? hex.toLongLong(&ok, 16) : 0;
        if (!ok || size < 0) {
            fail(QStringLiteral("Not a chunk of a document"));
            return false;
        }
        if (body_.size() + size > maxBody_) {
            fail(QStringLiteral("The document is larger than %1 bytes").arg(maxBody_));
            return false;
        }
        left_ = size;
        chunkPart_ = size == 0 ? ChunkPart::Trailer : ChunkPart::Data;
        return true;
    }
    case ChunkPart::Data: {
        const qsizetype take = static_cast<qsizetype>(std::min<qint64>(available(), left_));
        if (take == 0)
            return false;
        addBody(QByteArrayView(pending_.constData() + pos_, take));
        pos_ += take;
        left_ -= take;
        if (left_ == 0)
            chunkPart_ = ChunkPart::DataEnd;
        return true;
    }
    case ChunkPart::DataEnd:
        if (!takeLine(line, kMaxChunkLine))
            return false;
        if (!line.isEmpty()) {
            fail(QStringLiteral("Not a chunk of a document"));
            return false;
        }
        chunkPart_ = ChunkPart::Size;
        return true;
    case ChunkPart::Trailer: {
        const qsizetype before = pos_;
        if (!takeLine(line, kMaxHeadBytes - headBytes_))
            return false;
        headBytes_ += pos_ - before;
        if (line.isEmpty()) {
            state_ = State::Done;
            return false;
        }
        return true;
    }
    }
    return false;
}

} // namespace platform
