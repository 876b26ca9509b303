#pragma once

#include <QString>

namespace platform {
class Clock;
}

// Replaces the time and date tokens in a text that a script speaks. A token is "#"
// followed by a two-letter code, in any case:
//   #sh hour on a 12-hour clock (13 to 23 count from 1, 0 to 12 stay)   #mh hour 0-23
//   #mm minute   #ss second   #dy day with suffix (1st 2nd 3rd, else th)   #wd weekday
//   #yr year   #wm month name   #nm month number   #ap "PM" after 12 o'clock, else "AM"
// Numbers have no leading zeros. Every "#" starts a token: an unknown code vanishes with
// its "#", and a "#" near the end takes whatever characters are left. The clock is read
// anew for each token.
QString expandMacros(const QString& text, const platform::Clock& clock);
