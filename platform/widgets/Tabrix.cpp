#include "platform/widgets/Tabrix.h"

Tabrix::Tabrix(const QString& objectName, const QString& caption, QWidget* parent)
    : QPushButton(caption, parent)
{
    setObjectName(objectName);
    setAutoDefault(false);
}
