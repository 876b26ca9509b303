#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QStringList>

namespace platform {

// The push-to-talk key on KDE Plasma, as one of KWin's global shortcuts (its shortcut
// service, org.kde.kglobalaccel): the program's action "talk" gets the key, which then
// reaches no other program; pressed() and released() say when it goes down and up. The
// user sees the shortcut, under "Ombrel Sarquen", in the desktop's shortcut settings.
class KwinTalkKey : public QObject
{
    Q_OBJECT
public:
    // `component` names the program to the shortcut service.
    explicit KwinTalkKey(QDBusConnection connection = QDBusConnection::sessionBus(),
                         const QString& component = QStringLiteral("ombrel-sarquen"));
    ~KwinTalkKey() override;

    // Empty when the shortcut service answers; else why not, in words.
    QString problem() const { return problem_; }
    // Gives the action the key with this X keysym name ("F9") in place of the one before;
    // empty: none. False, with the reason, when the name is a key the service cannot
    // take or another program's shortcut has it; nothing is taken then.
    bool watch(const QString& keysymName, QString* error);

signals:
    void pressed();
    void released();

private slots:
    void onPressed(const QString& component, const QString& action, qlonglong timestamp);
    void onReleased(const QString& component, const QString& action, qlonglong timestamp);

private:
    // Calls `method` of the shortcut service; its reply, or an error reply.
    QDBusMessage call(const QString& method, const QVariantList& arguments) const;
    void letGo();

    QDBusConnection connection_;
    QStringList action_; // component, action and their names for people
    QString problem_;
    bool taken_ = false;
    bool down_ = false;
};

} // namespace platform
