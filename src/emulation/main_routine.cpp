#include "emulation/main_routine.h"

#include <algorithm>
#include <string_view>

#include "commands/function_table.h"
#include "connections/comm_interface.h"
#include "emulation/input/keyboard_hooks.h"
#include "emulation/session_services.h"
#include "emulation/types/family_tables.h"
#include "ui/dialog_interface.h"

namespace emulation {

MainRoutineState MainRoutine;

void ResetMainRoutine() {
    MainRoutine = MainRoutineState{};
}

namespace {

constexpr uint16_t MsgDefaultSettingsFile = 4;
constexpr uint16_t MsgInvalidFunction = 607;
constexpr uint16_t MsgCantOpenPrinter = 610;
constexpr uint16_t MsgNoneArgument = 924;

constexpr uint16_t MenuItemHostName = 591;
constexpr uint16_t MenuItemCommSetup = 576;
constexpr uint32_t StyleDialogFrame = 0x00400000;

constexpr uint16_t KeyF4 = 318;
constexpr uint16_t KeyF6 = 320;

constexpr uint32_t TicksPerDay = 1573040;

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return UpperCase(a) == UpperCase(b);
}

SessionGlobals ReadGlobals() {
    SessionGlobals g;
    Services.ReadGlobals(g);
    return g;
}

// Steps 1 to 6: where the settings come from. False when the program is to
// end before anything is loaded.
bool ChooseSettingsSource(StartupLocals& locals) {
    SessionGlobals g = ReadGlobals();
    std::string defaultName = Services.MessageText(MsgDefaultSettingsFile);
    g.SettingsFileName = defaultName.empty() ? "VOVUZIVA.DEF" : defaultName;
    g.HelpFileName.clear();
    g.SettingsSource = 1;
    Services.WriteGlobals(g);
    Services.ClearKeyDefinitions();

    Services.ParseCommandKeywords(locals);
    Services.FirstArgumentPass(locals);

    g = ReadGlobals();
    if (EqualsIgnoringCase(g.SettingsFileName, Services.MessageText(MsgNoneArgument))) {
        g.SettingsFileName.clear();
        g.SettingsSource = 0;
    } else if (g.SettingsFileName == "NEW") {
        g.SettingsFileName.clear();
        g.SettingsSource = 4;
    }
    Services.WriteGlobals(g);

    if (locals.ChooseSettings) {
        if (!Services.ChooseSettingsFile()) return false;
        Services.UpdateWindowTitle();
        g = ReadGlobals();
        g.SettingsSource = 2;
        Services.WriteGlobals(g);
        locals.SettingsNamed = true;
    }
    return true;
}

// Step 8: command-line choices override the loaded settings.
void ApplyCommandLineOverrides(const StartupLocals& locals) {
    SessionGlobals g = ReadGlobals();
    if (locals.MethodArg != 0) g.CommMethod = locals.MethodArg;
    if (!locals.TermArg.empty()) g.TerminalType = UpperCase(locals.TermArg).substr(0, 20);
    Services.WriteGlobals(g);

    if (!locals.CharsetArg.empty())
        ActiveKeyboardHooks().ExecuteFunction("CHARSET " + locals.CharsetArg, 0);

    if (!locals.UserArg.empty()) {
        g = ReadGlobals();
        size_t colon = locals.UserArg.find(':');
        if (colon == std::string::npos) {
            g.UserName = locals.UserArg;
        } else {
            g.UserName = locals.UserArg.substr(0, colon);
            g.Password =
                Services.ScramblePassword(std::string_view(locals.UserArg).substr(colon + 1));
        }
        Services.WriteGlobals(g);
    }
}

// Step 10.
void StartStartupMacro(const StartupLocals& locals) {
    if (!locals.StartupKeyArg.empty()) {
        uint16_t key = static_cast<uint8_t>(locals.StartupKeyArg[0]);
        if (ActiveKeyboardHooks().MacroExists(key)) ActiveKeyboardHooks().StartMacro(key, 0);
        return;
    }
    SessionGlobals g = ReadGlobals();
    if (g.StartupKey != 0 && ActiveKeyboardHooks().MacroExists(g.StartupKey))
        ActiveKeyboardHooks().StartMacro(g.StartupKey, 0);
}

// Step 12.
void OpenPrinterDevice() {
    SessionGlobals g = ReadGlobals();
    // An empty name means no printer file, as the PRINTER command treats it;
    // trying to open it would report a failure at every start.
    if (g.PrinterName.empty() || UpperCase(g.PrinterName) == "WPRN") return;
    if (Services.OpenPrinterDevice(g.PrinterName)) {
        MainRoutine.PrinterDeviceOpen = true;
        return;
    }
    Services.MessageBox(Services.MessageText(MsgCantOpenPrinter) + g.PrinterName);
    g = ReadGlobals();
    g.PrinterName.clear();
    Services.WriteGlobals(g);
}

// Step 13. False when the program is to end.
bool StartConnection(const StartupLocals& locals) {
    SessionGlobals g = ReadGlobals();
    if (Services.MacroPlaying() && !g.AutoConnect) return true;

    bool hostMissing = g.CommMethod != connections::CommMethodSerial &&
                       g.CommMethod != connections::CommMethodModem && g.HostName.empty();
    bool phoneMissing = g.CommMethod == connections::CommMethodModem && g.PhoneNumber.empty();
    if (!g.AutoConnect || g.CommMethod == connections::CommMethodNone || hostMissing ||
        phoneMissing) {
        Services.CommSettingsDialog();
        return true;
    }

    uint32_t error = Services.CommOpen(true);
    if (error == 0 || Services.RunErrorKeyMacro()) {
        Services.StartAutoLogin();
        return true;
    }
    Services.MessageBox(Services.CommErrorText(static_cast<uint8_t>(error)));

    bool stay = false;
    if (!locals.HostGiven) {
        // The user can still reach the connection settings from the menu.
        g = ReadGlobals();
        stay = (g.WindowStyle & StyleDialogFrame) != 0 &&
               (Services.MenuHoldsItem(g.WindowMenuName, MenuItemHostName) ||
                Services.MenuHoldsItem(g.WindowMenuName, MenuItemCommSetup));
    }
    if (stay) return true;
    Services.CommShutdown();
    Services.CloseTerminalWindow();
    return false;
}

// Step 14.
void SelectTerminalType(const StartupLocals& locals) {
    Services.AllocScreenBuffers(locals.RingSizeArg);
    SessionGlobals g = ReadGlobals();
    std::array<uint8_t, 250> keptTabStops = g.TabStops;
    if (!Services.SetTerminalType(g.TerminalType, !g.SettingsLoaded)) {
        g = ReadGlobals();
        g.TerminalType = "VT220";
        Services.WriteGlobals(g);
        Services.SetTerminalType(g.TerminalType, !g.SettingsLoaded);
    }
    if (Services.TermTabStyle() != kTabsNone) {
        g = ReadGlobals();
        g.TabStops = keptTabStops;
        Services.WriteGlobals(g);
    }
}

void CloseDown() {
    Services.ClearWindowScreen();
    if (MainRoutine.ExitCode == ExitStay) {
        PrepareStayExit();
        return;
    }
    Services.FlushCaptureLine(false);
    Services.CloseInputFile(1);
    Services.CloseOutputFile(1);
    Services.EndPrintJob(true);
    Services.CommClose();
    Services.CommShutdown();
    if (MainRoutine.PrinterDeviceOpen) {
        Services.ClosePrinterDevice();
        MainRoutine.PrinterDeviceOpen = false;
    }
    uint8_t aux = Services.AuxState();
    if (aux == 2 || aux == 3) Services.AuxClose();
    Services.DdeClientShutdown();
    Services.CloseFindSearch();
    Services.PlayMedia("");
    Services.CloseScreenBuffers();
}

void RunPendingCommand() {
    // Take the command out first: while it runs, messages are pumped and a
    // menu may queue the next one, which must not be lost or overwrite this.
    std::string command = std::move(ui::MenuDispatch.PendingCommand);
    ui::MenuDispatch.PendingCommand.clear();

    Services.SaveCursorState();
    Services.SetCursorVisible(true);
    if (Services.LearnModeOn() && UpperCase(command) != "RECORD OFF") {
        // A recorded macro replays a menu command as F6, the text and Enter.
        std::string learned("\0@", 2);
        learned += command;
        learned += '|';
        Services.AppendLearnText(learned);
    }
    ActiveKeyboardHooks().ExecuteFunction(command, 0);
    if (!ActiveKeyboardHooks().FunctionSucceeded())
        Services.MessageBox(Services.MessageText(MsgInvalidFunction));
    if (Services.DirectWriteOn()) Services.EndDirectWrite();
    Services.RestoreCursorState();
    int32_t function = ActiveKeyboardHooks().CurrentFunction();
    if (function != commands::FunctionCodeCalc && function != commands::FunctionCodeWaitFor &&
        function != commands::FunctionCodeWf)
        Services.MarkStatusLineDirty();
}

// A macro that drives the local command line or key transmission runs
// those keys back to back, without a receive pass in between.
bool MacroKeyServedAtOnce() {
    if (!Services.MacroPlaying()) return false;
    uint16_t next = Services.PeekMacroKey();
    return (next == KeyF4 || next == KeyF6) && Services.KeyboardEnabled() &&
           !Services.KeyboardLocked() && !Services.WaitForPending() && !Services.QuietWaitPending();
}

}  // namespace

bool InstallExitHandler(bool settingsNamed, bool hostGiven) {
    MainRoutine.SavedExitProc = console::ExitChain.ExitProc;
    console::ExitChain.ExitProc = SessionExitProc;
    return Services.StartupInit(settingsNamed, hostGiven);
}

void SessionExitProc() {
    if (console::ExitChain.ExitStatus != 0) Services.ClearWindowScreen();
    console::ExitChain.ExitProc = MainRoutine.SavedExitProc;
}

void PrepareStayExit() {
    Services.BeginDirectWrite();
    if (ReadGlobals().AttrCursor) Services.SetAttrCursorMode(false);
}

void RunSession() {
    StartupLocals locals;
    MainRoutine.RunDeadlineSet = false;
    MainRoutine.PrinterDeviceOpen = false;

    if (!ChooseSettingsSource(locals)) return;
    if (!InstallExitHandler(locals.SettingsNamed, locals.HostGiven)) return;
    ApplyCommandLineOverrides(locals);
    Services.SecondArgumentPass();
    StartStartupMacro(locals);
    Services.SetCheckBreak(false);
    MainRoutine.ExitCode = ExitRun;
    OpenPrinterDevice();
    if (!StartConnection(locals)) return;
    SelectTerminalType(locals);

    Services.ClrScr();
    Services.SetCursorRow(1);
    Services.ClampCursor();
    if (ActiveKeyboardHooks().KeyPressed()) ActiveKeyboardHooks().ReadKeyCode();

    // A limit on the length of the run, counted from start-up only.
    SessionGlobals g = ReadGlobals();
    if (g.InactivityTimeout != 0) {
        MainRoutine.RunDeadline =
            (Services.BiosTicks() + uint32_t{g.InactivityTimeout} * 18) % TicksPerDay;
        // The clock names midnight TicksPerDay; a deadline of 0 would pass at once.
        if (MainRoutine.RunDeadline == 0) MainRoutine.RunDeadline = TicksPerDay;
        MainRoutine.RunDeadlineSet = true;
    }

    while (MainRoutine.ExitCode == ExitRun) {
        MainLoopPass();
        if (MainRoutine.ExitCode == ExitAfterQuestion) Services.ConfirmSaveSettings(false);
    }
    CloseDown();
}

void MainLoopPass() {
    Services.CommPoll();
    do {
        if (!Services.ProcessRunning()) Services.ProcessKeyboard();
        MainRoutine.MainLoopIdle = true;
        ActiveKeyboardHooks().PumpWindowMessages();
        MainRoutine.MainLoopIdle = false;
        if (!ui::MenuDispatch.PendingCommand.empty()) RunPendingCommand();
    } while (MacroKeyServedAtOnce());

    if (!Services.HoldScreenOn() && (!Services.HostDrivesConnection() ||
                                     Services.TerminalHasFocus() || Services.CommInputReady(260)))
        Services.ReceiveFromHost();

    if (connections::CommLayer.ReceiveOverflow) {
        Services.WriteCharCtl(0x80);
        connections::CommLayer.ReceiveOverflow = false;
    }

    // A command that already ended the run in this pass keeps its own exit.
    if (MainRoutine.RunDeadlineSet && MainRoutine.ExitCode == ExitRun &&
        Services.DeadlinePassed(MainRoutine.RunDeadline))
        MainRoutine.ExitCode = ExitAfterQuestion;
}

}  // namespace emulation
