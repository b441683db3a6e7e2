#include "commands/startup_services.h"

#include <algorithm>
#include <string>

#include "console/console_primitives.h"
#include "console/screen_buffer.h"
#include "emulation/command_line.h"
#include "emulation/term_types.h"

namespace commands {

namespace {

bool NoKeysFile(std::string_view) {
    return false;
}
bool NoKeysChanged() {
    return false;
}
void IgnoreKeysChanged(bool) {}
bool NoMacroPlaying() {
    return false;
}
bool NoErrorKey() {
    return false;
}

TermTypeKeys TermTypeKeysOf(std::string_view name) {
    const emulation::TermTypeEntry* entry = emulation::FindTermType(name);
    if (entry == nullptr) return {};
    return {true, entry->DefaultKeysFile != nullptr,
            entry->DefaultKeysFile ? entry->DefaultKeysFile : ""};
}

// No monochrome table exists yet: the live map stays as it is.
void KeepColorMap() {}

void ReadLiveColorMap(uint16_t map[16]) {
    std::copy_n(console::ConsoleLayer.AttrColorMap.begin(), 16, map);
}

void ApplyColorsToConsole(const uint16_t map[16], const uint32_t palette[16]) {
    std::copy_n(map, 16, console::ConsoleLayer.AttrColorMap.begin());
    console::ConsoleLayer.StatusAttr = static_cast<uint8_t>(map[4]);
    for (size_t i = 0; i < 16; ++i) {
        // A Windows colour value: red + 256 x green + 65536 x blue.
        console::ConsoleScreen.ScreenPalette[i] = {static_cast<uint8_t>(palette[i]),
                                                   static_cast<uint8_t>(palette[i] >> 8),
                                                   static_cast<uint8_t>(palette[i] >> 16)};
    }
}

int PageZero() {
    return 0;
}
int ConsoleColumns() {
    return console::ConsoleScreen.Cols;
}
int ConsoleRows() {
    return console::ConsoleScreen.Rows;
}
void ResetConsoleView() {
    console::ConsoleLayer.CaretHold = 0;
    console::TermScreenRing.ViewLeftColumn = 0;
}
void NoRuntimeGlobals(bool, std::string_view) {}

constexpr StartupServiceTable kDefaultStartupServices{
    .LoadKeysFile = NoKeysFile,
    .SaveKeysFile = NoKeysFile,
    .KeysChanged = NoKeysChanged,
    .SetKeysChanged = IgnoreKeysChanged,
    .MacroPlaying = NoMacroPlaying,
    .RunErrorKeyMacro = NoErrorKey,
    .FindTermType = TermTypeKeysOf,
    .IsUsableFile = emulation::IsUsableFile,
    .UseMonochromeColorMap = KeepColorMap,
    .ReadColorMap = ReadLiveColorMap,
    .ApplyLoadedColors = ApplyColorsToConsole,
    .CurrentScreenPage = PageZero,
    .ConsoleColumns = ConsoleColumns,
    .ConsoleRows = ConsoleRows,
    .ResetConsoleView = ResetConsoleView,
    .InitRuntimeGlobals = NoRuntimeGlobals,
};

}  // namespace

// Constant-initialised, so the defaults hold before any start-up code runs.
StartupServiceTable StartupServices = kDefaultStartupServices;

void ResetStartupServices() {
    StartupServices = kDefaultStartupServices;
}

}  // namespace commands
