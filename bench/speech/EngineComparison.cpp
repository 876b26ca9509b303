#include "bench/speech/EngineComparison.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <set>
#include <unistd.h>

namespace bench {
namespace {

QString cell(const Tally& t)
{
    if (t.commands)
        return QString::asprintf("%.1f", t.accuracy());
    if (t.mustReject)
        return QString::asprintf("%.1f", t.falsePercent());
    return QStringLiteral("-");
}

Tally at(const std::map<QString, Tally>& byCondition, const QString& condition)
{
    const auto found = byCondition.find(condition);
    return found == byCondition.end() ? Tally() : found->second;
}

void printRow(const QString& label, const std::vector<QString>& cells)
{
    std::printf("%-18s", qPrintable(label.left(18)));
    for (const QString& c : cells)
        std::printf(" %12s", qPrintable(c));
    std::printf("\n");
}

} // namespace

void printEngineConditions(const QStringList& conditions, const std::vector<EngineResults>& engines)
{
    std::printf("\nengines side by side: commands heard right %%, or material to reject that "
                "launched %%\n");
    std::vector<QString> header;
    for (const EngineResults& e : engines)
        header.push_back(e.engine.left(12));
    printRow(QStringLiteral("condition"), header);
    for (const QString& c : conditions) {
        std::vector<QString> cells;
        for (const EngineResults& e : engines)
            cells.push_back(cell(at(e.results->byCondition, c)));
        printRow(c, cells);
    }
    std::set<QString> sources;
    for (const EngineResults& e : engines)
        for (const auto& [source, byCondition] : e.results->bySource)
            sources.insert(source);
    for (const QString& source : sources) {
        for (const QString& c : conditions) {
            std::vector<QString> cells;
            bool any = false;
            for (const EngineResults& e : engines) {
                const auto row = e.results->bySource.find(source);
                const Tally t = row == e.results->bySource.end() ? Tally() : at(row->second, c);
                any = any || t.commands || t.mustReject;
                cells.push_back(cell(t));
            }
            if (any)
                printRow(source + QLatin1Char(' ') + c, cells);
        }
    }
}

QJsonObject talliesJson(const Results& results)
{
    QJsonObject conditions, sources;
    for (const auto& [c, t] : results.byCondition)
        conditions.insert(c, tallyJson(t));
    for (const auto& [source, byCondition] : results.bySource) {
        QJsonObject row;
        for (const auto& [c, t] : byCondition)
            row.insert(c, tallyJson(t));
        sources.insert(source, row);
    }
    return QJsonObject{{"conditions", conditions}, {"sources", sources}};
}

std::vector<ChartPanel> corpusPanels(const QString& corpus, const QStringList& conditions,
                                     const std::vector<EngineResults>& engines)
{
    ChartPanel heard{corpus + QStringLiteral(": commands heard right, %"), {}};
    ChartPanel launched{corpus + QStringLiteral(": material to reject, launched %"), {}};
    for (const QString& c : conditions) {
        ChartGroup commands{c, {}}, reject{c, {}};
        bool anyCommands = false, anyReject = false;
        for (const EngineResults& e : engines) {
            const Tally t = at(e.results->byCondition, c);
            commands.values.push_back(t.accuracy());
            reject.values.push_back(t.falsePercent());
            anyCommands = anyCommands || t.commands > 0;
            anyReject = anyReject || t.mustReject > 0;
        }
        if (anyCommands)
            heard.groups.push_back(commands);
        if (anyReject)
            launched.groups.push_back(reject);
    }
    std::vector<ChartPanel> panels;
    for (const ChartPanel& p : {heard, launched})
        if (!p.groups.empty())
            panels.push_back(p);
    return panels;
}

std::vector<pid_t> childProcesses()
{
    std::vector<pid_t> children;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(getpid());
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks + QLatin1Char('/') + task + QStringLiteral("/children"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : f.readAll().simplified().split(' '))
            if (!pid.isEmpty())
                children.push_back(static_cast<pid_t>(pid.toInt()));
    }
    return children;
}

double cpuSecondsOf(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    // The fields after the command's closing parenthesis; utime and stime are 12th and 13th.
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

double statusMb(pid_t pid, const char* field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return NAN;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 2 && parts[0] == QByteArray(field) + ':')
            return parts[1].toDouble() / 1024;
    }
    return NAN;
}

} // namespace bench
