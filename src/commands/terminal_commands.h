#pragma once

// The commands that choose the terminal and host types and switch the
// terminal's behaviour: duplex, line feeds, bell, keyboard lock, tabs,
// scrolling, upper-case typing, output hold, monitor, answerback and the
// keyboard-lock time-out.

#include <array>
#include <cstdint>

#include "commands/command_handlers.h"

namespace commands {

void AddTerminalCommands(CommandHandlerTable& table);

// TAB RESET: stops at columns 1, 9, 17 ... as far as a stop fits in a byte,
// then no more stops.
void ResetTabStopsEvery8(std::array<uint8_t, 250>& stops);

}  // namespace commands
