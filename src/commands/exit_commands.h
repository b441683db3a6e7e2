#pragma once

// The commands that end the program, save or patch the settings, switch the
// menu language and the quit permission, and the words that are accepted
// but only report failure.

#include "commands/command_handlers.h"

namespace commands {

void AddExitCommands(CommandHandlerTable& table);

}  // namespace commands
