#include "speech/sphinx/DeepFilter.h"

#include <QDebug>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <speex/speex_resampler.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sphinx {

// The runtime's C functions, as its library exports them (it ships no header).
struct DeepFilter::Runtime
{
    void* library = nullptr;
    // The model archive's path, the attenuation limit in dB, and a log level (null: the
    // runtime keeps its log to itself). Ends the process on a model it cannot read.
    DeepFilterState* (*create)(const char* model, float attenuationDb, const char* logLevel);
    // Samples per frame at 48 kHz.
    std::size_t (*frameLength)(DeepFilterState* state);
    // One frame in, one frame out; returns the frame's signal-to-noise estimate in dB.
    float (*processFrame)(DeepFilterState* state, float* in, float* out);
    void (*free)(DeepFilterState* state);

    ~Runtime()
    {
        // Opened to stay (RTLD_NODELETE): code that threads which used the runtime still
        // run when they end (their thread-local values' destructors) must not go away
        // before them. This only drops the reference.
        if (library)
            dlclose(library);
    }
};

namespace {

constexpr int kOurRate = 16000;
constexpr int kNetworkRate = 48000;
constexpr int kRatio = kNetworkRate / kOurRate;
constexpr int kResamplerQuality = 8; // of 10: a long windowed-sinc filter, still cheap here
// How long the child trying out the model may take; making a state takes a third of a
// second on a slow machine.
constexpr int kTryOutSeconds = 30;
// The latest the network may answer, in frames: DeepFilterNet 3 answers after three.
constexpr std::size_t kLatestFrames = 10;

// `in` at another rate, as many samples as `want`, in step with it: the resampler's own
// delay is skipped at the start and its filter flushed with silence at the end.
std::vector<float> resample(const float* in, std::size_t count, int from, int to, std::size_t want)
{
    int err = 0;
    SpeexResamplerState* resampler = speex_resampler_init(
        1, static_cast<spx_uint32_t>(from), static_cast<spx_uint32_t>(to), kResamplerQuality, &err);
    std::vector<float> out(want);
    if (!resampler)
        return out;
    speex_resampler_skip_zeros(resampler);
    std::vector<float> padded(in, in + count);
    padded.resize(count + static_cast<std::size_t>(speex_resampler_get_input_latency(resampler)));
    std::size_t read = 0, written = 0;
    while (read < padded.size() && written < out.size()) {
        auto inLen = static_cast<spx_uint32_t>(padded.size() - read);
        auto outLen = static_cast<spx_uint32_t>(out.size() - written);
        speex_resampler_process_float(resampler, 0, padded.data() + read, &inLen,
                                      out.data() + written, &outLen);
        if (inLen == 0 && outLen == 0)
            break;
        read += inLen;
        written += outLen;
    }
    speex_resampler_destroy(resampler);
    return out;
}

// Runs `in` through `state` a frame at a time; the last part frame is padded with silence.
std::vector<float> runFrames(const DeepFilter::Runtime& runtime, DeepFilterState* state,
                             std::vector<float> in, std::size_t frame)
{
    in.resize((in.size() + frame - 1) / frame * frame, 0.0f);
    std::vector<float> out(in.size());
    for (std::size_t pos = 0; pos < in.size(); pos += frame)
        runtime.processFrame(state, in.data() + pos, out.data() + pos);
    return out;
}

// How many samples late the network answers: a voiced sound whose pitch glides (so that no
// two periods are alike) goes through it in a little noise, and the lag at which the answer
// matches it best is the delay. Negative when no lag matches clearly.
long measureDelay(const DeepFilter::Runtime& runtime, DeepFilterState* state, std::size_t frame)
{
    const std::size_t lead = kNetworkRate / 2, voiced = kNetworkRate * 3 / 10;
    std::vector<float> in(lead + voiced + kLatestFrames * frame);
    std::uint32_t seed = 1;
    for (float& s : in) {
        seed = seed * 1664525u + 1013904223u;
        s = 0.003f * (static_cast<float>(seed >> 8) / (1 << 24) - 0.5f);
    }
    double phase = 0;
    for (std::size_t i = 0; i < voiced; ++i) {
        const double t = static_cast<double>(i) / voiced;
        phase += 2 * M_PI * (120 + 120 * t) / kNetworkRate;
        double harmonics = 0;
        for (int h = 1; h <= 12; ++h)
            harmonics += std::sin(h * phase) / h;
        const double window = std::sin(M_PI * t);
        in[lead + i] += static_cast<float>(0.15 * window * window * harmonics);
    }
    const std::vector<float> out = runFrames(runtime, state, in, frame);
    const auto product = [&](const std::vector<float>& a, const std::vector<float>& b,
                             std::size_t lag) {
        double sum = 0;
        for (std::size_t i = lead; i < lead + voiced; ++i)
            sum += static_cast<double>(a[i]) * b[i + lag];
        return sum;
    };
    std::size_t best = 0;
    double bestSum = product(in, out, 0);
    for (std::size_t lag = 1; lag < kLatestFrames * frame; ++lag) {
        if (const double sum = product(in, out, lag); sum > bestSum) {
            bestSum = sum;
            best = lag;
        }
    }
    double outPower = 0;
    for (std::size_t i = lead; i < lead + voiced; ++i)
        outPower += static_cast<double>(out[i + best]) * out[i + best];
    // The network keeps such a voice nearly as it was: the answer, moved back by the delay,
    // is the sound that went in.
    if (bestSum <= 0 || bestSum / std::sqrt(product(in, in, 0) * outPower) < 0.5)
        return -1;
    return static_cast<long>(best);
}

// What the runtime said on its way out, without the thread's name and the backtrace.
QString runtimeComplaint(const QByteArray& stderrText)
{
    QStringList said;
    for (const QByteArray& raw : stderrText.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1String("stack backtrace"), Qt::CaseInsensitive) ||
            line.startsWith(QLatin1String("note: run with")))
            break;
        if (!line.isEmpty() && !line.startsWith(QLatin1String("thread '")))
            said << line;
    }
    return said.join(QLatin1Char(' '));
}

// What a model showed when tried out: samples per frame and how many of them late the
// network answers; a negative delay when it could not be measured.
struct Trial
{
    long frame = 0;
    long delay = -1;
};

// Makes a state from the model in a child process and measures the network with it; false
// with the reason in `error` when that fails.
bool tryOut(const DeepFilter::Runtime& runtime, const QByteArray& model, float attenuationDb,
            Trial* trial, QString* error)
{
    int said[2], answer[2];
    if (pipe2(said, O_CLOEXEC) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (pipe2(answer, O_CLOEXEC) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        close(said[0]);
        close(said[1]);
        return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(said[1], STDERR_FILENO);
        Trial found;
        if (DeepFilterState* state = runtime.create(model.constData(), attenuationDb, nullptr)) {
            const std::size_t frame = runtime.frameLength(state);
            found.frame = static_cast<long>(frame);
            if (frame > 0 && frame <= kNetworkRate)
                found.delay = measureDelay(runtime, state, frame);
        }
        const bool sent = write(answer[1], &found, sizeof found) == sizeof found;
        _exit(sent ? 0 : 1);
    }
    close(said[1]);
    close(answer[1]);
    if (child < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        close(said[0]);
        close(answer[0]);
        return false;
    }
    // What the child says is read as it comes, so that it never waits on a full pipe.
    QByteArray stderrText;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTryOutSeconds);
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{said[0], POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::max<long>(0, left.count())));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            timedOut = true;
            break;
        }
        char buffer[4096];
        const ssize_t n = read(said[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        if (stderrText.size() < 65536)
            stderrText.append(buffer, n);
    }
    if (timedOut)
        kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool answered = read(answer[0], trial, sizeof *trial) == sizeof *trial;
    close(said[0]);
    close(answer[0]);
    if (timedOut) {
        *error = QStringLiteral("it took longer than %1 s").arg(kTryOutSeconds);
        return false;
    }
    if (!answered || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = runtimeComplaint(stderrText);
        if (error->isEmpty())
            *error = WIFSIGNALED(status)
                         ? QStringLiteral("the runtime ended with signal %1").arg(WTERMSIG(status))
                         : QStringLiteral("the runtime refused it");
        return false;
    }
    if (trial->frame <= 0 || trial->frame > kNetworkRate) {
        *error = QStringLiteral("its frames of %1 samples are unusable").arg(trial->frame);
        return false;
    }
    if (trial->delay < 0) {
        *error = QStringLiteral("what comes out does not follow what goes in");
        return false;
    }
    return true;
}

// The model's bytes in an anonymous file, or -1 with the reason in `error`.
int readModel(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return -1;
    }
    const QByteArray bytes = file.readAll();
    const int fd = memfd_create("deepfilter-model", MFD_CLOEXEC);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
            close(fd);
            return -1;
        }
        done += n;
    }
    return fd;
}

QByteArray fdPath(int fd)
{
    return QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(fd);
}

} // namespace

std::unique_ptr<DeepFilter> DeepFilter::load(const QString& library, const QString& model,
                                             int attenuationDb, QString* error)
{
    QString why;
    const auto fail = [&](const QString& message) -> std::unique_ptr<DeepFilter> {
        if (error)
            *error = message;
        return nullptr;
    };
    // Read once: the states made later come from the same bytes, so that a model replaced
    // or removed while the program runs cannot take it down.
    const int modelFd = readModel(model, &why);
    if (modelFd < 0)
        return fail(QStringLiteral("cannot read the model %1: %2").arg(model, why));
    const auto failWithModel = [&](const QString& message) {
        close(modelFd);
        return fail(message);
    };

    auto runtime = std::make_unique<Runtime>();
    runtime->library =
        dlopen(QFile::encodeName(library).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!runtime->library)
        return failWithModel(
            QStringLiteral("cannot load %1: %2").arg(library, QString::fromLocal8Bit(dlerror())));
    const auto resolve = [&](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            dlsym(runtime->library, name));
        if (!function)
            why = QStringLiteral("%1 is not DeepFilterNet's runtime: it has no %2")
                      .arg(library, QLatin1String(name));
        return function != nullptr;
    };
    if (!resolve(runtime->create, "df_create") ||
        !resolve(runtime->frameLength, "df_get_frame_length") ||
        !resolve(runtime->processFrame, "df_process_frame") || !resolve(runtime->free, "df_free"))
        return failWithModel(why);

    Trial trial;
    if (!tryOut(*runtime, fdPath(modelFd), static_cast<float>(std::abs(attenuationDb)), &trial,
                &why))
        return failWithModel(QStringLiteral("cannot use the model %1: %2").arg(model, why));
    return std::unique_ptr<DeepFilter>(new DeepFilter(std::move(runtime), modelFd, attenuationDb,
                                                      static_cast<std::size_t>(trial.frame),
                                                      static_cast<std::size_t>(trial.delay)));
}

DeepFilter::DeepFilter(std::unique_ptr<Runtime> runtime, int modelFd, int attenuationDb,
                       std::size_t frame, std::size_t delay)
    : runtime_(std::move(runtime)), modelFd_(modelFd), model_(fdPath(modelFd)),
      attenuationDb_(static_cast<float>(std::abs(attenuationDb))), frame_(frame), delay_(delay)
{
    next_ = std::async(std::launch::async, [this] { return makeState(); });
}

DeepFilter::~DeepFilter()
{
    if (next_.valid()) {
        if (DeepFilterState* state = next_.get())
            runtime_->free(state);
    }
    close(modelFd_);
}

DeepFilterState* DeepFilter::makeState() const
{
    return runtime_->create(model_.constData(), attenuationDb_, nullptr);
}

DeepFilterState* DeepFilter::takeState()
{
    DeepFilterState* state = next_.valid() ? next_.get() : makeState();
    next_ = std::async(std::launch::async, [this] { return makeState(); });
    return state;
}

std::vector<std::int16_t> DeepFilter::clean(const std::int16_t* background,
                                            std::size_t backgroundCount, const std::int16_t* audio,
                                            std::size_t count)
{
    const std::size_t total = backgroundCount + count;
    std::vector<float> in(total);
    for (std::size_t i = 0; i < backgroundCount; ++i)
        in[i] = background[i] / 32768.0f;
    for (std::size_t i = 0; i < count; ++i)
        in[backgroundCount + i] = audio[i] / 32768.0f;

    std::vector<float> fast = resample(in.data(), total, kOurRate, kNetworkRate, total * kRatio);
    // Silence after the end lets the network's last answers out.
    fast.resize(fast.size() + delay_, 0.0f);
    DeepFilterState* state = takeState();
    if (!state) {
        qWarning() << "DeepFilterNet could not make a state; the audio stays as it was";
        return std::vector<std::int16_t>(audio, audio + count);
    }
    const std::vector<float> answer = runFrames(*runtime_, state, std::move(fast), frame_);
    runtime_->free(state);
    const std::vector<float> cleaned =
        resample(answer.data() + delay_, total * kRatio, kNetworkRate, kOurRate, total);

    std::vector<std::int16_t> out(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::int16_t>(
            std::clamp(std::lround(cleaned[backgroundCount + i] * 32768.0f), -32768L, 32767L));
    return out;
}

} // namespace sphinx
