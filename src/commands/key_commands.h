#pragma once

// The commands that define, load, save and start key macros, record a macro
// from what the user types (learn mode), and name the keys whose macros run
// on errors, at start-up and for printing.

#include "commands/command_handlers.h"

namespace commands {

void AddKeyCommands(CommandHandlerTable& table);

}  // namespace commands
