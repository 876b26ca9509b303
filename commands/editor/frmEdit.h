#pragma once

#include "common/widgets/OverMainWindow.h"
#include "speech/sphinx/PhraseCheck.h"

#include <QPointer>
#include <QWidget>

class Launcher;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class Tabrix;
class frmScripts;

// The command editor, "Edit Commands": the user's phrases in a list, one command at a
// time in the fields, every change written straight into the store, after which the
// main window reloads its list and the grammar. Three states, told by the buttons:
// Viewing (New, Change, Delete, Check All Phrases, Done; fields disabled), Editing (the
// same buttons, the fields filled from the selected entry) and New (Add and Cancel New;
// the list disabled). A phrase the recogniser may mishear is stored only when the user
// keeps it after the warning.
class frmEdit : public OverMainWindow
{
    Q_OBJECT
public:
    frmEdit(Launcher& launcher, QWidget* mainWindow);

    void showCon();
    void hideCon();
    void clearCon();

    // The editor's own script picker; null until "Use Script" is first pressed.
    frmScripts* picker() const;

protected:
    void finishing() override;

private:
    void buildControls();
    void fillList();
    void showViewingButtons();
    int selectedRow() const; // 0-based, -1 when nothing is selected
    void refuse(const QString& text);
    // Says so when what `target` opens is nowhere to be found; the command is kept.
    void warnIfMissing(const QString& target);
    QStringList commandPhrases() const;
    // Whether the phrase goes on: yes when the recogniser should have no trouble with it
    // among the grammar's other phrases, else the user's answer to the warning.
    // `replacing` is the phrase of the command being changed.
    bool keepsPhrase(const QString& phrase, const QString& replacing);

    void onSelected(int row);
    void onNew();
    void onAdd();
    void onCancelNew();
    void onChange();
    void onDelete();
    void onBrowse();
    void onScripts();
    void onCheckAll();

    Launcher& launcher_;

    QListWidget* lstList_ = nullptr;
    QLabel* label1_ = nullptr;
    QLineEdit* txtName_ = nullptr;
    QLabel* label2_ = nullptr;
    QLineEdit* txtPath_ = nullptr;
    Tabrix* cmdBrowse_ = nullptr;
    Tabrix* cmdScripts_ = nullptr;
    QPushButton* cmdS2_ = nullptr;
    QCheckBox* chkActive_ = nullptr;
    Tabrix* cmdChange_ = nullptr;
    Tabrix* cmdNew_ = nullptr;
    Tabrix* cmdAdd_ = nullptr;
    Tabrix* cmdDel_ = nullptr;
    Tabrix* cmdAddCancel_ = nullptr;
    Tabrix* cmdDone_ = nullptr;
    Tabrix* cmdCheckAll_ = nullptr;
    QPointer<frmScripts> picker_;
    sphinx::PhraseCheck phraseCheck_;
};

// The main window's "Add / Edit / Remove Command": disables the main window, pauses
// recognition while the program listens and shows the editor modeless. Done or the
// close box undo both.
frmEdit* openCommandEditor(Launcher& launcher, QWidget* mainWindow);
