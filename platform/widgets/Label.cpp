#include "platform/widgets/Label.h"

#include <QLabel>

QLabel* label(QWidget* parent, const char* name, const QString& caption, QWidget* buddy)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}
