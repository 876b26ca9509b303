#pragma once

#include "tests/support/WaylandSession.h"

// A headless GNOME Shell (gnome-shell --headless) of the test's own, with the program's
// Shell extension installed for its user but not turned on.
class GnomeSession : public WaylandSession
{
public:
    GnomeSession();

    // Whether the Shell has the program's extension on.
    bool extensionOn() const;
    // Turns the program's extension on, as the Extensions app does for the user.
    void turnExtensionOn() const;
};
