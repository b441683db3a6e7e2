#include "app/composition.h"

#include "app/connection_extras_wiring.h"
#include "app/emulator_wiring.h"
#include "app/host_input_wiring.h"
#include "emulation/keyboard.h"
#include "emulation/macros.h"
#include "emulation/term_executor.h"

namespace app {

void ComposeProgram() {
    emulation::InstallMacroServices();
    emulation::InstallKeyboardServices();
    emulation::InstallTermOperations();
    emulation::UseHostRecogniserSource();
    WireEmulator();
    WireConnectionExtras();
    ConnectEmulatorToHost();
}

}  // namespace app
