#pragma once

#include <QList>
#include <QString>
#include <utility>

namespace platform {

// What a program started for the user carries so that the desktop brings its first
// window to the front: a startup id (X11) or an activation token (Wayland), handed over
// in its environment.
struct LaunchTicket
{
    QString id; // empty when the desktop gave none
    QList<std::pair<QString, QString>> environment;
};

// The desktop's part in starting a program: it is told before and after the start, so
// that it can show that something is starting and give the new window the focus the
// user asked for by starting it.
class LaunchFeedback
{
public:
    virtual ~LaunchFeedback() = default;

    // A program called `name` (its file name, or the document or address opened) is
    // about to start.
    virtual LaunchTicket beginLaunch(const QString& name) = 0;
    // It started as process `pid`: the program's own, or the opener's for a document.
    virtual void launched(const LaunchTicket& ticket, qint64 pid) = 0;
    // It could not be started; the desktop stops waiting for it.
    virtual void launchFailed(const LaunchTicket& ticket) = 0;
};

} // namespace platform
