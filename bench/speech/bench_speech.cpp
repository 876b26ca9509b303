// How well and how cheaply the phrase decoder hears commands: a corpus of WAV files (by
// default generated with espeak-ng and sox by make-corpus.sh) goes through the decoder as
// a live stream would, in 20 ms chunks (as the recogniser reads them) followed by 1 s of
// silence. Per condition it reports command accuracy, false acceptance of out-of-grammar
// material, latency after the end of speech and the real-time factor; then memory and the
// CPU used while listening to silence. The same corpus goes through plain
// pocketsphinx_continuous with a JSGF grammar of the same phrases (baseline-sphinx.sh) and
// is scored the same way.
//
//   bench_speech [JSON] [--corpus LIST] [--grammar FILE] [--json JSON] [--no-baseline]
//                [--baseline-jobs N] [--verbose TSV] [--vad X] [--end-silence FRAMES]
//                [--accept X] [--short X] [--relief X] [--denoise-below DB]
//
// --verbose writes every utterance the decoder reported, file by file (path, condition,
// expected phrase, then one column per utterance: "candidate|phrase score|worst word
// score|shortest phone|longest phone|accepted|tonal share|signal-to-noise dB"), to find
// out whether a miss was never heard, heard as another phrase or rejected, and by which
// score. --vad, --end-silence, --accept, --short, --relief and --denoise-below override
// the decoder's speech threshold, the silence that ends an utterance, the phrase
// thresholds for long and short phrases, how far they are lowered per dB of noise, and
// the signal-to-noise ratio below which noise is taken out.
//
// LIST: WAV path (relative to the list's folder or absolute) TAB expected phrase (empty
// when the file must be rejected) TAB condition. FILE: grammar text with "<start>=" rules,
// or a list of user phrases, one a line (the built-in phrases and "Computer" are added).
// Without --grammar the grammar holds the built-in phrases, the corpus's other expected
// phrases and the start phrase "Computer".
#include "app/Grammar.h"
#if SARQUEN_BENCH_HAVE_DECODER
#include "app/speech/sphinx/PhraseDecoder.h"
#endif

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>
#include <vector>

namespace {

constexpr int kRate = 16000;
constexpr std::size_t kChunk = kRate / 50;      // 20 ms, as the recogniser reads
constexpr std::size_t kTrailingSilence = kRate; // 1 s
const QString kStartPhrase = QStringLiteral("Computer");

struct Entry
{
    QString path;     // as the list has it
    QString file;     // resolved
    QString expected; // empty: must be rejected
    QString condition;
};

// What one engine made of one file.
struct Outcome
{
    QStringList accepted;            // phrases heard, in order
    QStringList utterances;          // every utterance, as --verbose writes it
    std::optional<double> latencyMs; // of the first accepted phrase, when measured
    double audioSeconds = 0;         // the file without the trailing silence
    double fedSeconds = 0;           // with it
    double wallSeconds = 0;          // decoding time
};

// The per-condition tallies of one engine.
struct Tally
{
    int commands = 0, correct = 0, rejected = 0, wrong = 0;
    int mustReject = 0, falseAccepted = 0;
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

QString normalised(const QString& phrase)
{
    static const QRegularExpression other(QStringLiteral("[^a-z0-9']+"));
    return phrase.toLower().replace(other, QStringLiteral(" ")).trimmed();
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

// The end of speech: the end of the last 10 ms frame whose energy stands out from the
// file's background (the quietest tenth of its frames).
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

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// VmRSS and VmHWM of this process, in MB.
std::pair<double, double> residentMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    double rss = NAN, peak = NAN;
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QList<QByteArray> parts = line.simplified().split(' ');
            if (parts.size() >= 2 && parts[0] == "VmRSS:")
                rss = parts[1].toDouble() / 1024;
            if (parts.size() >= 2 && parts[0] == "VmHWM:")
                peak = parts[1].toDouble() / 1024;
        }
    }
    return {rss, peak};
}

bool runScript(const QString& script, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("bash"), QStringList{script} + args);
    if (!p.waitForStarted() || !p.waitForFinished(-1))
        return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString fmt(double v, const char* f = "%.1f")
{
    return std::isnan(v) ? QStringLiteral("-") : QString::asprintf(f, v);
}

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
                  {"false_accepts_per_hour", jsonNumber(t.falsePerHour())}};
    if (t.timed) {
        o.insert(QStringLiteral("latency_median_ms"), jsonNumber(t.latency(0.5)));
        o.insert(QStringLiteral("latency_p95_ms"), jsonNumber(t.latency(0.95)));
        o.insert(QStringLiteral("real_time_factor"), jsonNumber(t.rtf()));
    }
    return o;
}

#if SARQUEN_BENCH_HAVE_DECODER
// One file through the decoder as a live stream: 20 ms chunks, then 1 s of silence.
Outcome decodeFile(PhraseDecoder& decoder, const std::vector<std::int16_t>& samples)
{
    Outcome o;
    const std::size_t end = speechEnd(samples);
    std::vector<std::int16_t> stream = samples;
    stream.resize(samples.size() + kTrailingSilence, 0);
    o.audioSeconds = static_cast<double>(samples.size()) / kRate;
    o.fedSeconds = static_cast<double>(stream.size()) / kRate;
    for (std::size_t at = 0; at < stream.size(); at += kChunk) {
        const std::size_t n = std::min(kChunk, stream.size() - at);
        std::vector<DecodedUtterance> heard;
        const auto started = std::chrono::steady_clock::now();
        decoder.feed(stream.data() + at, n, [&](const DecodedUtterance& u) { heard.push_back(u); });
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        o.wallSeconds += wall;
        for (const DecodedUtterance& u : heard) {
            o.utterances << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                                .arg(u.candidate.value_or(QStringLiteral("-")))
                                .arg(u.score, 0, 'f', 2)
                                .arg(u.wordScore, 0, 'f', 2)
                                .arg(u.shortestPhone, 0, 'f', 1)
                                .arg(u.longestPhone, 0, 'f', 1)
                                .arg(u.phrase ? 1 : 0)
                                .arg(u.tonalShare, 0, 'f', 2)
                                .arg(u.snrDb, 0, 'f', 1);
            if (!u.phrase)
                continue;
            o.accepted << *u.phrase;
            if (!o.latencyMs) {
                const double delivered = static_cast<double>(at + n) - static_cast<double>(end);
                o.latencyMs = delivered * 1000.0 / kRate + wall * 1000.0;
            }
        }
    }
    decoder.reset();
    return o;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString here = QCoreApplication::applicationDirPath();
    const QString scripts = QStringLiteral(SARQUEN_BENCH_SPEECH_DIR);
    QString corpus, grammarFile, jsonPath, verbosePath;
    std::optional<double> vad, accept, acceptShort, relief, denoiseBelow;
    std::optional<int> endSilence;
    bool baseline = true;
    int baselineJobs = 2;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QStringLiteral("--corpus") && hasValue)
            corpus = args[++i];
        else if (a == QStringLiteral("--grammar") && hasValue)
            grammarFile = args[++i];
        else if (a == QStringLiteral("--json") && hasValue)
            jsonPath = args[++i];
        else if (a == QStringLiteral("--no-baseline"))
            baseline = false;
        else if (a == QStringLiteral("--baseline-jobs") && hasValue)
            baselineJobs = std::max(1, args[++i].toInt());
        else if (a == QStringLiteral("--verbose") && hasValue)
            verbosePath = args[++i];
        else if (a == QStringLiteral("--vad") && hasValue)
            vad = args[++i].toDouble();
        else if (a == QStringLiteral("--end-silence") && hasValue)
            endSilence = args[++i].toInt();
        else if (a == QStringLiteral("--accept") && hasValue)
            accept = args[++i].toDouble();
        else if (a == QStringLiteral("--short") && hasValue)
            acceptShort = args[++i].toDouble();
        else if (a == QStringLiteral("--relief") && hasValue)
            relief = args[++i].toDouble();
        else if (a == QStringLiteral("--denoise-below") && hasValue)
            denoiseBelow = args[++i].toDouble();
        else if (!a.startsWith(QStringLiteral("--")) && jsonPath.isEmpty())
            jsonPath = a;
        else {
            std::fprintf(stderr, "usage: bench_speech [JSON] [--corpus LIST] [--grammar FILE] "
                                 "[--json JSON] [--no-baseline] [--baseline-jobs N] "
                                 "[--verbose TSV] [--vad X] [--end-silence FRAMES] "
                                 "[--accept X] [--short X] [--relief X] "
                                 "[--denoise-below DB]\n");
            return 2;
        }
    }

    // The corpus: the one given, or the generated one beside this program.
    if (corpus.isEmpty()) {
        const QString folder = here + QStringLiteral("/speech-corpus");
        if (!runScript(scripts + QStringLiteral("/make-corpus.sh"), {folder})) {
            std::fprintf(stderr, "bench_speech: the corpus could not be generated\n");
            return 2;
        }
        corpus = folder + QStringLiteral("/list.tsv");
    }
    corpus = QFileInfo(corpus).absoluteFilePath();
    std::vector<Entry> entries;
    {
        QFile f(corpus);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
            std::fprintf(stderr, "bench_speech: cannot read %s\n", qPrintable(corpus));
            return 2;
        }
        const QDir base = QFileInfo(corpus).absoluteDir();
        QTextStream in(&f);
        while (!in.atEnd()) {
            const QStringList cols = in.readLine().split(QLatin1Char('\t'));
            if (cols.front().trimmed().isEmpty() || cols.front().startsWith(QLatin1Char('#')))
                continue;
            Entry e;
            e.path = cols.front();
            e.file = base.absoluteFilePath(e.path);
            e.expected = cols.size() > 1 ? cols[1].trimmed() : QString();
            e.condition =
                cols.size() > 2 && !cols[2].trimmed().isEmpty()
                    ? cols[2].trimmed()
                    : (e.expected.isEmpty() ? QStringLiteral("reject") : QStringLiteral("command"));
            entries.push_back(e);
        }
    }

    // The grammar.
    QString grammarText;
    if (!grammarFile.isEmpty()) {
        QFile f(grammarFile);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "bench_speech: cannot read %s\n", qPrintable(grammarFile));
            return 2;
        }
        grammarText = QString::fromUtf8(f.readAll());
        if (!grammarText.contains(QStringLiteral("<start>="))) {
            QStringList user;
            for (const QString& line : grammarText.split(QLatin1Char('\n')))
                if (!line.trimmed().isEmpty())
                    user << line.trimmed();
            grammarText = buildGrammarText(user, kStartPhrase);
        }
    } else {
        QStringList user;
        for (const Entry& e : entries)
            if (!e.expected.isEmpty() && e.expected != kStartPhrase &&
                !builtinGrammarPhrases().contains(e.expected) && !user.contains(e.expected))
                user << e.expected;
        grammarText = buildGrammarText(user, kStartPhrase);
    }
    const QStringList phrases = grammarPhrases(grammarText);
    std::printf("corpus %s: %zu files; grammar: %lld phrases\n", qPrintable(corpus), entries.size(),
                static_cast<long long>(phrases.size()));
    for (const Entry& e : entries)
        if (!e.expected.isEmpty() && !phrases.contains(e.expected))
            std::printf("note: \"%s\" is expected but not in the grammar\n",
                        qPrintable(e.expected));

    QStringList conditions;
    for (const char* c :
         {"clean", "snr20", "snr10", "oog-sentence", "oog-word", "oog-snr10", "noise", "tone"})
        for (const Entry& e : entries)
            if (e.condition == QLatin1String(c) && !conditions.contains(e.condition))
                conditions << e.condition;
    for (const Entry& e : entries)
        if (!conditions.contains(e.condition))
            conditions << e.condition;

    std::map<QString, Tally> ours, base;
    QJsonObject json{{"corpus", corpus},
                     {"files", static_cast<int>(entries.size())},
                     {"grammar_phrases", static_cast<int>(phrases.size())}};

    // Baseline: plain pocketsphinx_continuous with a JSGF grammar of the same phrases.
    bool haveBaseline = false;
    if (baseline) {
        const QString work = here + QStringLiteral("/speech-work");
        QDir().mkpath(work);
        QFile list(work + QStringLiteral("/phrases.txt"));
        if (list.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            list.write(phrases.join(QLatin1Char('\n')).toUtf8() + '\n');
            list.close();
        }
        const QString results = work + QStringLiteral("/baseline.tsv");
        std::printf("baseline: pocketsphinx_continuous, %d at a time...\n", baselineJobs);
        std::fflush(stdout);
        const auto started = std::chrono::steady_clock::now();
        if (runScript(scripts + QStringLiteral("/baseline-sphinx.sh"),
                      {corpus, list.fileName(), results, QString::number(baselineJobs)})) {
            QHash<QString, QString> byNormalised;
            for (const QString& p : phrases)
                byNormalised.insert(normalised(p), p);
            QHash<QString, QStringList> heard;
            QFile f(results);
            if (f.open(QIODevice::ReadOnly | QIODevice::Text)) {
                QTextStream in(&f);
                while (!in.atEnd()) {
                    const QStringList cols = in.readLine().split(QLatin1Char('\t'));
                    QStringList accepted;
                    if (cols.size() > 1)
                        for (const QString& h : cols[1].split(QStringLiteral(" | "))) {
                            const QString n = normalised(h);
                            if (!n.isEmpty())
                                accepted << byNormalised.value(n, h);
                        }
                    heard.insert(cols.front(), accepted);
                }
            }
            for (const Entry& e : entries) {
                Outcome o;
                o.accepted = heard.value(e.path);
                std::vector<std::int16_t> s;
                QString error;
                if (e.expected.isEmpty() && readWav(e.file, &s, &error))
                    o.audioSeconds = static_cast<double>(s.size()) / kRate;
                base[e.condition].add(e, o);
            }
            haveBaseline = true;
            json.insert(
                QStringLiteral("baseline_wall_seconds"),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        } else {
            std::printf("baseline: failed, left out\n");
        }
    }

    // Ours.
    bool haveOurs = false;
    double idleCpuPercent = NAN, rssMb = NAN, peakMb = NAN, loadedMb = NAN;
#if SARQUEN_BENCH_HAVE_DECODER
    {
        QString error;
        PhraseDecoder::Settings settings = PhraseDecoder::defaultSettings();
        settings.vadThreshold = vad.value_or(settings.vadThreshold);
        settings.endSilenceFrames = endSilence.value_or(settings.endSilenceFrames);
        settings.acceptThreshold = accept.value_or(settings.acceptThreshold);
        settings.shortPhraseThreshold = acceptShort.value_or(settings.shortPhraseThreshold);
        settings.noiseReliefPerDb = relief.value_or(settings.noiseReliefPerDb);
        settings.denoiseBelowDb = denoiseBelow.value_or(settings.denoiseBelowDb);
        std::printf("decoder: speech threshold %g, utterances end after %d frames of silence, "
                    "acceptance %g (worst word %g), short phrases %g, lowered by %g per dB "
                    "below %g dB SNR, noise taken out below %g dB\n",
                    settings.vadThreshold, settings.endSilenceFrames, settings.acceptThreshold,
                    settings.wordThreshold, settings.shortPhraseThreshold,
                    settings.noiseReliefPerDb, settings.quietSnrDb, settings.denoiseBelowDb);
        std::unique_ptr<PhraseDecoder> decoder = PhraseDecoder::create(settings, &error);
        QFile verbose(verbosePath);
        if (!verbosePath.isEmpty() && !verbose.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::printf("decoder: cannot write %s\n", qPrintable(verbosePath));
        QStringList skipped;
        if (!decoder) {
            std::printf("decoder: cannot be created: %s\n", qPrintable(error));
        } else if (!decoder->loadGrammar(grammarText, &skipped)) {
            std::printf("decoder: the grammar was not accepted\n");
        } else {
            if (!skipped.isEmpty())
                std::printf("decoder: left out %s\n", qPrintable(skipped.join(", ")));
            json.insert(QStringLiteral("skipped_phrases"), QJsonArray::fromStringList(skipped));
            loadedMb = residentMb().first;
            int done = 0;
            for (const Entry& e : entries) {
                std::vector<std::int16_t> s;
                QString why;
                if (!readWav(e.file, &s, &why)) {
                    std::printf("skipped %s: %s\n", qPrintable(e.path), qPrintable(why));
                    continue;
                }
                const Outcome o = decodeFile(*decoder, s);
                ours[e.condition].add(e, o);
                if (verbose.isOpen())
                    verbose.write(QStringList{e.path, e.condition, e.expected,
                                              o.utterances.join(QLatin1Char('\t'))}
                                      .join(QLatin1Char('\t'))
                                      .toUtf8() +
                                  '\n');
                if (++done % 200 == 0) {
                    std::printf("decoder: %d of %zu files\n", done, entries.size());
                    std::fflush(stdout);
                }
            }
            // Idle: a minute of silence, as fast as it goes; CPU time over audio time.
            const std::vector<std::int16_t> silence(kChunk, 0);
            int idleAccepts = 0;
            const double cpu0 = cpuSeconds();
            for (int i = 0; i < 600; ++i)
                decoder->feed(silence.data(), silence.size(),
                              [&](const DecodedUtterance& u) { idleAccepts += u.phrase ? 1 : 0; });
            idleCpuPercent = (cpuSeconds() - cpu0) / 60.0 * 100.0;
            json.insert(QStringLiteral("idle_accepts"), idleAccepts);
            std::tie(rssMb, peakMb) = residentMb();
            haveOurs = true;
        }
    }
#else
    std::printf("decoder: not part of this build (no decoder sources in sarquen_core); "
                "baseline only\n");
#endif

    // The table.
    std::printf("\n%-13s %5s | %8s %8s | %7s %7s | %8s %8s | %6s %6s %6s\n", "condition", "files",
                "acc %", "base", "FA %", "base", "FA/h", "base", "lat50", "lat95", "RTF");
    QJsonObject perCondition;
    Tally oursAll, baseAll, oursOog, baseOog, oursOogNoisy, baseOogNoisy, oursNoise, baseNoise;
    for (const QString& c : conditions) {
        const Tally& o = ours[c];
        const Tally& b = base[c];
        int files = 0;
        for (const Entry& e : entries)
            files += e.condition == c ? 1 : 0;
        std::printf("%-13s %5d | %8s %8s | %7s %7s | %8s %8s | %6s %6s %6s\n", qPrintable(c), files,
                    qPrintable(fmt(o.accuracy())), qPrintable(fmt(b.accuracy())),
                    qPrintable(fmt(o.falsePercent())), qPrintable(fmt(b.falsePercent())),
                    qPrintable(fmt(o.falsePerHour(), "%.0f")),
                    qPrintable(fmt(b.falsePerHour(), "%.0f")),
                    qPrintable(fmt(o.latency(0.5), "%.0f")),
                    qPrintable(fmt(o.latency(0.95), "%.0f")), qPrintable(fmt(o.rtf(), "%.3f")));
        QJsonObject cj{{"files", files}};
        if (haveOurs)
            cj.insert(QStringLiteral("ours"), tallyJson(o));
        if (haveBaseline)
            cj.insert(QStringLiteral("baseline"), tallyJson(b));
        perCondition.insert(c, cj);
        oursAll.add(o);
        baseAll.add(b);
        // Noise and tones count per hour; any other material to reject per utterance, the
        // speech mixed with noise on its own line.
        if (c == QStringLiteral("noise") || c == QStringLiteral("tone")) {
            oursNoise.add(o);
            baseNoise.add(b);
        } else if (c == QStringLiteral("oog-snr10")) {
            oursOogNoisy.add(o);
            baseOogNoisy.add(b);
        } else {
            oursOog.add(o);
            baseOog.add(b);
        }
    }
    json.insert(QStringLiteral("conditions"), perCondition);

    struct Target
    {
        const char* name;
        double ours, base;
        double limit;
        bool atLeast;
    };
    const std::vector<Target> targets{
        {"accuracy clean %", ours["clean"].accuracy(), base["clean"].accuracy(), 97, true},
        {"accuracy 10 dB SNR %", ours["snr10"].accuracy(), base["snr10"].accuracy(), 90, true},
        {"accuracy, all commands %", oursAll.accuracy(), baseAll.accuracy(), NAN, true},
        {"false accepts, speech to reject %", oursOog.falsePercent(), baseOog.falsePercent(), 2,
         false},
        {"  the same at 10 dB SNR %", oursOogNoisy.falsePercent(), baseOogNoisy.falsePercent(), NAN,
         false},
        {"false accepts per hour of noise", oursNoise.falsePerHour(), baseNoise.falsePerHour(), 1,
         false},
        {"latency median ms", oursAll.latency(0.5), NAN, 300, false},
        {"latency p95 ms", oursAll.latency(0.95), NAN, 600, false},
        {"real-time factor", oursAll.rtf(), NAN, 0.2, false},
        {"idle CPU % of a core", idleCpuPercent, NAN, 5, false},
        {"resident memory MB", rssMb, NAN, 150, false},
    };
    std::printf("\n%-34s %10s %10s %10s %6s\n", "target", "ours", "baseline", "limit", "ok");
    QJsonArray targetJson;
    bool allMet = true;
    for (const Target& t : targets) {
        const bool measured = !std::isnan(t.ours) && !std::isnan(t.limit);
        const bool ok = measured && (t.atLeast ? t.ours >= t.limit : t.ours <= t.limit);
        allMet = allMet && (ok || !measured);
        std::printf("%-34s %10s %10s %9s%s %6s\n", t.name, qPrintable(fmt(t.ours, "%.2f")),
                    qPrintable(fmt(t.base, "%.2f")),
                    std::isnan(t.limit) ? "  "
                    : t.atLeast         ? ">="
                                        : "<=",
                    qPrintable(fmt(t.limit, "%g")),
                    !measured ? "-"
                    : ok      ? "yes"
                              : "NO");
        targetJson.append(QJsonObject{{"name", t.name},
                                      {"ours", jsonNumber(t.ours)},
                                      {"baseline", jsonNumber(t.base)},
                                      {"limit", jsonNumber(t.limit)},
                                      {"at_least", t.atLeast},
                                      {"met", measured ? QJsonValue(ok) : QJsonValue()}});
    }
    json.insert(QStringLiteral("targets"), targetJson);
    if (haveOurs) {
        std::printf("memory: %.1f MB after loading the grammar, %.1f MB at the end, %.1f MB "
                    "peak\n",
                    loadedMb, rssMb, peakMb);
        json.insert(QStringLiteral("memory"),
                    QJsonObject{{"loaded_mb", loadedMb}, {"rss_mb", rssMb}, {"peak_mb", peakMb}});
        json.insert(QStringLiteral("idle_cpu_percent"), idleCpuPercent);
    }
    const double noiseSeconds = std::max(baseNoise.rejectSeconds, oursNoise.rejectSeconds);
    if (noiseSeconds > 0)
        std::printf("noise and tone audio: %.1f s (per-hour figures are extrapolated from it)\n",
                    noiseSeconds);
    if (!jsonPath.isEmpty()) {
        QFile out(jsonPath);
        if (out.open(QIODevice::WriteOnly))
            out.write(QJsonDocument(json).toJson());
        std::printf("JSON written to %s\n", qPrintable(jsonPath));
    }
    // Without the decoder there is nothing of ours to hold to the targets.
    return !haveOurs || allMet ? 0 : 1;
}
