#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace platform {

// The push-to-talk key on GNOME Shell, through the program's Shell extension (which the
// GNOME desktop has turned on, holding the program's bus name on the same connection).
// The Shell tells only that the key went down, so each press stands for one utterance.
class GnomeTalkKey : public QObject
{
    Q_OBJECT
public:
    explicit GnomeTalkKey(QDBusConnection connection = QDBusConnection::sessionBus());

    enum class Answer
    {
        Taken,
        Refused,     // the Shell will not give the key
        NoExtension, // the extension did not answer (not installed, or off)
    };
    // Takes the key with this X keysym name ("F9") in place of the one before; empty:
    // none. `error` says why when it is not taken.
    Answer watch(const QString& keysymName, QString* error);

signals:
    void pressed();

private:
    QDBusConnection connection_;
};

} // namespace platform
