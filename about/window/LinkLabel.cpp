#include "about/window/LinkLabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(const QString& objectName, const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setObjectName(objectName);
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("color: #0645ad; text-decoration: underline;"));
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
