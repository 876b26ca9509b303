#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QSystemTrayIcon;

// The notification-area icon: a tooltip, an image, a show property, and two
// notifications: a mouse button (1 = left, 2 = right, 4 = middle) and activation
// (a double click). The icon is removed when the object goes away.
class Perchly : public QObject
{
    Q_OBJECT
public:
    explicit Perchly(QObject* parent = nullptr);
    ~Perchly() override;

    void setToolTip(const QString& text);
    QString toolTip() const;
    void setIcon(const QIcon& icon);
    void setShow(bool show);
    bool show() const { return shown_; }
    // Whether the desktop has a notification area to show the icon in.
    static bool available();
    // A message from the icon (a balloon, or the desktop's notification), while the
    // icon is shown; the last one stays readable.
    void showMessage(const QString& title, const QString& text);
    QString lastMessage() const { return lastMessage_; }

signals:
    void mouseButton(int button);
    void activated();

private:
    QSystemTrayIcon* icon_;
    bool shown_ = false;
    QString lastMessage_;
};
