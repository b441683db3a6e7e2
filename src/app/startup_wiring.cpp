// What loading and saving the settings call of the other units, as the
// program fills it: the units that exist answer, those still to come do the
// least.
#include "app/startup_wiring.h"

#include <algorithm>
#include <string>

#include "commands/startup_services.h"
#include "console/console_primitives.h"
#include "console/screen_buffer.h"
#include "console/status_line.h"
#include "emulation/command_line.h"
#include "emulation/operations/screen_pages.h"
#include "emulation/types/term_types.h"

namespace app {
using commands::StartupServiceTable;
using commands::TermTypeKeys;

namespace {

TermTypeKeys TermTypeKeysOf(std::string_view name) {
    const emulation::TermTypeEntry* entry = emulation::FindTermType(name);
    if (entry == nullptr) return {};
    return {true, entry->DefaultKeysFile != nullptr,
            entry->DefaultKeysFile ? entry->DefaultKeysFile : ""};
}

void ReadLiveColorMap(uint16_t map[16]) {
    std::copy_n(console::ConsoleLayer.AttrColorMap.begin(), 16, map);
}

void ApplyColorsToConsole(const uint16_t map[16], const uint32_t palette[16]) {
    std::copy_n(map, 16, console::ConsoleLayer.AttrColorMap.begin());
    console::RefreshStatusAttrs();
    for (size_t i = 0; i < 16; ++i) {
        // A Windows colour value: red + 256 x green + 65536 x blue.
        console::ConsoleScreen.ScreenPalette[i] = {static_cast<uint8_t>(palette[i]),
                                                   static_cast<uint8_t>(palette[i] >> 8),
                                                   static_cast<uint8_t>(palette[i] >> 16)};
    }
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

}  // namespace

StartupServiceTable ProgramStartupServices() {
    // The keys file, macros and error key are the macro unit's to install;
    // the monochrome table, screen pages and run-time globals keep the null
    // entries until their units land.
    StartupServiceTable t = commands::NullStartupServices();
    t.FindTermType = TermTypeKeysOf;
    t.IsUsableFile = emulation::IsUsableFile;
    t.ReadColorMap = ReadLiveColorMap;
    t.ApplyLoadedColors = ApplyColorsToConsole;
    t.ConsoleColumns = ConsoleColumns;
    t.ConsoleRows = ConsoleRows;
    t.ResetConsoleView = ResetConsoleView;
    t.CurrentScreenPage = [] { return static_cast<int>(emulation::ScreenPages.CurrentPage); };
    return t;
}

void ComposeStartupServices() {
    commands::StartupServices = ProgramStartupServices();
}

}  // namespace app
