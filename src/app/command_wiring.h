#pragma once

namespace app {

// Points the commands' services at the units that provide them: the
// keyboard and receive loop for the waits, the emulator, the macros and keys
// files, the window, the clipboard and the dialogs. Slots of units not built
// yet keep their answer "not available".
void WireCommands();

}  // namespace app
