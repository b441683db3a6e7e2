#pragma once

// The commands that change the connection: the serial line's parameters,
// the method and target, dialling and hanging up, reconnection, and the user
// name and password that auto-login and the reply commands use.

#include <cstdint>

#include "commands/command_handlers.h"

namespace commands {

struct LineCommandState {
    // The byte the serial line's receive routine is given (POLL).
    uint8_t ReceiveWaitMode = 0;
};
extern LineCommandState LineCommands;

void AddLineCommands(CommandHandlerTable& table);

// Reopens the connection after a change of its parameters; an error code is
// shown in a message box (the command still succeeds).
void ReopenConnection(bool newConnection);

}  // namespace commands
