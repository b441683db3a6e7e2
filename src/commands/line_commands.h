#pragma once

// The commands that change the connection: the serial line's parameters,
// the method and target, dialling and hanging up, reconnection, and the user
// name and password that auto-login and the reply commands use.

#include <cstdint>
#include <string_view>

#include "commands/command_handlers.h"
#include "commands/settings_record.h"

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

// RAW-SETUP's and AUX-SETUP's text: the port name goes to name; then an
// empty text changes nothing more, a bare decimal number is the baud rate,
// and anything else is read as a serial mode text (the older "9600,N,8,1"
// form with an optional X or P, or the newer "BAUD=9600 PARITY=N DATA=8
// STOP=1 ..." form), any letter case. False for a text that is neither,
// with the parameters unchanged.
bool ParsePortSettings(std::string_view portName, std::string_view text, PortParams& params,
                       PString<255>& name);

}  // namespace commands
