#include "commands/editor/frmEdit.h"

#include "commands/CommandStore.h"
#include "commands/CommandTable.h"
#include "common/AppTitle.h"
#include "common/widgets/OverMainWindow.h"
#include "launcher/Launcher.h"
#include "launching/MissingTarget.h"
#include "platform/Platform.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/registry/StoredText.h"
#include "platform/widgets/Tabrix.h"
#include "platform/widgets/Twips.h"
#include "scripts/picker/frmScripts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

using twips::place;

namespace {

const QString kSameName = QStringLiteral("You can not have two commands with the same name!");
const QString kNothingSelected = QStringLiteral("Select the command to change in the list first.");
const QString kNoPhrase = QStringLiteral("Type the phrase to say for this command.");
const QString kNoPath =
    QStringLiteral("Give the program, document or script this phrase starts (Browse or Use "
                   "Script).");
const QString kKeepIt = QStringLiteral("Change it before it is stored?");
const QString kNotFound =
    QStringLiteral("\"%1\" is not on PATH or on disk. The command is stored all the same; "
                   "if it does not start, check what it opens.");
const QString kAllClear =
    QStringLiteral("No phrase sounds like another, and the recogniser knows all their words.");

// Stored text ends with a NUL; the fields show what comes before it.
QString storedText(const RegValue& value)
{
    return textBeforeNul(value.text());
}

} // namespace

frmEdit::frmEdit(Launcher& launcher, QWidget* mainWindow)
    : OverMainWindow(launcher, mainWindow), launcher_(launcher),
      phraseCheck_(sphinx::PhraseCheck::installed())
{
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Edit Commands"));
    setFixedSize(twips::toPixels(7830), twips::toPixels(3390));
    buildControls();
    twips::fitCaptions(this);
    // "Path:" can be wider than its place in the user's font: the field starts after it
    // and keeps its right edge.
    const int pathStart = std::max(txtPath_->x(), label2_->geometry().right() + 4);
    txtPath_->setGeometry(pathStart, txtPath_->y(), txtPath_->geometry().right() + 1 - pathStart,
                          txtPath_->height());
    // A long path shows its beginning; the whole of it is the field's tooltip.
    connect(txtPath_, &QLineEdit::textChanged, txtPath_, &QWidget::setToolTip);

    fillList();
    hideCon();
    // The picker itself is made on the first "Use Script"; its folder exists from now on.
    frmScripts::ensureScriptsFolder(launcher_.programFolder());
}

frmScripts* frmEdit::picker() const
{
    return picker_;
}

void frmEdit::buildControls()
{
    lstList_ = new QListWidget(this);
    lstList_->setObjectName(QStringLiteral("lstList"));
    place(lstList_, 120, 120, 3735, 3180);

    label1_ = new QLabel(QStringLiteral("Command:"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    place(label1_, 3960, 120, 855, 255);
    txtName_ = new QLineEdit(this);
    txtName_->setObjectName(QStringLiteral("txtName"));
    place(txtName_, 3960, 360, 3615, 285);

    label2_ = new QLabel(QStringLiteral("Path:"), this);
    label2_->setObjectName(QStringLiteral("Label2"));
    place(label2_, 3960, 720, 495, 255);
    txtPath_ = new QLineEdit(this);
    txtPath_->setObjectName(QStringLiteral("txtPath"));
    place(txtPath_, 4365, 690, 3195, 285);

    cmdBrowse_ = new Tabrix(QStringLiteral("cmdBrowse"), QStringLiteral("Browse"), this);
    place(cmdBrowse_, 4365, 1035, 1215, 255);
    cmdScripts_ = new Tabrix(QStringLiteral("cmdScripts"), QStringLiteral("Use Script"), this);
    place(cmdScripts_, 5625, 1035, 1215, 255);
    // Never shown: it only marks where the script picker drops down.
    cmdS2_ = new QPushButton(QStringLiteral("Command1"), this);
    cmdS2_->setObjectName(QStringLiteral("cmdS2"));
    place(cmdS2_, 5625, 1050, 1215, 255);
    cmdS2_->hide();

    chkActive_ =
        new QCheckBox(QStringLiteral("Stop listening when the above program starts"), this);
    chkActive_->setObjectName(QStringLiteral("chkActive"));
    place(chkActive_, 4920, 1380, 2055, 375);

    cmdChange_ = new Tabrix(QStringLiteral("cmdChange"), QStringLiteral("Change"), this);
    place(cmdChange_, 3960, 1800, 3735, 375);
    cmdNew_ = new Tabrix(QStringLiteral("cmdNew"), QStringLiteral("New"), this);
    place(cmdNew_, 3960, 2280, 1815, 375);
    cmdAdd_ = new Tabrix(QStringLiteral("cmdAdd"), QStringLiteral("Add"), this);
    place(cmdAdd_, 3960, 2280, 1815, 375);
    cmdAdd_->hide();
    cmdDel_ = new Tabrix(QStringLiteral("cmdDel"), QStringLiteral("Delete"), this);
    place(cmdDel_, 5880, 2280, 1815, 375);
    cmdAddCancel_ = new Tabrix(QStringLiteral("cmdAddCancel"), QStringLiteral("Cancel New"), this);
    place(cmdAddCancel_, 5880, 2280, 1815, 375);
    cmdAddCancel_->hide();
    cmdCheckAll_ =
        new Tabrix(QStringLiteral("cmdCheckAll"), QStringLiteral("Check All Phrases"), this);
    place(cmdCheckAll_, 3960, 2880, 1815, 375);
    cmdDone_ = new Tabrix(QStringLiteral("cmdDone"), QStringLiteral("Done"), this);
    place(cmdDone_, 5880, 2880, 1815, 375);

    // Only a real selection fills the fields: the list taking the focus makes its first
    // entry current without selecting it.
    connect(lstList_, &QListWidget::itemSelectionChanged, this,
            [this] { onSelected(selectedRow()); });
    connect(cmdNew_, &Tabrix::clicked, this, &frmEdit::onNew);
    connect(cmdAdd_, &Tabrix::clicked, this, &frmEdit::onAdd);
    connect(cmdAddCancel_, &Tabrix::clicked, this, &frmEdit::onCancelNew);
    connect(cmdChange_, &Tabrix::clicked, this, &frmEdit::onChange);
    connect(cmdDel_, &Tabrix::clicked, this, &frmEdit::onDelete);
    connect(cmdBrowse_, &Tabrix::clicked, this, &frmEdit::onBrowse);
    connect(cmdScripts_, &Tabrix::clicked, this, &frmEdit::onScripts);
    connect(cmdCheckAll_, &Tabrix::clicked, this, &frmEdit::onCheckAll);
    connect(cmdDone_, &Tabrix::clicked, this, &QWidget::close);
}

void frmEdit::showCon()
{
    txtName_->setEnabled(true);
    txtPath_->setEnabled(true);
    chkActive_->setEnabled(true);
    cmdBrowse_->show();
    cmdScripts_->show();
}

void frmEdit::hideCon()
{
    txtName_->setEnabled(false);
    txtPath_->setEnabled(false);
    chkActive_->setEnabled(false);
    cmdBrowse_->hide();
    cmdScripts_->hide();
}

void frmEdit::clearCon()
{
    txtName_->clear();
    txtPath_->clear();
    chkActive_->setChecked(false);
    // Empty fields belong to no entry: Delete must not act on one still marked.
    const QSignalBlocker quiet(lstList_);
    lstList_->clearSelection();
    lstList_->setCurrentRow(-1);
}

// Entry k of the list is row k + 1 of the table.
void frmEdit::fillList()
{
    const QSignalBlocker quiet(lstList_);
    lstList_->clear();
    const CommandTable& table = launcher_.commandTable();
    for (int row = 1; row <= table.count(); ++row)
        lstList_->addItem(storedText(table.phrases[row]));
    lstList_->setCurrentRow(-1);
}

int frmEdit::selectedRow() const
{
    const QList<QListWidgetItem*> selected = lstList_->selectedItems();
    return selected.isEmpty() ? -1 : lstList_->row(selected.first());
}

void frmEdit::showViewingButtons()
{
    cmdNew_->show();
    cmdAdd_->hide();
    cmdAddCancel_->hide();
    lstList_->setEnabled(true);
    cmdChange_->show();
    cmdDel_->show();
    cmdCheckAll_->show();
    cmdDone_->show();
}

void frmEdit::refuse(const QString& text)
{
    launcher_.services().dialogs->messageBox(text, appTitle(), platform::MsgButtons::Ok,
                                             platform::MsgIcon::None);
}

void frmEdit::warnIfMissing(const QString& target)
{
    const QString missing = missingTarget(target);
    if (!missing.isEmpty())
        launcher_.services().dialogs->messageBox(kNotFound.arg(missing), appTitle(),
                                                 platform::MsgButtons::Ok,
                                                 platform::MsgIcon::Warning);
}

QStringList frmEdit::commandPhrases() const
{
    QStringList phrases;
    for (int i = 0; i < lstList_->count(); ++i)
        phrases << lstList_->item(i)->text();
    return phrases;
}

bool frmEdit::keepsPhrase(const QString& phrase, const QString& replacing)
{
    const sphinx::PhraseFindings found =
        phraseCheck_.check(phrase, commandPhrases() + launcher_.builtinPhrases(), replacing);
    if (!found.any())
        return true;
    const QString text =
        sphinx::findingSentences(found).join(QLatin1Char('\n')) + QStringLiteral("\n\n") + kKeepIt;
    // A warning, not a refusal: only a "Yes" holds the phrase back, so that an unanswered
    // question (no one at the screen) stores it as typed.
    return launcher_.services().dialogs->messageBox(text, appTitle(), platform::MsgButtons::YesNo,
                                                    platform::MsgIcon::Warning) !=
           platform::MsgAnswer::Yes;
}

void frmEdit::onSelected(int row)
{
    if (row < 0)
        return;
    showCon();
    cmdDel_->show();
    cmdChange_->show();
    const CommandTable& table = launcher_.commandTable();
    txtName_->setText(storedText(table.phrases[row + 1]));
    txtPath_->setText(storedText(table.targets[row + 1]));
    txtPath_->setCursorPosition(0);
    chkActive_->setChecked(table.checks[row + 1].toInt32() == 1);
}

void frmEdit::onNew()
{
    showCon();
    cmdNew_->hide();
    cmdAdd_->show();
    cmdAddCancel_->show();
    lstList_->setEnabled(false);
    cmdChange_->hide();
    cmdDel_->hide();
    cmdCheckAll_->hide();
    cmdDone_->hide();
    clearCon();
}

void frmEdit::onAdd()
{
    const QString phrase = txtName_->text().trimmed();
    const QString target = txtPath_->text().trimmed();
    if (PhraseTaken(launcher_.commandTable(), phrase)) {
        refuse(kSameName);
        // The typed text stays, so the user can correct it.
        showViewingButtons();
        return;
    }
    // What was typed stays, with the New buttons, until the missing part is given.
    if (phrase.isEmpty() || target.isEmpty()) {
        refuse(phrase.isEmpty() ? kNoPhrase : kNoPath);
        return;
    }
    // A phrase the user does not keep stays typed, with the New buttons, to be reworded.
    const QString stored = normalisePhrase(phrase);
    if (!keepsPhrase(stored, QString()))
        return;
    warnIfMissing(target);
    AddCommand(launcher_.registry(), launcher_.commandTable(), stored, target,
               chkActive_->isChecked());
    launcher_.reloadCommands();
    fillList();
    onCancelNew();
}

void frmEdit::onCancelNew()
{
    showViewingButtons();
    hideCon();
    clearCon();
}

void frmEdit::onChange()
{
    const QString phrase = normalisePhrase(txtName_->text());
    const QString target = txtPath_->text().trimmed();
    if (phrase.isEmpty() || target.isEmpty())
        return;
    // Without an old phrase there is no command to rewrite, and a phrase another command
    // has would leave two commands under one name; either would break the count.
    const int row = selectedRow();
    if (row < 0) {
        refuse(kNothingSelected);
        return;
    }
    if (PhraseTaken(launcher_.commandTable(), phrase, row + 1)) {
        refuse(kSameName);
        return;
    }
    const QString oldPhrase = lstList_->item(row)->text();
    if (!keepsPhrase(phrase, oldPhrase))
        return;
    // A target kept as it was has been warned of when it was given.
    if (target != storedText(launcher_.commandTable().targets[row + 1]).trimmed())
        warnIfMissing(target);
    ChangeCommand(launcher_.registry(), oldPhrase, phrase, target, chkActive_->isChecked());
    launcher_.reloadCommands();
    fillList();
}

void frmEdit::onDelete()
{
    const int row = selectedRow();
    const QString phrase = row < 0 ? QString() : lstList_->item(row)->text();
    DeleteCommand(launcher_.registry(), launcher_.commandTable(), phrase);
    launcher_.reloadCommands();
    fillList();
    hideCon();
    clearCon();
}

void frmEdit::onBrowse()
{
    const QString handedIn = txtPath_->text();
    // Cancelling leaves the name that was handed to the dialog.
    const QString name =
        launcher_.services()
            .dialogs
            ->openFile(QStringLiteral("Open"), QStringLiteral("Any File (*.*)|*.*"), handedIn)
            .value_or(handedIn);
    if (name.isEmpty())
        return;
    txtPath_->setText(name);
    txtPath_->setFocus();
    txtPath_->setCursorPosition(name.size());
}

void frmEdit::onScripts()
{
    if (!picker_) {
        picker_ = new frmScripts(
            launcher_.programFolder(), [this](const QString& path) { txtPath_->setText(path); },
            this);
    }
    // The picker drops down just right of the anchor, one pixel above its top.
    const QPoint topLeft = cmdS2_->mapToGlobal(QPoint(0, 0));
    picker_->move(topLeft.x() + cmdS2_->width() + 1, topLeft.y() - 1);
    picker_->show();
    picker_->setShowState(1);
}

void frmEdit::onCheckAll()
{
    QStringList sentences;
    for (const sphinx::PhraseFindings& found :
         phraseCheck_.checkAll(commandPhrases(), launcher_.builtinPhrases()))
        sentences << sphinx::findingSentences(found);
    const QString text = sentences.isEmpty() ? kAllClear : sentences.join(QLatin1Char('\n'));
    launcher_.services().dialogs->messageBox(text, appTitle(), platform::MsgButtons::Ok,
                                             platform::MsgIcon::Information);
}

void frmEdit::finishing()
{
    if (picker_)
        picker_->setShowState(0);
}

frmEdit* openCommandEditor(Launcher& launcher, QWidget* mainWindow)
{
    return showOverMainWindow<frmEdit>(launcher, mainWindow);
}
