#pragma once

#include "app/ConfirmationPrompt.h"
#include "app/MainWindowControls.h"
#include "launcher/Launcher.h"
#include "launcher/StartMode.h"

#include <QPointer>
#include <QWidget>
#include <cstdio>

class Perchly;
class frmCheck;
class frmLaunch2;

// The main window: a view over the launcher. It shows the list of spoken commands, what
// was heard, whether the program listens, the tray icon and its menu, and opens the
// other windows; what the user does here goes to the launcher.
class frmLaunch : public QWidget
{
    Q_OBJECT
public:
    explicit frmLaunch(Launcher& launcher, QWidget* parent = nullptr);
    ~frmLaunch() override;

    // The load step: title, tray menu, then the launcher's own load (options, voice,
    // command list and grammar, recognition).
    void load();
    Launcher& launcher() { return launcher_; }

    // The main window's methods, done by the launcher.
    void setList() { launcher_.setList(); }
    void addCom() { launcher_.addCom(); }
    bool CheckScript(QString& path) { return launcher_.CheckScript(path); }
    void RunScript(const QString& path) { launcher_.RunScript(path); }
    void Speak(const QString& words) { launcher_.Speak(words); }
    QString getDate() const { return launcher_.getDate(); }
    void Sounding() { launcher_.Sounding(); }
    void say(const QString& text) { launcher_.say(text); }
    void minwin() { launcher_.minwin(); }
    void maxwin() { launcher_.maxwin(); }
    void closewin() { launcher_.closewin(); }
    void restorewin() { launcher_.restorewin(); }

    // The list of commands as shown.
    QStringList commandList() const;
    void clearCommandList();

    // Tells the user under the list of commands why speech is typed, not heard; `cause`,
    // in a few words, goes into the tray icon's tooltip.
    void showSpeechNotice(const QString& notice, const QString& cause = {});
    // Started into the tray or minimised with speech off: the tray icon says why, once.
    void showSpeechNoticeInTray();
    // What a command just used cannot do on this desktop: in place of the phrase heard,
    // and on standard error.
    void showDesktopNotice(const QString& notice);
    // False when speech is off and no phrases can be typed either.
    void setHearingPossible(bool possible);

    // Window state minimised or normal, then visible.
    void showMainWindow(bool minimised);
    // Into the tray; with no notification area the window stays open (said once on
    // standard error).
    void hideMainWindow();
    void setNotices(std::FILE* notices) { notices_ = notices; }
    // "/m": minimised into the tray; with no notification area, minimised on screen.
    void startMinimised();
    // The program was started again: the window comes forward, or is minimised or hidden
    // as that start's switch says.
    void startedAgain(StartMode mode);
    // Window state normal, then visible: the way back from the tray.
    void restoreFromTray();
    void openAbout();
    // Ends the program at once; nothing is saved.
    void endProgram() { launcher_.endProgram(); }

    // The splash window to close when this window is first activated.
    void setSplash(QWidget* splash) { splash_ = splash; }

    frmLaunch2* trayMenu() const { return trayMenu_; }
    Perchly* tray() const { return ui_.perchly; }
    frmCheck* confirmation() const { return confirmation_.window(); }
    QTimer* tcom() const { return launcher_.tcom(); }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectControls();
    void connectLauncher();
    void connectTray();
    // The Start and Stop Listening buttons and the tray menu's two items, in this order.
    void showListening(bool listening);
    // The tray menu's two items as the buttons are, and the tooltip saying the state.
    void showTrayState();
    void showHeld(bool held);
    void closeWindows();
    // Once: that there is no notification area, so the window stays open.
    void sayNoTray();
    // Back to the speech notice (if any) and a silent level meter.
    void clearHeard();
    void onTrayMouseButton(int button);
    void onStartClicked();
    void onStopClicked();
    void openMakerSite();
    void showHeard(const QString& what);

    Launcher& launcher_;
    std::FILE* notices_ = stderr; // where the program says what it did instead
    bool toldNoTray_ = false;
    QString speechNotice_; // why speech works as it does, shown where phrases are heard
    QString speechOffCause_;
    bool toldSpeechOffInTray_ = false;
    bool hearingPossible_ = true;

    MainWindowControls ui_;
    frmLaunch2* trayMenu_ = nullptr;
    ConfirmationPrompt confirmation_;
    QPointer<QWidget> splash_;
};
