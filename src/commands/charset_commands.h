#pragma once

// The commands that choose the screen's and passthrough printing's character
// sets and put single characters together for the host: CHARSET,
// PASSTHRU-CP and their reply forms, COMPOSE/S, UNICODE/S and _UTFDEC.

#include <cstdint>
#include <string_view>

#include "commands/command_handlers.h"

namespace commands {

void AddCharsetCommands(CommandHandlerTable& table);

// The character the compose table gives a pair of characters (exact match,
// case counts), as Unicode; 0 when the pair is not in it.
char16_t ComposeTableLookup(char16_t first, char16_t second);

}  // namespace commands
