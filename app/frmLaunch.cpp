#include "app/frmLaunch.h"

#include "about/AboutInfo.h"
#include "about/window/frmAbout.h"
#include "commands/editor/frmEdit.h"
#include "common/AppTitle.h"
#include "launching/LaunchFailure.h"
#include "launching/sheller.h"
#include "options/dialog/frmOptions.h"
#include "options/training/frmTrain.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/widgets/Perchly.h"
#include "platform/widgets/Tabrix.h"
#include "scripts/editor/ScriptEditor.h"
#include "speech/Recognizer.h"
#include "tray/frmLaunch2.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <exception>

frmLaunch::frmLaunch(Launcher& launcher, QWidget* parent)
    : QWidget(parent), launcher_(launcher), ui_(this), confirmation_(launcher)
{
    setObjectName(QStringLiteral("frmLaunch"));
    ui_.prgLevel->setVisible(launcher_.recognizer().hasInputLevel());
    connectControls();
    connectLauncher();
    launcher_.setMainWindow([this] { return static_cast<platform::WindowId>(internalWinId()); });
}

frmLaunch::~frmLaunch()
{
    launcher_.setMainWindow({});
}

void frmLaunch::connectControls()
{
    connect(ui_.cmdStart, &Tabrix::clicked, this, &frmLaunch::onStartClicked);
    connect(ui_.cmdStop, &Tabrix::clicked, this, &frmLaunch::onStopClicked);
    connect(ui_.cmdEdit, &Tabrix::clicked, this, [this] { openCommandEditor(launcher_, this); });
    // The script editor blocks nothing: the program goes on listening meanwhile.
    connect(ui_.cmdScripter, &Tabrix::clicked, this,
            [this] { openScriptEditor(launcher_.services(), launcher_.programFolder()); });
    connect(ui_.cmdOptions, &Tabrix::clicked, this, [this] { openOptionsDialog(launcher_, this); });
    connect(ui_.cmdAbout, &Tabrix::clicked, this, &frmLaunch::openAbout);
    connect(ui_.cmdHideF, &Tabrix::clicked, this, &frmLaunch::hideMainWindow);
    connect(ui_.cmdExit, &Tabrix::clicked, this, &frmLaunch::endProgram);
    connect(ui_.label2, &QLabel::linkActivated, this, &frmLaunch::openMakerSite);
}

void frmLaunch::connectLauncher()
{
    Launcher& l = launcher_;
    connect(&l, &Launcher::heard, this, &frmLaunch::showHeard);
    connect(&l, &Launcher::notUnderstood, this, [this](const QString& reason) {
        showHeard(reason.isEmpty() ? QStringLiteral("not understood")
                                   : QStringLiteral("not understood (%1)").arg(reason));
    });
    connect(&l.recognizer(), &Recognizer::inputLevel, ui_.prgLevel, &QProgressBar::setValue);
    connect(&l.recognizer(), &Recognizer::voiceLoaded, this, [this](const QString& problem) {
        if (!problem.isEmpty())
            showDesktopNotice(problem);
    });
    connect(&l, &Launcher::listeningChanged, this, &frmLaunch::showListening);
    connect(&l, &Launcher::mainWindowHeld, this, &frmLaunch::showHeld);
    connect(&l, &Launcher::commandsListed, ui_.lstCmd, &QListWidget::addItems);
    connect(&l, &Launcher::commandListCleared, this, &frmLaunch::clearCommandList);
    connect(&l, &Launcher::showRequested, this, &frmLaunch::showMainWindow);
    connect(&l, &Launcher::hideRequested, this, &frmLaunch::hideMainWindow);
    connect(&l, &Launcher::aboutRequested, this, &frmLaunch::openAbout);
    connect(&l, &Launcher::programEnded, this, &frmLaunch::closeWindows);
    connect(&l, &Launcher::talkKeyNotice, this, &frmLaunch::showDesktopNotice);
    connect(&l, &Launcher::optionsChanged, this, [this] {
        clearHeard();
        showTrayState();
    });
}

void frmLaunch::load()
{
    setWindowTitle(appTitle());
    ui_.label1->setText(appTitle());
    trayMenu_ = new frmLaunch2(this);
    connectTray();
    showTrayState();
    launcher_.load();
    confirmation_.ensure();
}

void frmLaunch::clearCommandList()
{
    ui_.lstCmd->clear();
}

QStringList frmLaunch::commandList() const
{
    QStringList entries;
    for (int i = 0; i < ui_.lstCmd->count(); ++i)
        entries << ui_.lstCmd->item(i)->text();
    return entries;
}

void frmLaunch::showMainWindow(bool minimised)
{
    setWindowState(minimised ? Qt::WindowMinimized : Qt::WindowNoState);
    show();
}

void frmLaunch::hideMainWindow()
{
    if (Perchly::available()) {
        hide();
        return;
    }
    // Hidden with no tray icon to come back by, the program could only be reached by
    // voice: a window on screen is minimised instead, one not shown yet (started with
    // "/h") is shown.
    showMainWindow(isVisible());
    sayNoTray();
}

void frmLaunch::startMinimised()
{
    // Minimised before it was ever shown, the window is only in the tray.
    if (Perchly::available()) {
        setWindowState(Qt::WindowMinimized);
        return;
    }
    showMainWindow(true);
    sayNoTray();
}

void frmLaunch::sayNoTray()
{
    if (toldNoTray_)
        return;
    toldNoTray_ = true;
    std::fprintf(notices_,
                 "zorv: there is no notification area to hide the window in; it stays open\n");
    std::fflush(notices_);
}

void frmLaunch::openAbout()
{
    openAboutWindow(launcher_, this);
}

void frmLaunch::connectTray()
{
    connect(ui_.perchly, &Perchly::mouseButton, this, &frmLaunch::onTrayMouseButton);
    connect(ui_.perchly, &Perchly::activated, this, &frmLaunch::restoreFromTray);

    connect(trayMenu_, &frmLaunch2::showChosen, this, &frmLaunch::restoreFromTray);
    connect(trayMenu_, &frmLaunch2::hideChosen, this, &frmLaunch::hideMainWindow);
    connect(trayMenu_, &frmLaunch2::startListeningChosen, &launcher_, &Launcher::startListening);
    connect(trayMenu_, &frmLaunch2::stopListeningChosen, &launcher_, &Launcher::stopListening);
    connect(trayMenu_, &frmLaunch2::optionsChosen, this,
            [this] { openOptionsDialog(launcher_, this); });
    connect(trayMenu_, &frmLaunch2::aboutChosen, this, &frmLaunch::openAbout);
    connect(trayMenu_, &frmLaunch2::trainVoiceChosen, this,
            [this] { openVoiceTraining(launcher_, this); });
    connect(trayMenu_, &frmLaunch2::exitChosen, this, [this] {
        launcher_.recognizer().StopRecognition();
        endProgram();
    });
}

void frmLaunch::onTrayMouseButton(int button)
{
    if (button != 1)
        trayMenu_->mnuPopup()->popup(QCursor::pos());
}

// An error of the recogniser while switching listening ends the click quietly.
void frmLaunch::onStartClicked()
{
    try {
        launcher_.startListening();
    } catch (const std::exception&) {
    }
}

void frmLaunch::onStopClicked()
{
    try {
        launcher_.stopListening();
    } catch (const std::exception&) {
    }
}

void frmLaunch::showSpeechNotice(const QString& notice, const QString& cause)
{
    speechNotice_ = notice;
    speechOffCause_ = cause;
    ui_.lblHeard->setText(speechNotice_);
    showTrayState();
}

void frmLaunch::showSpeechNoticeInTray()
{
    if (speechOffCause_.isEmpty() || toldSpeechOffInTray_ || (isVisible() && !isMinimized()))
        return;
    toldSpeechOffInTray_ = true;
    ui_.perchly->showMessage(windowTitle(), speechNotice_);
}

void frmLaunch::showDesktopNotice(const QString& notice)
{
    std::fprintf(notices_, "zorv: %s\n", notice.toLocal8Bit().constData());
    std::fflush(notices_);
    ui_.lblHeard->setText(notice);
    // A notice longer than the label's two lines makes the window taller rather than
    // run over the list.
    layout()->activate();
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > height())
        resize(width(), needed);
    // Hidden in the tray, the window would keep the notice to itself.
    if (!isVisible() || isMinimized())
        ui_.perchly->showMessage(windowTitle(), notice);
}

void frmLaunch::showHeard(const QString& what)
{
    ui_.lblHeard->setText(QStringLiteral("Heard: %1").arg(what));
}

void frmLaunch::openMakerSite()
{
    try {
        ShellLaunch(*launcher_.services().shell, about::kMakerSite, 1);
    } catch (const LaunchError& e) {
        tellLaunchFailed(*launcher_.services().dialogs, e, notices_);
    }
}

void frmLaunch::startedAgain(StartMode mode)
{
    switch (mode) {
    case StartMode::Normal:
        restoreFromTray();
        break;
    case StartMode::Minimised:
        if (isVisible())
            showMainWindow(true);
        else
            startMinimised();
        break;
    case StartMode::Hidden:
        hideMainWindow();
        break;
    }
}

void frmLaunch::restoreFromTray()
{
    setWindowState(Qt::WindowNoState);
    show();
    raise();
    activateWindow();
}

void frmLaunch::closeWindows()
{
    ui_.perchly->setShow(false);
    if (trayMenu_)
        trayMenu_->mnuPopup()->hide();
    if (splash_)
        splash_->close();
    confirmation_.close();
    hide();
}

void frmLaunch::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && splash_) {
        splash_->close();
        splash_ = nullptr;
    }
}

void frmLaunch::closeEvent(QCloseEvent* event)
{
    // While a window over it is open (it is disabled then), the close box is ignored like
    // every other click: ending now would lose what that window holds.
    if (!isEnabled() && !launcher_.hasEnded()) {
        event->ignore();
        return;
    }
    event->accept();
    endProgram();
}

void frmLaunch::showListening(bool listening)
{
    // The tray item and the button of the state that ends go first, then those of the
    // state that begins come. With nothing to hear, neither item can act.
    const auto trayItem = [this](const char* name, bool enabled) {
        if (trayMenu_)
            trayMenu_->item(QString::fromLatin1(name))->setEnabled(enabled && hearingPossible_);
    };
    trayItem(listening ? "mnuItemStart" : "mnuItemStop", false);
    (listening ? ui_.cmdStart : ui_.cmdStop)->setVisible(false);
    if (!listening)
        clearHeard();
    trayItem(listening ? "mnuItemStop" : "mnuItemStart", true);
    (listening ? ui_.cmdStop : ui_.cmdStart)->setVisible(true);
    showTrayState();
}

void frmLaunch::showTrayState()
{
    const bool listening = launcher_.isListening();
    if (trayMenu_) {
        trayMenu_->item(QStringLiteral("mnuItemStart"))->setEnabled(hearingPossible_ && !listening);
        trayMenu_->item(QStringLiteral("mnuItemStop"))->setEnabled(hearingPossible_ && listening);
    }
    const QString talk = launcher_.talkPrompt();
    QString state = !listening       ? QStringLiteral("Not listening")
                    : talk.isEmpty() ? QStringLiteral("Listening")
                                     : talk;
    if (!speechOffCause_.isEmpty())
        state = QStringLiteral("Speech off: ") + speechOffCause_;
    ui_.perchly->setToolTip(QStringLiteral("Ombrel Sarquen\n") + state);
}

void frmLaunch::showHeld(bool held)
{
    setEnabled(!held);
    // Held by a window over it, the program hears nothing: what it heard last is stale.
    if (held)
        clearHeard();
}

void frmLaunch::setHearingPossible(bool possible)
{
    // Nothing can be heard or typed: the listening buttons would only pretend.
    for (Tabrix* button : {ui_.cmdStart, ui_.cmdStop}) {
        button->setEnabled(possible);
        button->setToolTip(possible ? QString() : speechNotice_);
    }
    hearingPossible_ = possible;
    showTrayState();
}

void frmLaunch::clearHeard()
{
    ui_.lblHeard->setText(speechNotice_.isEmpty() ? launcher_.talkPrompt() : speechNotice_);
    ui_.prgLevel->setValue(0);
}
