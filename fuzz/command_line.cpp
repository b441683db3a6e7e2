// The whole command line path on an arbitrary command line: the file-name
// options, both passes over the arguments and the key-name replacement.
#include "emulation/command_line.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "../tests/console/fake_system.h"
#include "commands/settings_record.h"

namespace {

// Files never exist, so no argument reaches the disk.
class NoFiles : public testing_support::FakeSystem {
  public:
    uint64_t FindFirstEntry(std::string_view, platform::DirEntry&) override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NoFiles system;
    system.commandLine.clear();
    for (size_t i = 0; i + 1 < size; i += 2) {
        system.commandLine.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    commands::ResetSettingsToDefaults();
    emulation::StartupLocals locals;
    emulation::CommandLineGlobals globals;
    emulation::ReadCommandLine(locals, globals);
    emulation::DefineKeysFromArguments();
    emulation::ApplyUserArgument(locals.UserArg);
    std::array<int32_t, 4> coords{};
    size_t pos = 0;
    const std::string narrow(system.commandLine.begin(), system.commandLine.end());
    emulation::ParseCoordinates(narrow, pos, 1, 1, coords);
    return 0;
}
