#pragma once

#include "bench/speech/ConditionChart.h"
#include "bench/speech/SpeechTally.h"

#include <QJsonObject>
#include <QString>
#include <map>
#include <sys/types.h>
#include <vector>

namespace bench {

// The tallies of one engine on one corpus, by condition and by speaker or recording set.
struct Results
{
    std::map<QString, Tally> byCondition;
    std::map<QString, std::map<QString, Tally>> bySource; // source -> condition -> tally
    void add(const Entry& e, const Outcome& o)
    {
        byCondition[e.condition].add(e, o);
        bySource[e.source][e.condition].add(e, o);
    }
};

// One engine's results on one corpus, under the engine's name.
struct EngineResults
{
    QString engine;
    const Results* results;
};

// The share of commands heard right, or for material to reject the share that launched
// something: one row per condition and one per speaker or set, one column per engine.
void printEngineConditions(const QStringList& conditions,
                           const std::vector<EngineResults>& engines);
QJsonObject talliesJson(const Results& results);
// A corpus as two panels of the chart: per condition with commands the share heard right,
// per condition with material to reject the share that launched something.
std::vector<ChartPanel> corpusPanels(const QString& corpus, const QStringList& conditions,
                                     const std::vector<EngineResults>& engines);

// What an engine costs beyond its figures on the corpora.
struct EngineCost
{
    double startSeconds = 0;        // from start to the first grammar loaded
    double peakMb = NAN;            // of its own process, or of the bench while it ran
    double listeningCpuPercent = 0; // of one core, over continuous speech
};

// The processes this one started that are still running.
std::vector<pid_t> childProcesses();
// CPU seconds a process has used so far.
double cpuSecondsOf(pid_t pid);
// A memory figure of a process's status ("VmRSS", "VmHWM") in MB; NaN when unknown.
double statusMb(pid_t pid, const char* field);

} // namespace bench
