#include "app/command_wiring.h"

#include "commands/command_services.h"
#include "commands/command_support.h"
#include "commands/screen_commands.h"
#include "commands/startup_services.h"
#include "commands/wait_commands.h"
#include "console/command_line_args.h"
#include "console/console_primitives.h"
#include "console/key_names.h"
#include "console/local_screen.h"
#include "console/program_launch.h"
#include "console/screen_review.h"
#include "console/system_services.h"
#include "console/terminal_window.h"
#include "emulation/command_line.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/keys_file.h"
#include "emulation/input/line_editor.h"
#include "emulation/input/macros.h"
#include "emulation/input/screen_menu.h"
#include "emulation/main_routine.h"
#include "emulation/operations/screen_geometry.h"
#include "emulation/receive_loop.h"
#include "emulation/session_services.h"
#include "emulation/text/charsets.h"
#include "emulation/text/composition.h"
#include "emulation/types/emulator_state.h"
#include "emulation/types/family_tables.h"
#include "emulation/types/term_types.h"
#include "printing/print_interface.h"
#include "ui/dialog_interface.h"

namespace app {

namespace {

using commands::CellRectangle;
using commands::TerminalFlag;
using emulation::Keyboard;
using emulation::ReceiveLoop;

bool GetFlag(TerminalFlag flag) {
    switch (flag) {
        case TerminalFlag::KeyboardLocked:
            return ReceiveLoop.KeyboardLocked;
        case TerminalFlag::OutputHold:
            return Keyboard.OutputHold;
        case TerminalFlag::MonitorMode:
            return ReceiveLoop.MonitorMode;
        case TerminalFlag::NcrMode:
            return ReceiveLoop.NcrMode;
    }
    return false;
}

void SetFlag(TerminalFlag flag, bool on) {
    switch (flag) {
        case TerminalFlag::KeyboardLocked:
            ReceiveLoop.KeyboardLocked = on;
            break;
        case TerminalFlag::OutputHold:
            Keyboard.OutputHold = on;
            break;
        case TerminalFlag::MonitorMode:
            ReceiveLoop.MonitorMode = on;
            break;
        case TerminalFlag::NcrMode:
            ReceiveLoop.NcrMode = on;
            break;
    }
}

console::CellRect ToCellRect(const CellRectangle& r) {
    console::CellRect c;
    c.Left = r.FirstColumn;
    c.Right = r.LastColumn;
    c.Top = r.FirstRow;
    c.Bottom = r.LastRow;
    return c;
}

}  // namespace

void WireCommands() {
    auto& s = commands::CommandServices;
    s = commands::NullCommandServices();
    s.WaitTurn = [] {
        Keyboard.Hooks.WaitForMessage();
        emulation::PollKeyboard(false);
    };
    s.AbortRequested = [] { return Keyboard.AbortRequested; };
    s.MarkStatusLineDirty = [] { ReceiveLoop.StatusLineDirty = true; };
    s.UpdateStatusLine = [] { Keyboard.Hooks.UpdateStatusLine(); };
    s.ReceiveOnce = emulation::ReceiveFromHost;
    s.SoundDeferredBell = [] {
        if (!Keyboard.SlowBeepPending) return;
        Keyboard.SlowBeepPending = false;
        console::BeepTone(commands::Settings.BeepPitch.Get());
    };
    s.SetWaitForText = [](std::string_view text) { ReceiveLoop.WaitForText = text; };
    s.SetWaitForDeadline = [](int32_t deadline) { ReceiveLoop.WaitForDeadline = deadline; };
    s.StartQuietWait = [](uint32_t seconds) {
        Keyboard.QuietWaitSeconds = seconds;
        Keyboard.QuietWaitStart = Keyboard.Hooks.Milliseconds();
    };
    s.ReadKeyCode = [] {
        return static_cast<uint16_t>(console::NormalizeKeyCode(console::ReadKeyCode()));
    };
    s.GetKeyChar = [] {
        return static_cast<uint16_t>(emulation::GetKeyChar(true, false).Code & 0x7FFF);
    };
    s.ReadCharKey = console::ReadCharKey;
    s.TransmitString = emulation::TransmitString;
    s.GetTerminalFlag = GetFlag;
    s.SetTerminalFlag = SetFlag;
    s.SetKeyLockTimeout = [](uint32_t tenths) {
        Keyboard.KeyLockTimeout = tenths;
        if (ReceiveLoop.KeyboardLocked) ReceiveLoop.TimeoutDeadline = 0;
    };
    s.SetTerminalType = [](std::string_view name) {
        return emulation::SetTerminalType(name, true);
    };
    s.FamilyAttrMode = []() -> uint8_t {
        const auto* family = emulation::EmulatorState.CurrentTermFamily;
        return family == nullptr ? 1 : static_cast<uint8_t>(family->AttrMode);
    };
    s.CurrentPage = [] {
        return static_cast<int32_t>(commands::StartupServices.CurrentScreenPage());
    };
    s.SetScreenGeometry = emulation::SetScreenGeometry;
    s.SetScreenColumns = emulation::SetScreenColumns;
    s.DrawFrameBox = [](const CellRectangle& r, std::string_view) {
        return emulation::DrawFrameBox(ToCellRect(r));
    };
    s.CharsetCode = [](std::string_view name) {
        return static_cast<int32_t>(emulation::CharsetCode(name));
    };
    s.SelectNationalSet = [](uint8_t index) {
        auto& e = emulation::EmulatorState;
        e.NationalSlots[e.NationalExtra & 3] = index;
    };
    s.SelectGrSet = [](uint8_t kind) {
        auto& e = emulation::EmulatorState;
        e.GR = kind;
        e.GSlots[e.GRSlot & 3] = kind;
    };
    s.ComposeChars = [](std::u16string_view text) { return emulation::ComposeChars(text, true); };
    s.StartAutoLogin = emulation::StartAutoLogin;
    s.ParseHostArgument = [](const std::string& text, std::string& user, uint8_t& method) {
        // An index beyond every command-line argument: nothing on the line
        // is taken for a port or a target.
        int index = 0x8000;
        emulation::ParseHostArgument(text, index, user, method);
    };
    s.DefineMacro = [](uint16_t key, std::string_view text) {
        return emulation::DefineMacro(key, text, 1, 0);
    };
    s.StartMacro = emulation::StartMacro;
    s.LoadKeysFile = emulation::LoadKeysFile;
    s.SaveKeysFile = [](std::string_view name) { return emulation::SaveKeysFile(name); };
    s.SetViewLeftColumn = [](int32_t column) {
        auto& ring = console::TermScreenRing;
        const int32_t width = console::ConsoleLayer.ScreenWidth;
        if (column < 0 || column > console::Columns() - width) return false;
        ring.ViewLeftColumn = column;
        ring.ViewRightLimit = column + width + 1;
        console::RedrawScreen();
        return true;
    };
    s.PopScreenRect = console::PopScreenRect;
    // MENUBAR has checked the numbers and laid out the columns; the menu
    // takes the area, the column count and the item's place in a column.
    s.ScreenMenuSelect = [](const CellRectangle& r, int32_t, int32_t, int32_t maxLength,
                            std::string& reply, int32_t columns, int32_t itemWidth,
                            int32_t itemOffset) {
        emulation::ScreenMenuLayout layout;
        layout.Left = r.FirstColumn;
        layout.Right = r.LastColumn;
        layout.Top = r.FirstRow;
        layout.Bottom = r.LastRow;
        layout.Columns = columns;
        layout.ItemWidth = itemWidth;
        layout.ItemOffset = itemOffset;
        layout.ChoiceCapacity = maxLength;
        return emulation::ScreenMenuSelect(layout, reply);
    };
    s.OpenTextWindow = commands::OpenTextWindow;
    s.FillWindowArea = commands::FillWindowArea;
    s.UpdateWindowTitle = console::UpdateWindowTitle;
    s.RepaintWindow = console::RedrawScreen;
    s.CopyScreenToClipboard = [](const CellRectangle& r) {
        ui::ScreenCellRect cells;
        cells.Left = r.FirstColumn;
        cells.Right = r.LastColumn;
        cells.Top = r.FirstRow;
        cells.Bottom = r.LastRow;
        ui::CopyScreenToClipboard(cells, commands::Settings.BlockType, false);
    };
    s.CopyTextToClipboard = ui::CopyTextToClipboard;
    s.PasteFromClipboard = ui::PasteFromClipboard;
    s.EditColors = [] { ui::EditColors(); };
    s.PrintScreen = printing::PrintScreenText;
    s.ReviewScreen = [] {
        console::ReviewScreenPrompt(
            [] { return static_cast<uint16_t>(console::NormalizeKeyCode(console::ReadKeyCode())); },
            printing::PrintScreenText);
        emulation::ReceiveLoop.StatusLineDirty = true;
    };
    s.CloseAuxPort = [] {
        const uint8_t state = emulation::Services.AuxState();
        if (state == 2 || state == 3) emulation::Services.AuxClose();
    };
    s.SetExitCode = [](uint8_t code) { emulation::MainRoutine.ExitCode = code; };
    s.CloneProgram = [](std::string_view argument) -> uint32_t {
        console::ExecProgram(console::ParamStrW(0), commands::Utf8ToWide(argument), false, 1);
        return static_cast<uint32_t>(console::dosState.DosError);
    };
    // The status-row key prompt of the keyboard's function prefix.
    Keyboard.Hooks.PromptFuncKey = commands::PromptFuncKey;
    // The local command line reads its line with the line editor, to the
    // screen's right edge.
    Keyboard.Hooks.EditLine = [](std::string& line, bool useMacro, uint16_t& defineKey) {
        emulation::EditedLine edited =
            emulation::EditLine(useMacro, true, console::ConsoleLayer.ScreenWidth);
        line = std::move(edited.Text);
        defineKey = edited.DefineKey;
        return !line.empty();
    };
}

}  // namespace app
