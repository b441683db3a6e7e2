#pragma once

// The commands behind the function codes: one handler per code, which the
// interpreter runs with the call's line and scan position. The commands are
// filled in here, group by group, as they are built; the interpreter itself
// does not change when one is added.

#include <array>
#include <cstddef>
#include <cstdint>

#include "commands/function_table.h"

namespace commands {

struct FunctionCall;

// Runs one command. It reads its arguments through the call's scanner,
// clears call.Succeeded when it cannot do its work, sets call.Status for a
// bad argument or a failed resource (after trying call.DivertToErrorKey()),
// and gives a reply-form answer with call.SetReply.
using CommandHandler = void (*)(FunctionCall& call);

struct CommandHandlerTable {
    // Indexed by function code; code 0 belongs to no command.
    std::array<CommandHandler, LastFunctionCode + 1> ByCode{};
};
extern CommandHandlerTable CommandHandlers;
// Back to the built-in handlers.
void ResetCommandHandlers();

// FONT face size option (font_command.cpp): the words go to the window's font;
// on success the cell size and the bold option go to the settings' slot of the
// current width class.
inline constexpr int32_t FontCode = 121;
void FontCommand(FunctionCall& call);

// The handler of a command that is not built yet: it fails the way a command
// that cannot do its work fails, clearing success with the status left at 0.
void CommandNotBuiltYet(FunctionCall& call);

}  // namespace commands
