#include "app/composition.h"

#include "app/connection_extras_wiring.h"
#include "app/connection_wiring.h"
#include "app/console_wiring.h"
#include "app/emulator_wiring.h"
#include "app/host_input_wiring.h"
#include "app/session_wiring.h"
#include "app/startup_wiring.h"
#include "app/transfer_wiring.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/macros.h"
#include "emulation/operations/term_executor.h"

namespace app {

void ComposeProgram() {
    // The tables first: the units' own installs below point some of their
    // entries further.
    ComposeSessionServices();
    ComposeStartupServices();
    ComposeConnection();
    ComposeConsole();
    emulation::InstallMacroServices();
    emulation::InstallKeyboardServices();
    emulation::InstallTermOperations();
    emulation::UseHostRecogniserSource();
    WireEmulator();
    WireConnectionExtras();
    ConnectEmulatorToHost();
    ConnectTransfersToHost();
}

}  // namespace app
