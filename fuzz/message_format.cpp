// Message formats come from language modules, which are files like any other: the formatter must
// stay within its arguments and limits whatever a text holds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/command_line_args.h"
#include "console/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    std::vector<console::FormatArg> args{int64_t{-7}, std::u16string(u"text"), 2.5, int64_t{300}};
    std::u16string out;
    if (console::FormatMessageText(text, args, out)) {
        // Widths and precisions are bounded, so a result can only grow so far per directive.
        if (out.size() > text.size() * 4200 + 64) __builtin_trap();
    }
    std::u16string token;
    for (size_t pos = 0; pos < text.size();) {
        size_t next = console::NextCmdLineTokenW(text, pos, token);
        if (next <= pos) break;
        pos = next;
    }
    return 0;
}
