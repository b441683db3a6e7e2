// Plays any bytes as a key macro. The first byte chooses the UTF-8 flag; the
// rest is the text of key M. Bytes performed locally from braced groups act
// on the macros the way commands run from there could: "C" calls macro N
// nested, "R" and "E" redefine or remove M while it plays, "S" stops all.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "emulation/input/macros.h"

namespace {

void ActOnMacros(uint8_t byte) {
    switch (byte) {
        case 'C':
            emulation::StartMacro('N', true);
            break;
        case 'R':
            emulation::DefineMacro('M', "r|", 0, 0);
            break;
        case 'E':
            emulation::DefineMacro('M', "", 0, 0);
            break;
        case 'S':
            emulation::StopMacros();
            break;
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    emulation::ResetMacros();
    emulation::ResetMacroHooks();
    emulation::MacroServices.PerformLocally = ActOnMacros;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    emulation::DefineMacro('M', text, data[0] & 1, 0);
    emulation::DefineMacro('N', std::string("n{C}#~\0", 7), 1, 0);
    emulation::StartMacro('M', (data[0] & 2) != 0);

    // Every step takes at least one byte or ends a frame, and nested calls
    // are bounded, so the macros end within this many steps.
    const size_t limit = 64 * (size + 16);
    size_t steps = 0;
    while (emulation::MacroIsPlaying()) {
        if (++steps > limit) std::abort();
        if (emulation::Macros.Frames.size() > emulation::MaxMacroNesting) std::abort();
        uint16_t peeked = 0;
        emulation::PeekMacroKey(peeked);
        if (emulation::TopMacroFrame().Mode == emulation::MacroPaused) {
            emulation::SetTopMacroMode(emulation::MacroPlaying);  // Enter
            continue;
        }
        switch (steps % 3) {
            case 0: {
                emulation::MacroKey key;
                emulation::NextMacroKey(false, key);
                emulation::NextMacroKey(true, key);
                break;
            }
            case 1:
                emulation::GetKey(true, false);
                break;
            default:
                emulation::GetKeyChar(true, false);
                break;
        }
    }
    emulation::ResetMacroHooks();
    return 0;
}
