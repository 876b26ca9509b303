#pragma once

#include "common/widgets/OverMainWindow.h"
#include "speech/training/VoiceFolder.h"
#include "speech/training/VoiceRecorder.h"

#include <QStringList>
#include <thread>

class Launcher;
class QLabel;
class QProgressBar;
class Tabrix;
namespace training {
class VoiceTrainer;
struct AdaptationSetup;
} // namespace training

// "Train Your Voice": one prompt at a time in large type, recorded from the microphone
// with the level meter, played back on request, recorded again at will; takes that are
// clipped, too quiet or cut off are refused at once with the reason. "Adapt" makes the
// user's voice training from the recordings in the background (progress, Cancel), and
// the recogniser takes it up at once. Recognition pauses while the window is up, so the
// program does not act on the prompts.
class frmTrain : public OverMainWindow
{
    Q_OBJECT
public:
    // The user's voice folder, the installed model and trainer, and the microphone (or
    // the sound file SARQUEN_AUDIO_IN names, as the recogniser hears it).
    // Opened from another window over the main window (the options dialog), it leaves
    // the main window to that one: `handsBack` false.
    frmTrain(Launcher& launcher, QWidget* mainWindow, bool handsBack = true);
    frmTrain(Launcher& launcher, QWidget* mainWindow, training::VoiceFolder folder,
             const training::AdaptationSetup& setup,
             training::VoiceRecorder::InputFactory makeInput, bool handsBack = true);
    ~frmTrain() override;

    int promptIndex() const { return index_; }
    const QStringList& prompts() const { return prompts_; }

protected:
    void finishing() override;

private:
    void buildControls();
    void showPrompt(int index);
    void onRecord();
    void onRecorded(const std::vector<std::int16_t>& samples);
    void onPlay();
    void onAdapt();
    void onAdaptFinished(bool ok, const QString& message);
    void updateButtons();

    Launcher& launcher_;
    training::VoiceFolder folder_;
    QStringList prompts_;
    int index_ = 0;
    training::VoiceRecorder* recorder_ = nullptr;
    training::VoiceTrainer* trainer_ = nullptr;
    std::thread player_;

    QLabel* lblProgress_ = nullptr;
    QLabel* lblPrompt_ = nullptr;
    QLabel* lblCheck_ = nullptr;
    QProgressBar* prgLevel_ = nullptr;
    QProgressBar* prgAdapt_ = nullptr;
    Tabrix* cmdBack_ = nullptr;
    Tabrix* cmdRecord_ = nullptr;
    Tabrix* cmdPlay_ = nullptr;
    Tabrix* cmdNext_ = nullptr;
    Tabrix* cmdAdapt_ = nullptr;
    Tabrix* cmdCancelAdapt_ = nullptr;
    Tabrix* cmdClose_ = nullptr;
};

// Opens the window over the main window (the one already open, if there is one).
frmTrain* openVoiceTraining(Launcher& launcher, QWidget* mainWindow);
// Opens it over `dialog`, which holds the main window, as that dialog's modal child.
frmTrain* openVoiceTrainingOver(Launcher& launcher, QWidget* dialog);
