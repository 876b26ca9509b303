#include "speech/training/VoiceTrainer.h"

#include "speech/training/Calibration.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QScopeGuard>

namespace training {

VoiceTrainer::VoiceTrainer(VoiceFolder folder, AdaptationSetup setup, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), setup_(std::move(setup))
{
}

VoiceTrainer::~VoiceTrainer()
{
    cancel();
    if (thread_.joinable())
        thread_.join();
}

bool VoiceTrainer::start(const QString& grammarText)
{
    if (thread_.joinable())
        return false;
    adaptation_ = std::make_unique<Adaptation>(setup_);
    thread_ = std::thread([this, grammarText] { run(grammarText); });
    return true;
}

void VoiceTrainer::cancel()
{
    if (adaptation_)
        adaptation_->cancel();
}

void VoiceTrainer::run(const QString& grammarText)
{
    const auto report = [this](int percent, const QString& step) {
        QMetaObject::invokeMethod(
            this, [this, percent, step] { emit progress(percent, step); }, Qt::QueuedConnection);
    };
    const auto cancelled = [this] { return adaptation_->cancelled(); };
    // The new adaptation, transform and calibration, is made whole beside the one in use
    // and put in its place only at the end: whatever stops the run before leaves the
    // earlier one as it was.
    folder_.removeLeftovers();
    QString error;
    const QString made = folder_.newAdaptationDir(&error);
    if (made.isEmpty())
        return end(false, error);
    const auto discard = qScopeGuard([&] {
        if (!QFileInfo(made).isSymLink())
            QDir(made).removeRecursively();
    });
    const std::vector<VoiceRecording> recordings = folder_.recordings();
    const QString mllr = made + QStringLiteral("/mllr_matrix");
    if (!adaptation_->run(recordings, mllr, report, &error))
        return end(false, error);

    // The thresholds, measured on the takes of commands under the new adaptation.
    report(90, QStringLiteral("Measuring your commands"));
    PhraseDecoder::Settings settings = PhraseDecoder::defaultSettings();
    settings.modelDir = setup_.modelDir;
    settings.dictionary = setup_.dictionary;
    settings.mllr = mllr;
    std::unique_ptr<PhraseDecoder> decoder = PhraseDecoder::create(settings, &error);
    if (!decoder)
        return end(false, QStringLiteral("The adaptation does not load (%1); it was not kept. "
                                         "Your recordings are kept.")
                              .arg(error));
    const std::optional<Calibration> calibration =
        cancelled() ? std::nullopt
                    : calibrate(*decoder, settings, grammarText, recordings, cancelled);
    if (cancelled())
        return end(false, QStringLiteral("Adaptation cancelled."));
    if (calibration &&
        !saveCalibration(made + QStringLiteral("/calibration.json"), *calibration, &error))
        return end(false, error);
    if (!folder_.replaceAdaptation(made, &error))
        return end(false, error);
    report(100, QStringLiteral("Done"));
    const int used = adaptation_->takesUsed();
    const int unused = static_cast<int>(recordings.size()) - used;
    const QString count =
        unused == 0 ? QStringLiteral("%1 recordings").arg(used)
                    : QStringLiteral("%1 recordings; %2 could not be used").arg(used).arg(unused);
    end(true, folder_.inUse()
                  ? QStringLiteral("Your voice training is ready and in use (%1).").arg(count)
                  : QStringLiteral("Your voice training is ready (%1); it is not in use until "
                                   "you turn on \"Use my voice training\" in the options.")
                        .arg(count));
}

void VoiceTrainer::end(bool ok, const QString& message)
{
    QMetaObject::invokeMethod(
        this,
        [this, ok, message] {
            if (thread_.joinable())
                thread_.join();
            emit finished(ok, message);
        },
        Qt::QueuedConnection);
}

} // namespace training
