#include "platform/net/HttpAnswerReader.h"

#include <gtest/gtest.h>

using platform::HttpAnswerReader;
using State = HttpAnswerReader::State;

namespace {

struct Case
{
    const char* name;
    QByteArray bytes;
    bool closed; // the connection ends after the bytes
    State state;
    QByteArray body;
};

// Each answer read in one piece and byte by byte gives the same result.
TEST(HttpAnswerReader, ReadsEveryFramingAndRefusesWhatIsNotAnAnswer)
{
    const QByteArray ok = "HTTP/1.1 200 OK\r\n";
    const std::vector<Case> cases = {
        {"length", ok + "Content-Length: 5\r\n\r\nhelloEXTRA", false, State::Done, "hello"},
        {"chunked",
         ok + "Transfer-Encoding: chunked\r\n\r\n3;x=y\r\nhel\r\n2\r\nlo\r\n0\r\nT: 1\r\n\r\n",
         false, State::Done, "hello"},
        {"until close", ok + "\r\nhello", true, State::Done, "hello"},
        {"bare line feeds", "HTTP/1.0 200 OK\nContent-Length: 2\n\nhi", false, State::Done, "hi"},
        {"interim answer", "HTTP/1.1 100 Continue\r\n\r\n" + ok + "Content-Length: 2\r\n\r\nhi",
         false, State::Done, "hi"},
        {"no content", "HTTP/1.1 204 No Content\r\n\r\n", false, State::Done, ""},
        {"cut short", ok + "Content-Length: 9\r\n\r\nhello", true, State::Failed, ""},
        {"cut in the head", ok + "Content-Le", true, State::Failed, ""},
        {"not http", "SSH-2.0-OpenSSH\r\n\r\n", false, State::Failed, ""},
        {"bad length", ok + "Content-Length: -1\r\n\r\n", false, State::Failed, ""},
        {"bad chunk", ok + "Transfer-Encoding: chunked\r\n\r\nzz\r\n", false, State::Failed, ""},
        {"chunk without its end", ok + "Transfer-Encoding: chunked\r\n\r\n2\r\nhiX\r\n", false,
         State::Failed, ""},
        {"unknown encoding", ok + "Transfer-Encoding: gzip\r\n\r\n", false, State::Failed, ""},
        {"long header", ok + "X: " + QByteArray(HttpAnswerReader::kMaxHeadBytes, 'a'), false,
         State::Failed, ""},
        {"many headers", ok + QByteArray("X: a\r\n").repeated(3000), false, State::Failed, ""},
        {"announced too long", ok + "Content-Length: 11\r\n\r\n", false, State::Failed, ""},
        {"chunk too long", ok + "Transfer-Encoding: chunked\r\n\r\n6\r\nhello!\r\n5\r\n", false,
         State::Failed, ""},
        {"too long until close", ok + "\r\n" + QByteArray(11, 'a'), true, State::Failed, ""},
    };
    for (const Case& c : cases) {
        HttpAnswerReader whole(10);
        whole.feed(c.bytes);
        HttpAnswerReader bytewise(10);
        for (char b : c.bytes)
            bytewise.feed(QByteArrayView(&b, 1));
        for (HttpAnswerReader* reader : {&whole, &bytewise}) {
            if (c.closed)
                reader->end();
            EXPECT_EQ(reader->state(), c.state) << c.name;
            if (c.state == State::Done)
                EXPECT_EQ(reader->body(), c.body) << c.name;
            else
                EXPECT_FALSE(reader->error().isEmpty()) << c.name;
        }
    }
}

} // namespace
