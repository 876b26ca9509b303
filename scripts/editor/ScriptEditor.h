#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QTimer;
class RichTextBox;
class Tabrix;
namespace platform {
struct Platform;
}

// The script editor: the scripts of the scripts folder in a list, the open one in an
// editing box, the scripting guide beside it and the pointer's position below, so the
// user can find the coordinates a script moves the mouse to. It blocks nothing: the
// main window stays usable and the program goes on listening.
class ScriptEditor : public QWidget
{
    Q_OBJECT
public:
    ScriptEditor(const platform::Platform& services, const QString& appPath,
                 QWidget* parent = nullptr);

    // The file name of the open script; empty while none is open.
    const QString& currentScript() const { return currentScript_; }

    // The pointer read-out, run by t1 every 50 ms.
    void t1Tick();

private:
    void buildControls();
    void refreshList();
    void openScript(QListWidgetItem* item);
    void showOpened(const QString& fileName, const QString& text);
    void closeScript();
    void failed(const QString& text);

    void cmdNewClick();
    void cmdSaveClick();
    void cmdDelClick();

    const platform::Platform& services_;
    QString appPath_;
    QString folder_;
    QString currentScript_;

    QPlainTextEdit* rtb_ = nullptr;
    RichTextBox* rtbHelp_ = nullptr;
    QListWidget* file_ = nullptr;
    Tabrix* cmdNew_ = nullptr;
    Tabrix* cmdDel_ = nullptr;
    Tabrix* cmdSave_ = nullptr;
    Tabrix* cmdExit_ = nullptr;
    QLabel* lblX_ = nullptr;
    QLabel* lblY_ = nullptr;
    QTimer* t1_ = nullptr;
};

// Shows the script editor, or brings the open one to the front.
ScriptEditor* openScriptEditor(const platform::Platform& services, const QString& appPath);
