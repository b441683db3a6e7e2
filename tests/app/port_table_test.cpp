// The program's composition, run headless, leaves no port slot at its
// do-nothing default unless the slot is a named stand-in (a unit still to
// come) or is filled by the Windows entry; and the port table in
// docs/architecture.md names every stand-in.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/composition.h"
#include "commands/command_services.h"
#include "commands/interpreter.h"
#include "commands/startup_services.h"
#include "commands/variables.h"
#include "console/console_neighbours.h"
#include "console/console_primitives.h"
#include "console/glyphs/glyph_fallback.h"
#include "console/glyphs/screen_font_model.h"
#include "console/learn_mode.h"
#include "console/status_line.h"
#include "emulation/command_line.h"
#include "emulation/host_ports.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/keys_file.h"
#include "emulation/input/macros.h"
#include "emulation/operations/attribute_operations.h"
#include "emulation/operations/field_and_reset_operations.h"
#include "emulation/operations/host_mode_operations.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/shown_character_operations.h"
#include "emulation/receive_loop.h"
#include "emulation/session_services.h"
#include "emulation/text/charsets.h"
#include "ui/language_module.h"
#include "ui/menus/menu_services.h"
#include "ui/menus/menu_state.h"

namespace {

using Slot = void (*)();

// One port: the table the program uses and the table of do-nothing entries
// it starts from, both tables of function pointers only.
struct Port {
    const char* Name;
    const void* InUse;
    const void* Null;
    size_t Size;
};

template <typename Table>
Port PortOf(const char* name, const Table& inUse, const Table& null) {
    static_assert(sizeof(Table) % sizeof(Slot) == 0);
    return {name, &inUse, &null, sizeof(Table)};
}

// A slot named by its table and member, checked by the compiler.
struct NamedSlot {
    std::string Port;
    std::string Member;
    size_t Offset;
};
#define VZ_SLOT(Table, Member)                   \
    NamedSlot {                                  \
#Table, #Member, offsetof(Table, Member) \
    }

using commands::CommandServiceTable;
using commands::InterpreterServices;
using commands::StartupServiceTable;
using commands::VariableSources;
using console::ConsoleLayerHooks;
using console::ConsoleNeighbourTable;
using console::GlyphDrawingHooks;
using console::LearnModeHooks;
using console::ScreenFontHooks;
using console::StatusLineHooks;
using emulation::AttributeOperationHooks;
using emulation::CharsetHooks;
using emulation::CommandLineServices;
using emulation::FieldAndResetHooks;
using emulation::HostModeHooks;
using emulation::KeyboardHooks;
using emulation::KeysFileHooks;
using emulation::MacroHooks;
using emulation::ReceiveLoopHooks;
using emulation::ScreenOperationHooks;
using emulation::SessionServices;
using emulation::ShownCharacterOperationHooks;
using ui::MenuBarHooks;
using ui::MenuLanguageHooks;
using ui::MenuServiceTable;

// Slots that keep their do-nothing default until the unit named in the port
// table of docs/architecture.md lands.
const std::vector<NamedSlot>& StandIns() {
    static const std::vector<NamedSlot> slots = {
        VZ_SLOT(SessionServices, CloseScreenBuffers),
        VZ_SLOT(SessionServices, FlushCaptureLine),
        VZ_SLOT(SessionServices, CloseInputFile),
        VZ_SLOT(SessionServices, CloseOutputFile),
        VZ_SLOT(SessionServices, AuxState),
        VZ_SLOT(SessionServices, AuxClose),
        VZ_SLOT(SessionServices, DdeClientShutdown),
        VZ_SLOT(SessionServices, PlayMedia),
        VZ_SLOT(StartupServiceTable, UseMonochromeColorMap),
        VZ_SLOT(StartupServiceTable, InitRuntimeGlobals),
        VZ_SLOT(ConsoleLayerHooks, FlushCaptureLine),
        VZ_SLOT(ConsoleLayerHooks, GraphicsLeave),
        VZ_SLOT(ReceiveLoopHooks, Ticks),
        VZ_SLOT(ScreenOperationHooks, GraphicsHandled),
        VZ_SLOT(ScreenOperationHooks, ProtectedFields),
        VZ_SLOT(ScreenOperationHooks, SkipProtected),
        VZ_SLOT(ScreenOperationHooks, EraseUnprotected),
        VZ_SLOT(ScreenOperationHooks, CaptureControl),
        VZ_SLOT(ScreenOperationHooks, CaptureTab),
        VZ_SLOT(ShownCharacterOperationHooks, StartPassthroughPrint),
        VZ_SLOT(CharsetHooks, MappedHostToUnicode),
        VZ_SLOT(CharsetHooks, MappedUnicodeToHost),
        VZ_SLOT(CharsetHooks, BuiltinHostToUnicode),
        VZ_SLOT(CharsetHooks, BuiltinUnicodeToHost),
        VZ_SLOT(CharsetHooks, T160eLookup),
        VZ_SLOT(CharsetHooks, T160eEncode),
        VZ_SLOT(CharsetHooks, CcciiDecode),
        VZ_SLOT(CharsetHooks, CcciiEncode),
        VZ_SLOT(CharsetHooks, UsmarcDecode),
        VZ_SLOT(CharsetHooks, UsmarcEncode),
        VZ_SLOT(MenuLanguageHooks, RefreshTitleLine),
        VZ_SLOT(MenuLanguageHooks, ChooseFromList),
        VZ_SLOT(KeyboardHooks, SystemErrorText),
        VZ_SLOT(KeyboardHooks, StopCapture),
        VZ_SLOT(CommandServiceTable, GetWindowMetric),
        VZ_SLOT(CommandServiceTable, RequestWindow),
        VZ_SLOT(CommandServiceTable, SetTerminalFont),
        VZ_SLOT(CommandServiceTable, RebuildFontFallbackList),
        VZ_SLOT(CommandServiceTable, LoadBackgroundPicture),
        VZ_SLOT(CommandServiceTable, AdjustPicture),
        VZ_SLOT(CommandServiceTable, OutputFileOpen),
        VZ_SLOT(CommandServiceTable, WriteOutputLine),
        VZ_SLOT(CommandServiceTable, ShowConsoleScreen),
        VZ_SLOT(CommandServiceTable, SetTabStopsFromLine),
        VZ_SLOT(CommandServiceTable, CalculatorPrompt),
        VZ_SLOT(CommandServiceTable, AskPortName),
        VZ_SLOT(CommandServiceTable, DialModem),
        VZ_SLOT(CommandServiceTable, HangUpModem),
        VZ_SLOT(CommandServiceTable, RegisterTelnetHandler),
        VZ_SLOT(MenuServiceTable, OutputFileOpen),
        VZ_SLOT(MenuServiceTable, InputFileOpen),
        VZ_SLOT(MenuServiceTable, OutputFileName),
        VZ_SLOT(MenuServiceTable, InputFileName),
        VZ_SLOT(MenuServiceTable, CaptureMode),
        VZ_SLOT(MenuServiceTable, CaptureToPrinter),
        VZ_SLOT(MenuServiceTable, PrinterBusy),
        VZ_SLOT(MenuServiceTable, BackgroundPictureLoaded),
        VZ_SLOT(MenuServiceTable, LoadBackgroundPicture),
    };
    return slots;
}

// Slots only the Windows program entry can fill.
const std::vector<NamedSlot>& FilledByWindowsEntry() {
    static const std::vector<NamedSlot> slots = {
        VZ_SLOT(SessionServices, MenuHoldsItem),
        VZ_SLOT(MenuLanguageHooks, RefreshMenuBar),
        VZ_SLOT(MenuLanguageHooks, RefreshAccelerators),
        VZ_SLOT(ScreenFontHooks, SetTerminalFont),
        VZ_SLOT(StatusLineHooks, LockKeyToggles),
        VZ_SLOT(MenuServiceTable, MouseSelection),
        VZ_SLOT(MenuServiceTable, RunDialog),
        VZ_SLOT(MenuServiceTable, FileDialog),
        VZ_SLOT(MenuServiceTable, BrowseForFolder),
        VZ_SLOT(MenuServiceTable, ChooseFont),
        VZ_SLOT(MenuServiceTable, Ask),
        VZ_SLOT(MenuServiceTable, MenuItemText),
        VZ_SLOT(MenuServiceTable, CaretShapeChanged),
        VZ_SLOT(MenuServiceTable, ZoomWindow),
        VZ_SLOT(MenuServiceTable, ShowHelp),
        VZ_SLOT(MenuServiceTable, InvalidateWindow),
        VZ_SLOT(MenuServiceTable, ScreenBitsPerPixel),
        VZ_SLOT(MenuServiceTable, VisualOrder),
        VZ_SLOT(MenuServiceTable, CreateDesktopShortcut),
        VZ_SLOT(MenuServiceTable, ChooseColour),
        VZ_SLOT(MenuServiceTable, PrinterNames),
        VZ_SLOT(MenuBarHooks, UpdateMenuState),
        VZ_SLOT(MenuBarHooks, SetupMainMenu),
        VZ_SLOT(MenuBarHooks, ShowMousePopup),
    };
    return slots;
}

bool Listed(const std::vector<NamedSlot>& list, const std::string& port, size_t offset) {
    for (const NamedSlot& s : list)
        if (s.Port == port && s.Offset == offset) return true;
    return false;
}

std::vector<Port> ProgramPorts() {
    static const SessionServices nullSession = emulation::NullSessionServices();
    static const StartupServiceTable nullStartup = commands::NullStartupServices();
    static const ConsoleNeighbourTable nullNeighbours = console::NullConsoleNeighbours();
    static const ConsoleLayerHooks nullLayer{};
    static const ReceiveLoopHooks nullReceive = emulation::NullReceiveLoopHooks();
    static const ScreenOperationHooks nullScreen{};
    static const AttributeOperationHooks nullAttribute{};
    static const FieldAndResetHooks nullFieldAndReset{};
    static const HostModeHooks nullHostMode{};
    static const ShownCharacterOperationHooks nullShown{};
    static const InterpreterServices nullInterpreter{};
    static const CharsetHooks nullCharsets{};
    static const MacroHooks nullMacros{};
    static const KeysFileHooks nullKeysFile{};
    static const CommandLineServices nullCommandLine{};
    static const VariableSources nullVariables{};
    static const LearnModeHooks nullLearn{};
    static const GlyphDrawingHooks nullGlyphs{};
    static const ScreenFontHooks nullScreenFont{};
    static const StatusLineHooks nullStatusLine = console::NullStatusLineHooks();
    static const MenuLanguageHooks nullMenuLanguage{};
    static const KeyboardHooks nullKeyboard = emulation::NullKeyboardHooks();
    static const CommandServiceTable nullCommands = commands::NullCommandServices();
    static const MenuServiceTable nullMenus = ui::NullMenuServices();
    static const MenuBarHooks nullMenuBar = ui::NullMenuBarHooks();
    return {
        PortOf("SessionServices", emulation::Services, nullSession),
        PortOf("StartupServiceTable", commands::StartupServices, nullStartup),
        PortOf("ConsoleNeighbourTable", console::Neighbours, nullNeighbours),
        PortOf("ConsoleLayerHooks", console::ConsoleLayer.Hooks, nullLayer),
        PortOf("ReceiveLoopHooks", emulation::ReceiveLoop.Hooks, nullReceive),
        PortOf("ScreenOperationHooks", emulation::ScreenOperations.Hooks, nullScreen),
        PortOf("AttributeOperationHooks", emulation::AttributeOperations.Hooks, nullAttribute),
        PortOf("FieldAndResetHooks", emulation::FieldAndResetOperations.Hooks, nullFieldAndReset),
        PortOf("HostModeHooks", emulation::HostModeOperations.Hooks, nullHostMode),
        PortOf("ShownCharacterOperationHooks", emulation::ShownCharacterOperations.Hooks,
               nullShown),
        PortOf("InterpreterServices", commands::InterpreterHooks, nullInterpreter),
        PortOf("CharsetHooks", emulation::charsetHooks, nullCharsets),
        PortOf("MacroHooks", emulation::MacroServices, nullMacros),
        PortOf("KeysFileHooks", emulation::KeysFileServices, nullKeysFile),
        PortOf("CommandLineServices", emulation::CommandLineService, nullCommandLine),
        PortOf("VariableSources", commands::VariableSource, nullVariables),
        PortOf("LearnModeHooks", console::LearnHooks, nullLearn),
        PortOf("GlyphDrawingHooks", console::GlyphHooks, nullGlyphs),
        PortOf("ScreenFontHooks", console::ScreenFontPort, nullScreenFont),
        PortOf("StatusLineHooks", console::StatusLinePort, nullStatusLine),
        PortOf("MenuLanguageHooks", ui::menuLanguageHooks, nullMenuLanguage),
        PortOf("KeyboardHooks", emulation::Keyboard.Hooks, nullKeyboard),
        PortOf("CommandServiceTable", commands::CommandServices, nullCommands),
        PortOf("MenuServiceTable", ui::MenuServices, nullMenus),
        PortOf("MenuBarHooks", ui::menuBarHooks, nullMenuBar),
    };
}

bool AtNull(const Port& port, size_t offset) {
    return std::memcmp(static_cast<const char*>(port.InUse) + offset,
                       static_cast<const char*>(port.Null) + offset, sizeof(Slot)) == 0;
}

TEST(ProgramComposition, EveryPortSlotIsFilledOrANamedStandIn) {
    app::ComposeProgram();
    for (const Port& port : ProgramPorts()) {
        for (size_t offset = 0; offset < port.Size; offset += sizeof(Slot)) {
            const bool standIn = Listed(StandIns(), port.Name, offset);
            const bool windows = Listed(FilledByWindowsEntry(), port.Name, offset);
            if (AtNull(port, offset)) {
                EXPECT_TRUE(standIn || windows)
                    << port.Name << " slot " << offset / sizeof(Slot)
                    << " is left at its do-nothing default and is not a named stand-in";
            } else {
                EXPECT_FALSE(standIn) << port.Name << " slot " << offset / sizeof(Slot)
                                      << " is filled now: take it off the stand-in list";
            }
        }
    }
}

TEST(ProgramComposition, TheHostPortsAreTheConnection) {
    app::ComposeProgram();
    emulation::HostInput* input = &emulation::HostIn();
    emulation::HostOutput* output = &emulation::HostOut();
    emulation::SetHostInput(nullptr);
    emulation::SetHostOutput(nullptr);
    EXPECT_NE(input, &emulation::HostIn());
    EXPECT_NE(output, &emulation::HostOut());
    app::ComposeProgram();
}

TEST(ProgramComposition, TheArchitectureNotesNameEveryStandIn) {
    std::ifstream file(std::string(VZ_SOURCE_DIR) + "/docs/architecture.md");
    ASSERT_TRUE(file);
    std::stringstream text;
    text << file.rdbuf();
    for (const NamedSlot& s : StandIns())
        EXPECT_NE(text.str().find("`" + s.Port + "." + s.Member + "`"), std::string::npos)
            << s.Port << "." << s.Member << " is a stand-in the port table does not show";
}

}  // namespace
