// ${NAME} expansion and SET on arbitrary text: commands from the host reach
// both. The first byte picks the operation.
#include "commands/variables.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
        case 0: {
            const std::string out = commands::ExpandVariables(text);
            // No value is longer than 255 and every reference is at least 3 bytes.
            if (out.size() > text.size() * 86 + 1) __builtin_trap();
            break;
        }
        case 1: {
            std::u16string wide;
            for (size_t i = 0; i + 1 < text.size(); i += 2) {
                wide.push_back(static_cast<char16_t>(static_cast<uint8_t>(text[i]) |
                                                     (static_cast<uint8_t>(text[i + 1]) << 8)));
            }
            commands::ExpandVariablesWide(wide);
            break;
        }
        default:
            // Several SET lines in one input, separated by newlines.
            for (size_t start = 0; start <= text.size();) {
                size_t end = text.find('\n', start);
                if (end == std::string::npos) end = text.size();
                commands::SetCommand("SET " + text.substr(start, end - start));
                start = end + 1;
            }
            if (commands::SetVariableStore.Names.size() > commands::MaxSetVariables)
                __builtin_trap();
            break;
    }
    return 0;
}
