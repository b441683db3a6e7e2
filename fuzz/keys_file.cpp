// Loads any bytes as a keys file, saves what was defined and loads that
// again: the second load must succeed and give back the same file.

#include "emulation/input/keys_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "emulation/input/macros.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    emulation::ResetMacros();
    // A temporary definition must never reach the file.
    emulation::DefineMacro(315, "temporary", 0, emulation::ScopeTemporary);
    emulation::ReadKeysDefinitions({data, size});
    const std::vector<uint8_t> saved = emulation::KeysFileBytes();

    emulation::ResetMacros();
    if (!emulation::ReadKeysDefinitions(saved)) std::abort();
    if (emulation::KeysFileBytes() != saved) std::abort();
    if (emulation::Macros.TextBytes > emulation::MacroTextBudget) std::abort();
    return 0;
}
