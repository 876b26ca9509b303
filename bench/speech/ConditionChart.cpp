#include "bench/speech/ConditionChart.h"

#include <algorithm>
#include <cmath>

namespace bench {

namespace {

// The layout, in pixels.
constexpr double kLeft = 52, kRight = 16; // the left margin holds the scale
constexpr double kBar = 26, kBarGap = 2;  // a value of "99.5" fits over its bar
constexpr double kGroupPadding = 16;      // between the groups of bars
constexpr double kPlotHeight = 180;       // 0-100 %
constexpr double kPanelHead = 36;         // the panel's title and the values over 100 %
constexpr double kPanelFoot = 30;         // the condition labels
constexpr double kLegendRow = 18;
constexpr double kCharWidth = 0.62; // of the font size, wide enough for sans-serif

// Colour-blind-safe (Okabe and Ito), the baseline in neutral grey, yellow last as it
// stands out least on white.
constexpr const char* kColours[] = {"#8c8c8c", "#0072b2", "#e69f00", "#009e73",
                                    "#cc79a7", "#56b4e9", "#d55e00", "#f0e442"};

QString colour(qsizetype engine)
{
    return QString::fromLatin1(kColours[engine % std::size(kColours)]);
}

QString num(double v)
{
    return QString::number(v, 'f', 1);
}

double textWidth(const QString& text, double fontSize)
{
    return static_cast<double>(text.size()) * fontSize * kCharWidth;
}

// To one decimal, whole numbers without it ("100", not "100.0").
QString valueText(double v)
{
    if (std::isnan(v))
        return QString(QChar(0x2013));
    QString s = QString::number(v, 'f', 1);
    if (s.endsWith(QStringLiteral(".0")))
        s.chop(2);
    return s;
}

QString text(double x, double y, const QString& content, double size, const char* anchor,
             const QString& extra = {})
{
    return QStringLiteral(
               "<text x=\"%1\" y=\"%2\" font-size=\"%3\" text-anchor=\"%4\"%5>%6</text>\n")
        .arg(num(x), num(y), num(size), QString::fromLatin1(anchor), extra,
             content.toHtmlEscaped());
}

QString rect(double x, double y, double w, double h, const QString& fill)
{
    return QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
        .arg(num(x), num(y), num(w), num(h), fill);
}

} // namespace

QString conditionChartSvg(const QString& title, const QStringList& engines,
                          const std::vector<ChartPanel>& panels)
{
    const auto engineCount = static_cast<double>(std::max<qsizetype>(1, engines.size()));
    const double bars = engineCount * kBar + (engineCount - 1) * kBarGap;
    // Every group as wide as the longest condition label needs, so that none overlap.
    double groupWidth = bars + kGroupPadding;
    std::size_t mostGroups = 1;
    for (const ChartPanel& p : panels) {
        mostGroups = std::max(mostGroups, p.groups.size());
        for (const ChartGroup& g : p.groups)
            groupWidth = std::max(groupWidth, textWidth(g.label, 11) + 10);
    }
    double width = kLeft + static_cast<double>(mostGroups) * groupWidth + kRight;
    width = std::max(width, kLeft + textWidth(title, 16) + kRight);
    for (const ChartPanel& p : panels)
        width = std::max(width, kLeft + textWidth(p.title, 13) + kRight);

    // The legend flows in rows under the title.
    QString legend;
    double x = kLeft, y = 50;
    for (qsizetype i = 0; i < engines.size(); ++i) {
        const double itemWidth = 12 + 6 + textWidth(engines[i], 12) + 18;
        if (x > kLeft && x + itemWidth > width - kRight) {
            x = kLeft;
            y += kLegendRow;
        }
        legend += rect(x, y - 10, 12, 12, colour(i));
        legend += text(x + 18, y, engines[i], 12, "start");
        x += itemWidth;
    }

    QString body;
    double top = y + 14;
    for (const ChartPanel& p : panels) {
        const double plotTop = top + kPanelHead;
        const double plotBottom = plotTop + kPlotHeight;
        const double plotRight = kLeft + static_cast<double>(p.groups.size()) * groupWidth;
        body +=
            text(kLeft, top + 16, p.title, 13, "start", QStringLiteral(" font-weight=\"bold\""));
        for (int step = 0; step <= 100; step += 25) {
            const double gy = plotBottom - kPlotHeight * step / 100;
            body += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" stroke=\"%4\" "
                                   "stroke-width=\"1\"/>\n")
                        .arg(num(kLeft), num(gy), num(std::max(plotRight, kLeft + groupWidth)),
                             step ? QStringLiteral("#dddddd") : QStringLiteral("#444444"));
            body += text(kLeft - 6, gy + 4, QString::number(step) + QLatin1Char('%'), 11, "end",
                         QStringLiteral(" fill=\"#444444\""));
        }
        for (std::size_t g = 0; g < p.groups.size(); ++g) {
            const ChartGroup& group = p.groups[g];
            const double centre = kLeft + (static_cast<double>(g) + 0.5) * groupWidth;
            const double left = centre - bars / 2;
            for (std::size_t e = 0; e < group.values.size(); ++e) {
                const double v = group.values[e];
                const double bx = left + static_cast<double>(e) * (kBar + kBarGap);
                const double h = std::isnan(v) ? 0 : kPlotHeight * std::clamp(v, 0.0, 100.0) / 100;
                if (h > 0)
                    body += rect(bx, plotBottom - h, kBar, h, colour(static_cast<qsizetype>(e)));
                body += text(bx + kBar / 2, plotBottom - h - 4, valueText(v), 9.5, "middle");
            }
            body += text(centre, plotBottom + 17, group.label, 11, "middle");
        }
        top = plotBottom + kPanelFoot;
    }
    const double height = top + 6;

    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" "
                          "width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\" "
                          "font-family=\"DejaVu Sans, Verdana, sans-serif\">\n")
               .arg(num(std::ceil(width)), num(std::ceil(height))) +
           rect(0, 0, std::ceil(width), std::ceil(height), QStringLiteral("#ffffff")) +
           text(kLeft, 26, title, 16, "start", QStringLiteral(" font-weight=\"bold\"")) + legend +
           body + QStringLiteral("</svg>\n");
}

} // namespace bench
