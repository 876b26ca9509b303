// How much voice training helps one real speaker: the English words of Debian's
// ktuberling-data, all spoken by one person. Half of the speaker's clean recordings (one
// fold, ~40 words, commands and other words alike) are the training takes; the voice is
// adapted to them as the program does it (SphinxTrain's bw and mllr_solve, then the
// thresholds calibrated on the takes that are commands). The speaker's other recordings
// (the other fold, clean and in noise) are then heard with the general model, with the
// adaptation, and with the adaptation and its calibration; so are the other fold's speech
// to reject (the speaker's other words, other speakers, other languages) and noise, for
// the false accepts.
//
//   bench_voice_training [JSON] [--train-fold tune|report] [--quick]
//
// --train-fold report trains on the report fold and scores the tune fold: the direction
// in which the method's choices were made; the reported figures train on "tune".
// --quick scores the speaker's own recordings only.
#include "bench/speech/FileDecoding.h"
#include "bench/speech/SpeechCorpus.h"
#include "bench/speech/SpeechTally.h"
#include "speech/training/Adaptation.h"
#include "speech/training/Calibration.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

using namespace bench;

namespace {

bool isSpeaker(const Entry& e)
{
    return QFileInfo(e.file).fileName().startsWith(QLatin1String("kt-en-"));
}

// What the speaker said in a recording, from its file name: the theme prefix dropped, a
// few names written as they are said.
QString spokenText(const Entry& e)
{
    QString word = QFileInfo(e.file).completeBaseName().mid(6);
    word = word.section(QLatin1Char('_'), -1);
    static const std::map<QString, QString> said{
        {QStringLiteral("palmtree"), QStringLiteral("palm tree")},
        {QStringLiteral("fallingstar"), QStringLiteral("falling star")},
        {QStringLiteral("broccolli"), QStringLiteral("broccoli")},
        {QStringLiteral("sphynx"), QStringLiteral("sphinx")},
        {QStringLiteral("ufo"), QStringLiteral("u f o")},
        {QStringLiteral("moonwalker"), QStringLiteral("moon walker")}};
    const auto it = said.find(word);
    return it != said.end() ? it->second : word;
}

// The kind of a recording for the tables: the speaker's commands by condition, speech
// to reject (the speaker's own other words apart from everyone else's) and noise.
QString rowOf(const Entry& e)
{
    if (!e.expected.isEmpty())
        return e.condition;
    if (e.condition == QLatin1String("noise"))
        return QStringLiteral("noise");
    return (isSpeaker(e) ? QStringLiteral("own ") : QStringLiteral("others' ")) + e.condition;
}

struct Run
{
    QString name;
    std::map<QString, Tally> rows;
    Tally commands10, commandsClean, reject;
    Tally targeted; // the commands the target counts: clean and in 10 dB noise
};

QString fmt(double v)
{
    return std::isnan(v) ? QStringLiteral("-") : QString::number(v, 'f', 1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString jsonPath, trainFold = QStringLiteral("tune");
    bool quick = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--train-fold") && i + 1 < args.size())
            trainFold = args[++i];
        else if (args[i] == QLatin1String("--quick"))
            quick = true;
        else if (!args[i].startsWith(QLatin1String("--")))
            jsonPath = args[i];
        else {
            std::fprintf(stderr, "usage: bench_voice_training [JSON] [--train-fold tune|report] "
                                 "[--quick]\n");
            return 2;
        }
    }
    const QString real = QCoreApplication::applicationDirPath() + QStringLiteral("/speech-real");
    if (!runScript(QStringLiteral(SARQUEN_BENCH_SPEECH_DIR) +
                       QStringLiteral("/make-real-corpus.sh"),
                   {real})) {
        std::fprintf(stderr, "bench_voice_training: the corpus could not be made\n");
        return 2;
    }
    std::vector<Entry> all;
    QString grammarText, error;
    if (!readList(real + QStringLiteral("/words/list.tsv"), &all, &error) ||
        !grammarFor(real + QStringLiteral("/words/grammar.txt"), all, &grammarText, &error)) {
        std::fprintf(stderr, "bench_voice_training: %s\n", qPrintable(error));
        return 2;
    }
    const QString scoreFold =
        trainFold == QLatin1String("tune") ? QStringLiteral("report") : QStringLiteral("tune");
    std::vector<training::VoiceRecording> takes;
    std::vector<Entry> scored;
    for (const Entry& e : all) {
        const bool clean =
            e.condition == QLatin1String("clean") || e.condition == QLatin1String("reject-clean");
        if (isSpeaker(e) && clean && e.fold == trainFold)
            takes.push_back({spokenText(e), e.file});
        if (e.fold == scoreFold && (isSpeaker(e) || (!quick && e.expected.isEmpty())))
            scored.push_back(e);
    }

    // The adaptation, as the program makes it.
    QTemporaryDir work;
    const PhraseDecoder::Settings general = PhraseDecoder::defaultSettings();
    training::AdaptationSetup setup;
    setup.modelDir = general.modelDir;
    setup.dictionary = general.dictionary;
    training::Adaptation adaptation(setup);
    const QString mllr = work.filePath(QStringLiteral("mllr_matrix"));
    QElapsedTimer timer;
    timer.start();
    if (!adaptation.run(
            takes, mllr, [](int, const QString&) {}, &error)) {
        std::fprintf(stderr, "bench_voice_training: adaptation failed: %s\n", qPrintable(error));
        return 1;
    }
    const double adaptSeconds = timer.elapsed() / 1000.0;
    PhraseDecoder::Settings adapted = general;
    adapted.mllr = mllr;
    std::unique_ptr<PhraseDecoder> decoder = PhraseDecoder::create(adapted, &error);
    if (!decoder) {
        std::fprintf(stderr, "bench_voice_training: %s\n", qPrintable(error));
        return 1;
    }
    const std::optional<training::Calibration> calibration =
        training::calibrate(*decoder, adapted, grammarText, takes);
    const double calibrateSeconds = timer.elapsed() / 1000.0 - adaptSeconds;
    PhraseDecoder::Settings calibrated = adapted;
    const double relief = calibration ? calibration->relief : 0;
    calibrated.acceptThreshold -= relief;
    calibrated.wordThreshold -= relief;
    calibrated.shortPhraseThreshold -= relief;

    std::vector<Run> runs;
    for (const auto& [name, settings] : {std::pair{QStringLiteral("general"), general},
                                         std::pair{QStringLiteral("adapted"), adapted},
                                         std::pair{QStringLiteral("calibrated"), calibrated}}) {
        Run run{name, {}, {}, {}, {}, {}};
        decoder = PhraseDecoder::create(settings, &error);
        if (!decoder || !decoder->loadGrammar(grammarText, nullptr)) {
            std::fprintf(stderr, "bench_voice_training: %s\n", qPrintable(error));
            return 1;
        }
        for (const Entry& e : scored) {
            std::vector<std::int16_t> samples;
            if (!readWav(e.file, &samples, &error))
                continue;
            const Outcome o = decodeFile(*decoder, samples, speechEnd(samples), false);
            run.rows[rowOf(e)].add(e, o);
            if (e.expected.isEmpty())
                run.reject.add(e, o);
            else if (e.condition == QLatin1String("clean"))
                run.commandsClean.add(e, o);
            else if (e.condition.endsWith(QLatin1String("10")))
                run.commands10.add(e, o);
            if (!e.expected.isEmpty() && (e.condition == QLatin1String("clean") ||
                                          e.condition.endsWith(QLatin1String("10"))))
                run.targeted.add(e, o);
        }
        runs.push_back(std::move(run));
    }

    std::printf("voice training: %zu takes of the speaker (fold %s), %.1f s to adapt, %.1f s to "
                "calibrate (thresholds lowered by %.1f on %d takes); scored: fold %s\n\n",
                takes.size(), qPrintable(trainFold), adaptSeconds, calibrateSeconds, relief,
                calibration ? calibration->takes : 0, qPrintable(scoreFold));
    std::printf("%-22s %5s | %9s %9s %10s | %9s %9s %10s\n", "recordings", "files", "acc % gen",
                "adapted", "calibrated", "FA % gen", "adapted", "calibrated");
    for (const auto& [row, tally] : runs[0].rows) {
        const bool commands = tally.commands > 0;
        std::printf("%-22s %5d |", qPrintable(row), commands ? tally.commands : tally.mustReject);
        for (int part = 0; part < 2; ++part)
            for (const Run& r : runs) {
                const Tally& t = r.rows.at(row);
                const double v = part == 0 ? (commands ? t.accuracy() : NAN)
                                           : (commands ? NAN : t.falsePercent());
                std::printf(" %9s", qPrintable(fmt(v)));
            }
        std::printf("\n");
    }
    const auto errors = [](const Tally& t) { return t.commands - t.correct; };
    const auto removed = [&](const Tally& before, const Tally& after) {
        return errors(before) > 0 ? 100.0 * (errors(before) - errors(after)) / errors(before) : NAN;
    };
    QJsonObject json{{QStringLiteral("takes"), static_cast<int>(takes.size())},
                     {QStringLiteral("trainFold"), trainFold},
                     {QStringLiteral("adaptSeconds"), adaptSeconds},
                     {QStringLiteral("calibrateSeconds"), calibrateSeconds},
                     {QStringLiteral("relief"), relief}};
    bool met = adaptSeconds <= 60;
    std::printf("\ntarget (speaker's held-out commands)      general  adapted  calibrated  "
                "limit\n");
    for (const auto& [label, pick] : {std::pair{"clean: errors", &Run::commandsClean},
                                      std::pair{"10 dB noise: errors", &Run::commands10}}) {
        std::printf("%-40s %8d %8d %11d\n", label, errors(runs[0].*pick), errors(runs[1].*pick),
                    errors(runs[2].*pick));
    }
    const Tally& before = runs[0].targeted;
    std::printf("%-40s %8s %8s %11s  >=50\n", "errors removed %", "",
                qPrintable(fmt(removed(before, runs[1].targeted))),
                qPrintable(fmt(removed(before, runs[2].targeted))));
    std::printf("%-40s %8s %8s %11s  <=2, not worse\n", "speech and noise to reject, accepted %",
                qPrintable(fmt(runs[0].reject.falsePercent())),
                qPrintable(fmt(runs[1].reject.falsePercent())),
                qPrintable(fmt(runs[2].reject.falsePercent())));
    std::printf("%-40s %8s %8.1f %11s  <=60\n", "adaptation seconds", "", adaptSeconds, "");
    met = met && removed(before, runs[2].targeted) >= 50 && runs[2].reject.falsePercent() <= 2 &&
          runs[2].reject.falsePercent() <= runs[0].reject.falsePercent();
    QJsonArray runJson;
    for (const Run& r : runs) {
        QJsonObject rows;
        for (const auto& [row, tally] : r.rows)
            rows.insert(row, tallyJson(tally));
        runJson.append(
            QJsonObject{{QStringLiteral("model"), r.name},
                        {QStringLiteral("rows"), rows},
                        {QStringLiteral("errorsRemoved"), jsonNumber(removed(before, r.targeted))},
                        {QStringLiteral("rejectAccepted"), jsonNumber(r.reject.falsePercent())}});
    }
    json.insert(QStringLiteral("runs"), runJson);
    json.insert(QStringLiteral("targetsMet"), met);
    if (!jsonPath.isEmpty()) {
        QFile out(jsonPath);
        if (out.open(QIODevice::WriteOnly))
            out.write(QJsonDocument(json).toJson());
    }
    return met ? 0 : 1;
}
