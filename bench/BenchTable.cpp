#include "bench/BenchTable.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

Figure measure(const char* name, int runs, double targetUs, const std::function<void()>& work)
{
    std::vector<double> us;
    us.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        us.push_back(static_cast<double>(t.nsecsElapsed()) / 1000.0);
    }
    std::sort(us.begin(), us.end());
    return {name, runs, us[us.size() / 2], us[us.size() * 95 / 100], targetUs};
}

bool report(const std::vector<Figure>& figures, const char* jsonPath)
{
    std::printf("%-34s %6s %12s %12s %12s %6s\n", "operation", "runs", "median us", "p95 us",
                "target us", "ok");
    QJsonObject json;
    bool allMet = true;
    for (const Figure& f : figures) {
        const bool ok = f.targetUs <= 0 || f.p95Us < f.targetUs;
        allMet = allMet && ok;
        std::printf("%-34s %6d %12.1f %12.1f %12.0f %6s\n", f.name, f.runs, f.medianUs, f.p95Us,
                    f.targetUs,
                    f.targetUs <= 0 ? "-"
                    : ok            ? "yes"
                                    : "NO");
        QJsonObject entry{{"runs", f.runs}, {"median_us", f.medianUs}, {"p95_us", f.p95Us}};
        if (f.targetUs > 0) {
            entry.insert(QStringLiteral("target_us"), f.targetUs);
            entry.insert(QStringLiteral("within_target"), ok);
        }
        json.insert(QString::fromLatin1(f.name), entry);
    }
    if (jsonPath) {
        QFile out(QString::fromLocal8Bit(jsonPath));
        if (out.open(QIODevice::WriteOnly))
            out.write(QJsonDocument(json).toJson());
    }
    return allMet;
}
