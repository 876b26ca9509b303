#include "options/training/frmTrain.h"

#include "commands/CommandTable.h"
#include "launcher/Launcher.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "platform/audio/Audio.h"
#include "platform/audio/AudioInput.h"
#include "platform/widgets/Tabrix.h"
#include "speech/sphinx/PhraseDecoder.h"
#include "speech/training/Adaptation.h"
#include "speech/training/RecordingCheck.h"
#include "speech/training/TrainingPrompts.h"
#include "speech/training/VoiceTrainer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

training::AdaptationSetup installedTrainer()
{
    const PhraseDecoder::Settings general = PhraseDecoder::defaultSettings();
    training::AdaptationSetup setup;
    setup.modelDir = general.modelDir;
    setup.dictionary = general.dictionary;
    return setup;
}

QString nothingToRecord(const QString& why)
{
    return QStringLiteral("Nothing can be recorded: %1").arg(why);
}

} // namespace

frmTrain::frmTrain(Launcher& launcher, QWidget* mainWindow, bool handsBack)
    : frmTrain(
          launcher, mainWindow, training::VoiceFolder(), installedTrainer(),
          [audioIn = qEnvironmentVariable("SARQUEN_AUDIO_IN")] {
              return audioIn.isEmpty() ? platform::makeMicrophoneInput()
                                       : platform::makeFileInput(audioIn);
          },
          handsBack)
{
}

frmTrain::frmTrain(Launcher& launcher, QWidget* mainWindow, training::VoiceFolder folder,
                   const training::AdaptationSetup& setup,
                   training::VoiceRecorder::InputFactory makeInput, bool handsBack)
    : OverMainWindow(launcher, mainWindow, handsBack), launcher_(launcher),
      folder_(std::move(folder))
{
    setObjectName(QStringLiteral("frmTrain"));
    setWindowTitle(QStringLiteral("Train Your Voice"));
    QStringList phrases;
    const CommandTable& table = launcher.commandTable();
    for (int row = 1; row <= table.count(); ++row)
        phrases << table.phrases[static_cast<std::size_t>(row)].text();
    prompts_ = training::trainingPrompts(launcher.options().startCommand, phrases);
    recorder_ = new training::VoiceRecorder(std::move(makeInput), this);
    trainer_ = new training::VoiceTrainer(folder_, setup, this);
    buildControls();
    connect(recorder_, &training::VoiceRecorder::level, prgLevel_, &QProgressBar::setValue);
    connect(recorder_, &training::VoiceRecorder::recorded, this, &frmTrain::onRecorded);
    connect(trainer_, &training::VoiceTrainer::progress, this,
            [this](int percent, const QString& step) {
                prgAdapt_->setValue(percent);
                lblCheck_->setText(step);
            });
    connect(trainer_, &training::VoiceTrainer::finished, this, &frmTrain::onAdaptFinished);
    showPrompt(0);
    // Without a microphone the user learns it now, not after reading the first prompt.
    if (QString error; !recorder_->canRecord(&error))
        lblCheck_->setText(nothingToRecord(error));
}

frmTrain::~frmTrain()
{
    if (player_.joinable())
        player_.join();
}

void frmTrain::buildControls()
{
    lblProgress_ = new QLabel(this);
    lblProgress_->setObjectName(QStringLiteral("lblProgress"));
    lblPrompt_ = new QLabel(this);
    lblPrompt_->setObjectName(QStringLiteral("lblPrompt"));
    lblPrompt_->setWordWrap(true);
    lblPrompt_->setAlignment(Qt::AlignCenter);
    lblPrompt_->setMinimumSize(480, 120);
    QFont large = lblPrompt_->font();
    large.setPointSizeF(large.pointSizeF() * 2);
    large.setBold(true);
    lblPrompt_->setFont(large);
    prgLevel_ = new QProgressBar(this);
    prgLevel_->setObjectName(QStringLiteral("prgLevel"));
    prgLevel_->setTextVisible(false);
    lblCheck_ = new QLabel(this);
    lblCheck_->setObjectName(QStringLiteral("lblCheck"));
    lblCheck_->setWordWrap(true);
    cmdBack_ = new Tabrix(QStringLiteral("cmdBack"), QStringLiteral("< Back"), this);
    cmdRecord_ = new Tabrix(QStringLiteral("cmdRecord"), QStringLiteral("Record"), this);
    cmdPlay_ = new Tabrix(QStringLiteral("cmdPlay"), QStringLiteral("Play"), this);
    cmdNext_ = new Tabrix(QStringLiteral("cmdNext"), QStringLiteral("Next >"), this);
    prgAdapt_ = new QProgressBar(this);
    prgAdapt_->setObjectName(QStringLiteral("prgAdapt"));
    cmdAdapt_ = new Tabrix(QStringLiteral("cmdAdapt"), QStringLiteral("Adapt"), this);
    cmdCancelAdapt_ = new Tabrix(QStringLiteral("cmdCancelAdapt"), QStringLiteral("Cancel"), this);
    cmdClose_ = new Tabrix(QStringLiteral("cmdClose"), QStringLiteral("Close"), this);

    auto* takes = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(cmdBack_), static_cast<QWidget*>(cmdRecord_),
                       static_cast<QWidget*>(cmdPlay_), static_cast<QWidget*>(cmdNext_)})
        takes->addWidget(w);
    auto* adapt = new QHBoxLayout;
    adapt->addWidget(cmdAdapt_);
    adapt->addWidget(prgAdapt_, 1);
    adapt->addWidget(cmdCancelAdapt_);
    adapt->addWidget(cmdClose_);
    auto* main = new QVBoxLayout(this);
    main->addWidget(lblProgress_);
    main->addWidget(lblPrompt_, 1);
    main->addWidget(prgLevel_);
    main->addWidget(lblCheck_);
    main->addLayout(takes);
    main->addLayout(adapt);

    connect(cmdBack_, &Tabrix::clicked, this, [this] { showPrompt(index_ - 1); });
    connect(cmdNext_, &Tabrix::clicked, this, [this] { showPrompt(index_ + 1); });
    connect(cmdRecord_, &Tabrix::clicked, this, &frmTrain::onRecord);
    connect(cmdPlay_, &Tabrix::clicked, this, &frmTrain::onPlay);
    connect(cmdAdapt_, &Tabrix::clicked, this, &frmTrain::onAdapt);
    connect(cmdCancelAdapt_, &Tabrix::clicked, trainer_, &training::VoiceTrainer::cancel);
    connect(cmdClose_, &Tabrix::clicked, this, &QWidget::close);
}

void frmTrain::showPrompt(int index)
{
    index_ = std::clamp(index, 0, static_cast<int>(prompts_.size()) - 1);
    lblProgress_->setText(QStringLiteral("%1 of %2").arg(index_ + 1).arg(prompts_.size()));
    lblPrompt_->setText(prompts_.value(index_));
    lblCheck_->setText(folder_.recording(index_)
                           ? QStringLiteral("Recorded. Play it back, record it again, or go on.")
                           : QStringLiteral("Press Record, read the words aloud, then press "
                                            "Stop."));
    updateButtons();
}

void frmTrain::updateButtons()
{
    const bool recording = recorder_->isRecording();
    const bool adapting = trainer_->isRunning();
    cmdRecord_->setCaption(recording ? QStringLiteral("Stop") : QStringLiteral("Record"));
    cmdRecord_->setEnabled(!adapting);
    cmdBack_->setEnabled(!recording && index_ > 0);
    cmdNext_->setEnabled(!recording && index_ + 1 < prompts_.size());
    cmdPlay_->setEnabled(!recording && folder_.recording(index_).has_value());
    cmdAdapt_->setEnabled(!recording && !adapting && !folder_.recordings().empty());
    cmdCancelAdapt_->setEnabled(adapting);
}

void frmTrain::onRecord()
{
    if (recorder_->isRecording()) {
        recorder_->stop();
        return;
    }
    QString error;
    if (!recorder_->start(&error)) {
        lblCheck_->setText(nothingToRecord(error));
        return;
    }
    lblCheck_->setText(QStringLiteral("Recording... read the words aloud, then press Stop."));
    updateButtons();
}

void frmTrain::onRecorded(const std::vector<std::int16_t>& samples)
{
    if (const std::optional<QString> fault = training::recordingFault(samples)) {
        lblCheck_->setText(*fault);
    } else {
        QString error;
        lblCheck_->setText(folder_.saveRecording(index_, prompts_.value(index_), samples, &error)
                               ? QStringLiteral("Recorded. Play it back, record it again, or "
                                                "go on.")
                               : error);
    }
    prgLevel_->setValue(0);
    updateButtons();
}

void frmTrain::onPlay()
{
    const std::optional<training::VoiceRecording> take = folder_.recording(index_);
    platform::Audio* audio = launcher_.services().audio;
    if (!take || !audio)
        return;
    // One take at a time: the one before plays to its end first.
    if (player_.joinable())
        player_.join();
    // Playing waits for the sound's end: not on the UI thread.
    player_ = std::thread([audio, path = take->wavPath] { audio->playSoundFile(path); });
}

void frmTrain::onAdapt()
{
    if (!trainer_->start(launcher_.loadedGrammar()))
        return;
    prgAdapt_->setValue(0);
    updateButtons();
}

void frmTrain::onAdaptFinished(bool ok, const QString& message)
{
    lblCheck_->setText(message);
    if (!ok)
        prgAdapt_->setValue(0);
    updateButtons();
    if (ok)
        launcher_.useVoiceTraining();
}

void frmTrain::finishing()
{
    recorder_->stop();
    trainer_->cancel();
}

frmTrain* openVoiceTraining(Launcher& launcher, QWidget* mainWindow)
{
    return showOverMainWindow<frmTrain>(launcher, mainWindow);
}

frmTrain* openVoiceTrainingOver(Launcher& launcher, QWidget* dialog)
{
    auto* window = new frmTrain(launcher, dialog, false);
    window->setWindowModality(Qt::WindowModal);
    window->show();
    placeOverMainWindow(window, dialog);
    return window;
}
