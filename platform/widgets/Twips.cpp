#include "platform/widgets/Twips.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace twips {

double perPixel()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int toPixels(int twips)
{
    return static_cast<int>(std::lround(twips / perPixel()));
}

int fromPixels(int pixels)
{
    return static_cast<int>(std::lround(pixels * perPixel()));
}

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

void fitCaptions(QWidget* window)
{
    int right = window->width();
    int margin = window->width();
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        margin = std::min(margin, window->width() - child->geometry().right() - 1);
        const bool captioned = qobject_cast<QLabel*>(child) || qobject_cast<QCheckBox*>(child) ||
                               qobject_cast<QRadioButton*>(child);
        const int wanted = child->sizeHint().width();
        if (captioned && wanted > child->width())
            child->resize(wanted, child->height());
        right = std::max(right, child->geometry().right() + 1);
    }
    if (right > window->width())
        window->setFixedSize(right + std::max(margin, 0), window->height());
}

} // namespace twips
