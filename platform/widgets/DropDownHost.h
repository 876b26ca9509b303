#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// Makes a window behave as a drop-down panel: borderless, outside the taskbar, dropped
// down with show state 1 and closed with 0. The panel also closes when it loses the
// focus, as a drop-down list does when the user clicks elsewhere.
class DropDownHost : public QObject
{
    Q_OBJECT
public:
    explicit DropDownHost(QWidget* panel);

    // 1 while the panel is dropped down, 0 while it is closed.
    int showState() const;
    void setShowState(int state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> panel_;
};
