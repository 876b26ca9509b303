#include "speech/whisper/WhisperProcess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace whisper {
namespace {

// Loading the model takes about a second; a cold disk and Python's start may take more.
constexpr int kStartTimeoutMs = 60000;
// An utterance takes a few hundred milliseconds; a stuck process must not hold the
// recogniser for long.
constexpr int kAnswerTimeoutMs = 10000;

} // namespace

std::unique_ptr<WhisperProcess> WhisperProcess::start(const QStringList& command, QString* error)
{
    if (command.isEmpty()) {
        if (error)
            *error = QStringLiteral("no command for the Whisper recogniser");
        return nullptr;
    }
    // One socket for both ways: unlike a pipe, writing to it after the process died fails
    // with an error instead of a signal that would end the program.
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    std::vector<QByteArray> args;
    for (const QString& a : command)
        args.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (spawned != 0) {
        close(ends[0]);
        if (error)
            *error = QStringLiteral("cannot start %1: %2")
                         .arg(command.front(), QString::fromLocal8Bit(std::strerror(spawned)));
        return nullptr;
    }
    std::unique_ptr<WhisperProcess> process(new WhisperProcess(pid, ends[0]));
    const std::optional<QByteArray> greeting = process->readLine(kStartTimeoutMs, error);
    if (!greeting)
        return nullptr;
    if (*greeting != "ready") {
        if (error)
            *error = greeting->startsWith("error ")
                         ? QStringLiteral("the Whisper recogniser cannot load its model: %1")
                               .arg(QString::fromUtf8(greeting->mid(6)))
                         : QStringLiteral("the Whisper recogniser said \"%1\" instead of ready")
                               .arg(QString::fromUtf8(greeting->left(200)));
        return nullptr;
    }
    return process;
}

WhisperProcess::~WhisperProcess()
{
    // Closing the socket ends its input, on which it ends; one that does not is stopped.
    close(socket_);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) != 0)
            return;
        usleep(10000);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

bool WhisperProcess::fail(const QString& why, QString* error)
{
    if (broken_.isEmpty())
        broken_ = why;
    if (error)
        *error = broken_;
    return false;
}

bool WhisperProcess::send(const QByteArray& data, QString* error)
{
    if (!broken_.isEmpty())
        return fail(broken_, error);
    for (qsizetype sent = 0; sent < data.size();) {
        const ssize_t n = ::send(socket_, data.constData() + sent,
                                 static_cast<std::size_t>(data.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(QStringLiteral("the Whisper recogniser stopped"), error);
        sent += n;
    }
    return true;
}

std::optional<QByteArray> WhisperProcess::readLine(int timeoutMs, QString* error)
{
    if (!broken_.isEmpty()) {
        fail(broken_, error);
        return std::nullopt;
    }
    while (!buffer_.contains('\n')) {
        pollfd p{socket_, POLLIN, 0};
        const int ready = poll(&p, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            kill(pid_, SIGKILL);
            fail(QStringLiteral("the Whisper recogniser did not answer within %1 s")
                     .arg(timeoutMs / 1000),
                 error);
            return std::nullopt;
        }
        char chunk[4096];
        const ssize_t n = ready < 0 ? -1 : recv(socket_, chunk, sizeof chunk, 0);
        if (n <= 0) {
            fail(QStringLiteral("the Whisper recogniser stopped"), error);
            return std::nullopt;
        }
        buffer_.append(chunk, n);
    }
    const qsizetype end = buffer_.indexOf('\n');
    QByteArray line = buffer_.left(end);
    buffer_.remove(0, end + 1);
    return line;
}

bool WhisperProcess::setPhrases(const QStringList& phrases, QString* error)
{
    QByteArray request = "phrases " + QByteArray::number(phrases.size()) + '\n';
    for (const QString& p : phrases)
        request += p.simplified().toUtf8() + '\n';
    if (!send(request, error))
        return false;
    const std::optional<QByteArray> reply = readLine(kAnswerTimeoutMs, error);
    if (!reply)
        return false;
    if (!reply->startsWith("ok "))
        return fail(QStringLiteral("the Whisper recogniser refused the phrases: %1")
                        .arg(QString::fromUtf8(*reply)),
                    error);
    return true;
}

std::optional<Answer> WhisperProcess::hear(const std::vector<std::int16_t>& audio, QString* error)
{
    QByteArray request = "hear " + QByteArray::number(static_cast<qulonglong>(audio.size())) + '\n';
    for (const std::int16_t s : audio) {
        const auto u = static_cast<std::uint16_t>(s);
        request += static_cast<char>(u & 0xff);
        request += static_cast<char>(u >> 8);
    }
    if (!send(request, error))
        return std::nullopt;
    const std::optional<QByteArray> reply = readLine(kAnswerTimeoutMs, error);
    if (!reply)
        return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(*reply).object();
    if (!o.contains(QStringLiteral("heard"))) {
        fail(QStringLiteral("the Whisper recogniser answered \"%1\"")
                 .arg(QString::fromUtf8(reply->left(200))),
             error);
        return std::nullopt;
    }
    Answer a;
    a.heard = o.value(QStringLiteral("heard")).toString();
    a.heardScore = o.value(QStringLiteral("heard_score")).toDouble();
    if (o.value(QStringLiteral("phrase")).isString())
        a.phrase = o.value(QStringLiteral("phrase")).toString();
    a.phraseScore = o.value(QStringLiteral("score")).toDouble();
    a.noSpeech = o.value(QStringLiteral("no_speech")).toDouble();
    a.milliseconds = o.value(QStringLiteral("ms")).toDouble();
    return a;
}

} // namespace whisper
