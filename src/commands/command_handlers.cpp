#include "commands/command_handlers.h"

#include "commands/interpreter.h"

namespace commands {

void CommandNotBuiltYet(FunctionCall& call) {
    call.Succeeded = false;
}

}  // namespace commands
