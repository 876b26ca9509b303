#pragma once

#include "tests/support/WaylandSession.h"

// A headless KWin (kwin_wayland --virtual) of the test's own, with a German keyboard
// layout and a Russian one; the test program may type and point through KWin's fake
// input.
class KwinSession : public WaylandSession
{
public:
    KwinSession();
    // Gives the user the keyboard layouts `list` ("de,ru") as the settings do: KWin's
    // configuration, then the signal to read it again.
    bool setLayouts(const QString& list);
};
