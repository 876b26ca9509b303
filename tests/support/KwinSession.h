#pragma once

#include "tests/support/WaylandSession.h"

// A headless KWin (kwin_wayland --virtual) of the test's own, with a German keyboard
// layout; the test program may type and point through KWin's fake input.
class KwinSession : public WaylandSession
{
public:
    KwinSession();
};
