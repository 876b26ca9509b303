#pragma once

#include "about/UpdateCheck.h"
#include "common/widgets/OverMainWindow.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class LinkLabel;
class Launcher;
class QLabel;
class QPrinter;
class QProgressBar;
class RichTextBox;
class Tabrix;

// The information and help window: product name and version, credits, links to the
// maker's and the product's web sites and to the support address, the help file, and
// the buttons to print it, to check for updates and to close the window. OK and the
// close box both hand the main window back (enabled, recognition resumed when
// listening). The window deletes itself when closed.
class frmAbout : public OverMainWindow
{
    Q_OBJECT
public:
    // `mainWindow` is the window behind `launcher`; once it is gone the window leaves it alone.
    frmAbout(Launcher& launcher, QWidget* mainWindow);

    void cmdDoneClick();
    void cmdPrintHelpClick();
    void cmdUpdateClick();

    // Prints the help text on `printer`; false (after telling the user) when it failed.
    bool printHelp(QPrinter& printer);
    // Sets up the printer for Print Help File; false when the user cancelled. The
    // default shows the print dialog.
    void setPrinterChooser(std::function<bool(QPrinter&)> chooser);

    // What the last update check ended with, while the window lives.
    about::UpdateCheck::Outcome lastCheck() const { return lastCheck_; }
    about::UpdateCheck::Failure lastFailure() const { return lastFailure_; }

protected:
    bool readyToClose() override;

private:
    void buildControls();
    void load();
    void openLink(const QString& target);

    Launcher& launcher_;
    bool checking_ = false;
    bool closeRequested_ = false;
    std::function<bool(QPrinter&)> choosePrinter_;
    about::UpdateCheck::Outcome lastCheck_ = about::UpdateCheck::Outcome::Failed;
    about::UpdateCheck::Failure lastFailure_ = about::UpdateCheck::Failure::None;

    QLabel* lblVersion_ = nullptr;
    LinkLabel* lblMail_ = nullptr;
    LinkLabel* lblLink_ = nullptr;
    LinkLabel* lblLink2_ = nullptr;
    RichTextBox* txtHelp_ = nullptr;
    QProgressBar* prgUpdate_ = nullptr;
    Tabrix* cmdPrintHelp_ = nullptr;
    Tabrix* cmdUpdate_ = nullptr;
    Tabrix* cmdDone_ = nullptr;
    Tabrix* cmdCancelUpdate_ = nullptr;
};

// Opens the about window from the main window or the tray: disables the main window,
// pauses recognition when the program is listening, then shows the window without
// waiting for it. While one is open, another request raises it instead.
frmAbout* openAboutWindow(Launcher& launcher, QWidget* mainWindow);
