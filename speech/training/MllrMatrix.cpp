#include "speech/training/MllrMatrix.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>

namespace training {
namespace {

// mllr_solve's numbers lie near 1 (the matrix) and near 0 (the offset): far beyond this,
// PocketSphinx's single precision overflows or the model no longer fits any voice.
constexpr double kLargest = 1000;

} // namespace

std::vector<int> streamWidths(const QString& modelDir)
{
    QFile file(modelDir + QStringLiteral("/feat.params"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    int cepstra = 13;
    QString svspec;
    const QStringList words =
        QString::fromUtf8(file.readAll()).split(QRegularExpression(QStringLiteral("\\s+")));
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == QLatin1String("-svspec"))
            svspec = words[i + 1];
        else if (words[i] == QLatin1String("-ceplen"))
            cepstra = words[i + 1].toInt();
    }
    if (svspec.isEmpty())
        return {3 * cepstra};
    std::vector<int> widths;
    for (const QString& stream : svspec.split(QLatin1Char('/'))) {
        int width = 0;
        for (const QString& range : stream.split(QLatin1Char(','))) {
            const QStringList ends = range.split(QLatin1Char('-'));
            width += ends.size() == 2 ? ends[1].toInt() - ends[0].toInt() + 1 : 1;
        }
        widths.push_back(width);
    }
    return widths;
}

bool mllrFits(const QString& path, const std::vector<int>& widths, QString* error)
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QFile file(path);
    // A transform is a few kilobytes; anything far larger is not one.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4 * 1024 * 1024)
        return fail(QStringLiteral("%1 cannot be read").arg(path));
    const QStringList words =
        QString::fromLatin1(file.readAll())
            .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    qsizetype at = 0;
    const auto next = [&](double& value) {
        if (at >= words.size())
            return false;
        bool ok = false;
        value = words[at++].toDouble(&ok);
        return ok && std::isfinite(value);
    };
    const QString damaged = QStringLiteral("%1 is damaged").arg(path);
    double classes = 0, streams = 0;
    if (!next(classes) || !next(streams) || classes < 1 || classes > 256)
        return fail(damaged);
    // PocketSphinx applies the first class to every Gaussian and reads the file as if the
    // classes came within each stream, which they do not: more than one crashes it.
    if (classes != 1)
        return fail(QStringLiteral("%1 holds %2 transforms, and the recogniser takes one")
                        .arg(path)
                        .arg(classes));
    if (streams != static_cast<double>(widths.size()))
        return fail(QStringLiteral("%1 was made for another acoustic model").arg(path));
    for (int c = 0; c < static_cast<int>(classes); ++c) {
        for (const int width : widths) {
            double length = 0;
            if (!next(length))
                return fail(damaged);
            if (length != width)
                return fail(QStringLiteral("%1 was made for another acoustic model").arg(path));
            // The matrix, the offset and the variance scale, which must stay positive.
            for (int i = 0; i < width * width + 2 * width; ++i) {
                double value = 0;
                if (!next(value))
                    return fail(damaged);
                if (std::abs(value) > kLargest || (i >= width * width + width && value <= 0))
                    return fail(QStringLiteral("%1 holds numbers no voice gives").arg(path));
            }
        }
    }
    if (at != words.size())
        return fail(damaged);
    return true;
}

} // namespace training
