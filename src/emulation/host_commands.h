#pragma once
// Host command strings: a line of the command language that the host sends
// between a start control (DC1 or FS, as the settings allow) and an end
// control (DC3, GS or US); the terminal runs it as if typed at the command
// prompt. A failing command may make the user suppress further ones, which
// then show as received text while the notice window stays open.

#include <cstdint>

namespace emulation {

struct HostCommandState {
    // The "Suppressing commands from host" notice; 0 when none is open.
    uintptr_t Notice = 0;
};
extern HostCommandState HostCommands;
void ResetHostCommands();

// Reads one command string from the connection (dropped when it is not
// complete within about three seconds or the user aborts) and runs it.
void ReceiveHostCommand();

}  // namespace emulation
