#include "speech/training/Calibration.h"

#include "platform/files/SafeWrite.h"
#include "speech/training/MllrMatrix.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

namespace training {
namespace {

// The weakest take must pass by this much: the user's next utterance of it will be a
// little different.
constexpr double kMargin = 3;

} // namespace

std::optional<Calibration> calibrate(PhraseDecoder& decoder,
                                     const PhraseDecoder::Settings& settings,
                                     const QString& grammarText,
                                     const std::vector<VoiceRecording>& recordings,
                                     const std::function<bool()>& cancelled)
{
    if (!decoder.loadGrammar(grammarText, nullptr))
        return std::nullopt;
    // Each take is heard as the recogniser hears it: a second of silence after it ends it.
    const std::vector<std::int16_t> silence(16000, 0);
    double needed = 0;
    int takes = 0;
    for (const VoiceRecording& r : recordings) {
        if (cancelled && cancelled())
            return std::nullopt;
        const std::optional<std::vector<std::int16_t>> samples = readWav(r.wavPath);
        if (!samples)
            continue;
        std::optional<double> shortfall;
        const auto heard = [&](const DecodedUtterance& u) {
            if (!u.candidate || u.candidate->compare(r.text.trimmed(), Qt::CaseInsensitive) != 0)
                return;
            // By how much the take misses its thresholds (each word must pass as well).
            const double phrase = settings.acceptThreshold - u.score;
            const double word = settings.wordThreshold - u.wordScore;
            const double worst = std::max(phrase, word);
            if (std::isfinite(worst))
                shortfall = std::max(shortfall.value_or(worst), worst);
        };
        decoder.reset();
        decoder.feed(samples->data(), samples->size(), heard);
        decoder.feed(silence.data(), silence.size(), heard);
        decoder.flush(heard);
        if (shortfall) {
            ++takes;
            needed = std::max(needed, *shortfall + kMargin);
        }
    }
    if (takes == 0)
        return std::nullopt;
    return Calibration{std::clamp(needed, 0.0, kMaxRelief), takes};
}

bool saveCalibration(const QString& path, const Calibration& calibration, QString* error)
{
    const QByteArray json =
        QJsonDocument(QJsonObject{{QStringLiteral("relief"), calibration.relief},
                                  {QStringLiteral("takes"), calibration.takes}})
            .toJson();
    const QFileInfo file(path);
    QString why;
    if (platform::replaceFileInFolder(file.absolutePath(), file.fileName(), json, &why))
        return true;
    if (error)
        *error = QStringLiteral("%1 cannot be written: %2").arg(path, why);
    return false;
}

std::optional<Calibration> loadCalibration(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 65536)
        return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    const double relief = o.value(QStringLiteral("relief")).toDouble(-1);
    if (!std::isfinite(relief) || relief < 0 || relief > kMaxRelief)
        return std::nullopt;
    return Calibration{relief, o.value(QStringLiteral("takes")).toInt()};
}

PhraseDecoder::Settings voiceSettings(const VoiceFolder& folder, QString* problem)
{
    PhraseDecoder::Settings settings = PhraseDecoder::defaultSettings();
    if (!folder.inUse() || !folder.hasAdaptation())
        return settings;
    QString why;
    if (!mllrFits(folder.mllrPath(), streamWidths(settings.modelDir), &why)) {
        if (problem)
            *problem = QStringLiteral("Your voice training cannot be used (%1); the general "
                                      "voice model is used instead. Train your voice again to "
                                      "mend it.")
                           .arg(why);
        return settings;
    }
    settings.mllr = folder.mllrPath();
    if (const std::optional<Calibration> c = loadCalibration(folder.calibrationPath())) {
        settings.acceptThreshold -= c->relief;
        settings.wordThreshold -= c->relief;
        settings.shortPhraseThreshold -= c->relief;
    }
    return settings;
}

} // namespace training
