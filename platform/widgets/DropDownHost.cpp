#include "platform/widgets/DropDownHost.h"

#include <QEvent>

DropDownHost::DropDownHost(QWidget* panel) : QObject(panel), panel_(panel)
{
    setObjectName(QStringLiteral("dd"));
    // A tool window keeps the panel out of the taskbar and beside its owner; the panel
    // closes itself when another window takes the focus.
    panel->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    panel->installEventFilter(this);
}

int DropDownHost::showState() const
{
    return panel_ && panel_->isVisible() ? 1 : 0;
}

void DropDownHost::setShowState(int state)
{
    if (!panel_)
        return;
    if (state == 1) {
        panel_->show();
        panel_->raise();
        panel_->activateWindow();
    } else if (state == 0) {
        panel_->hide();
    }
}

bool DropDownHost::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == panel_ && event->type() == QEvent::WindowDeactivate)
        panel_->hide();
    return QObject::eventFilter(watched, event);
}
