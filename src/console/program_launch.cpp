#include "console/program_launch.h"

#include "console/messages.h"
#include "console/system_services.h"
#include "console/terminal_window.h"

namespace console {

ProgramLaunch programLaunch;

void ResetProgramLaunch() {
    programLaunch = ProgramLaunch{};
}

namespace {

constexpr int32_t kFileNotFound = 2;
constexpr size_t kMaxTitle = 256;

// The program path is quoted when it holds a blank, so that the system does
// not take a shorter path before the blank for the program. A path the
// caller quoted already stays as it is.
std::u16string CommandLine(std::u16string_view program, std::u16string_view suffix,
                           std::u16string_view parameters) {
    std::u16string line;
    const bool quoted = program.starts_with(u'"');
    if (!quoted && program.find_first_of(u" \t") != std::u16string_view::npos) {
        line = u'"';
        line += program;
        line += suffix;
        line += u'"';
    } else if (quoted && !suffix.empty() && program.size() > 1 && program.ends_with(u'"')) {
        line = program.substr(0, program.size() - 1);
        line += suffix;
        line += u'"';
    } else {
        line = program;
        line += suffix;
    }
    line += u' ';
    line += parameters;
    return line;
}

}  // namespace

void ExecProgram(std::u16string_view program, std::u16string_view parameters, bool wait,
                 uint16_t show) {
    auto& system = platform::CurrentSystem();
    // The previous program's handle is given back unless a wait still holds it.
    if (programLaunch.LastProcessHandle != 0 &&
        programLaunch.LastProcessHandle != programLaunch.LaunchedProcess)
        system.CloseProcessHandle(programLaunch.LastProcessHandle);
    programLaunch.LastProcessHandle = 0;
    programLaunch.LastProcessId = 0;

    platform::StartedProcess started =
        system.StartProcess(CommandLine(program, u"", parameters), show);
    if (!started.ok && started.error == kFileNotFound)
        started = system.StartProcess(CommandLine(program, u".BAT", parameters), show);
    if (!started.ok) {
        dosState.DosError = started.error != 0 ? started.error : -1;
        return;
    }
    dosState.DosError = 0;
    programLaunch.LastProcessHandle = started.handle;
    programLaunch.LastProcessId = started.processId;
    programLaunch.LaunchedProcess = 0;
    if (!wait) return;

    programLaunch.LaunchedProcess = started.handle;
    std::u16string oldTitle = programLaunch.windowTitle ? programLaunch.windowTitle() : u"";
    std::u16string title = oldTitle + GetMessageW(903, false);
    if (title.size() > kMaxTitle) title.resize(kMaxTitle);
    if (programLaunch.setWindowTitle) programLaunch.setWindowTitle(title);

    while (ProcessRunning(programLaunch.LaunchedProcess)) {
        system.WaitForMessageOrProcess(programLaunch.LaunchedProcess);
        if (programLaunch.pumpWindowMessages) {
            programLaunch.pumpWindowMessages();
        } else {
            PumpWindowMessages();
        }
    }
    dosState.DosExitCode = static_cast<int32_t>(system.ProcessExitCode(started.handle).value_or(0));
    // The key input may have given up waiting meanwhile; only a wait still in place is ended here.
    if (programLaunch.LaunchedProcess == started.handle) programLaunch.LaunchedProcess = 0;
    if (programLaunch.setWindowTitle) programLaunch.setWindowTitle(oldTitle);
}

bool ProcessRunning(uint64_t process) {
    return process != 0 && platform::CurrentSystem().ProcessRunning(process);
}

std::string ProcessStatusText() {
    uint64_t handle = programLaunch.LastProcessHandle;
    if (handle == 0) return "error";
    if (ProcessRunning(handle)) return "running";
    auto code = platform::CurrentSystem().ProcessExitCode(handle);
    return code ? std::to_string(*code) : "error";
}

void CloseProcessWindow(uint32_t processId) {
    if (processId != 0) platform::CurrentSystem().CloseProcessWindow(processId);
}

}  // namespace console
