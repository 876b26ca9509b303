#include "platform/session/EndSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// The handler may only write to a descriptor; the UI thread reads the other end.
int writeEnd = -1;

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
}

void handle(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

} // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent)
{
    if (writeEnd >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0)
        return;
    writeEnd = fds_[0];
    notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(fds_[1], &byte, 1) == 1)
            emit received();
    });
    handle(&onSignal);
}

EndSignals::~EndSignals()
{
    if (fds_[0] < 0)
        return;
    handle(SIG_DFL);
    writeEnd = -1;
    ::close(fds_[0]);
    ::close(fds_[1]);
}

} // namespace platform
