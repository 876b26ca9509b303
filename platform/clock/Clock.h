#pragma once

#include <QDateTime>

namespace platform {

// Every read of the current time goes through here, so answers that depend on the
// time can be checked at fixed instants.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace platform
