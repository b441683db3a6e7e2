#include "emulation/types/emulator_state.h"

namespace emulation {

constinit EmulatorStateData EmulatorState{};

void ResetEmulatorState() {
    EmulatorState = EmulatorStateData{};
}

}  // namespace emulation
