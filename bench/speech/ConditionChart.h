#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace bench {

// One condition of a panel: a bar per engine.
struct ChartGroup
{
    QString label;              // the condition, e.g. "pink10"
    std::vector<double> values; // one per engine, in percent 0..100; NaN when not measured
};

struct ChartPanel
{
    QString title; // what the bars count, e.g. "commands heard right, %"
    std::vector<ChartGroup> groups;
};

// A standalone SVG 1.1 document: the panels stacked top to bottom under the title and the
// engines' legend. In each panel one group of bars per condition, one bar per engine in the
// order of `engines`, its value printed above it (a dash in place of a bar not measured), on
// a 0-100 % scale. Each engine keeps its colour by index; the first, the baseline, is grey.
QString conditionChartSvg(const QString& title, const QStringList& engines,
                          const std::vector<ChartPanel>& panels);

} // namespace bench
