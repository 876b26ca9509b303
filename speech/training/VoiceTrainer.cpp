#include "speech/training/VoiceTrainer.h"

#include "speech/training/Calibration.h"

#include <QFile>
#include <QMetaObject>

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
    const std::vector<VoiceRecording> recordings = folder_.recordings();
    QString error;
    if (!adaptation_->run(recordings, folder_.mllrPath(), report, &error))
        return end(false, error);

    // The thresholds, measured on the takes of commands under the new adaptation. An old
    // calibration belongs to the old adaptation: it goes either way.
    report(90, QStringLiteral("Measuring your commands"));
    QFile::remove(folder_.calibrationPath());
    PhraseDecoder::Settings settings = PhraseDecoder::defaultSettings();
    settings.modelDir = setup_.modelDir;
    settings.dictionary = setup_.dictionary;
    settings.mllr = folder_.mllrPath();
    std::unique_ptr<PhraseDecoder> decoder = PhraseDecoder::create(settings, &error);
    if (!decoder) {
        QFile::remove(folder_.mllrPath());
        return end(false, QStringLiteral("The adaptation does not load (%1); it was not kept. "
                                         "Your recordings are kept.")
                              .arg(error));
    }
    if (adaptation_->cancelled())
        return end(false, QStringLiteral("Adaptation cancelled."));
    const std::optional<Calibration> calibration =
        calibrate(*decoder, settings, grammarText, recordings);
    if (calibration && !saveCalibration(folder_.calibrationPath(), *calibration, &error))
        return end(false, error);
    report(100, QStringLiteral("Done"));
    end(true, QStringLiteral("Your voice training is ready and in use (%1 recordings).")
                  .arg(recordings.size()));
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
