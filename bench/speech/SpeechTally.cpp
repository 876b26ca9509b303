#include "bench/speech/SpeechTally.h"

namespace bench {

QJsonValue jsonNumber(double v)
{
    return std::isnan(v) ? QJsonValue() : QJsonValue(v);
}

QJsonObject tallyJson(const Tally& t)
{
    QJsonObject o{{"commands", t.commands},
                  {"correct", t.correct},
                  {"rejected", t.rejected},
                  {"wrong", t.wrong},
                  {"must_reject", t.mustReject},
                  {"false_accepted", t.falseAccepted},
                  {"accuracy_percent", jsonNumber(t.accuracy())},
                  {"false_accept_percent", jsonNumber(t.falsePercent())},
                  {"false_accepts_per_hour", jsonNumber(t.falsePerHour())},
                  {"launches_per_hour", jsonNumber(t.perHour(t.launches))},
                  {"start_phrase_openings_per_hour", jsonNumber(t.perHour(t.openings))}};
    if (t.timed) {
        o.insert(QStringLiteral("latency_median_ms"), jsonNumber(t.latency(0.5)));
        o.insert(QStringLiteral("latency_p95_ms"), jsonNumber(t.latency(0.95)));
        o.insert(QStringLiteral("real_time_factor"), jsonNumber(t.rtf()));
    }
    return o;
}

} // namespace bench
