#pragma once

#include "commands/CommandTable.h"
#include "common/MainWindowLink.h"
#include "launcher/Dispatcher.h"
#include "launcher/LauncherState.h"
#include "launcher/Listening.h"
#include "launcher/StartMode.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "scripts/ScriptHost.h"

#include <QPointer>
#include <QWidget>
#include <cstdio>
#include <memory>

class QLabel;
class SpokenAnswers;
class WindowCommands;
class QListWidget;
class QProgressBar;
class QTimer;
class Perchly;
class Recognizer;
class Synthesizer;
class Tabrix;
class frmCheck;
class frmLaunch2;
class modReg;
class ScriptInterpreter;

// The main window: the list of spoken commands, the buttons that open the other
// windows and switch listening, and the program's run-time state. It owns the
// recogniser and the synthesiser for the life of the program.
class frmLaunch : public QWidget,
                  public ListeningIndicators,
                  public MainWindowActions,
                  public MainWindowLink,
                  public ScriptHost
{
    Q_OBJECT
public:
    frmLaunch(const platform::Platform& platform, Recognizer* recognizer, Synthesizer* synthesizer,
              QString executablePath, QWidget* parent = nullptr);
    ~frmLaunch() override;

    // The load step: title, program folder, tray menu, flags, options, voice,
    // command list and grammar, then recognition.
    void load();

    // Reloads the command list and hands a new grammar to the recogniser. It does not
    // empty the list of commands first; callers other than the load step do.
    void setList();
    // Appends the built-in entries to the list of commands.
    void addCom();
    // Empties the list of commands, as every caller of setList but the load step does.
    void clearCommandList();
    QStringList commandList() const;

    // Script targets run as scripts; the store's NUL is taken off the target.
    bool CheckScript(QString& path);
    void RunScript(const QString& path);
    Dispatcher& dispatcher() { return *dispatcher_; }

    // Spoken answers and the start sound.
    void Speak(const QString& words);
    QString getDate() const;
    void Sounding();
    SpokenAnswers& answers() { return *answers_; }

    // The active window and the desktop's key sequences.
    void minwin() override;
    void maxwin() override;
    void closewin() override;
    void restorewin() override;
    WindowCommands& windowCommands() { return *windows_; }

    // Tells the user under the list of commands why speech is typed, not heard.
    void showSpeechNotice(const QString& notice);
    // What a command just used cannot do on this desktop: in place of the phrase heard,
    // and on standard error.
    void showDesktopNotice(const QString& notice);
    // False when speech is off and no phrases can be typed either.
    void setHearingPossible(bool possible);

    // Ends the program at once; nothing is saved.
    void endProgram() override;
    // Window state normal, then visible: the way back from the tray.
    void restoreFromTray();

    // The splash window to close when this window is first activated.
    void setSplash(QWidget* splash);

    LauncherState state;
    Options options;
    CommandTable commands;
    QString appPath;
    QString grammarText;

    Listening& listening() { return listening_; }
    Recognizer& recognizer() { return *recognizer_; }
    Synthesizer& synthesizer() { return *synthesizer_; }
    frmLaunch2* trayMenu() const { return trayMenu_; }
    Perchly* tray() const { return perchly_; }
    frmCheck* confirmation() const;
    QTimer* tcom() const { return tcom_; }

    // MainWindowActions
    void showMainWindow(bool minimised) override;
    // Into the tray; with no notification area the window stays open (said once on
    // standard error).
    void hideMainWindow() override;
    void setNotices(std::FILE* notices) { notices_ = notices; }
    // "/m": minimised into the tray; with no notification area, minimised on screen.
    void startMinimised();
    // The program was started again: the window comes forward, or is minimised or hidden
    // as that start's switch says.
    void startedAgain(StartMode mode);
    void openAbout() override;
    void showConfirmation(const QString& phrase) override;
    void closeConfirmation() override;

    // MainWindowLink
    void reloadCommands() override;
    const CommandTable& commandTable() const override { return commands; }
    QStringList builtinPhrases() const override;
    bool isListening() const override { return listening_.isListening(); }
    void pauseRecognition() override { listening_.pauseRecognition(); }
    void resumeRecognition() override { listening_.resumeRecognition(); }
    void setMainWindowEnabled(bool enabled) override;
    const Options& currentOptions() const override { return options; }
    void applyOptions(const Options& newOptions) override;
    std::int16_t comFirmExe() const override { return state.comFirmExe; }
    void setComFirmExe(std::int16_t value) override { state.comFirmExe = value; }
    QString programFolder() const override { return appPath; }
    QString executablePath() const override { return executablePath_; }
    modReg& registry() override { return *reg_; }
    QString loadedGrammar() const override { return grammarText; }
    void useVoiceTraining() override;
    const platform::Platform& services() const override { return platform_; }

    // ScriptHost
    void say(const QString& text) override;
    std::int16_t& speaking() override { return state.speaking; }
    void stopListening() override { listening_.stopListening(); }
    void startListening() override { listening_.startListening(); }
    void exitProgram() override { endProgram(); }
    bool hasEnded() const override { return ended_; }

    // ListeningIndicators
    void setStartItemEnabled(bool enabled) override;
    void setStopItemEnabled(bool enabled) override;
    void setStartButtonShown(bool shown) override;
    void setStopButtonShown(bool shown) override;
    bool stopButtonShown() const override;

signals:
    // The program has ended; the application's event loop stops.
    void programEnded();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Once: that there is no notification area, so the window stays open.
    void sayNoTray();
    // Back to the speech notice (if any) and a silent level meter.
    void clearHeard();
    void buildControls();
    void connectTray();
    void selectVoice();
    void onTrayMouseButton(int button);
    void onStartClicked();
    void onStopClicked();
    void openMakerSite();
    void showHeard(const QString& what);
    frmCheck* ensureConfirmation();

    platform::Platform platform_;
    std::unique_ptr<modReg> reg_;
    Recognizer* recognizer_;
    Synthesizer* synthesizer_;
    Listening listening_;
    std::unique_ptr<SpokenAnswers> answers_;
    std::unique_ptr<WindowCommands> windows_;
    std::unique_ptr<ScriptInterpreter> interpreter_;
    std::unique_ptr<Dispatcher> dispatcher_;
    QString executablePath_;
    bool ended_ = false;
    std::FILE* notices_ = stderr; // where the program says what it did instead
    bool toldNoTray_ = false;
    QString speechNotice_; // why speech works as it does, shown where phrases are heard
    bool commandLimitReported_ = false;

    QListWidget* lstCmd_ = nullptr;
    Tabrix* cmdEdit_ = nullptr;
    Tabrix* cmdScripter_ = nullptr;
    Tabrix* cmdStart_ = nullptr;
    Tabrix* cmdStop_ = nullptr;
    Tabrix* cmdOptions_ = nullptr;
    Tabrix* cmdHideF_ = nullptr;
    Tabrix* cmdAbout_ = nullptr;
    Tabrix* cmdExit_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* lblHeard_ = nullptr;
    QProgressBar* prgLevel_ = nullptr;
    QLabel* image1_ = nullptr;
    QTimer* tcom_ = nullptr;
    Perchly* perchly_ = nullptr;
    frmLaunch2* trayMenu_ = nullptr;
    QPointer<QWidget> splash_;
    QPointer<frmCheck> check_;
};
