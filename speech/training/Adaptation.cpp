#include "speech/training/Adaptation.h"

#include "platform/files/SafeWrite.h"
#include "speech/sphinx/Pronunciation.h"
#include "speech/training/FeatureFiles.h"
#include "speech/training/MixtureWeights.h"
#include "speech/training/MllrMatrix.h"
#include "speech/training/TrainingWords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

namespace training {
namespace {

bool writeText(const QString& path, const QString& text)
{
    return platform::replaceFile(path, text.toUtf8());
}

QString lastLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).trimmed().split(QLatin1Char('\n'));
    return lines.mid(std::max<qsizetype>(0, lines.size() - 3)).join(QLatin1Char(' '));
}

} // namespace

QString missingTrainer(const AdaptationSetup& setup)
{
    const bool trainer = QFileInfo(setup.trainerDir + QStringLiteral("/bw")).isExecutable() &&
                         QFileInfo(setup.trainerDir + QStringLiteral("/mllr_solve")).isExecutable();
    const bool converter = !QStandardPaths::findExecutable(setup.mdefConverter).isEmpty() ||
                           QFileInfo(setup.mdefConverter).isExecutable();
    if (trainer && converter)
        return {};
    return QStringLiteral("Voice training needs SphinxTrain and the PocketSphinx tools, which "
                          "are not installed. Install the packages \"sphinxtrain\" and "
                          "\"pocketsphinx\" (sudo apt install sphinxtrain pocketsphinx), then "
                          "press Adapt again. Your recordings are kept.");
}

bool Adaptation::runProgram(const QString& program, const QStringList& arguments,
                            const QString& log, QString* error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(log);
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        if (error)
            *error = QStringLiteral("%1 could not be started").arg(program);
        return false;
    }
    while (!process.waitForFinished(100)) {
        if (cancelled_) {
            process.kill();
            process.waitForFinished();
            return false;
        }
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    if (error)
        *error = QStringLiteral("%1 failed: %2").arg(QFileInfo(program).fileName(), lastLines(log));
    return false;
}

bool Adaptation::run(const std::vector<VoiceRecording>& recordings, const QString& mllrPath,
                     const std::function<void(int, const QString&)>& progress, QString* error)
{
    const auto fail = [&](const QString& why) {
        if (error)
            *error = cancelled_ ? QStringLiteral("Adaptation cancelled.") : why;
        return false;
    };
    if (const QString missing = missingTrainer(setup_); !missing.isEmpty())
        return fail(missing);
    takesUsed_ = 0;
    if (recordings.empty())
        return fail(QStringLiteral("There are no recordings to adapt to."));
    // Beside the result, so that what a killed run leaves goes with it.
    const QString folder = QFileInfo(mllrPath).absolutePath();
    QDir().mkpath(folder);
    QTemporaryDir work(folder + QStringLiteral("/work-XXXXXX"));
    if (!work.isValid())
        return fail(QStringLiteral("No room for the adaptation's working files."));
    const auto at = [&](const QString& name) { return work.filePath(name); };

    // The model as SphinxTrain reads it: the model definition as text and the mixture
    // weights in Sphinx-3 form.
    progress(5, QStringLiteral("Reading the acoustic model"));
    QString why;
    const QString model = setup_.modelDir;
    const QString mixw = QFileInfo::exists(model + QStringLiteral("/mixture_weights"))
                             ? model + QStringLiteral("/mixture_weights")
                             : at(QStringLiteral("mixture_weights"));
    if (!QFileInfo::exists(mixw) &&
        !writeMixtureWeights(model + QStringLiteral("/sendump"), mixw, &why))
        return fail(why);
    const QString mdef = at(QStringLiteral("mdef.txt"));
    const QString mdefConverter = QStandardPaths::findExecutable(setup_.mdefConverter).isEmpty()
                                      ? setup_.mdefConverter
                                      : QStandardPaths::findExecutable(setup_.mdefConverter);
    if (!runProgram(mdefConverter, {QStringLiteral("-text"), model + QStringLiteral("/mdef"), mdef},
                    at(QStringLiteral("mdef.log")), &why))
        return fail(why);

    // Each take's cepstra, and what was said in it, word by word.
    progress(20, QStringLiteral("Measuring the recordings"));
    QDir().mkpath(at(QStringLiteral("feat")));
    QStringList words;
    for (const VoiceRecording& r : recordings)
        words += trainingWords(r.text);
    const QHash<QString, QString> pronunciations = pronunciationsFor(words, setup_.dictionary);
    QString control, transcript;
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        if (cancelled_)
            return fail({});
        const std::optional<std::vector<std::int16_t>> samples = readWav(recordings[i].wavPath);
        const QStringList said = trainingWords(recordings[i].text);
        // A take with a word nobody can pronounce cannot be followed word by word.
        const bool speakable = std::all_of(
            said.begin(), said.end(), [&](const QString& w) { return pronunciations.contains(w); });
        if (!samples || said.isEmpty() || !speakable)
            continue;
        const QString id = QStringLiteral("take%1").arg(i);
        if (!writeFeatureFile(model, *samples, at(QStringLiteral("feat/%1.mfc").arg(id)), &why))
            return fail(why);
        control += id + QLatin1Char('\n');
        ++takesUsed_;
        transcript += QStringLiteral("<s> %1 </s> (%2)\n").arg(said.join(QLatin1Char(' ')), id);
    }
    if (control.isEmpty())
        return fail(QStringLiteral("None of the recordings can be read."));
    const QString dictionary = dictionaryText(pronunciations);
    if (!writeText(at(QStringLiteral("ctl")), control) ||
        !writeText(at(QStringLiteral("lsn")), transcript) ||
        !writeText(at(QStringLiteral("dict")), dictionary))
        return fail(QStringLiteral("No room for the adaptation's working files."));

    // How the model's Gaussians fit the user's voice along the prompts' words.
    progress(35, QStringLiteral("Comparing your voice with the model"));
    QDir().mkpath(at(QStringLiteral("counts")));
    const QStringList streams = [&] {
        QStringList ranges;
        int first = 0;
        for (const int width : streamWidths(model)) {
            ranges << QStringLiteral("%1-%2").arg(first).arg(first + width - 1);
            first += width;
        }
        return ranges;
    }();
    QStringList bw{QStringLiteral("-moddeffn"), mdef,
                   QStringLiteral("-ts2cbfn"),  QStringLiteral(".ptm."),
                   QStringLiteral("-meanfn"),   model + QStringLiteral("/means"),
                   QStringLiteral("-varfn"),    model + QStringLiteral("/variances"),
                   QStringLiteral("-mixwfn"),   mixw,
                   QStringLiteral("-tmatfn"),   model + QStringLiteral("/transition_matrices"),
                   QStringLiteral("-feat"),     QStringLiteral("1s_c_d_dd"),
                   QStringLiteral("-cmn"),      QStringLiteral("batch"),
                   QStringLiteral("-agc"),      QStringLiteral("none"),
                   QStringLiteral("-dictfn"),   at(QStringLiteral("dict")),
                   QStringLiteral("-fdictfn"),  model + QStringLiteral("/noisedict"),
                   QStringLiteral("-ctlfn"),    at(QStringLiteral("ctl")),
                   QStringLiteral("-lsnfn"),    at(QStringLiteral("lsn")),
                   QStringLiteral("-cepdir"),   at(QStringLiteral("feat")),
                   QStringLiteral("-accumdir"), at(QStringLiteral("counts"))};
    if (streams.size() > 1)
        bw << QStringLiteral("-svspec") << streams.join(QLatin1Char('/'));
    if (!runProgram(setup_.trainerDir + QStringLiteral("/bw"), bw, at(QStringLiteral("bw.log")),
                    &why))
        return fail(why);

    progress(80, QStringLiteral("Making the adaptation"));
    const QString solved = at(QStringLiteral("mllr_matrix"));
    if (!runProgram(setup_.trainerDir + QStringLiteral("/mllr_solve"),
                    {QStringLiteral("-meanfn"), model + QStringLiteral("/means"),
                     QStringLiteral("-varfn"), model + QStringLiteral("/variances"),
                     QStringLiteral("-outmllrfn"), solved, QStringLiteral("-accumdir"),
                     at(QStringLiteral("counts"))},
                    at(QStringLiteral("mllr.log")), &why))
        return fail(why);
    if (!mllrFits(solved, streamWidths(model), &why))
        return fail(QStringLiteral("The adaptation came out unusable (%1).").arg(why));

    QFile result(solved);
    if (!result.open(QIODevice::ReadOnly) ||
        !platform::replaceFile(mllrPath, result.readAll(), &why))
        return fail(QStringLiteral("%1 cannot be written: %2").arg(mllrPath, why));
    progress(100, QStringLiteral("Done"));
    return true;
}

} // namespace training
