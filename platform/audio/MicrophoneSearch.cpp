#include "platform/audio/MicrophoneSearch.h"

#include <QStringList>
#include <algorithm>
#include <chrono>
#include <functional>
#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

namespace platform {

namespace {

using Outcome = MicrophoneSearch::Outcome;

// A local server answers at once; a remote one that does not answer in this time is
// taken for none, so that the program does not hang at its start.
constexpr auto kPatience = std::chrono::seconds(5);

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// The server's answers to the two questions.
struct Answers
{
    bool serverInfoDone = false;
    bool sourcesDone = false;
    QString defaultSource;
    std::vector<SoundSource> sources;
};

void takeServerInfo(pa_context*, const pa_server_info* info, void* data)
{
    auto* answers = static_cast<Answers*>(data);
    if (info && info->default_source_name)
        answers->defaultSource = QString::fromUtf8(info->default_source_name);
    answers->serverInfoDone = true;
}

void takeSource(pa_context*, const pa_source_info* info, int last, void* data)
{
    auto* answers = static_cast<Answers*>(data);
    if (last != 0 || !info) {
        answers->sourcesDone = true;
        return;
    }
    SoundSource source;
    source.name = QString::fromUtf8(info->name);
    source.description = QString::fromUtf8(info->description ? info->description : info->name);
    source.monitor = info->monitor_of_sink != PA_INVALID_INDEX;
    source.unplugged = info->active_port && info->active_port->available == PA_PORT_AVAILABLE_NO;
    answers->sources.push_back(std::move(source));
}

// A connection to the server with a main loop of its own, run on the calling thread.
class ServerConnection
{
public:
    explicit ServerConnection(const QString& server)
        : loop_(pa_mainloop_new()),
          context_(pa_context_new(pa_mainloop_get_api(loop_), "Ombrel Sarquen"))
    {
        const QByteArray name = server.toUtf8();
        if (!context_ || pa_context_connect(context_, name.isEmpty() ? nullptr : name.constData(),
                                            PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return;
        runUntil([this] { return !PA_CONTEXT_IS_GOOD(state()) || state() == PA_CONTEXT_READY; });
    }
    ~ServerConnection()
    {
        if (context_) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        pa_mainloop_free(loop_);
    }
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    bool isReady() const { return context_ && state() == PA_CONTEXT_READY; }
    pa_context* context() const { return context_; }

    // Why the last step failed, in the sound library's words.
    QString error() const
    {
        if (timedOut_)
            return QStringLiteral("no answer within %1 seconds").arg(kPatience.count());
        return QString::fromUtf8(
            pa_strerror(context_ ? pa_context_errno(context_) : PA_ERR_INTERNAL));
    }

    // Handles the server's messages until `done`; false when the time ran out first.
    bool runUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 ||
                pa_mainloop_prepare(loop_, static_cast<int>(left.count())) < 0 ||
                pa_mainloop_poll(loop_) < 0 || pa_mainloop_dispatch(loop_) < 0) {
                timedOut_ = left.count() <= 0;
                return false;
            }
        }
        return true;
    }

private:
    pa_context_state_t state() const { return pa_context_get_state(context_); }

    pa_mainloop* loop_;
    pa_context* context_;
    bool timedOut_ = false;
};

MicrophoneSearch noServer(const QString& reason)
{
    return {Outcome::NoServer,
            {},
            QStringLiteral("no sound server is running (PulseAudio or PipeWire): ") + reason};
}

} // namespace

MicrophoneSearch chooseMicrophone(const QString& defaultSource,
                                  const std::vector<SoundSource>& sources)
{
    const auto named = std::find_if(sources.begin(), sources.end(),
                                    [&](const SoundSource& s) { return s.name == defaultSource; });
    if (named != sources.end() && !named->monitor)
        return {Outcome::Found, defaultSource, {}};

    auto chosen = std::find_if(sources.begin(), sources.end(),
                               [](const SoundSource& s) { return !s.monitor && !s.unplugged; });
    if (chosen == sources.end())
        chosen = std::find_if(sources.begin(), sources.end(),
                              [](const SoundSource& s) { return !s.monitor; });
    if (chosen == sources.end()) {
        if (sources.empty())
            return {Outcome::NoMicrophone,
                    {},
                    QStringLiteral("the sound server has no recording source at all")};
        QStringList monitors;
        for (const SoundSource& s : sources)
            monitors << quoted(s.name);
        return {Outcome::NoMicrophone,
                {},
                QStringLiteral("the sound server has no microphone, only the monitors of its "
                               "outputs (%1), which record what the speakers play")
                    .arg(monitors.join(QStringLiteral(", ")))};
    }

    QString why;
    if (named != sources.end())
        why = QStringLiteral("the default source %1 is the monitor of an output, not a microphone")
                  .arg(quoted(defaultSource));
    else if (defaultSource.isEmpty())
        why = QStringLiteral("the sound server names no default source");
    else
        why = QStringLiteral("the default source %1 does not exist").arg(quoted(defaultSource));
    return {Outcome::Found, chosen->name,
            QStringLiteral("listening to %1 (%2): %3")
                .arg(quoted(chosen->name), chosen->description, why)};
}

MicrophoneSearch findMicrophone(const QString& server)
{
    ServerConnection connection(server);
    if (!connection.isReady())
        return noServer(connection.error());
    Answers answers;
    pa_operation* serverInfo =
        pa_context_get_server_info(connection.context(), takeServerInfo, &answers);
    pa_operation* sources =
        pa_context_get_source_info_list(connection.context(), takeSource, &answers);
    const bool answered = serverInfo && sources && connection.runUntil([&] {
        return (answers.serverInfoDone && answers.sourcesDone) || !connection.isReady();
    }) && connection.isReady();
    for (pa_operation* operation : {serverInfo, sources}) {
        if (!operation)
            continue;
        // Unanswered after all: the answer must not reach `answers` once it is gone.
        if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
    }
    if (!answered)
        return noServer(connection.error());
    return chooseMicrophone(answers.defaultSource, answers.sources);
}

} // namespace platform
