#include "bench/speech/SpeechCorpus.h"

#include "launcher/Grammar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace bench {

bool readList(const QString& list, std::vector<Entry>* entries, QString* error)
{
    QFile f(list);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read %1").arg(list);
        return false;
    }
    const QDir base = QFileInfo(list).absoluteDir();
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QStringList cols = in.readLine().split(QLatin1Char('\t'));
        if (cols.front().trimmed().isEmpty() || cols.front().startsWith(QLatin1Char('#')))
            continue;
        const auto column = [&](int i) { return cols.size() > i ? cols[i].trimmed() : QString(); };
        Entry e;
        e.path = cols.front();
        e.file = base.absoluteFilePath(e.path);
        e.expected = column(1);
        e.condition = column(2);
        if (e.condition.isEmpty())
            e.condition =
                e.expected.isEmpty() ? QStringLiteral("reject") : QStringLiteral("command");
        e.source = column(3).isEmpty() ? QStringLiteral("synthetic") : column(3);
        e.fold = column(4).isEmpty() ? QStringLiteral("report") : column(4);
        bool ok = false;
        const double end = column(5).toDouble(&ok);
        if (ok)
            e.speechEnd = end;
        entries->push_back(e);
    }
    return true;
}

bool grammarFor(const QString& file, const std::vector<Entry>& entries, QString* grammarText,
                QString* error)
{
    if (!file.isEmpty()) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1").arg(file);
            return false;
        }
        *grammarText = QString::fromUtf8(f.readAll());
        if (grammarText->contains(QStringLiteral("<start>=")))
            return true;
        QStringList user;
        for (const QString& line : grammarText->split(QLatin1Char('\n')))
            if (!line.trimmed().isEmpty())
                user << line.trimmed();
        *grammarText = buildGrammarText(user, kStartPhrase);
        return true;
    }
    QStringList user;
    for (const Entry& e : entries)
        if (!e.expected.isEmpty() && e.expected != kStartPhrase &&
            !builtinGrammarPhrases().contains(e.expected) && !user.contains(e.expected))
            user << e.expected;
    *grammarText = buildGrammarText(user, kStartPhrase);
    return true;
}

QStringList grammarPhrases(const QString& grammarText)
{
    QStringList phrases;
    for (const QString& line : grammarText.split(QStringLiteral("\n"))) {
        const QString l = line.trimmed();
        if (l.startsWith(QStringLiteral("<start>=")))
            phrases << l.mid(8).trimmed();
    }
    return phrases;
}

bool readWav(const QString& file, std::vector<std::int16_t>* samples, QString* error)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open");
        return false;
    }
    const QByteArray d = f.readAll();
    auto u32 = [&](qsizetype at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(d[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 3])) << 24;
    };
    auto u16 = [&](qsizetype at) { return u32(at) & 0xffffu; };
    if (d.size() < 12 || !d.startsWith("RIFF") || d.mid(8, 4) != "WAVE") {
        *error = QStringLiteral("not a WAV file");
        return false;
    }
    bool formatOk = false;
    for (qsizetype at = 12; at + 8 <= d.size();) {
        const QByteArray id = d.mid(at, 4);
        const qsizetype size = u32(at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt " && body + 16 <= d.size()) {
            formatOk = u16(body + 2) == 1 && u32(body + 4) == kRate && u16(body + 14) == 16;
            if (!formatOk) {
                *error = QStringLiteral("not 16 kHz mono 16-bit");
                return false;
            }
        } else if (id == "data" && formatOk) {
            const qsizetype n = std::min(size, d.size() - body) / 2;
            samples->resize(static_cast<std::size_t>(n));
            std::memcpy(samples->data(), d.constData() + body, static_cast<std::size_t>(n) * 2);
            return true;
        }
        at = body + size + (size & 1);
    }
    *error = QStringLiteral("no audio data");
    return false;
}

std::size_t speechEnd(const std::vector<std::int16_t>& s)
{
    constexpr std::size_t frame = kRate / 100;
    std::vector<double> db;
    for (std::size_t at = 0; at + frame <= s.size(); at += frame) {
        double sum = 0;
        for (std::size_t i = at; i < at + frame; ++i)
            sum += static_cast<double>(s[i]) * s[i];
        db.push_back(10 * std::log10(sum / frame + 0.1));
    }
    if (db.empty())
        return s.size();
    std::vector<double> sorted = db;
    std::sort(sorted.begin(), sorted.end());
    const double floor = sorted[sorted.size() / 10];
    const double peak = sorted.back();
    const double threshold = floor + std::max(6.0, 0.3 * (peak - floor));
    for (std::size_t i = db.size(); i-- > 0;)
        if (db[i] > threshold)
            return (i + 1) * frame;
    return s.size();
}

} // namespace bench
