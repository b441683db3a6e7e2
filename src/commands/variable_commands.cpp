#include "commands/variable_commands.h"

#include <string>

#include "commands/interpreter.h"
#include "commands/password_scramble.h"
#include "commands/settings_record.h"
#include "commands/variables.h"

namespace commands {

namespace {

// The stored password that stands for "none".
constexpr std::string_view kNoPassword = "|";

}  // namespace

void SetVariableCommand(FunctionCall& call) {
    // SetCommand reads the name from the fourth character on, so it gets the
    // line from the command word on in its plain form: leading blanks or a
    // quoted command word would otherwise shift the name.
    std::string rest = call.RestOfLine(call.Line.size());
    if (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
    SetCommand("SET " + rest);
}

void PasswordCommand(FunctionCall& call) {
    std::string clear = call.NextToken();
    AssignZeroFilled(Settings.Password, ScramblePassword(clear));
    WipeSecret(clear);
    // The call's copy of the line is the last clear copy this unit holds.
    WipeSecret(call.Line);
    call.Position = 0;
}

void PasswordReplyCommand(FunctionCall&) {
    std::string clear = UnscramblePassword(Settings.Password.View());
    if (clear == kNoPassword) clear.clear();
    clear += '\r';
    Interpreter.PendingInput = clear;
    WipeSecret(clear);
}

void UserNameReplyCommand(FunctionCall&) {
    Interpreter.PendingInput = ExpandVariables(Settings.UserName.View()) + '\r';
}

void EnvReplyCommand(FunctionCall& call) {
    call.SkipBlanks();
    std::string name = call.RestOfLine();
    while (!name.empty() && static_cast<uint8_t>(name.back()) <= ' ') name.pop_back();
    // A "}" would end the reference early and let the rest of the name pass
    // into the reply as text; no variable can be named so.
    const std::string value =
        name.find('}') == std::string::npos ? ExpandVariables("${" + name + "}") : std::string();
    call.SetReply(value);
    if (value.empty()) Interpreter.PendingInput = "\r";
}

}  // namespace commands
