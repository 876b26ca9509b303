#include "speech/ConsoleRecognizer.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

class Pipe
{
public:
    Pipe() { EXPECT_EQ(::pipe(fds_), 0); }
    ~Pipe()
    {
        ::close(fds_[0]);
        closeWriteEnd();
    }
    int readEnd() const { return fds_[0]; }
    void write(const QByteArray& bytes)
    {
        ASSERT_EQ(::write(fds_[1], bytes.constData(), size_t(bytes.size())), bytes.size());
    }
    void closeWriteEnd()
    {
        if (fds_[1] >= 0)
            ::close(fds_[1]);
        fds_[1] = -1;
    }
    // True once the reader has taken every byte written.
    bool drained() const
    {
        int waiting = -1;
        return ::ioctl(fds_[0], FIONREAD, &waiting) == 0 && waiting == 0;
    }

private:
    int fds_[2] = {-1, -1};
};

QStringList heard(const QSignalSpy& spy)
{
    QStringList phrases;
    for (const QList<QVariant>& args : spy)
        phrases << args.at(0).toString();
    return phrases;
}

// Waits until everything written has been read and handled.
void settle(const Pipe& pipe)
{
    ASSERT_TRUE(waitForEvents([&] { return pipe.drained(); }));
    QCoreApplication::processEvents();
}

} // namespace

TEST(ConsoleRecognizer, EachLineIsOnePhraseInOrderWithoutLineEnds)
{
    Pipe pipe;
    ConsoleRecognizer recognizer(pipe.readEnd());
    QSignalSpy spy(&recognizer, &Recognizer::PhraseHeard);
    recognizer.StartRecognition();

    pipe.write("Open Mail\r\nWhat Time Is It\n\n\r\n");
    pipe.write("Exit Sarquen\n");
    ASSERT_TRUE(waitForEvents([&] { return spy.size() >= 3; }));
    settle(pipe);

    EXPECT_EQ(heard(spy), QStringList({"Open Mail", "What Time Is It", "Exit Sarquen"}));
}

TEST(ConsoleRecognizer, HearsOnlyWhileStartedAndKeepsNothingForLater)
{
    Pipe pipe;
    ConsoleRecognizer recognizer(pipe.readEnd());
    QSignalSpy spy(&recognizer, &Recognizer::PhraseHeard);

    pipe.write("before start\n");
    settle(pipe);
    recognizer.StartRecognition();
    recognizer.StartRecognition();
    pipe.write("one\n");
    ASSERT_TRUE(waitForEvents([&] { return spy.size() == 1; }));

    recognizer.StopRecognition();
    recognizer.StopRecognition();
    pipe.write("while stopped\n");
    settle(pipe);
    recognizer.StartRecognition();
    pipe.write("two\n");
    ASSERT_TRUE(waitForEvents([&] { return spy.size() >= 2; }));
    settle(pipe);

    EXPECT_EQ(heard(spy), QStringList({"one", "two"}));
}

TEST(ConsoleRecognizer, StoppingInsideAHandlerDropsLinesAlreadyRead)
{
    Pipe pipe;
    ConsoleRecognizer recognizer(pipe.readEnd());
    QSignalSpy spy(&recognizer, &Recognizer::PhraseHeard);
    QObject::connect(&recognizer, &Recognizer::PhraseHeard, &recognizer,
                     [&](const QString& phrase) {
                         if (phrase == "Stop Listening")
                             recognizer.StopRecognition();
                     });
    recognizer.StartRecognition();

    // One write: all three lines are read at once, before the first is handled.
    pipe.write("Stop Listening\nsecond\nthird\n");
    settle(pipe);
    EXPECT_EQ(heard(spy), QStringList({"Stop Listening"}));

    recognizer.StartRecognition();
    pipe.write("after restart\n");
    ASSERT_TRUE(waitForEvents([&] { return spy.size() >= 2; }));
    EXPECT_EQ(heard(spy), QStringList({"Stop Listening", "after restart"}));
}

TEST(ConsoleRecognizer, HandlerThatRunsTheEventLoopKeepsArrivalOrder)
{
    // A script waiting for its speech processes events inside the handler, so newer
    // lines are read and handed on before the handler returns.
    Pipe pipe;
    ConsoleRecognizer recognizer(pipe.readEnd());
    QSignalSpy spy(&recognizer, &Recognizer::PhraseHeard);
    QObject::connect(&recognizer, &Recognizer::PhraseHeard, &recognizer,
                     [&](const QString& phrase) {
                         if (phrase != "a")
                             return;
                         pipe.write("c\n");
                         waitForEvents([&] { return pipe.drained(); });
                         QCoreApplication::processEvents();
                     });
    recognizer.StartRecognition();

    pipe.write("a\nb\n");
    ASSERT_TRUE(waitForEvents([&] { return spy.size() >= 3; }));
    settle(pipe);
    EXPECT_EQ(heard(spy), QStringList({"a", "b", "c"}));
}

TEST(ConsoleRecognizer, LineSplitAcrossWritesIsOnePhrase)
{
    Pipe pipe;
    ConsoleRecognizer recognizer(pipe.readEnd());
    QSignalSpy spy(&recognizer, &Recognizer::PhraseHeard);
    recognizer.StartRecognition();

    pipe.write("Open Wo");
    settle(pipe);
    EXPECT_EQ(spy.size(), 0);
    pipe.write("rd\r");
    settle(pipe);
    EXPECT_EQ(spy.size(), 0);
    pipe.write("\n");
    ASSERT_TRUE(waitForEvents([&] { return spy.size() >= 1; }));

    // UTF-8: a character whose bytes arrive in two reads stays whole.
    pipe.write("Caf\xC3");
    settle(pipe);
    pipe.write("\xA9 Ol\xC3\xA9\n");
    ASSERT_TRUE(waitForEvents([&] { return spy.size() >= 2; }));
    settle(pipe);

    EXPECT_EQ(heard(spy), QStringList({"Open Word", QString::fromUtf8("Café Olé")}));
}

TEST(ConsoleRecognizer, EndOfInputDeliversTheLastLineAndStopsQuietly)
{
    Pipe pipe;
    ConsoleRecognizer recognizer(pipe.readEnd());
    QSignalSpy spy(&recognizer, &Recognizer::PhraseHeard);
    recognizer.StartRecognition();

    pipe.write("first\nlast without line end");
    pipe.closeWriteEnd();
    ASSERT_TRUE(waitForEvents([&] { return recognizer.inputEnded(); }));
    QTest::qWait(5);

    EXPECT_EQ(heard(spy), QStringList({"first", "last without line end"}));
    // Recognition itself is untouched by the end of input.
    recognizer.StopRecognition();
    recognizer.StartRecognition();
    EXPECT_TRUE(recognizer.isRecognising());
}

TEST(ConsoleRecognizer, ReadsARegularFile)
{
    TempDir dir;
    const QString path = dir.write("phrases.txt", "alpha\r\n\nbeta\n");
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    {
        ConsoleRecognizer recognizer(fd);
        QSignalSpy spy(&recognizer, &Recognizer::PhraseHeard);
        recognizer.StartRecognition();
        ASSERT_TRUE(waitForEvents([&] { return recognizer.inputEnded(); }));
        EXPECT_EQ(heard(spy), QStringList({"alpha", "beta"}));
    }
    ::close(fd);
}

TEST(ConsoleRecognizer, ClosedDescriptorHearsNothing)
{
    Pipe pipe;
    const int fd = ::dup(pipe.readEnd());
    ::close(fd);
    ConsoleRecognizer recognizer(fd);
    QSignalSpy spy(&recognizer, &Recognizer::PhraseHeard);
    recognizer.StartRecognition();
    QTest::qWait(5);
    EXPECT_TRUE(recognizer.inputEnded());
    EXPECT_EQ(spy.size(), 0);
}
