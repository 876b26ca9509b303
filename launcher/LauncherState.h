#pragma once

#include <QString>
#include <cstdint>

// The launcher's run-time flags, shared with the dispatcher, the script interpreter and
// the confirmation prompt. Flags use 0 for false and -1 for true; startHeard uses 1.
struct LauncherState
{
    std::int16_t confirmPending = 0; // a confirmation prompt waits for "Yes" or "No"
    std::int16_t startHeard = 0;     // the start phrase opened its time window
    std::int16_t speaking = 0;       // a script waits for its speech to end
    QString pendingTarget;           // the target waiting for confirmation
    std::int16_t pendingCheck = 0;   // its stop-listening flag
    std::int16_t cyclingWindows = 0; // "Next Window" holds the window switcher open
};
