#include "options/dialog/TalkKeyField.h"

#include "platform/input/KeysymNames.h"

#include <QKeyEvent>
#include <QKeySequence>

TalkKeyField::TalkKeyField(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setPlaceholderText(QStringLiteral("press the key"));
}

void TalkKeyField::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QLineEdit::keyPressEvent(event);
        return;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        clear();
        return;
    default:
        break;
    }
    // On X11 the event carries the keysym itself; elsewhere Qt's name of the key, which
    // is the keysym's name for the keys one would pick (F1 to F35, Pause, Insert, ...).
    QString name = platform::keysymName(event->nativeVirtualKey());
    if (name.isEmpty())
        name = QKeySequence(event->key()).toString(QKeySequence::PortableText);
    if (!name.isEmpty())
        setText(name);
    event->accept();
}
