#include "commands/startup_services.h"

namespace commands {

namespace {

// Named so that the null table is one constant, in place before any start-up
// code runs.
bool NoFile(std::string_view) {
    return false;
}
bool No() {
    return false;
}
void IgnoreFlag(bool) {}
void Nothing() {}
TermTypeKeys NoTermType(std::string_view) {
    return {};
}
void NoColorMap(uint16_t[16]) {}
void IgnoreColors(const uint16_t[16], const uint32_t[16]) {}
int Zero() {
    return 0;
}
void IgnoreRuntimeGlobals(bool, std::string_view) {}

constexpr StartupServiceTable kNullStartupServices{
    .LoadKeysFile = NoFile,
    .SaveKeysFile = NoFile,
    .KeysChanged = No,
    .SetKeysChanged = IgnoreFlag,
    .MacroPlaying = No,
    .RunErrorKeyMacro = No,
    .FindTermType = NoTermType,
    .IsUsableFile = NoFile,
    .UseMonochromeColorMap = Nothing,
    .ReadColorMap = NoColorMap,
    .ApplyLoadedColors = IgnoreColors,
    .CurrentScreenPage = Zero,
    .ConsoleColumns = Zero,
    .ConsoleRows = Zero,
    .ResetConsoleView = Nothing,
    .InitRuntimeGlobals = IgnoreRuntimeGlobals,
};

}  // namespace

StartupServiceTable NullStartupServices() {
    return kNullStartupServices;
}

// Constant-initialised, so the table holds before any start-up code runs.
StartupServiceTable StartupServices = kNullStartupServices;

void ResetStartupServices() {
    StartupServices = kNullStartupServices;
}

}  // namespace commands
