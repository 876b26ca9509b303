#include "speech/training/MixtureWeights.h"

#include <QFile>
#include <QSaveFile>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace training {
namespace {

// The sendump's layout: length-prefixed header strings (with their trailing NUL) up to
// an empty one, then the number of codewords and of senones, then for every feature
// stream and codeword one byte per senone: the weight's negated log (base 1.0001),
// shifted right by `mixw_shift` bits.
struct Sendump
{
    int features = 1;
    int shift = 10;
    std::uint32_t codewords = 0;
    std::uint32_t senones = 0;
    QByteArray weights;
};

bool readInt(const QByteArray& data, qsizetype& at, std::uint32_t& value)
{
    if (at + 4 > data.size())
        return false;
    std::memcpy(&value, data.constData() + at, 4);
    at += 4;
    return true;
}

std::optional<Sendump> parse(const QByteArray& data)
{
    Sendump s;
    qsizetype at = 0;
    for (std::uint32_t length = 0;;) {
        // Past 64 KiB a length is not one: a file of the other byte order, or not a sendump.
        if (!readInt(data, at, length) || length > 65536 || at + length > data.size())
            return std::nullopt;
        if (length == 0)
            break;
        const QByteArray line = data.mid(at, length).chopped(length > 0 ? 1 : 0);
        at += length;
        const QList<QByteArray> words = line.split(' ');
        if (words.size() != 2)
            continue;
        if (words[0] == "feature_count")
            s.features = words[1].toInt();
        else if (words[0] == "mixw_shift")
            s.shift = words[1].toInt();
        else if (words[0] == "cluster_count" && words[1].toInt() != 0)
            return std::nullopt; // clustered weights: another, older form
    }
    if (!readInt(data, at, s.codewords) || !readInt(data, at, s.senones))
        return std::nullopt;
    if (s.features < 1 || s.features > 8 || s.shift < 0 || s.shift > 16 || s.codewords == 0 ||
        s.senones == 0)
        return std::nullopt;
    // The weights fill the rest of the file exactly. Counted by division: counts whose
    // product runs past 64 bits must not pass for the few bytes there are.
    const qint64 rest = data.size() - at;
    if (rest % s.features != 0 || (rest / s.features) % s.codewords != 0 ||
        rest / s.features / s.codewords != s.senones)
        return std::nullopt;
    s.weights = data.mid(at);
    return s;
}

void appendInt(QByteArray& out, std::uint32_t value)
{
    out.append(reinterpret_cast<const char*>(&value), 4);
}

} // namespace

bool writeMixtureWeights(const QString& sendumpPath, const QString& mixtureWeightsPath,
                         QString* error)
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QFile in(sendumpPath);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 cannot be read").arg(sendumpPath));
    const std::optional<Sendump> s = parse(in.readAll());
    if (!s)
        return fail(QStringLiteral("%1 is not a model's mixture weights").arg(sendumpPath));

    // Sphinx-3 layout: a text header, the byte-order mark, the three dimensions, the
    // count, then the weights senone by senone, stream by stream, codeword by codeword,
    // each row normalised to 1.
    QByteArray out("s3\nversion 1.0\n");
    out.append(QByteArray((4 - (out.size() + 7) % 4) % 4, ' '));
    out.append("endhdr\n");
    appendInt(out, 0x11223344);
    appendInt(out, s->senones);
    appendInt(out, static_cast<std::uint32_t>(s->features));
    appendInt(out, s->codewords);
    appendInt(out, s->senones * static_cast<std::uint32_t>(s->features) * s->codewords);
    const auto* bytes = reinterpret_cast<const unsigned char*>(s->weights.constData());
    std::vector<float> row(s->codewords);
    for (std::uint32_t senone = 0; senone < s->senones; ++senone) {
        for (int f = 0; f < s->features; ++f) {
            double sum = 0;
            for (std::uint32_t c = 0; c < s->codewords; ++c) {
                const std::size_t index = (std::size_t(f) * s->codewords + c) * s->senones + senone;
                row[c] = static_cast<float>(std::pow(1.0001, -double(bytes[index] << s->shift)));
                sum += row[c];
            }
            for (float& w : row)
                w = static_cast<float>(w / sum);
            out.append(reinterpret_cast<const char*>(row.data()),
                       static_cast<qsizetype>(row.size() * sizeof(float)));
        }
    }
    QSaveFile file(mixtureWeightsPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit())
        return fail(QStringLiteral("%1 cannot be written").arg(mixtureWeightsPath));
    return true;
}

} // namespace training
