#pragma once

#include <QLabel>

// A label that reads as a link and reports a click of the left button.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    LinkLabel(const QString& objectName, const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
