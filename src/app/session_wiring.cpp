// The program's session services: which unit answers each entry of the main
// routine's table, and the snapshot of the settings and start-up globals it
// reads and writes.
#include "app/session_wiring.h"

#include "commands/interpreter.h"
#include "commands/password_scramble.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/console_primitives.h"
#include "console/file_search.h"
#include "console/globals.h"
#include "console/key_names.h"
#include "console/messages.h"
#include "console/program_launch.h"
#include "console/screen_buffer.h"
#include "console/terminal_window.h"
#include "console/tick_clock.h"
#include "console/window_paint.h"
#include "emulation/command_line.h"
#include "emulation/input/keyboard.h"
#include "emulation/main_routine.h"
#include "emulation/receive_loop.h"
#include "emulation/screen_buffers.h"
#include "emulation/types/term_types.h"
#include "printing/print_interface.h"
#include "ui/dialog_interface.h"
#include "ui/message_box.h"

namespace app {
using namespace emulation;

namespace {

// The window's menu name, kept here until the window takes it.
struct WindowGlobals {
    std::string WindowMenuName = "MainMenu";
};
WindowGlobals Window;

template <size_t N>
void StoreText(commands::PString<N>& field, const std::string& value) {
    // Only a changed text is stored: storing zero-fills the field, which would
    // make an unchanged setting look changed to the save-on-exit compare.
    if (field.View() != value) commands::AssignZeroFilled(field, value);
}

void ReadSettingsGlobals(SessionGlobals& g) {
    const commands::SettingsRecord& r = commands::Settings;
    const commands::SettingsFileState& file = commands::SettingsFile;
    g.SettingsFileName = file.SettingsFileName;
    g.SettingsSource = file.SettingsSource;
    g.SettingsLoaded = file.SettingsLoaded;
    g.HelpFileName = file.HelpFileName;
    g.WindowMenuName = Window.WindowMenuName;
    g.CommMethod = r.CommMethod;
    g.AutoConnect = r.AutoConnect != 0;
    g.HostName = r.HostName.Str();
    g.PhoneNumber = r.PhoneNumber.Str();
    g.PrinterName = r.PrinterName.Str();
    g.TerminalType = r.TerminalType.Str();
    g.UserName = r.UserName.Str();
    g.Password = r.Password.Str();
    g.StartupKey = r.StartupKey.Get();
    g.WindowStyle = r.WindowStyle.Get();
    g.InactivityTimeout = r.InactivityTimeout.Get();
    g.AttrCursor = r.AttrCursor != 0;
    g.TabStops = r.TabStops;
}

void WriteSettingsGlobals(const SessionGlobals& g) {
    commands::SettingsRecord& r = commands::Settings;
    commands::SettingsFileState& file = commands::SettingsFile;
    file.SettingsFileName = g.SettingsFileName;
    file.SettingsSource = g.SettingsSource;
    file.SettingsLoaded = g.SettingsLoaded;
    file.HelpFileName = g.HelpFileName;
    Window.WindowMenuName = g.WindowMenuName;
    r.CommMethod = g.CommMethod;
    if ((r.AutoConnect != 0) != g.AutoConnect) r.AutoConnect = g.AutoConnect ? 1 : 0;
    StoreText(r.HostName, g.HostName);
    StoreText(r.PhoneNumber, g.PhoneNumber);
    StoreText(r.PrinterName, g.PrinterName);
    StoreText(r.TerminalType, g.TerminalType);
    StoreText(r.UserName, g.UserName);
    StoreText(r.Password, g.Password);
    r.StartupKey.Set(g.StartupKey);
    r.WindowStyle.Set(g.WindowStyle);
    r.InactivityTimeout.Set(g.InactivityTimeout);
    if ((r.AttrCursor != 0) != g.AttrCursor) r.AttrCursor = g.AttrCursor ? 1 : 0;
    r.TabStops = g.TabStops;
}

}  // namespace

SessionServices ProgramSessionServices() {
    // What no unit provides yet keeps the null table's entry.
    SessionServices s = NullSessionServices();
    s.ReadGlobals = ReadSettingsGlobals;
    s.WriteGlobals = WriteSettingsGlobals;
    s.StartupInit = commands::StartupInit;
    s.ConfirmSaveSettings = commands::ConfirmSaveSettings;

    s.MessageText = [](uint16_t id) { return console::GetMessageText(id, false); };
    s.MessageBox = ui::LangMessageBoxShort;
    s.BiosTicks = []() { return static_cast<uint32_t>(console::BiosTicks()); };
    s.DeadlinePassed = [](uint32_t deadline) {
        return console::DeadlinePassed(static_cast<int32_t>(deadline));
    };

    s.ParseCommandKeywords = ParseCommandKeywordsForSession;
    s.FirstArgumentPass = FirstArgumentPassForSession;
    s.SecondArgumentPass = DefineKeysFromArguments;
    s.ChooseSettingsFile = ui::ChooseSettingsFile;

    s.ScramblePassword = commands::ScramblePassword;
    s.LearnModeOn = []() { return commands::Interpreter.LearnMode; };
    s.AppendLearnText = [](std::string_view text) { commands::Interpreter.LearnText += text; };

    s.CommSettingsDialog = ui::CommSettingsDialog;
    s.CommOpen = connections::CommOpen;
    s.CommErrorText = connections::CommErrorText;
    s.CommPoll = connections::CommPoll;
    s.CommInputReady = connections::CommInputReady;
    s.CommClose = connections::CommClose;
    s.CommShutdown = connections::CommShutdown;

    s.SetCheckBreak = [](bool on) { console::TerminalWindowUnit.CheckBreak = on; };
    s.UpdateWindowTitle = console::UpdateWindowTitle;
    s.CloseTerminalWindow = []() { console::CloseTerminalWindow(); };
    s.ClearWindowScreen = console::ClearWindowScreen;
    s.TerminalHasFocus = []() { return console::WindowPaint.HasFocus; };
    s.HostDrivesConnection = []() { return console::TerminalWindowUnit.CommRequestActive; };
    s.ClrScr = console::ClrScr;
    s.SetCursorRow = [](int row) { console::ConsoleLayer.CursorRow = row; };
    s.ClampCursor = console::ClampCursor;
    s.SaveCursorState = console::SaveCursorState;
    s.RestoreCursorState = console::RestoreCursorState;
    s.SetCursorVisible = [](bool visible) { console::ConsoleLayer.CursorVisible = visible; };
    s.DirectWriteOn = []() { return console::ConsoleLayer.DirectWrite; };
    s.BeginDirectWrite = console::BeginDirectWrite;
    s.EndDirectWrite = console::EndDirectWrite;
    s.SetAttrCursorMode = console::SetAttrCursorMode;
    s.WriteCharCtl = [](char16_t ch) { console::WriteCharCtl(static_cast<uint8_t>(ch)); };
    s.MarkStatusLineDirty = []() { ReceiveLoop.StatusLineDirty = true; };
    // Scroll Lock as hold is the platform's to add.
    s.HoldScreenOn = []() { return Keyboard.OutputHold; };

    s.AllocScreenBuffers = [](uint16_t ringSize) {
        if (!AllocScreenBuffers(ringSize)) MainRoutine.ExitCode = ExitEnd;
    };
    s.SetTerminalType = [](std::string_view name, bool applyColours) {
        return emulation::SetTerminalType(name, applyColours);
    };
    s.TermTabStyle = []() -> uint8_t {
        const auto* family = EmulatorState.CurrentTermFamily;
        return family ? family->TabStyle : 0;
    };

    s.ProcessRunning = []() {
        return console::ProcessRunning(console::programLaunch.LaunchedProcess);
    };
    s.ProcessKeyboard = ProcessKeyboard;
    s.ReceiveFromHost = []() { emulation::ReceiveFromHost(); };
    s.KeyboardEnabled = []() { return ReceiveLoop.KeyboardEnabled; };
    s.KeyboardLocked = []() { return ReceiveLoop.KeyboardLocked; };
    s.WaitForPending = []() { return ReceiveLoop.WaitForText.Length() != 0; };
    s.QuietWaitPending = []() { return Keyboard.QuietWaitSeconds != 0; };

    s.OpenPrinterDevice = printing::OpenPrinterTextFile;
    s.ClosePrinterDevice = printing::ClosePrinterTextFile;
    s.EndPrintJob = printing::EndPrintJob;
    s.CloseFindSearch = []() { console::FindClose(console::globals.FindRecord); };
    return s;
}

void ComposeSessionServices() {
    Services = ProgramSessionServices();
    Window = WindowGlobals{};
}

std::string WindowMenuName() {
    return Window.WindowMenuName;
}

}  // namespace app
