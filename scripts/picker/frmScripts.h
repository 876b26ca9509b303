#pragma once

#include <QWidget>
#include <functional>

class DropDownHost;
class QListWidget;
class QListWidgetItem;

// The script picker: a small drop-down panel listing the "*.kps" files of the scripts
// folder. A double-click hands the chosen script's full path on and closes the panel.
// The list is read once, when the panel is created.
class frmScripts : public QWidget
{
    Q_OBJECT
public:
    // `chosen` receives the full path of the script the user double-clicks.
    frmScripts(const QString& appPath, std::function<void(const QString& path)> chosen,
               QWidget* owner);

    // 1 drops the panel down, 0 closes it.
    int ShowState() const;
    void setShowState(int state);

    // Creates the scripts folder beside the program when it is missing.
    static void ensureScriptsFolder(const QString& appPath);

private:
    // Puts the script of `item` into the path field and closes the picker.
    void pick(QListWidgetItem* item);

    QString folder_;
    std::function<void(const QString&)> chosen_;
    DropDownHost* dd_ = nullptr;
    QListWidget* file_ = nullptr;
};
