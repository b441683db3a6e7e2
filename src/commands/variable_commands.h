#pragma once

// The commands whose work is the ${NAME} variables and the stored password:
// SET, PASSWORD, PASSWORD/S, USERNAME/S and ENV/S.

#include <cstdint>

namespace commands {

struct FunctionCall;

inline constexpr int32_t EnvReplyCode = 150;       // ENV/S
inline constexpr int32_t PasswordCode = 183;       // PASSWORD
inline constexpr int32_t PasswordReplyCode = 184;  // PASSWORD/S
inline constexpr int32_t UserNameReplyCode = 186;  // USERNAME/S
inline constexpr int32_t SetCode = 278;            // SET

// SET NAME=VALUE, SET NAME= and SET SHOW (SetCommand).
void SetVariableCommand(FunctionCall& call);
// PASSWORD word: the word, scrambled, becomes the stored password.
void PasswordCommand(FunctionCall& call);
// PASSWORD/S: the clear password and a carriage return queued as typed input.
void PasswordReplyCommand(FunctionCall& call);
// USERNAME/S: the user name, variables expanded, and a carriage return
// queued as typed input.
void UserNameReplyCommand(FunctionCall& call);
// ENV/S name: the value of a built-in or environment variable as the reply.
void EnvReplyCommand(FunctionCall& call);

}  // namespace commands
