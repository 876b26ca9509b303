#pragma once

#include "common/widgets/OverMainWindow.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>

class Launcher;
struct Options;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class Tabrix;
class TalkKeyField;

// The options window. It shows the options the program works with; OK hands the
// changed copy back, to be stored and applied at once; Cancel (or the close box)
// discards it. Either way the main window is enabled again and recognition resumes
// when the program is listening. The window deletes itself when closed.
class frmOptions : public OverMainWindow
{
    Q_OBJECT
public:
    // `mainWindow` is the window behind `launcher`; once it is gone the dialog leaves it alone.
    frmOptions(Launcher& launcher, QWidget* mainWindow);

    void cmdOkClick();
    void cmdCancelClick();
    void cmdBrowseClick();

private:
    void buildControls();
    void load();
    void chkStartCommandChanged();
    void chkSoundChanged();
    void chkWinChanged();
    void cmdForgetVoiceClick();
    // The desktop watches the talk key of `values` when push-to-talk is on; when it
    // cannot, the user is told why and false comes back.
    bool talkKeyTaken(const Options& values);

    Launcher& launcher_;

    QGroupBox* fraStartCommand_ = nullptr;
    QCheckBox* chkStartCommand_ = nullptr;
    QLineEdit* txtStartCommand_ = nullptr;
    QCheckBox* chkSound_ = nullptr;
    QRadioButton* optWav_ = nullptr;
    QRadioButton* optBeep_ = nullptr;
    QLineEdit* txtSound_ = nullptr;
    Tabrix* cmdBrowse_ = nullptr;
    QGroupBox* frame1_ = nullptr;
    QLineEdit* txttcomt_ = nullptr;
    QLineEdit* txtt1t_ = nullptr;
    QLineEdit* txtchktext_ = nullptr;
    QCheckBox* chkComfirm_ = nullptr;
    QGroupBox* fraTalk_ = nullptr;
    QCheckBox* chkPushToTalk_ = nullptr;
    TalkKeyField* txtTalkKey_ = nullptr;
    QGroupBox* fraVoice_ = nullptr;
    QCheckBox* chkVoiceTraining_ = nullptr;
    Tabrix* cmdTrainVoice_ = nullptr;
    Tabrix* cmdForgetVoice_ = nullptr;
    QGroupBox* frmWin_ = nullptr;
    QCheckBox* chkWin_ = nullptr;
    QRadioButton* optNormal_ = nullptr;
    QRadioButton* optMin_ = nullptr;
    QRadioButton* optHide_ = nullptr;
    QButtonGroup* soundChoice_ = nullptr;
    QButtonGroup* startMode_ = nullptr;
    Tabrix* cmdOk_ = nullptr;
    Tabrix* cmdCancel_ = nullptr;
};

// Opens the options window from the main window: disables it, pauses recognition when
// the program is listening, then shows the window without waiting for it. While one
// is open, another request raises it instead.
frmOptions* openOptionsDialog(Launcher& launcher, QWidget* mainWindow);
