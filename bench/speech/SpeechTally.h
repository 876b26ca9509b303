#pragma once

#include "bench/speech/SpeechCorpus.h"

#include <QJsonObject>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace bench {

// When, in the stream, the decoder said an utterance began (`phrase` unset) or ended
// (with the phrase heard, if any), in the order the recogniser passes them on.
struct UtteranceEvent
{
    double ms = 0;
    bool started = false;
    std::optional<QString> phrase;
};

// What one engine made of one file.
struct Outcome
{
    std::vector<UtteranceEvent> events; // where the engine tells them
    QStringList accepted;               // phrases heard, in order
    QStringList utterances;             // every utterance, as --verbose writes it
    std::optional<double> latencyMs;    // of the first accepted phrase, when measured
    double audioSeconds = 0;            // the file without the trailing silence
    double fedSeconds = 0;              // with it
    double wallSeconds = 0;             // decoding time
};

// The per-condition tallies of one engine.
struct Tally
{
    int commands = 0, correct = 0, rejected = 0, wrong = 0;
    int mustReject = 0, falseAccepted = 0;
    // Of the material to reject: every phrase accepted, and the start phrases among them.
    int launches = 0, openings = 0;
    double rejectSeconds = 0;
    double fedSeconds = 0, wallSeconds = 0;
    std::vector<double> latencies;
    bool timed = false;

    void add(const Entry& e, const Outcome& o)
    {
        fedSeconds += o.fedSeconds;
        wallSeconds += o.wallSeconds;
        timed = timed || o.wallSeconds > 0;
        if (e.expected.isEmpty()) {
            ++mustReject;
            rejectSeconds += o.audioSeconds;
            if (!o.accepted.isEmpty())
                ++falseAccepted;
            launches += static_cast<int>(o.accepted.size());
            openings += static_cast<int>(o.accepted.count(kStartPhrase));
            return;
        }
        ++commands;
        if (o.accepted.size() == 1 && o.accepted.front() == e.expected) {
            ++correct;
            if (o.latencyMs)
                latencies.push_back(*o.latencyMs);
        } else if (o.accepted.isEmpty()) {
            ++rejected;
        } else {
            ++wrong;
        }
    }
    void add(const Tally& t)
    {
        commands += t.commands, correct += t.correct, rejected += t.rejected, wrong += t.wrong;
        mustReject += t.mustReject, falseAccepted += t.falseAccepted;
        launches += t.launches, openings += t.openings;
        rejectSeconds += t.rejectSeconds, fedSeconds += t.fedSeconds;
        wallSeconds += t.wallSeconds;
        latencies.insert(latencies.end(), t.latencies.begin(), t.latencies.end());
        timed = timed || t.timed;
    }
    double accuracy() const { return commands ? 100.0 * correct / commands : NAN; }
    double falsePercent() const { return mustReject ? 100.0 * falseAccepted / mustReject : NAN; }
    double falsePerHour() const
    {
        return rejectSeconds > 0 ? falseAccepted * 3600.0 / rejectSeconds : NAN;
    }
    double perHour(int count) const
    {
        return rejectSeconds > 0 ? count * 3600.0 / rejectSeconds : NAN;
    }
    double rtf() const { return timed && fedSeconds > 0 ? wallSeconds / fedSeconds : NAN; }
    double latency(double q) const
    {
        if (latencies.empty())
            return NAN;
        std::vector<double> v = latencies;
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, static_cast<std::size_t>(q * v.size()))];
    }
};

QJsonValue jsonNumber(double v);
QJsonObject tallyJson(const Tally& t);

} // namespace bench
