#pragma once
// Starting other programs, waiting for them with the window kept alive, and asking after them.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace console {

struct ProgramLaunch {
    uint64_t LaunchedProcess = 0;    // the program being waited for; 0 when none
    uint64_t LastProcessHandle = 0;  // the last program started
    uint32_t LastProcessId = 0;
    // What the wait needs of the terminal window: the title (the window unit points these at its
    // own) and, when set, a pump in place of the window's PumpWindowMessages.
    std::function<void()> pumpWindowMessages;
    std::function<std::u16string()> windowTitle;
    std::function<void(std::u16string_view)> setWindowTitle;
};
extern ProgramLaunch programLaunch;
void ResetProgramLaunch();

// Starts program + " " + parameters (program + ".BAT" when the program itself is not found; a
// program path with blanks in quotes) with
// the show-window value. Sets DosError; when waiting, shows message 903 in the window title, keeps
// the window alive until the program ends and sets DosExitCode.
void ExecProgram(std::u16string_view program, std::u16string_view parameters, bool wait,
                 uint16_t show);

bool ProcessRunning(uint64_t process);
// "running", the last started program's exit code in decimal, or "error".
std::string ProcessStatusText();
// Asks the first top-level window of the process to close.
void CloseProcessWindow(uint32_t processId);

}  // namespace console
