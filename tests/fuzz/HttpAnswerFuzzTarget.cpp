// The reader of HTTP answers as a fuzz target: whatever a server sends, and however the
// connection cuts it into pieces, the reader ends the same way and holds no more than
// its limits.
#include "platform/net/HttpAnswerReader.h"
#include "tests/support/FuzzDriver.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using platform::HttpAnswerReader;

namespace {

constexpr qint64 kMaxBody = 4096;

HttpAnswerReader read(QByteArrayView bytes, qsizetype piece)
{
    HttpAnswerReader reader(kMaxBody);
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        reader.feed(QByteArrayView(bytes.data() + at, std::min(piece, bytes.size() - at)));
    reader.end();
    return reader;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte cuts the rest into pieces.
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1,
                               static_cast<qsizetype>(size - 1));
    const HttpAnswerReader whole = read(bytes, std::max<qsizetype>(1, bytes.size()));
    const HttpAnswerReader pieces = read(bytes, 1 + data[0] % 7);
    const bool ended = whole.state() == HttpAnswerReader::State::Done;
    if (whole.state() != pieces.state() ||
        (ended && (whole.body() != pieces.body() || whole.status() != pieces.status()))) {
        std::fprintf(stderr, "read whole: %d \"%s\"; in pieces of %d: %d \"%s\"\n",
                     int(whole.state()), qPrintable(whole.error()), 1 + data[0] % 7,
                     int(pieces.state()), qPrintable(pieces.error()));
        std::abort();
    }
    if (whole.body().size() > kMaxBody)
        std::abort();
    if (ended == !whole.error().isEmpty() || whole.state() == HttpAnswerReader::State::Head ||
        whole.state() == HttpAnswerReader::State::Body)
        std::abort();
    return 0;
}

FuzzLanguage fuzzLanguage()
{
    FuzzLanguage language;
    language.addTokens({"\r\n", "\n", "\r\n\r\n", "HTTP/1.1 200 OK\r\n",
                        "HTTP/1.1 100 Continue\r\n\r\n", "HTTP/1.0 302 Found\r\n",
                        "Content-Length: ", "Content-Length: 99999999999999999999",
                        "Transfer-Encoding: chunked\r\n", "Location: /x\r\n", "0\r\n\r\n",
                        "ffffffffffffffff", ";ext=1", ": ", " ", "\t"});
    language.seeds.push_back("\x01HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    language.seeds.push_back(
        "\x03HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\nX: y\r\n\r\n");
    language.seeds.push_back("\x05HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nto the end");
    return language;
}
