#include "app/frmLaunch.h"

#include "about/AboutInfo.h"
#include "about/window/frmAbout.h"
#include "app/frmCheck.h"
#include "commands/CommandStore.h"
#include "commands/editor/frmEdit.h"
#include "common/AppTitle.h"
#include "launcher/AppPath.h"
#include "launcher/Grammar.h"
#include "launcher/SpokenAnswers.h"
#include "launcher/WindowCommands.h"
#include "launching/sheller.h"
#include "options/OptionsStore.h"
#include "options/dialog/frmOptions.h"
#include "options/training/frmTrain.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/widgets/Perchly.h"
#include "platform/widgets/Tabrix.h"
#include "scripts/KeyNotation.h"
#include "scripts/ScriptInterpreter.h"
#include "scripts/TextMacros.h"
#include "scripts/editor/ScriptEditor.h"
#include "speech/Recognizer.h"
#include "speech/Synthesizer.h"
#include "store/modReg.h"
#include "tray/frmLaunch2.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <iostream>
#include <sstream>

namespace {

const char* const kVoiceAttributes = "Mfg=Microsoft;Gender=1";

} // namespace

frmLaunch::frmLaunch(const platform::Platform& platform, Recognizer* recognizer,
                     Synthesizer* synthesizer, QString executablePath, QWidget* parent)
    : QWidget(parent), platform_(platform),
      reg_(std::make_unique<modReg>(*platform.registry, *platform.dialogs)),
      recognizer_(recognizer), synthesizer_(synthesizer), listening_(*recognizer, *this),
      answers_(std::make_unique<SpokenAnswers>(*recognizer, *synthesizer, *platform.clock,
                                               *platform.audio, options)),
      windows_(std::make_unique<WindowCommands>(
          *platform.desktop, [this] { return static_cast<platform::WindowId>(internalWinId()); })),
      executablePath_(std::move(executablePath))
{
    setObjectName(QStringLiteral("frmLaunch"));
    recognizer_->setParent(this);
    synthesizer_->setParent(this);
    buildControls();

    interpreter_ = std::make_unique<ScriptInterpreter>(
        *this, platform_, [this](const QString& keys, QString* error) {
            // A long text keeps the windows live while it is typed, and ends with the
            // program.
            return TypeKeys(*platform_.desktop, keys, error, [this] {
                QCoreApplication::processEvents();
                return !hasEnded();
            });
        });
    dispatcher_ = std::make_unique<Dispatcher>(
        DispatchContext{state, options, commands, *tcom_, listening_, *answers_, *windows_,
                        [this](QString& target) { return CheckScript(target); }, *platform_.shell,
                        *platform_.dialogs, *this});

    // The phrase is shown before it is acted on: a script may take a while.
    connect(recognizer_, &Recognizer::PhraseHeard, this, &frmLaunch::showHeard);
    connect(recognizer_, &Recognizer::PhraseHeard, this,
            [this](const QString& phrase) { dispatcher_->PhraseHeard(phrase); });
    connect(tcom_, &QTimer::timeout, this, [this] { dispatcher_->tcomTick(); });
    connect(recognizer_, &Recognizer::notUnderstood, this, [this](const QString& reason) {
        showHeard(reason.isEmpty() ? QStringLiteral("not understood")
                                   : QStringLiteral("not understood (%1)").arg(reason));
    });
    connect(recognizer_, &Recognizer::inputLevel, prgLevel_, &QProgressBar::setValue);
    connect(recognizer_, &Recognizer::voiceLoaded, this, [this](const QString& problem) {
        if (!problem.isEmpty())
            showDesktopNotice(problem);
    });
    connect(synthesizer_, &Synthesizer::SpeechDone, this, [this] { state.speaking = 0; });
}

frmLaunch::~frmLaunch()
{
    delete check_.data();
}

void frmLaunch::buildControls()
{
    setWindowIcon(QIcon(QStringLiteral(":/sarquen.png")));

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setPixmap(QPixmap(QStringLiteral(":/sarquen.png")));
    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    QFont titleFont = label1_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    label1_->setFont(titleFont);

    lstCmd_ = new QListWidget(this);
    lstCmd_->setObjectName(QStringLiteral("lstCmd"));
    lstCmd_->setMinimumSize(380, 300);

    cmdEdit_ =
        new Tabrix(QStringLiteral("cmdEdit"), QStringLiteral("Add / Edit / Remove Command"), this);
    cmdScripter_ = new Tabrix(QStringLiteral("cmdScripter"), QStringLiteral("Script Editor"), this);
    cmdStart_ = new Tabrix(QStringLiteral("cmdStart"), QStringLiteral("Start Listening"), this);
    cmdStop_ = new Tabrix(QStringLiteral("cmdStop"), QStringLiteral("Stop Listening"), this);
    cmdOptions_ = new Tabrix(QStringLiteral("cmdOptions"), QStringLiteral("Options"), this);
    cmdHideF_ = new Tabrix(QStringLiteral("cmdHideF"), QStringLiteral("Hide"), this);
    cmdAbout_ = new Tabrix(QStringLiteral("cmdAbout"), QStringLiteral("Help / About"), this);
    cmdExit_ = new Tabrix(QStringLiteral("cmdExit"), QStringLiteral("Exit"), this);

    cmdStart_->hide();

    // What the recogniser made of the last speech, and how loud the microphone is, so
    // that a deaf microphone can be told from a phrase that was not understood.
    lblHeard_ = new QLabel(this);
    lblHeard_->setObjectName(QStringLiteral("lblHeard"));
    // Room for a notice of two lines from the start: a wrapped label does not make a
    // shown window taller, and its second line would be cut off.
    lblHeard_->setWordWrap(true);
    lblHeard_->setMinimumHeight(2 * lblHeard_->fontMetrics().lineSpacing());
    prgLevel_ = new QProgressBar(this);
    prgLevel_->setObjectName(QStringLiteral("prgLevel"));
    prgLevel_->setRange(0, 100);
    prgLevel_->setTextVisible(false);
    prgLevel_->setMaximumHeight(8);
    prgLevel_->setVisible(recognizer_->hasInputLevel());

    label2_ = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(about::kMakerSite), this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setTextFormat(Qt::RichText);
    label2_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label2_->setOpenExternalLinks(false);
    connect(label2_, &QLabel::linkActivated, this, &frmLaunch::openMakerSite);

    tcom_ = new QTimer(this);
    tcom_->setObjectName(QStringLiteral("tcom"));

    perchly_ = new Perchly(this);
    perchly_->setObjectName(QStringLiteral("Perchly"));
    perchly_->setToolTip(QStringLiteral("Ombrel Sarquen"));
    perchly_->setIcon(QIcon(QStringLiteral(":/sarquen.png")));

    auto* header = new QHBoxLayout;
    header->addWidget(image1_);
    header->addWidget(label1_, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdEdit_);
    buttons->addWidget(cmdScripter_);
    // Start and Stop Listening share one place; only one of them is ever shown.
    auto* listenSlot = new QGridLayout;
    listenSlot->setContentsMargins(0, 0, 0, 0);
    listenSlot->addWidget(cmdStart_, 0, 0);
    listenSlot->addWidget(cmdStop_, 0, 0);
    buttons->addLayout(listenSlot);
    buttons->addWidget(cmdOptions_);
    buttons->addWidget(cmdHideF_);
    buttons->addWidget(cmdAbout_);
    buttons->addStretch(1);
    buttons->addWidget(cmdExit_);

    auto* body = new QHBoxLayout;
    body->addWidget(lstCmd_, 1);
    body->addLayout(buttons);

    auto* main = new QVBoxLayout(this);
    main->addLayout(header);
    main->addLayout(body, 1);
    main->addWidget(lblHeard_);
    main->addWidget(prgLevel_);
    main->addWidget(label2_);

    // Exit comes last when the keyboard walks through the window.
    setTabOrder(label2_, cmdExit_);

    connect(cmdStart_, &Tabrix::clicked, this, &frmLaunch::onStartClicked);
    connect(cmdStop_, &Tabrix::clicked, this, &frmLaunch::onStopClicked);
    connect(cmdEdit_, &Tabrix::clicked, this, [this] { openCommandEditor(*this, this); });
    // The script editor blocks nothing: the program goes on listening meanwhile.
    connect(cmdScripter_, &Tabrix::clicked, this, [this] { openScriptEditor(platform_, appPath); });
    connect(cmdOptions_, &Tabrix::clicked, this, [this] { openOptionsDialog(*this, this); });
    connect(cmdAbout_, &Tabrix::clicked, this, &frmLaunch::openAbout);
    connect(cmdHideF_, &Tabrix::clicked, this, &frmLaunch::hideMainWindow);
    connect(cmdExit_, &Tabrix::clicked, this, &frmLaunch::endProgram);
}

void frmLaunch::load()
{
    setWindowTitle(appTitle());
    label1_->setText(appTitle());
    appPath = computeAppPath(executablePath_);

    trayMenu_ = new frmLaunch2(this);
    connectTray();

    state.startHeard = 0;
    state.confirmPending = 0;
    state.cyclingWindows = 0;

    const LoadedOptions loaded = LoadOptions(*reg_);
    options = loaded.options;
    state.comFirmExe = loaded.comFirmExe;
    // A zero or negative time means the start-phrase window never closes by time.
    tcom_->setInterval(std::max<int>(0, options.tcomt));
    ensureConfirmation();

    selectVoice();
    setList();
    listening_.resumeRecognition();
}

void frmLaunch::selectVoice()
{
    const int index = synthesizer_->FindVoiceIndex(QString::fromLatin1(kVoiceAttributes));
    synthesizer_->UseVoice(static_cast<std::int16_t>(index));
}

void frmLaunch::setList()
{
    std::ostringstream notes;
    const bool loaded = LoadCommandTable(
        *reg_, commands, [this](const QString& phrase) { lstCmd_->addItem(phrase); }, notes);
    // A list longer than the table is reported once, not on every reload.
    if (!notes.str().empty() && !commandLimitReported_) {
        std::cerr << notes.str() << std::flush;
        commandLimitReported_ = true;
    }
    // Without the list key the recogniser keeps the grammar it had.
    if (!loaded)
        return;
    addCom();
    QStringList userPhrases;
    for (int i = 1; i <= commands.count(); ++i)
        userPhrases << commands.phrases[i].text();
    grammarText = buildGrammarText(userPhrases, options.startCommand);
    recognizer_->LoadGrammarText(grammarText);
}

void frmLaunch::reloadCommands()
{
    clearCommandList();
    setList();
}

QStringList frmLaunch::builtinPhrases() const
{
    return builtinGrammarPhrases() + QStringList{options.startCommand};
}

void frmLaunch::applyOptions(const Options& newOptions)
{
    options = newOptions;
    tcom_->setInterval(std::max<int>(0, options.tcomt));
    if (check_)
        check_->setQuestion(options.chktext);
}

void frmLaunch::clearCommandList()
{
    lstCmd_->clear();
}

QStringList frmLaunch::commandList() const
{
    QStringList entries;
    for (int i = 0; i < lstCmd_->count(); ++i)
        entries << lstCmd_->item(i)->text();
    return entries;
}

bool frmLaunch::CheckScript(QString& path)
{
    return interpreter_->CheckScript(path);
}

void frmLaunch::RunScript(const QString& path)
{
    interpreter_->RunScript(path);
}

void frmLaunch::say(const QString& text)
{
    Speak(expandMacros(text, *platform_.clock));
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
    openAboutWindow(*this, this);
}

frmCheck* frmLaunch::confirmation() const
{
    return check_;
}

frmCheck* frmLaunch::ensureConfirmation()
{
    if (!check_) {
        check_ = new frmCheck([this](const QString& words) { Speak(words); },
                              [this] { state.confirmPending = 0; });
        check_->setQuestion(options.chktext);
    }
    return check_;
}

void frmLaunch::showConfirmation(const QString& phrase)
{
    frmCheck* prompt = ensureConfirmation();
    prompt->show();
    prompt->frmload(phrase, options.t1t);
}

void frmLaunch::closeConfirmation()
{
    if (check_)
        check_->close();
}

void frmLaunch::addCom()
{
    lstCmd_->addItems(builtinListEntries());
}

void frmLaunch::connectTray()
{
    connect(perchly_, &Perchly::mouseButton, this, &frmLaunch::onTrayMouseButton);
    connect(perchly_, &Perchly::activated, this, &frmLaunch::restoreFromTray);

    connect(trayMenu_, &frmLaunch2::showChosen, this, &frmLaunch::restoreFromTray);
    connect(trayMenu_, &frmLaunch2::hideChosen, this, &frmLaunch::hideMainWindow);
    connect(trayMenu_, &frmLaunch2::startListeningChosen, this,
            [this] { listening_.startListening(); });
    connect(trayMenu_, &frmLaunch2::stopListeningChosen, this,
            [this] { listening_.stopListening(); });
    connect(trayMenu_, &frmLaunch2::optionsChosen, this,
            [this] { openOptionsDialog(*this, this); });
    connect(trayMenu_, &frmLaunch2::aboutChosen, this, &frmLaunch::openAbout);
    connect(trayMenu_, &frmLaunch2::trainVoiceChosen, this,
            [this] { openVoiceTraining(*this, this); });
    connect(trayMenu_, &frmLaunch2::exitChosen, this, [this] {
        recognizer_->StopRecognition();
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
        listening_.startListening();
    } catch (const std::exception&) {
    }
}

void frmLaunch::onStopClicked()
{
    try {
        listening_.stopListening();
    } catch (const std::exception&) {
    }
}

void frmLaunch::useVoiceTraining()
{
    recognizer_->useVoiceTraining();
}

void frmLaunch::showSpeechNotice(const QString& notice)
{
    speechNotice_ = notice;
    lblHeard_->setText(speechNotice_);
}

void frmLaunch::showDesktopNotice(const QString& notice)
{
    std::fprintf(notices_, "zorv: %s\n", notice.toLocal8Bit().constData());
    std::fflush(notices_);
    lblHeard_->setText(notice);
    // A notice longer than the label's two lines makes the window taller rather than
    // run over the list.
    layout()->activate();
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > height())
        resize(width(), needed);
    // Hidden in the tray, the window would keep the notice to itself.
    if (!isVisible() || isMinimized())
        perchly_->showMessage(windowTitle(), notice);
}

void frmLaunch::showHeard(const QString& what)
{
    lblHeard_->setText(QStringLiteral("Heard: %1").arg(what));
}

void frmLaunch::openMakerSite()
{
    try {
        ShellLaunch(*platform_.shell, about::kMakerSite, 1);
    } catch (const LaunchError&) {
        platform_.dialogs->messageBox(QStringLiteral("SQ Error 10: File Not Found"), appTitle(),
                                      platform::MsgButtons::Ok, platform::MsgIcon::None);
    }
}

void frmLaunch::Speak(const QString& words)
{
    answers_->Speak(words);
}

QString frmLaunch::getDate() const
{
    return answers_->getDate();
}

void frmLaunch::Sounding()
{
    answers_->Sounding();
}

void frmLaunch::minwin()
{
    windows_->minwin();
}

void frmLaunch::maxwin()
{
    windows_->maxwin();
}

void frmLaunch::closewin()
{
    windows_->closewin();
}

void frmLaunch::restorewin()
{
    windows_->restorewin();
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

void frmLaunch::setSplash(QWidget* splash)
{
    splash_ = splash;
}

void frmLaunch::endProgram()
{
    if (ended_)
        return;
    ended_ = true;
    recognizer_->StopRecognition();
    perchly_->setShow(false);
    if (trayMenu_)
        trayMenu_->mnuPopup()->hide();
    if (splash_)
        splash_->close();
    closeConfirmation();
    hide();
    emit programEnded();
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
    if (!isEnabled() && !ended_) {
        event->ignore();
        return;
    }
    event->accept();
    endProgram();
}

void frmLaunch::setStartItemEnabled(bool enabled)
{
    if (trayMenu_)
        trayMenu_->item(QStringLiteral("mnuItemStart"))->setEnabled(enabled);
}

void frmLaunch::setStopItemEnabled(bool enabled)
{
    if (trayMenu_)
        trayMenu_->item(QStringLiteral("mnuItemStop"))->setEnabled(enabled);
}

void frmLaunch::setStartButtonShown(bool shown)
{
    cmdStart_->setVisible(shown);
}

void frmLaunch::setStopButtonShown(bool shown)
{
    cmdStop_->setVisible(shown);
    if (!shown)
        clearHeard();
}

void frmLaunch::setMainWindowEnabled(bool enabled)
{
    setEnabled(enabled);
    // Held by a window over it, the program hears nothing: what it heard last is stale.
    if (!enabled)
        clearHeard();
}

void frmLaunch::setHearingPossible(bool possible)
{
    // Nothing can be heard or typed: the listening buttons would only pretend.
    for (Tabrix* button : {cmdStart_, cmdStop_}) {
        button->setEnabled(possible);
        button->setToolTip(possible ? QString() : speechNotice_);
    }
}

void frmLaunch::clearHeard()
{
    lblHeard_->setText(speechNotice_);
    prgLevel_->setValue(0);
}

bool frmLaunch::stopButtonShown() const
{
    return !cmdStop_->isHidden();
}
