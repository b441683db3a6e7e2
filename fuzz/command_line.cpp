// The whole command line path on an arbitrary command line: the file-name
// options, both passes over the arguments and the key-name replacement.
#include "emulation/command_line.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "commands/settings_record.h"

namespace {

std::u16string Line;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Line.clear();
    for (size_t i = 0; i + 1 < size; i += 2) {
        Line.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    // Files never exist, so no argument reaches the disk.
    platform::InstallCommandLineSource({
        [] { return Line; },
        [] { return std::u16string(u"C:\\VOVUZIVA.EXE"); },
        platform::CommandLineSource().WideToAnsi,
        [](std::string_view) -> int64_t { return -1; },
    });
    commands::ResetSettingsToDefaults();
    emulation::StartupArguments args;
    emulation::ReadCommandLine(args);
    emulation::DefineKeysFromArguments();
    emulation::ApplyUserArgument(args.UserArg);
    std::array<int32_t, 4> coords{};
    size_t pos = 0;
    emulation::ParseCoordinates(std::string(Line.begin(), Line.end()), pos, coords);
    return 0;
}
