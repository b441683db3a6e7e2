#include "app/composition.h"

#include "app/command_wiring.h"
#include "app/connection_extras_wiring.h"
#include "app/connection_wiring.h"
#include "app/console_wiring.h"
#include "app/emulator_wiring.h"
#include "app/host_input_wiring.h"
#include "app/menu_wiring.h"
#include "app/session_wiring.h"
#include "app/startup_wiring.h"
#include "app/transfer_wiring.h"
#include "connections/ssh/os_random.h"
#include "connections/ssh/random_pool.h"
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
    // Secrets come only from the system's generator.
#ifdef _WIN32
    connections::ssh::InstallOsRandom(connections::ssh::Win32OsRandom);
#else
    connections::ssh::InstallOsRandom(connections::ssh::PosixOsRandom);
#endif
    ComposeConsole();
    ComposeMenus();
    emulation::InstallMacroServices();
    emulation::InstallKeyboardServices();
    emulation::InstallTermOperations();
    emulation::UseHostRecogniserSource();
    WireEmulator();
    WireConnectionExtras();
    WireCommands();
    ConnectEmulatorToHost();
    ConnectTransfersToHost();
}

}  // namespace app
