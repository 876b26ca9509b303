#include "scripts/editor/ScriptEditor.h"

#include "platform/Platform.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/SafeWrite.h"
#include "platform/widgets/RichTextBox.h"
#include "platform/widgets/Tabrix.h"
#include "scripts/Mouse.h"
#include "scripts/ScriptFiles.h"
#include "scripts/ScriptInterpreter.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

const QString kError = QStringLiteral("ERROR");

QPointer<ScriptEditor>& openEditor()
{
    static QPointer<ScriptEditor> editor;
    return editor;
}

} // namespace

ScriptEditor::ScriptEditor(const platform::Platform& services, const QString& appPath,
                           QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), services_(services),
      appPath_(appPath), folder_(scriptsFolder(appPath))
{
    setObjectName(QStringLiteral("ScriptEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(scriptfiles::editorCaption(QString()));
    buildControls();

    QDir().mkpath(folder_);
    refreshList();
    if (!rtbHelp_->LoadFile(appPath_ + QStringLiteral("Script Help and Guide.rtf")))
        services_.dialogs->messageBox(QStringLiteral("Unable to open the Scripting Help Guide!"),
                                      kError, MsgButtons::Ok, MsgIcon::Critical);

    // A fixed border, in the middle of the screen.
    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    t1_->start();
    t1Tick();
}

void ScriptEditor::buildControls()
{
    rtb_ = new QPlainTextEdit(this);
    rtb_->setObjectName(QStringLiteral("rtb"));
    rtb_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    rtb_->setLineWrapMode(QPlainTextEdit::NoWrap);
    rtb_->setMinimumSize(420, 320);
    // Nothing to edit until a script is open.
    rtb_->setEnabled(false);

    rtbHelp_ = new RichTextBox(this);
    rtbHelp_->setObjectName(QStringLiteral("rtbHelp"));
    rtbHelp_->setMinimumSize(420, 320);

    file_ = new QListWidget(this);
    file_->setObjectName(QStringLiteral("File"));
    file_->setMinimumHeight(110);

    cmdNew_ = new Tabrix(QStringLiteral("cmdNew"), QStringLiteral("New Script"), this);
    cmdDel_ = new Tabrix(QStringLiteral("cmdDel"), QStringLiteral("Delete Script"), this);
    cmdSave_ = new Tabrix(QStringLiteral("cmdSave"), QStringLiteral("Save Script"), this);
    cmdExit_ = new Tabrix(QStringLiteral("cmdExit"), QStringLiteral("Exit Script Editor"), this);

    auto* label1 = new QLabel(QStringLiteral("Mouse Position  -  X:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    lblX_ = new QLabel(this);
    lblX_->setObjectName(QStringLiteral("lblX"));
    auto* label3 = new QLabel(QStringLiteral("Y:"), this);
    label3->setObjectName(QStringLiteral("Label3"));
    lblY_ = new QLabel(this);
    lblY_->setObjectName(QStringLiteral("lblY"));
    // Room for five digits, so the read-out does not jump about.
    const int digits = lblX_->fontMetrics().horizontalAdvance(QStringLiteral("-00000"));
    lblX_->setMinimumWidth(digits);
    lblY_->setMinimumWidth(digits);

    t1_ = new QTimer(this);
    t1_->setObjectName(QStringLiteral("t1"));
    t1_->setInterval(50);

    // The editing box left with the list and the buttons below it; the guide right
    // with the pointer read-out below it.
    auto* buttons = new QGridLayout;
    buttons->addWidget(cmdNew_, 0, 0);
    buttons->addWidget(cmdDel_, 0, 1);
    buttons->addWidget(cmdSave_, 1, 0);
    buttons->addWidget(cmdExit_, 1, 1);
    auto* below = new QHBoxLayout;
    below->addWidget(file_, 1);
    below->addLayout(buttons);
    auto* left = new QVBoxLayout;
    left->addWidget(rtb_, 1);
    left->addLayout(below);

    auto* readOut = new QHBoxLayout;
    readOut->addStretch(1);
    readOut->addWidget(label1);
    readOut->addWidget(lblX_);
    readOut->addWidget(label3);
    readOut->addWidget(lblY_);
    auto* right = new QVBoxLayout;
    right->addWidget(rtbHelp_, 1);
    right->addLayout(readOut);

    auto* main = new QHBoxLayout(this);
    main->addLayout(left, 1);
    main->addLayout(right, 1);

    connect(file_, &QListWidget::itemClicked, this, &ScriptEditor::openScript);
    connect(file_, &QListWidget::itemActivated, this, &ScriptEditor::openScript);
    connect(cmdNew_, &Tabrix::clicked, this, &ScriptEditor::cmdNewClick);
    connect(cmdSave_, &Tabrix::clicked, this, &ScriptEditor::cmdSaveClick);
    connect(cmdDel_, &Tabrix::clicked, this, &ScriptEditor::cmdDelClick);
    connect(cmdExit_, &Tabrix::clicked, this, &QWidget::close);
    connect(t1_, &QTimer::timeout, this, &ScriptEditor::t1Tick);
}

void ScriptEditor::t1Tick()
{
    lblX_->setText(QString::number(Mouse::GetMouseX(*services_.desktop)));
    lblY_->setText(QString::number(Mouse::GetMouseY(*services_.desktop)));
}

void ScriptEditor::refreshList()
{
    file_->clear();
    file_->addItems(scriptfiles::scriptNames(folder_));
    const QList<QListWidgetItem*> open = file_->findItems(currentScript_, Qt::MatchExactly);
    if (!currentScript_.isEmpty() && !open.isEmpty())
        file_->setCurrentItem(open.first());
}

void ScriptEditor::failed(const QString& text)
{
    services_.dialogs->messageBox(text, kError, MsgButtons::Ok, MsgIcon::Critical);
}

// Any unsaved change to the script that was open is dropped.
void ScriptEditor::openScript(QListWidgetItem* item)
{
    if (!item)
        return;
    QFile script(folder_ + item->text());
    if (!script.open(QIODevice::ReadOnly)) {
        failed(QStringLiteral("Unable to open the script %1: %2")
                   .arg(item->text(), script.errorString()));
        return;
    }
    showOpened(item->text(), scriptfiles::textForEditing(script.readAll()));
}

void ScriptEditor::showOpened(const QString& fileName, const QString& text)
{
    currentScript_ = fileName;
    rtb_->setPlainText(text);
    setWindowTitle(scriptfiles::editorCaption(fileName));
    rtb_->setEnabled(true);
}

void ScriptEditor::closeScript()
{
    currentScript_.clear();
    refreshList();
    setWindowTitle(scriptfiles::editorCaption(QString()));
    rtb_->clear();
    rtb_->setEnabled(false);
}

void ScriptEditor::cmdNewClick()
{
    const std::optional<QString> typed = services_.dialogs->inputBox(
        QStringLiteral("Enter Script Name"), QStringLiteral("New Script"), QString());
    if (!typed)
        return;
    const scriptfiles::NewName name = scriptfiles::newScriptFileName(*typed);
    if (!name.error.isEmpty()) {
        services_.dialogs->messageBox(name.error, QStringLiteral("New Script"), MsgButtons::Ok,
                                      MsgIcon::Warning);
        return;
    }
    if (name.fileName.isEmpty())
        return;
    // A script of that name is emptied: New starts a script afresh.
    QString error;
    if (!platform::replaceFile(folder_ + name.fileName, QByteArray(), &error)) {
        failed(QStringLiteral("Unable to create the script %1: %2").arg(name.fileName, error));
        return;
    }
    currentScript_ = name.fileName;
    refreshList();
    showOpened(name.fileName, QString());
    rtb_->setFocus();
}

void ScriptEditor::cmdSaveClick()
{
    if (currentScript_.isEmpty())
        return;
    // Written whole or not at all: a failed save leaves the file and the text as they were.
    QString error;
    if (!platform::replaceFile(folder_ + currentScript_,
                               scriptfiles::bytesForSaving(rtb_->toPlainText()), &error))
        failed(QStringLiteral("Unable to save the script %1: %2").arg(currentScript_, error));
}

void ScriptEditor::cmdDelClick()
{
    if (currentScript_.isEmpty())
        return;
    const MsgAnswer answer = services_.dialogs->messageBox(
        QStringLiteral("Are you sure you want to delete script ") + currentScript_,
        QStringLiteral("Delete Script?"), MsgButtons::YesNo, MsgIcon::None);
    if (answer == MsgAnswer::Yes) {
        // The script named in the question is the one deleted. A read-only script is
        // left alone, as the file manager would without being forced.
        QFile script(folder_ + currentScript_);
        const bool readOnly = !(script.permissions() & QFileDevice::WriteOwner);
        if (readOnly || !script.remove()) {
            failed(QStringLiteral("Unable to delete the script %1: %2")
                       .arg(currentScript_, readOnly ? QStringLiteral("the file is read-only")
                                                     : script.errorString()));
            return;
        }
    }
    closeScript();
}

ScriptEditor* openScriptEditor(const platform::Platform& services, const QString& appPath)
{
    QPointer<ScriptEditor>& open = openEditor();
    if (!open)
        open = new ScriptEditor(services, appPath);
    open->show();
    open->raise();
    open->activateWindow();
    return open;
}
