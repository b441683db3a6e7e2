#include "commands/command_handlers.h"

#include "commands/interpreter.h"
#include "commands/transfer_commands.h"
#include "commands/variable_commands.h"

namespace commands {

void CommandNotBuiltYet(FunctionCall& call) {
    call.Succeeded = false;
}

namespace {

// The built-in handler of every code. Each group of commands puts its
// handlers in here as it is built.
CommandHandlerTable BuiltInCommandHandlers() {
    CommandHandlerTable table;
    table.ByCode.fill(CommandNotBuiltYet);
    table.ByCode[EnvReplyCode] = EnvReplyCommand;
    table.ByCode[PasswordCode] = PasswordCommand;
    table.ByCode[PasswordReplyCode] = PasswordReplyCommand;
    table.ByCode[UserNameReplyCode] = UserNameReplyCommand;
    table.ByCode[SetCode] = SetVariableCommand;
    AddTransferCommands(table);
    return table;
}

}  // namespace

CommandHandlerTable CommandHandlers = BuiltInCommandHandlers();
void ResetCommandHandlers() {
    CommandHandlers = BuiltInCommandHandlers();
}

}  // namespace commands
