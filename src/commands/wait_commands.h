#pragma once

// The commands that talk to the user on the status row, wait, write text
// to the output file or the printer, and answer or type to the host: SEND,
// the waits (WAITFOR, WAITQUIET, WAIT, SLEEP), the replies (VERSION/S,
// TIME), PROMPT/S, MESSAGE, CALC, WRITE and its line forms, PRINTER-SETUP,
// and the prompts other commands share.

#include <cstdint>
#include <string_view>

#include "commands/command_handlers.h"

namespace commands {

void AddWaitCommands(CommandHandlerTable& table);

// The status-row prompts.
// "FUNC:": one character key; with add128 the result is (key + 128) mod 256,
// else carriage return gives 128 and any other key goes to the host after
// STX, giving 13.
uint8_t PromptFuncKey(bool add128);
// Shows text (its last character highlighted) and reads one key or
// composed character, echoed unless it is Esc or carriage return.
uint16_t ComposePrompt(std::u16string_view text);
// Shows the prompt and reads one key; false when it is Esc.
bool PromptForKey(std::string_view prompt, uint16_t& key);
// Text to the output file or the printer, a DLE and two hexadecimal digits
// standing for the byte they denote. False when the text did not go.
bool WriteEscapedText(FunctionCall& call, std::string_view text, bool toPrinter, uint8_t mode);

}  // namespace commands
