#include "platform/widgets/Perchly.h"

#include <QSystemTrayIcon>

Perchly::Perchly(QObject* parent) : QObject(parent), icon_(new QSystemTrayIcon(this))
{
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                    emit mouseButton(1);
                    break;
                case QSystemTrayIcon::Context:
                    emit mouseButton(2);
                    break;
                case QSystemTrayIcon::MiddleClick:
                    emit mouseButton(4);
                    break;
                case QSystemTrayIcon::DoubleClick:
                    emit activated();
                    break;
                case QSystemTrayIcon::Unknown:
                    break;
                }
            });
}

Perchly::~Perchly()
{
    icon_->hide();
}

void Perchly::setToolTip(const QString& text)
{
    icon_->setToolTip(text);
}

QString Perchly::toolTip() const
{
    return icon_->toolTip();
}

void Perchly::setIcon(const QIcon& icon)
{
    icon_->setIcon(icon);
}

void Perchly::setShow(bool show)
{
    shown_ = show;
    // Also without a notification area: Qt docks a visible icon in one that appears later.
    icon_->setVisible(show);
}

bool Perchly::available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void Perchly::showMessage(const QString& title, const QString& text)
{
    if (!shown_)
        return;
    lastMessage_ = text;
    icon_->showMessage(title, text, QSystemTrayIcon::Information);
}
