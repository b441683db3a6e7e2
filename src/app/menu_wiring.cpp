#include "app/menu_wiring.h"

#include "app/session_wiring.h"
#include "commands/settings_record.h"
#include "connections/comm_debug_log.h"
#include "connections/comm_interface.h"
#include "console/console_primitives.h"
#include "console/glyphs/screen_font_model.h"
#include "console/key_input.h"
#include "console/key_queue.h"
#include "console/program_launch.h"
#include "console/screen_buffer.h"
#include "console/screen_review.h"
#include "console/status_line.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/keys_file.h"
#include "emulation/main_routine.h"
#include "emulation/receive_loop.h"
#include "emulation/session_services.h"
#include "emulation/text/charsets.h"
#include "emulation/types/emulator_state.h"
#include "emulation/types/family_tables.h"
#include "emulation/types/term_types.h"
#include "printing/print_interface.h"
#include "ui/clipboard/clipboard.h"

namespace app {

namespace {

ui::MenuTermFamily CurrentFamily() {
    const auto* family = emulation::EmulatorState.CurrentTermFamily;
    if (family == &emulation::FamilyN7900) return ui::MenuTermFamily::N7900;
    if (family == &emulation::FamilyViewpoint) return ui::MenuTermFamily::Viewpoint;
    if (family == &emulation::FamilyC332) return ui::MenuTermFamily::C332;
    if (family == &emulation::FamilyWyse60) return ui::MenuTermFamily::Wyse60;
    if (family == &emulation::FamilyTv965) return ui::MenuTermFamily::Tv965;
    return ui::MenuTermFamily::Other;
}

// The console's own map, or the PC colour map of the ANSI types.
void DefaultColorMap(bool second, uint16_t* map) {
    const console::ConsoleLayerState fresh{};
    for (size_t i = 0; i < 16; ++i)
        map[i] = second ? emulation::PcColourTable[i] : fresh.AttrColorMap[i];
}

void UnlockKeyboard() {
    auto& r = emulation::ReceiveLoop;
    r.KeyboardEnabled = true;
    r.KeyboardLocked = false;
    r.HostXoff = false;
    connections::CommSetXon();
}

// The window's font made again from the settings' face with the cell size and
// boldness of the current width class; the cell size it gave is kept, as the
// FONT command keeps it.
void ApplyScreenFontSettings() {
    auto& s = commands::Settings;
    const size_t slot = console::ConsoleLayer.ScreenWidth > 80 ? 1 : 0;
    const int height = s.FontCellSize[slot * 2].Get();
    const int width = s.FontCellSize[slot * 2 + 1].Get();
    const std::string size =
        height > 0 ? std::to_string(height) + "x" + std::to_string(width) : std::string();
    console::ScreenFontChange change;
    if (!console::SetScreenFont(size, s.FontOption[slot] != 0 ? "BOLD" : "", "", change)) return;
    s.FontCellSize[slot * 2].Set(static_cast<uint16_t>(change.Height));
    s.FontCellSize[slot * 2 + 1].Set(static_cast<uint16_t>(change.Width));
    s.FontOption[slot] = change.Bold ? 1 : 0;
}

int OpenConnection() {
    return static_cast<int>(connections::CommOpen(true));
}

}  // namespace

ui::MenuServiceTable ProgramMenuServices() {
    ui::MenuServiceTable t = ui::NullMenuServices();
    t.ProcessRunning = [] {
        const uint64_t process = console::programLaunch.LaunchedProcess;
        return process != 0 && console::ProcessRunning(process);
    };
    t.ForgetLaunchedProgram = [] { console::programLaunch.LaunchedProcess = 0; };
    t.TransmitState = []() -> uint8_t { return emulation::Keyboard.TransmitActive ? 1 : 0; };
    t.MonitorMode = [] { return emulation::ReceiveLoop.MonitorMode; };
    t.MainLoopIdle = [] { return emulation::MainRoutine.MainLoopIdle; };
    t.KioskLevel = [] { return emulation::Keyboard.KioskLevel; };
    t.WindowMenuName = WindowMenuName;
    t.TermFamily = CurrentFamily;
    t.ClipboardHasText = [] { return platform::CurrentSystemClipboard().HasText(); };
    t.CommIsOpen = connections::CommIsOpen;
    t.OpenHostName = connections::CommConnectedHostName;
    t.DecomposeChar = [](char16_t ch) { return emulation::charsetHooks.DecomposeChar(ch); };
    t.ComposeChars = [](std::u16string_view sequence) {
        return console::keyInputHooks.ComposeChars
                   ? console::keyInputHooks.ComposeChars(sequence, false)
                   : char16_t{0xFFFF};
    };
    t.ScreenSetKind = [] { return emulation::EmulatorState.GR; };
    t.KeyToHostCode = emulation::KeyToHostCode;
    t.CharsetName = [](uint32_t code) { return emulation::CharsetName(code, false); };
    t.HandleHotKey = [](uint16_t key) { emulation::HandleHotKey(key, false, false); };
    t.PutKey = [](uint16_t key) { console::PutKeyEntry(key); };
    t.UnlockKeyboard = UnlockKeyboard;
    t.CommDebugWindow = [](bool open) {
        if (open)
            connections::CommDebugOpen();
        else
            connections::CommDebugClose();
    };
    t.CommOpen = OpenConnection;
    t.CommClose = connections::CommClose;
    t.CommErrorText = [](int result) {
        return connections::CommErrorText(static_cast<uint8_t>(result));
    };
    t.StartAutoLogin = emulation::StartAutoLogin;
    t.TermKeysFile = [](std::string_view name) {
        const auto* type = emulation::FindTermType(name);
        return type ? emulation::TermDefaultKeysFile(*type) : std::string();
    };
    t.LoadKeysFile = [](std::string_view path) { (void)emulation::LoadKeysFile(path, true); };
    t.SaveKeysFile = emulation::SaveKeysFile;
    t.TransmitKeyPrompt = emulation::TransmitKeyPrompt;
    t.PrintScreen = [](bool asPage) {
        if (asPage)
            printing::PrintScreenPage();
        else
            printing::PrintScreenText();
    };
    t.DefaultColorMap = DefaultColorMap;
    t.SetTerminalFont = ApplyScreenFontSettings;
    t.RecolourFromMap = [] {
        console::RefreshStatusAttrs();
        console::ScreenWindow().InvalidateWindow();
    };
    t.AuxClose = [] {
        if (emulation::Services.AuxState() != 0) emulation::Services.AuxClose();
    };
    t.ApplyOldScoAnsi = [] {
        emulation::EmulatorState.OldScoColours = commands::Settings.OldScoAnsi;
    };
    t.ReviewActive = [] { return console::ScreenReview.Active; };
    t.NationalSetName = [](uint8_t index) {
        return index < 13 ? std::string(emulation::CharsetNameTable[index]) : std::string();
    };
    return t;
}

void ComposeMenus() {
    ui::MenuServices = ProgramMenuServices();
}

}  // namespace app
