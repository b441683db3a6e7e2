#pragma once
// The emulator's part of the program's wiring: what the terminal operations
// and a terminal-type change reach in the console, the receive loop and the
// executor.

namespace app {

// Fills the operation groups' hooks and the console side of terminal-type
// changes with the units that provide them.
void WireEmulator();

}  // namespace app
