#pragma once
// The program's command line split into arguments the way the system's run-time library does it.

#include <span>
#include <string>
#include <string_view>

namespace console {

// Reads the token that starts at or after pos: blanks (1 to 32) and pairs of adjacent double quotes
// are skipped; the token runs to a character below 33 or the end, and a double quote inside it
// opens a quoted part (blanks included) up to the next double quote. The quotes are not copied.
// Returns the position after the token.
size_t NextCmdLineTokenW(std::u16string_view text, size_t pos, std::u16string& token);

// Argument 0 is the program's module file name; n is the n-th token after the program path of the
// wide command line; empty past the last.
void ParamStrWInto(int index, std::u16string& argument);
std::u16string ParamStrW(int index);
// The number of arguments after the program path.
int ParamCount();
// The narrow (ANSI) argument.
std::string ParamStr(int index);

// The argument at index; one that starts with a double quote loses it and is joined by single
// blanks with the following ones until one ends with a double quote (which is removed) or none is
// left. index ends at the last argument used.
void ParamStrJoined(int& index, std::string& argument);
// The same over a given argument list (element 0 the program), for callers that hold their own.
void JoinQuotedArgument(std::span<const std::string> arguments, int& index, std::string& argument);

}  // namespace console
