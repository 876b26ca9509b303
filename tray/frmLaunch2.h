#pragma once

#include <QWidget>

class QAction;
class QMenu;

// The tray menu's owner: a window that is loaded with the main window and never
// shown. Its menu items report what the user chose; the main window acts on them.
class frmLaunch2 : public QWidget
{
    Q_OBJECT
public:
    explicit frmLaunch2(QWidget* parent = nullptr);

    QMenu* mnuPopup() const { return mnuPopup_; }
    QAction* item(const QString& objectName) const;

signals:
    void showChosen();
    void hideChosen();
    void startListeningChosen();
    void stopListeningChosen();
    void optionsChosen();
    void trainVoiceChosen();
    void aboutChosen();
    void exitChosen();

private:
    QAction* addItem(const QString& objectName, const QString& caption,
                     void (frmLaunch2::*chosen)());
    QAction* addSeparator(const QString& objectName);

    QMenu* mnuPopup_;
};
