#include "about/window/frmAbout.h"

#include "about/window/LinkLabel.h"
#include "common/AppTitle.h"
#include "common/widgets/OverMainWindow.h"
#include "launcher/Launcher.h"
#include "launching/sheller.h"
#include "platform/Platform.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/net/Http.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/RichTextBox.h"
#include "platform/widgets/Tabrix.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QVBoxLayout>
#include <exception>

frmAbout::frmAbout(Launcher& launcher, QWidget* mainWindow)
    : OverMainWindow(launcher, mainWindow), launcher_(launcher)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Ombrel Sarquen Information"));
    choosePrinter_ = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("Print Help File"));
        return dialog.exec() == QDialog::Accepted;
    };
    buildControls();
    load();
}

void frmAbout::buildControls()
{
    QLabel* label2 = label(this, "Label2", QStringLiteral("Ombrel Sarquen"));
    QFont titleFont = label2->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2);
    titleFont.setBold(true);
    label2->setFont(titleFont);
    lblVersion_ = label(this, "lblVersion", QStringLiteral("v2.0.x"));

    QLabel* label1 = label(
        this, "Label1",
        QStringLiteral("Ombrel Sarquen was written by Tavin Orrell; the help file was written by "
                       "Mira Lessard. If you find a problem, please describe it in an e-mail "
                       "to:"));
    label1->setWordWrap(true);
    lblMail_ = new LinkLabel(QStringLiteral("lblMail"), about::kSupportMail, this);
    QLabel* label6 = label(
        this, "Label6",
        QStringLiteral("Speech recognition by CMU PocketSphinx; text-to-speech by eSpeak NG."));
    label6->setWordWrap(true);

    QLabel* label8 = label(this, "Label8", QStringLiteral("Check out"));
    lblLink_ = new LinkLabel(QStringLiteral("lblLink"), about::kMakerSite, this);
    QLabel* label9 = label(this, "Label9", QStringLiteral("for more"));
    QLabel* label3 = label(this, "Label3", QStringLiteral("great products by OmbrelOnline"));
    QLabel* label7 = label(this, "Label7", QStringLiteral("Check out"));
    lblLink2_ = new LinkLabel(QStringLiteral("lblLink2"), about::kProductSite, this);
    QLabel* label4 = label(this, "Label4", QStringLiteral("for more"));
    QLabel* label10 = label(this, "Label10", QStringLiteral("information about Sarquen"));

    txtHelp_ = new RichTextBox(this);
    txtHelp_->setObjectName(QStringLiteral("txtHelp"));

    prgUpdate_ = new QProgressBar(this);
    prgUpdate_->setObjectName(QStringLiteral("prgUpdate"));
    prgUpdate_->setFormat(QStringLiteral("Checking for updates..."));
    prgUpdate_->setTextVisible(true);
    prgUpdate_->hide();

    cmdPrintHelp_ =
        new Tabrix(QStringLiteral("cmdPrintHelp"), QStringLiteral("Print Help File"), this);
    cmdUpdate_ = new Tabrix(QStringLiteral("cmdUpdate"), QStringLiteral("Check For Updates"), this);
    cmdDone_ = new Tabrix(QStringLiteral("cmdDone"), QStringLiteral("OK"), this);
    cmdCancelUpdate_ =
        new Tabrix(QStringLiteral("cmdCancelUpdate"), QStringLiteral("Cancel"), this);
    cmdCancelUpdate_->hide();

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(label2);
    titleRow->addWidget(lblVersion_, 0, Qt::AlignBottom);
    titleRow->addStretch(1);

    auto linkRow = [](QLabel* a, QLabel* link, QLabel* b, QLabel* c) {
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        for (QLabel* l : {a, link, b, c})
            row->addWidget(l);
        row->addStretch(1);
        return row;
    };

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdPrintHelp_);
    buttons->addWidget(cmdUpdate_);
    buttons->addStretch(1);
    buttons->addWidget(cmdDone_);

    auto* main = new QVBoxLayout(this);
    main->addLayout(titleRow);
    main->addWidget(label1);
    main->addWidget(lblMail_, 0, Qt::AlignLeft);
    main->addWidget(label6);
    main->addLayout(linkRow(label8, lblLink_, label9, label3));
    main->addLayout(linkRow(label7, lblLink2_, label4, label10));
    main->addWidget(txtHelp_, 1);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(prgUpdate_, 1);
    progressRow->addWidget(cmdCancelUpdate_);
    main->addLayout(progressRow);
    main->addLayout(buttons);
    resize(640, 620);

    connect(cmdDone_, &Tabrix::clicked, this, &frmAbout::cmdDoneClick);
    connect(cmdPrintHelp_, &Tabrix::clicked, this, &frmAbout::cmdPrintHelpClick);
    connect(cmdUpdate_, &Tabrix::clicked, this, &frmAbout::cmdUpdateClick);
    platform::Http* http = launcher_.services().http;
    connect(cmdCancelUpdate_, &Tabrix::clicked, http, &platform::Http::cancel);
    connect(lblLink_, &LinkLabel::clicked, this, [this] { openLink(about::kMakerSite); });
    connect(lblLink2_, &LinkLabel::clicked, this, [this] { openLink(about::kProductSite); });
    connect(lblMail_, &LinkLabel::clicked, this,
            [this] { openLink(QStringLiteral("mailto:") + about::kSupportMail); });

    // While a document is on its way the window shows that it waits, and offers to
    // call the fetch off.
    connect(http, &platform::Http::started, this, [this] {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        prgUpdate_->setRange(0, 0);
        prgUpdate_->show();
        cmdCancelUpdate_->show();
    });
    connect(http, &platform::Http::progress, this, [this](qint64 received, qint64 total) {
        if (total > 0) {
            prgUpdate_->setRange(0, static_cast<int>(std::min<qint64>(total, 1 << 30)));
            prgUpdate_->setValue(static_cast<int>(std::min(received, total)));
        }
    });
    connect(http, &platform::Http::finished, this, [this] {
        prgUpdate_->hide();
        cmdCancelUpdate_->hide();
        QApplication::restoreOverrideCursor();
    });
}

void frmAbout::load()
{
    lblVersion_->setText(
        about::versionLabel(SARQUEN_VERSION_MAJOR, SARQUEN_VERSION_MINOR, SARQUEN_VERSION_PATCH));
    if (!txtHelp_->LoadFile(launcher_.programFolder() + QStringLiteral("Help.rtf")))
        launcher_.services().dialogs->messageBox(QStringLiteral("Unable to open Help File!"),
                                                 QStringLiteral("ERROR"), platform::MsgButtons::Ok,
                                                 platform::MsgIcon::Critical);
}

void frmAbout::openLink(const QString& target)
{
    try {
        ShellLaunch(*launcher_.services().shell, target, 1);
    } catch (const std::exception&) {
        launcher_.services().dialogs->messageBox(
            QStringLiteral("Unable to open \"%1\": no program on this computer opens it.")
                .arg(target),
            appTitle(), platform::MsgButtons::Ok, platform::MsgIcon::Warning);
    }
}

void frmAbout::cmdDoneClick()
{
    close();
}

void frmAbout::setPrinterChooser(std::function<bool(QPrinter&)> chooser)
{
    choosePrinter_ = std::move(chooser);
}

void frmAbout::cmdPrintHelpClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Ombrel Sarquen Help"));
    if (choosePrinter_ && choosePrinter_(printer))
        printHelp(printer);
}

bool frmAbout::printHelp(QPrinter& printer)
{
    txtHelp_->print(&printer);
    if (printer.printerState() != QPrinter::Error)
        return true;
    launcher_.services().dialogs->messageBox(QStringLiteral("Unable to print the Help File!"),
                                             QStringLiteral("ERROR"), platform::MsgButtons::Ok,
                                             platform::MsgIcon::Critical);
    return false;
}

void frmAbout::cmdUpdateClick()
{
    if (checking_)
        return;
    checking_ = true;
    cmdUpdate_->setEnabled(false);
    cmdPrintHelp_->setEnabled(false);
    const platform::Platform& services = launcher_.services();
    about::UpdateCheck check(launcher_.registry(), *services.dialogs, *services.shell,
                             *services.http, launcher_.programFolder());
    lastCheck_ = check.run();
    lastFailure_ = check.failure();
    checking_ = false;
    cmdUpdate_->setEnabled(true);
    cmdPrintHelp_->setEnabled(true);
    if (closeRequested_)
        close();
}

bool frmAbout::readyToClose()
{
    // Closing calls the update check off; the window goes once it has ended.
    if (!checking_)
        return true;
    closeRequested_ = true;
    launcher_.services().http->cancel();
    return false;
}

frmAbout* openAboutWindow(Launcher& launcher, QWidget* mainWindow)
{
    return showOverMainWindow<frmAbout>(launcher, mainWindow);
}
