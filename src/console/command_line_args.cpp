#include "console/command_line_args.h"

#include <vector>

#include "console/system_services.h"

namespace console {

size_t NextCmdLineTokenW(std::u16string_view text, size_t pos, std::u16string& token) {
    token.clear();
    auto at = [&](size_t i) -> char16_t { return i < text.size() ? text[i] : u'\0'; };
    for (;;) {
        while (at(pos) != 0 && at(pos) <= u' ') ++pos;
        if (at(pos) == u'"' && at(pos + 1) == u'"') {
            pos += 2;
        } else {
            break;
        }
    }
    while (at(pos) > u' ') {
        if (at(pos) == u'"') {
            ++pos;
            while (at(pos) != 0 && at(pos) != u'"') token += text[pos++];
            if (at(pos) != 0) ++pos;
        } else {
            token += text[pos++];
        }
    }
    return pos;
}

namespace {

// The tokens after the program path.
std::vector<std::u16string> Arguments() {
    std::u16string line = platform::CurrentSystem().CommandLineW();
    std::vector<std::u16string> args;
    std::u16string token;
    size_t pos = NextCmdLineTokenW(line, 0, token);
    for (;;) {
        pos = NextCmdLineTokenW(line, pos, token);
        if (token.empty()) break;  // the run-time library ends the list at the first empty token
        args.push_back(token);
    }
    return args;
}

}  // namespace

void ParamStrWInto(int index, std::u16string& argument) {
    argument.clear();
    if (index < 0) return;
    if (index == 0) {
        argument = platform::CurrentSystem().ModuleFileNameW();
        return;
    }
    std::vector<std::u16string> args = Arguments();
    if (static_cast<size_t>(index) <= args.size()) argument = args[index - 1];
}

std::u16string ParamStrW(int index) {
    std::u16string argument;
    ParamStrWInto(index, argument);
    return argument;
}

int ParamCount() {
    return static_cast<int>(Arguments().size());
}

std::string ParamStr(int index) {
    return AnsiFromWide(ParamStrW(index));
}

void JoinQuotedArgument(std::span<const std::string> arguments, int& index, std::string& argument) {
    argument.clear();
    if (index < 0 || static_cast<size_t>(index) >= arguments.size()) return;
    argument = arguments[index];
    if (argument.empty() || argument.front() != '"') return;
    argument.erase(0, 1);
    while (argument.empty() || argument.back() != '"') {
        if (static_cast<size_t>(index) + 1 >= arguments.size()) return;
        ++index;
        argument += ' ';
        argument += arguments[index];
    }
    argument.pop_back();
}

void ParamStrJoined(int& index, std::string& argument) {
    std::vector<std::string> arguments{ParamStr(0)};
    for (int i = 1, n = ParamCount(); i <= n; ++i) arguments.push_back(ParamStr(i));
    JoinQuotedArgument(arguments, index, argument);
}

}  // namespace console
