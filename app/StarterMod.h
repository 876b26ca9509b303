#pragma once

// The program's entry point: sets up the outside services, shows the splash window
// (which loads the main window) and runs the event loop until the program ends.
namespace StarterMod {

int Main(int argc, char** argv);

// Keeps Qt's own diagnostics off standard error, which carries only the program's
// messages, unless SARQUEN_DEBUG is set.
void quietQtMessages();

} // namespace StarterMod
