#pragma once

#include <QWidget>

class QTimer;
class frmLaunch;

// The picture shown while the program starts. Loading it loads the main window;
// 3000 ms later its timer shows the tray icon and applies the start mode of the
// command line. It closes itself when that mode is minimised or hidden, and the main
// window closes it when it is first activated.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kDisplayMs = 3000;

    frmSplash(frmLaunch& main, QString commandLine, QWidget* parent = nullptr);

    void load();
    QTimer* t() const { return t_; }

    // The timer's tick.
    void onTimer();

private:
    frmLaunch& main_;
    QString commandLine_;
    QTimer* t_;
};
