#pragma once

#include "platform/desktop/LaunchFeedback.h"

#include <QStringList>

// Hands out the startup ids "id-1", "id-2", ... as DESKTOP_STARTUP_ID and notes what it
// is told: "begin NAME", "launched ID" (with a process id), "failed ID".
class FakeLaunchFeedback : public platform::LaunchFeedback
{
public:
    platform::LaunchTicket beginLaunch(const QString& name) override
    {
        heard << QStringLiteral("begin ") + name;
        const QString id = QStringLiteral("id-%1").arg(++count_);
        return {id, {{QStringLiteral("DESKTOP_STARTUP_ID"), id}}};
    }
    void launched(const platform::LaunchTicket& ticket, qint64 pid) override
    {
        heard << (pid > 0 ? QStringLiteral("launched ") : QStringLiteral("no pid ")) + ticket.id;
    }
    void launchFailed(const platform::LaunchTicket& ticket) override
    {
        heard << QStringLiteral("failed ") + ticket.id;
    }

    QStringList heard;

private:
    int count_ = 0;
};
