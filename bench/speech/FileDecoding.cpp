#include "bench/speech/FileDecoding.h"

#include <QProcess>
#include <chrono>
#include <optional>
#include <thread>

namespace bench {
namespace {

constexpr std::size_t kChunk = kRate / 50;      // 20 ms, as the recogniser reads
constexpr std::size_t kTrailingSilence = kRate; // 1 s

} // namespace

Outcome decodeFile(PhraseDecoder& decoder, const std::vector<std::int16_t>& samples,
                   std::size_t end, bool live)
{
    using Clock = std::chrono::steady_clock;
    Outcome o;
    std::vector<std::int16_t> stream = samples;
    const std::size_t lead = std::min(samples.size(), static_cast<std::size_t>(kRate * 4 / 10));
    for (std::size_t i = 0; i < kTrailingSilence; ++i)
        stream.push_back(lead ? samples[i % lead] : 0);
    o.audioSeconds = static_cast<double>(samples.size()) / kRate;
    o.fedSeconds = static_cast<double>(stream.size()) / kRate;
    std::optional<Clock::time_point> endHeard; // when the end of the speech was fed
    for (std::size_t at = 0; at < stream.size(); at += kChunk) {
        const std::size_t n = std::min(kChunk, stream.size() - at);
        if (live && !o.latencyMs && at + n > end) {
            if (!endHeard)
                endHeard = Clock::now();
            std::this_thread::sleep_until(
                *endHeard + std::chrono::microseconds((at + n - end) * 1000000 / kRate));
        }
        std::vector<DecodedUtterance> heard;
        const bool speaking = decoder.inUtterance();
        const auto started = Clock::now();
        decoder.feed(stream.data() + at, n, [&](const DecodedUtterance& u) { heard.push_back(u); });
        const double wall = std::chrono::duration<double>(Clock::now() - started).count();
        o.wallSeconds += wall;
        const double ms = static_cast<double>(at + n) * 1000.0 / kRate;
        for (const DecodedUtterance& u : heard) {
            o.utterances << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9|%10|%11|%12|%13")
                                .arg(u.candidate.value_or(QStringLiteral("-")))
                                .arg(u.score, 0, 'f', 2)
                                .arg(u.wordScore, 0, 'f', 2)
                                .arg(u.shortestPhone, 0, 'f', 1)
                                .arg(u.longestPhone, 0, 'f', 1)
                                .arg(u.phrase ? 1 : 0)
                                .arg(u.tonalShare, 0, 'f', 2)
                                .arg(u.snrDb, 0, 'f', 1)
                                .arg(rejectionText(u.rejection))
                                .arg(u.rival.value_or(QStringLiteral("-")))
                                .arg(u.rivalMargin, 0, 'f', 2)
                                .arg(u.noSpeech, 0, 'f', 3)
                                .arg(ms / 1000, 0, 'f', 2);
            o.events.push_back({ms, false, u.phrase});
            if (!u.phrase)
                continue;
            o.accepted << *u.phrase;
            if (!o.latencyMs) {
                const double delivered = static_cast<double>(at + n) - static_cast<double>(end);
                o.latencyMs = delivered * 1000.0 / kRate + wall * 1000.0;
            }
        }
        // As the recogniser does: an utterance that began in this chunk is told after the
        // phrases that ended in it.
        if (!speaking && decoder.inUtterance())
            o.events.push_back({ms, true, std::nullopt});
    }
    decoder.reset();
    return o;
}

bool runScript(const QString& script, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("bash"), QStringList{script} + args);
    if (!p.waitForStarted() || !p.waitForFinished(-1))
        return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace bench
