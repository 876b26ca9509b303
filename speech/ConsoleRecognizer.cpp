#include "speech/ConsoleRecognizer.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

ConsoleRecognizer::ConsoleRecognizer(int fd, QObject* parent) : Recognizer(parent), fd_(fd)
{
    // A program started without standard input (closed descriptor) simply hears nothing.
    if (fd_ < 0 || ::fcntl(fd_, F_GETFL) == -1) {
        ended_ = true;
        return;
    }
    // The event loop polls the descriptor; poll() reports terminals and pipes when data
    // or the end arrives, and regular files as always readable, so all three work.
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ConsoleRecognizer::readAvailable);
}

void ConsoleRecognizer::LoadGrammarText(const QString& grammar)
{
    grammar_ = grammar;
}

void ConsoleRecognizer::readAvailable()
{
    if (ended_)
        return;
    // One read per notification: poll() said there is data, so it does not block. The
    // descriptor stays in blocking mode, as it may be shared with the shell.
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0) {
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
            return; // the notifier fires again
        endInput();
        return;
    }
    if (n == 0) {
        endInput();
        return;
    }
    partial_.append(buffer, n);
    takeLines(false);
    deliverPending();
}

void ConsoleRecognizer::endInput()
{
    ended_ = true;
    notifier_->setEnabled(false);
    takeLines(true);
    deliverPending();
}

void ConsoleRecognizer::takeLines(bool atEnd)
{
    qsizetype start = 0;
    while (start < partial_.size()) {
        qsizetype end = partial_.indexOf('\n', start);
        if (end < 0) {
            if (!atEnd)
                break;
            end = partial_.size(); // a last line without a line end is still a line
        }
        QByteArray line = partial_.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            pending_.push_back(QString::fromUtf8(line));
        start = end + 1;
    }
    partial_.remove(0, qMin(start, partial_.size()));
}

void ConsoleRecognizer::deliverPending()
{
    // Lines leave the queue before they are handed on: a handler that processes events
    // may read and deliver newer lines, which keeps them in order, and a handler that
    // stops recognition makes deliverPhrase drop the lines still waiting.
    while (!pending_.empty()) {
        const QString phrase = pending_.front();
        pending_.pop_front();
        deliverPhrase(phrase);
    }
}
