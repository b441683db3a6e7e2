// HEXPATCH's arguments: an offset and a byte string, both hexadecimal. A
// patch either writes exactly the bytes it names at its offset, or fails and
// leaves the settings record as it was. Then a few commands read fields the
// patch may have filled with anything.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "commands/interpreter.h"
#include "commands/settings_record.h"

using namespace commands;

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static bool started = false;
    if (!started) {
        ResetSettingsToDefaults();
        started = true;
    }
    const std::string arguments(reinterpret_cast<const char*>(data), size);
    SettingsRecord before;
    std::memcpy(&before, &Settings, sizeof before);

    ExecuteFunction("HEXPATCH " + arguments);
    const bool patched = Interpreter.FunctionSucceeded;

    const auto* was = reinterpret_cast<const uint8_t*>(&before);
    const auto* now = reinterpret_cast<const uint8_t*>(&Settings);
    if (!patched) {
        if (std::memcmp(was, now, sizeof before) != 0) __builtin_trap();
    } else {
        // Recompute what a good patch names: the first word, the offset,
        // the second, the bytes, every character a hexadecimal digit.
        std::string upper = "HEXPATCH " + arguments;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        FunctionCall call(upper);
        call.NextToken();
        const std::string offsetWord = call.NextToken();
        const std::string bytes = call.NextToken();
        uint32_t offset = 0;
        for (char c : offsetWord) {
            if (HexValue(c) < 0) __builtin_trap();
            offset = offset * 16 + static_cast<uint32_t>(HexValue(c));
        }
        offset &= 0xFFFF;
        if (bytes.empty() || bytes.size() % 2 != 0) __builtin_trap();
        const std::size_t count = bytes.size() / 2;
        if (offset + count > sizeof before) __builtin_trap();
        for (std::size_t i = 0; i < sizeof before; ++i) {
            const bool inside = i >= offset && i < offset + count;
            if (!inside) {
                if (was[i] != now[i]) __builtin_trap();
                continue;
            }
            const int hi = HexValue(bytes[2 * (i - offset)]);
            const int lo = HexValue(bytes[2 * (i - offset) + 1]);
            if (hi < 0 || lo < 0 || now[i] != hi * 16 + lo) __builtin_trap();
        }
        // Readers of patched text fields stay inside them.
        ExecuteFunction("SCREENMODE/S");
        ExecuteFunction("HOSTNAME/S");
        ExecuteFunction("USERNAME/S");
        if (Interpreter.FunctionReply.Length() > 255) __builtin_trap();
    }
    if (Interpreter.Depth != 0) __builtin_trap();
    return 0;
}
