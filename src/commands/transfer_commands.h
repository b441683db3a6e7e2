#pragma once
// The file-transfer and FTP commands: the line prepared and handed to the
// transfer operations, their reply turned into the command's outcome.

namespace commands {

struct FunctionCall;
struct CommandHandlerTable;

// Puts the handlers of the transfer and FTP codes into the table.
void AddTransferCommands(CommandHandlerTable& table);

}  // namespace commands
