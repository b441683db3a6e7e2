// The built-in handler of every function code. It lives apart from the
// interpreter so that the command groups, which use the interpreter, are
// not themselves reached from it.
#include "commands/charset_commands.h"
#include "commands/command_handlers.h"
#include "commands/exit_commands.h"
#include "commands/key_commands.h"
#include "commands/line_commands.h"
#include "commands/screen_commands.h"
#include "commands/terminal_commands.h"
#include "commands/transfer_commands.h"
#include "commands/variable_commands.h"
#include "commands/wait_commands.h"

namespace commands {

namespace {

CommandHandlerTable BuiltInCommandHandlers() {
    CommandHandlerTable table;
    table.ByCode.fill(CommandNotBuiltYet);
    table.ByCode[EnvReplyCode] = EnvReplyCommand;
    table.ByCode[FontCode] = FontCommand;
    table.ByCode[PasswordCode] = PasswordCommand;
    table.ByCode[PasswordReplyCode] = PasswordReplyCommand;
    table.ByCode[UserNameReplyCode] = UserNameReplyCommand;
    table.ByCode[SetCode] = SetVariableCommand;
    AddTransferCommands(table);
    AddWaitCommands(table);
    AddLineCommands(table);
    AddTerminalCommands(table);
    AddExitCommands(table);
    AddScreenCommands(table);
    AddCharsetCommands(table);
    AddKeyCommands(table);
    return table;
}

}  // namespace

CommandHandlerTable CommandHandlers = BuiltInCommandHandlers();
void ResetCommandHandlers() {
    CommandHandlers = BuiltInCommandHandlers();
}

}  // namespace commands
