#pragma once

#include "platform/clock/Clock.h"

// A clock that stands still at the instant the test sets.
class FixedClock : public platform::Clock
{
public:
    QDateTime now() const override { return instant; }
    QDateTime instant = QDateTime(QDate(2004, 1, 21), QTime(13, 7));
};
