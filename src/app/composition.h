#pragma once
// The composition root: the one place that knows which unit provides each
// port. The Windows program calls ComposeProgram() after it has installed the
// Win32 services; headless runs (tests, tools) call it on their own and get
// the same wiring with the platform's null services.

namespace app {

// Fills every portable port of the program with the unit that provides it.
void ComposeProgram();

}  // namespace app
