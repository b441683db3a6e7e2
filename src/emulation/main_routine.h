#pragma once
// The program's spine: the main routine that takes the program from the
// command line through the settings and the connection into the main loop
// and out again, the main-loop pass, and the exit code that ends the run.
#include <cstdint>
#include <string>

#include "console/exit_chain.h"

namespace emulation {

// Values of ExitCode.
enum ExitCodeValue : uint8_t {
    ExitRun = 0,
    ExitEnd = 1,            // END, E, CPM, STOP; the single-instance rule
    ExitDropOut = 2,        // DROPOUT
    ExitStay = 3,           // STAY, STAY/G: end without the normal close-down
    ExitAfterQuestion = 4,  // run-time limit or lost connection: ask, then end
};

// Start-up choices from the command line, applied once the settings are loaded.
struct StartupLocals {
    std::string StartupKeyArg;  // one character: the key whose macro runs at start
    uint16_t RingSizeArg = 0;   // /M:n, 0 = not given
    uint8_t MethodArg = 0;      // a CommMethod code, 0 = not given
    bool HostGiven = false;
    bool SettingsNamed = false;
    std::string UserArg;  // user, or user:password
    std::string TermArg;
    std::string CharsetArg;
    bool ChooseSettings = false;  // the /C switch
};

struct MainRoutineState {
    uint8_t ExitCode = ExitRun;  // the main loop runs while it is 0
    bool MainLoopIdle = false;   // true only while the main loop pumps messages
    bool RunDeadlineSet = false;
    uint32_t RunDeadline = 0;  // tick at which InactivityTimeout ends the run
    bool PrinterDeviceOpen = false;
    console::ExitProcedure SavedExitProc = nullptr;
};
extern MainRoutineState MainRoutine;
void ResetMainRoutine();

// The whole run: returns when the main loop has ended and the close-down is
// done (or at once when start-up ends the program).
void RunSession();
// One pass of the main loop.
void MainLoopPass();
// Links SessionExitProc into the exit chain, then loads the settings. False
// when the start-up set-up was cancelled and the program is to end.
bool InstallExitHandler(bool settingsNamed, bool hostGiven);
// Runs at process end: blanks the screen when the process fails.
void SessionExitProc();
// The close-down for ExitCode 3.
void PrepareStayExit();

}  // namespace emulation
