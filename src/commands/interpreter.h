#pragma once

// The command interpreter: every text command ("function") of the system, from
// menus, keys, macros, the host, scripts and the command line, goes through
// ExecuteFunction, which looks the command word up in FunctionTable, upper-cases
// the line when the command asks for it and runs the command's handler
// (CommandHandlers, commands/command_handlers.h).
//
// Commands wait in loops that pump messages, so a command can run while
// another one waits (a host command string arriving during a prompt). Each
// call therefore keeps its line, scan position, status, outcome and reply in
// its own FunctionCall; the globals below receive a call's outcome when that
// call ends, so whoever called ExecuteFunction reads the outcome of its own
// command even when others ran inside it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "commands/function_table.h"
#include "commands/settings_fields.h"

namespace commands {

// The interpreter's result. The three non-zero codes carry bit 29, the mark
// of the system's own error codes; their texts are messages 1201 and 1203.
using FunctionStatus = uint32_t;
inline constexpr FunctionStatus FunctionOk = 0;
// The command word names no function.
inline constexpr FunctionStatus FunctionUnknown = 0x30000001;
// The command failed and started the error-key macro instead of a message.
inline constexpr FunctionStatus FunctionErrorKeyStarted = 0x30000002;
// The command failed because of a bad argument or a missing resource.
inline constexpr FunctionStatus FunctionBadArgument = 0x30000003;

// Hosts, scripts and the message table depend on these values: each carries
// the application bit (29), and its message is 1200 + (code AND 0xCFFFFFFF).
static_assert(FunctionUnknown == 0x30000001 && FunctionErrorKeyStarted == 0x30000002 &&
                  FunctionBadArgument == 0x30000003,
              "the status codes are part of the command interface");
static_assert((FunctionUnknown & FunctionErrorKeyStarted & FunctionBadArgument & (1u << 29)) != 0,
              "the status codes carry the application-error bit");
static_assert((FunctionUnknown & 0xCFFFFFFFu) + 1200 == 1201 &&
                  (FunctionBadArgument & 0xCFFFFFFFu) + 1200 == 1203,
              "unknown function and failed function map to messages 1201 and 1203");

// How deep commands may run inside each other (through SCRIPT, or a command
// run from a waiting command's message pump); deeper calls fail with
// FunctionBadArgument instead of exhausting the stack.
inline constexpr int MaxFunctionNesting = 32;

struct InterpreterState {
    // Outcome of the last call that ended: it found its word (or the line was
    // empty) and the command did not report failure.
    bool FunctionSucceeded = false;
    // The function code of the command being run, then of the last call
    // that ended; NoFunction after an empty line or an unknown word.
    int32_t CurrentFunction = NoFunction;
    // The reply of a reply-form command, sent to the host as a typed line by
    // the keyboard processor, which then clears it.
    PString<255> FunctionReply;
    // Text that commands queue to be sent to the host as typed input.
    PString<132> PendingInput;
    std::u16string PendingSendText;
    // The key whose macro runs instead of an error message; 0 = none.
    uint16_t ErrorKey = 0;
    // Learn mode: while it is on, the key reader and the main loop append
    // what the user does to LearnText; the recording command starts and ends it.
    bool LearnMode = false;
    std::string LearnText;
    // Calls of ExecuteFunction in progress.
    int Depth = 0;
};
extern InterpreterState Interpreter;
void ResetInterpreter();

// What the interpreter needs from other units.
struct InterpreterServices {
    // Starts the error key's macro after stopping the playing macros; false
    // when no error key with a macro is defined.
    bool (*RunErrorKeyMacro)();
    // The cursor's column and row, 1-based, for relative rectangles.
    int (*CursorColumn)();
    int (*CursorRow)();
};
extern InterpreterServices InterpreterHooks;
void ResetInterpreterHooks();

// A rectangle of screen cells as a command line gives it, 1-based and not
// yet checked against the screen.
struct CellRectangle {
    int32_t FirstColumn = 0;
    int32_t LastColumn = 0;
    int32_t FirstRow = 0;
    int32_t LastRow = 0;
};

// A word read as a number. When Ok is false, Value is what was read before
// the offending character, without its sign.
struct NumberWord {
    int32_t Value = 0;
    bool Ok = false;
};

// A whole word as a 32-bit signed number: leading blanks, then a sign and
// decimal digits, or (without a sign) hexadecimal digits after "$", "x",
// "X", "0x" or "0X"; eight hexadecimal digits are the 32 bits as they stand.
NumberWord ParseNumberWord(std::string_view word);
// The 64-bit form: a sign may precede "$", "0x" and "0X", a bare "x" is no
// prefix, and the value keeps its low 32 bits.
NumberWord ParseNumberWord64(std::string_view word);

// ASCII letters a-z to upper case; other bytes stay as they are.
void UpperCaseAscii(std::string& text);

// One run of a command: its line and the scanner's place in it, and the
// outcome that ExecuteFunction hands to the globals when the call ends.
struct FunctionCall {
    explicit FunctionCall(std::string_view line, uint16_t defineKey = 0);

    // The command line, upper-cased when the command asks for it. The call
    // owns this copy, so commands run in between cannot change it.
    std::string Line;
    // Index into Line of the next character to scan; when the command runs
    // it stands on the character after the command word (the blank that
    // ended it, or Line.size()).
    std::size_t Position = 0;
    // The key a DEFINE line names when the line editor holds it; 0 = none.
    uint16_t DefineKey = 0;
    int32_t Code = NoFunction;
    FunctionStatus Status = FunctionOk;
    bool Succeeded = false;
    // The reply this command gives; it replaces FunctionReply when the call
    // ends, and only when the command set it.
    PString<255> Reply;
    bool ReplySet = false;

    bool AtEnd() const { return Position >= Line.size(); }
    // Skips blanks (the space character only; tabs are not blanks).
    void SkipBlanks();
    // The next argument word: a double-quoted text without its quotes (to the
    // end of the line when the closing quote is missing) or the characters up
    // to the next blank; empty at the end of the line. Cut to MaxTokenLength.
    std::string NextToken();
    // The rest of the line from the scan position, at most maxLength bytes.
    std::string RestOfLine(std::size_t maxLength = MaxTokenLength) const;

    // Reads the next token as an on/off switch: "OFF" or "OF" clears the flag,
    // "ON" or no word sets it, a beginning of "TOGGLE" or of "SWITCH" inverts
    // it; any other word leaves it and makes the command fail.
    void ParseSwitch(uint8_t& flag);
    // Skips to the first decimal digit (a "-" on the way makes the number
    // negative) and reads the digits; 0 when no digit follows.
    int32_t ParseIntAt();
    // Four numbers: first column, last column, first row, last row. A number
    // written with a leading "." is relative to the cursor's column (first
    // two) or row (last two). False when the line ends before the fourth.
    bool ParseCoordinates(CellRectangle& rectangle);

    // Where a failing command would show a message: starts the error-key
    // macro instead when there is one, and then the status says so.
    bool DivertToErrorKey();

    void SetReply(std::string_view text);
    // The success-or-failure reply of the reply forms: "00" or "01".
    void SetReplyStatus(bool ok) { SetReply(ok ? "00" : "01"); }

    // Runs text as the command whose outcome becomes this command's outcome
    // (what a script returns): its code, success and reply replace this
    // call's; its status is returned but is not this call's status.
    FunctionStatus RunResultCommand(std::string_view text);
};

// Runs one command line. defineKey is the key that the line editor holds for
// a DEFINE line, else 0.
FunctionStatus ExecuteFunction(std::string_view line, uint16_t defineKey = 0);

}  // namespace commands
