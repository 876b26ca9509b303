#include "options/dialog/frmOptions.h"

#include "common/AppTitle.h"
#include "common/widgets/OverMainWindow.h"
#include "launcher/Launcher.h"
#include "options/OptionsForm.h"
#include "options/RunEntry.h"
#include "options/dialog/TalkKeyField.h"
#include "options/training/frmTrain.h"
#include "platform/Platform.h"
#include "platform/autostart/Autostart.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/registry/StoredText.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/Tabrix.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

template <typename T> T* named(QWidget* parent, const char* name, T* widget)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (!widget->parent())
        widget->setParent(parent);
    return widget;
}

// The dialog's labels wrap: a narrow dialog shows a long caption on two lines.
QLabel* optionLabel(QWidget* parent, const char* name, const QString& caption,
                    QWidget* buddy = nullptr)
{
    QLabel* l = label(parent, name, caption, buddy);
    l->setWordWrap(true);
    return l;
}

// A long wrapped explanation is given the height it needs at its narrowest, so the
// layout never squeezes it into the controls around it.
void keepWhole(QLabel* explanation, int width)
{
    explanation->setMinimumWidth(width);
    explanation->setMinimumHeight(explanation->heightForWidth(width));
}

// Selects `button` alone in its group, or nothing when `button` is null.
void selectOnly(QButtonGroup* group, QAbstractButton* button)
{
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(b == button);
    group->setExclusive(true);
}

} // namespace

frmOptions::frmOptions(Launcher& launcher, QWidget* mainWindow)
    : OverMainWindow(launcher, mainWindow), launcher_(launcher)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    buildControls();
    load();
}

void frmOptions::buildControls()
{
    fraStartCommand_ =
        named(this, "fraStartCommand", new QGroupBox(QStringLiteral("Start Command")));
    chkStartCommand_ = named(fraStartCommand_, "chkStartCommand",
                             new QCheckBox(QStringLiteral("Use Start Command")));
    txtStartCommand_ = named(fraStartCommand_, "txtStartCommand", new QLineEdit);
    QLabel* label1 =
        optionLabel(fraStartCommand_, "Label1", QStringLiteral("Start Command:"), txtStartCommand_);
    QLabel* label2 = optionLabel(
        fraStartCommand_, "Label2",
        QStringLiteral("The 'Start Command' option alows the user to say a key word before "
                       "Sarquen listens for other commands. For example, you would say "
                       "\"Computer\", then the command \"Start Notepad\". This helps to "
                       "eliminate false command recognition, which is basicly when the Speech "
                       "Engine thinks it hears a command that you didn't say."));
    chkSound_ = named(fraStartCommand_, "chkSound",
                      new QCheckBox(QStringLiteral("Use Start Command Sound File")));
    optWav_ = named(fraStartCommand_, "optWav",
                    new QRadioButton(QStringLiteral("Use Sound File (.wav)")));
    optBeep_ = named(fraStartCommand_, "optBeep",
                     new QRadioButton(QStringLiteral("Use Standard Sound (Beep Only)")));
    txtSound_ = named(fraStartCommand_, "txtSound", new QLineEdit);
    QLabel* label6 = optionLabel(fraStartCommand_, "Label6",
                                 QStringLiteral("Start Command Sound File:"), txtSound_);
    cmdBrowse_ =
        new Tabrix(QStringLiteral("cmdBrowse"), QStringLiteral("Browse"), fraStartCommand_);
    QLabel* label7 = optionLabel(
        fraStartCommand_, "Label7",
        QStringLiteral("The 'Start Command Sound' option plays a sound when the Sarquen hears "
                       "the 'Start Command' letting you know that it has heard you. Sarquen can "
                       "play the standard Beep sound or a custom Wav file."));

    frame1_ = named(this, "Frame1", new QGroupBox(QStringLiteral("Interaction")));
    txttcomt_ = named(frame1_, "txttcomt", new QLineEdit);
    QLabel* label5 = optionLabel(frame1_, "Label5",
                                 QStringLiteral("How long to wait for a command after hearing the "
                                                "'Start Command' (Sec.):"),
                                 txttcomt_);
    txtt1t_ = named(frame1_, "txtt1t", new QLineEdit);
    QLabel* label4 =
        optionLabel(frame1_, "Label4",
                    QStringLiteral("How long to display comfirmation screen (Sec.):"), txtt1t_);
    txtchktext_ = named(frame1_, "txtchktext", new QLineEdit);
    QLabel* label3 = optionLabel(frame1_, "Label3",
                                 QStringLiteral("What to say when launching a program with "
                                                "comfirmation enabled:"),
                                 txtchktext_);

    // Push-to-talk: what is said counts only while a key of the user's is held.
    fraTalk_ = named(this, "fraTalk", new QGroupBox(QStringLiteral("Push to Talk")));
    chkPushToTalk_ = named(fraTalk_, "chkPushToTalk",
                           new QCheckBox(QStringLiteral("Listen only while I hold a key")));
    txtTalkKey_ = named(fraTalk_, "txtTalkKey", new TalkKeyField);
    QLabel* talkLabel =
        optionLabel(fraTalk_, "lblTalkKey", QStringLiteral("Talk key:"), txtTalkKey_);

    // The user's voice training, beside the speech settings.
    fraVoice_ = named(this, "fraVoice", new QGroupBox(QStringLiteral("Your Voice")));
    chkVoiceTraining_ = named(fraVoice_, "chkVoiceTraining",
                              new QCheckBox(QStringLiteral("Use my voice training")));
    cmdTrainVoice_ = new Tabrix(QStringLiteral("cmdTrainVoice"),
                                QStringLiteral("Train Your Voice..."), fraVoice_);
    cmdForgetVoice_ =
        new Tabrix(QStringLiteral("cmdForgetVoice"), QStringLiteral("Forget my voice"), fraVoice_);
    auto* voiceButtons = new QHBoxLayout;
    voiceButtons->addWidget(cmdTrainVoice_);
    voiceButtons->addWidget(cmdForgetVoice_);
    auto* voiceBox = new QVBoxLayout(fraVoice_);
    voiceBox->addWidget(chkVoiceTraining_);
    voiceBox->addLayout(voiceButtons);

    chkComfirm_ = named(this, "chkComfirm",
                        new QCheckBox(QStringLiteral("Ask for comfirmation before launching a "
                                                     "program")));

    frmWin_ = named(this, "frmWin", new QGroupBox(QStringLiteral("Desktop start-up")));
    chkWin_ =
        named(frmWin_, "chkWin", new QCheckBox(QStringLiteral("Start with the desktop session")));
    optNormal_ = named(frmWin_, "optNormal", new QRadioButton(QStringLiteral("Start Normal")));
    optMin_ = named(frmWin_, "optMin", new QRadioButton(QStringLiteral("Start Minimized")));
    optHide_ = named(frmWin_, "optHide",
                     new QRadioButton(QStringLiteral("Start Hidden (in system tray)")));

    cmdOk_ = new Tabrix(QStringLiteral("cmdOk"), QStringLiteral("Ok"), this);
    cmdCancel_ = new Tabrix(QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), this);

    soundChoice_ = new QButtonGroup(this);
    soundChoice_->addButton(optWav_);
    soundChoice_->addButton(optBeep_);
    startMode_ = new QButtonGroup(this);
    startMode_->addButton(optNormal_, 1);
    startMode_->addButton(optMin_, 2);
    startMode_->addButton(optHide_, 3);

    keepWhole(label2, 380);
    keepWhole(label7, 380);

    // Start Command frame.
    auto* phraseRow = new QHBoxLayout;
    phraseRow->addWidget(label1);
    phraseRow->addWidget(txtStartCommand_, 1);
    auto* soundRow = new QHBoxLayout;
    soundRow->addWidget(txtSound_, 1);
    soundRow->addWidget(cmdBrowse_);
    auto* startBox = new QVBoxLayout(fraStartCommand_);
    startBox->addWidget(chkStartCommand_);
    startBox->addLayout(phraseRow);
    startBox->addWidget(label2);
    startBox->addWidget(chkSound_);
    startBox->addWidget(optWav_);
    startBox->addWidget(optBeep_);
    startBox->addWidget(label6);
    startBox->addLayout(soundRow);
    startBox->addWidget(label7);

    // Interaction frame.
    auto* interaction = new QFormLayout(frame1_);
    interaction->setRowWrapPolicy(QFormLayout::WrapLongRows);
    interaction->addRow(label5, txttcomt_);
    interaction->addRow(label4, txtt1t_);
    interaction->addRow(label3, txtchktext_);

    // Desktop start-up frame.
    auto* winBox = new QVBoxLayout(frmWin_);
    winBox->addWidget(chkWin_);
    winBox->addWidget(optNormal_);
    winBox->addWidget(optMin_);
    winBox->addWidget(optHide_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk_);
    buttons->addWidget(cmdCancel_);

    auto* talkBox = new QFormLayout(fraTalk_);
    talkBox->addRow(chkPushToTalk_);
    talkBox->addRow(talkLabel, txtTalkKey_);

    auto* right = new QVBoxLayout;
    right->addWidget(frame1_);
    right->addWidget(fraTalk_);
    right->addWidget(fraVoice_);
    right->addWidget(chkComfirm_);
    right->addWidget(frmWin_);
    right->addStretch(1);
    right->addLayout(buttons);

    auto* main = new QHBoxLayout(this);
    main->addWidget(fraStartCommand_, 1);
    main->addLayout(right, 1);
    // Never narrower than both columns need: the long explanations would be cut off.
    setMinimumWidth(std::max(720, main->minimumSize().width()));

    connect(chkStartCommand_, &QCheckBox::toggled, this, &frmOptions::chkStartCommandChanged);
    connect(chkSound_, &QCheckBox::toggled, this, &frmOptions::chkSoundChanged);
    connect(chkWin_, &QCheckBox::toggled, this, &frmOptions::chkWinChanged);
    // Ticked by the user with no start mode chosen: normal, as OK would take it.
    connect(chkWin_, &QCheckBox::clicked, this, [this](bool on) {
        if (on && !startMode_->checkedButton())
            optNormal_->setChecked(true);
    });
    connect(cmdBrowse_, &Tabrix::clicked, this, &frmOptions::cmdBrowseClick);
    connect(cmdOk_, &Tabrix::clicked, this, &frmOptions::cmdOkClick);
    connect(cmdCancel_, &Tabrix::clicked, this, &frmOptions::cmdCancelClick);
    connect(cmdTrainVoice_, &Tabrix::clicked, this,
            [this] { openVoiceTrainingOver(launcher_, this); });
    connect(cmdForgetVoice_, &Tabrix::clicked, this, &frmOptions::cmdForgetVoiceClick);
}

void frmOptions::cmdForgetVoiceClick()
{
    const platform::MsgAnswer answer = launcher_.services().dialogs->messageBox(
        QStringLiteral("Delete your voice recordings and your voice training? The recogniser "
                       "goes back to the general voice model."),
        appTitle(), platform::MsgButtons::YesNo, platform::MsgIcon::Question);
    if (answer != platform::MsgAnswer::Yes)
        return;
    QString error;
    if (!training::VoiceFolder().forget(&error))
        launcher_.services().dialogs->messageBox(error, appTitle(), platform::MsgButtons::Ok,
                                                 platform::MsgIcon::Warning);
    chkVoiceTraining_->setChecked(true);
    launcher_.useVoiceTraining();
}

void frmOptions::chkStartCommandChanged()
{
    const bool on = chkStartCommand_->isChecked();
    chkSound_->setEnabled(on);
    const bool choices = on && chkSound_->isChecked();
    optWav_->setEnabled(choices);
    optBeep_->setEnabled(choices);
}

void frmOptions::chkSoundChanged()
{
    const bool on = chkSound_->isChecked();
    optWav_->setEnabled(on);
    optBeep_->setEnabled(on);
}

void frmOptions::chkWinChanged()
{
    const bool on = chkWin_->isChecked();
    optNormal_->setEnabled(on);
    optMin_->setEnabled(on);
    optHide_->setEnabled(on);
}

void frmOptions::load()
{
    chkVoiceTraining_->setChecked(training::VoiceFolder().inUse());
    const Options& o = launcher_.options();
    if (o.startup.winStart == 0) {
        chkWin_->setChecked(false);
        chkWinChanged();
    } else if (o.startup.winStart == 1) {
        chkWin_->setChecked(true);
        chkWinChanged();
    }
    selectOnly(startMode_, startMode_->button(o.startup.progStat));
    chkComfirm_->setChecked(o.comFirmExe == 1);
    txtStartCommand_->setText(textBeforeNul(o.startCommand));
    chkStartCommand_->setChecked(o.startPhraseOn());
    txtchktext_->setText(textBeforeNul(o.chktext));
    txtt1t_->setText(QString::number(o.t1t));
    txttcomt_->setText(secondsText(o.tcomt, QLocale()));
    chkSound_->setChecked(o.soundPlay == 1);
    selectOnly(soundChoice_, o.soundOpt == 0 ? optWav_ : o.soundOpt == 1 ? optBeep_ : nullptr);
    txtSound_->setText(textBeforeNul(o.soundPath));
    chkPushToTalk_->setChecked(textBeforeNul(o.pushToTalk) == u"1");
    txtTalkKey_->setText(o.talkKey);

    // Without the start command the sound settings stay disabled, however they read.
    chkStartCommandChanged();
}

bool frmOptions::talkKeyTaken(const Options& values)
{
    QString why;
    if (!values.pushToTalkOn() || launcher_.watchTalkKey(values.talkKey, &why))
        return true;
    // The key in use until now stays watched.
    const Options& now = launcher_.options();
    launcher_.watchTalkKey(now.pushToTalkOn() ? now.talkKey : QString(), nullptr);
    launcher_.services().dialogs->messageBox(QStringLiteral("Push-to-talk: %1.").arg(why),
                                             appTitle(), platform::MsgButtons::Ok,
                                             platform::MsgIcon::Warning);
    txtTalkKey_->setFocus();
    return false;
}

void frmOptions::cmdBrowseClick()
{
    const auto file = launcher_.services().dialogs->openFile(
        QStringLiteral("Open"), QStringLiteral("Wav Sound File (.wav)|*.wav"), txtSound_->text());
    if (file)
        txtSound_->setText(*file);
}

void frmOptions::cmdOkClick()
{
    OptionsFormInput input;
    input.useStartCommand = chkStartCommand_->isChecked();
    input.startCommand = txtStartCommand_->text();
    input.playSound = chkSound_->isChecked();
    input.wavSelected = optWav_->isChecked();
    input.soundPath = txtSound_->text();
    input.tcomtSeconds = txttcomt_->text();
    input.t1tSeconds = txtt1t_->text();
    input.chkText = txtchktext_->text();
    input.confirm = chkComfirm_->isChecked();
    input.startWithSession = chkWin_->isChecked();
    input.startMode = static_cast<std::int16_t>(std::max(0, startMode_->checkedId()));
    input.pushToTalk = chkPushToTalk_->isChecked();
    input.talkKey = txtTalkKey_->text();

    const auto read = readOptionsForm(input, QLocale());
    if (const auto* error = std::get_if<OptionsFormError>(&read)) {
        launcher_.services().dialogs->messageBox(
            error->message, appTitle(), platform::MsgButtons::Ok, platform::MsgIcon::Warning);
        switch (error->field) {
        case OptionsFormError::Field::T1t:
            txtt1t_->setFocus();
            txtt1t_->selectAll();
            break;
        case OptionsFormError::Field::Tcomt:
            txttcomt_->setFocus();
            txttcomt_->selectAll();
            break;
        case OptionsFormError::Field::StartCommand:
            txtStartCommand_->setFocus();
            break;
        case OptionsFormError::Field::TalkKey:
            txtTalkKey_->setFocus();
            break;
        }
        return;
    }
    Options values = std::get<Options>(read);
    if (!talkKeyTaken(values))
        return;

    const platform::Platform& services = launcher_.services();
    platform::Autostart autostart;
    RunEntryUpdater runEntry(launcher_.registry(), autostart, *services.dialogs,
                             launcher_.executablePath(),
                             launcher_.programFolder() + QStringLiteral("sarquen.png"));
    values.startup.regCheck = runEntry.UpdateRunEntry(
        values.startup.winStart, values.startup.progStat, launcher_.options().startup.regCheck);
    // Memory and store change together: the confirmation prompt's words, the start-phrase
    // timer and the grammar's start command follow at once.
    launcher_.applyOptions(values);
    training::VoiceFolder voice;
    if (chkVoiceTraining_->isChecked() != voice.inUse()) {
        QString error;
        if (!voice.setInUse(chkVoiceTraining_->isChecked(), &error))
            services.dialogs->messageBox(error, appTitle(), platform::MsgButtons::Ok,
                                         platform::MsgIcon::Warning);
        launcher_.useVoiceTraining();
    }
    close();
}

void frmOptions::cmdCancelClick()
{
    close();
}

frmOptions* openOptionsDialog(Launcher& launcher, QWidget* mainWindow)
{
    return showOverMainWindow<frmOptions>(launcher, mainWindow);
}
