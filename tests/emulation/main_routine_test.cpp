#include "emulation/main_routine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/session_wiring.h"
#include "connections/comm_interface.h"
#include "console/exit_chain.h"
#include "emulation/input/keyboard.h"
#include "emulation/session_services.h"
#include "ui/dialog_interface.h"

namespace emulation {
namespace {

// The rest of the program as the main routine sees it: every call is
// recorded, every answer can be chosen by the test.
struct FakeWorld {
    std::vector<std::string> Calls;
    SessionGlobals Globals;
    StartupLocals Locals;           // what the first argument pass finds
    std::string NamedSettingsFile;  // what the argument passes put in SettingsFileName
    bool ChooseResult = true;
    bool StartupResult = true;
    uint32_t OpenResult = 0;
    bool ErrorKeyMacro = false;
    bool MacroPlaying = false;
    std::deque<uint16_t> MacroKeys;  // keys the playing macro has left
    std::set<uint16_t> Macros;
    std::set<uint16_t> MenuItems{576};
    bool TerminalTypeKnown = true;
    uint8_t TabStyle = 0;
    bool FunctionSucceeded = true;
    int32_t CurrentFunction = 0;
    bool LearnMode = false;
    bool DirectWrite = false;
    bool ProcessRunning = false;
    bool Hold = false;
    bool HostDrives = false;
    bool Focus = false;
    bool InputOver260 = false;
    bool KeyboardLocked = false;
    bool WaitFor = false;
    bool PrinterOpens = true;
    bool ConfirmAnswer = true;
    uint8_t AuxState = 0;
    uint32_t Ticks = 0;
    int DeadlinePassAt = -1;  // the pass in which the deadline has passed
    int Pumps = 0;
    std::function<void(int pump)> OnPump;
};
FakeWorld* W = nullptr;

void Call(std::string text) {
    W->Calls.push_back(std::move(text));
}

SessionServices FakeServices() {
    SessionServices s = app::ProgramSessionServices();
    s.ReadGlobals = [](SessionGlobals& g) { g = W->Globals; };
    s.WriteGlobals = [](const SessionGlobals& g) { W->Globals = g; };
    s.StartupInit = [](bool named, bool host) {
        Call("StartupInit(" + std::to_string(named) + "," + std::to_string(host) + ")");
        W->Globals.SettingsLoaded = true;
        return W->StartupResult;
    };
    s.ConfirmSaveSettings = [](bool allowCancel) {
        Call("ConfirmSaveSettings(" + std::to_string(allowCancel) + ")");
        return W->ConfirmAnswer;
    };
    s.MessageText = [](uint16_t id) -> std::string {
        switch (id) {
            case 4:
                return "wendrosta.def";
            case 607:
                return "INVALID FUNCTION";
            case 610:
                return "CAN'T OPEN PRINTER NAMED: ";
            case 924:
                return "NONE";
        }
        return "";
    };
    s.MessageBox = [](std::string_view text) {
        Call("MessageBox(" + std::string(text) + ")");
        return 1;
    };
    s.BiosTicks = []() {
        Call("BiosTicks");
        return W->Ticks;
    };
    s.DeadlinePassed = [](uint32_t) { return W->Pumps == W->DeadlinePassAt; };
    s.ParseCommandKeywords = [](StartupLocals&) { Call("ParseCommandKeywords"); };
    s.FirstArgumentPass = [](StartupLocals& locals) {
        Call("FirstArgumentPass");
        locals = W->Locals;
        if (!W->NamedSettingsFile.empty()) W->Globals.SettingsFileName = W->NamedSettingsFile;
    };
    s.SecondArgumentPass = []() { Call("SecondArgumentPass"); };
    s.ChooseSettingsFile = []() {
        Call("ChooseSettingsFile");
        if (W->ChooseResult) W->Globals.SettingsFileName = "chosen.def";
        return W->ChooseResult;
    };
    s.ScramblePassword = [](std::string_view clear) { return "*" + std::string(clear) + "*"; };
    s.LearnModeOn = []() { return W->LearnMode; };
    s.AppendLearnText = [](std::string_view text) {
        Call("AppendLearnText(" + std::string(text) + ")");
    };
    s.ClearKeyDefinitions = []() { Call("ClearKeyDefinitions"); };
    s.MacroPlaying = []() { return W->MacroPlaying && !W->MacroKeys.empty(); };
    s.PeekMacroKey = []() -> uint16_t { return W->MacroKeys.empty() ? 0 : W->MacroKeys.front(); };
    s.RunErrorKeyMacro = []() {
        Call("RunErrorKeyMacro");
        return W->ErrorKeyMacro;
    };
    s.CommSettingsDialog = []() { Call("CommSettingsDialog"); };
    s.CommOpen = [](bool flag) {
        Call("CommOpen(" + std::to_string(flag) + ")");
        return W->OpenResult;
    };
    s.CommErrorText = [](uint8_t code) { return "error " + std::to_string(code); };
    s.CommPoll = []() { Call("CommPoll"); };
    s.CommInputReady = [](uint32_t n) { return n == 260 && W->InputOver260; };
    s.CommClose = []() { Call("CommClose"); };
    s.CommShutdown = []() { Call("CommShutdown"); };
    s.StartAutoLogin = []() { Call("StartAutoLogin"); };
    s.SetCheckBreak = [](bool on) { Call("SetCheckBreak(" + std::to_string(on) + ")"); };
    s.MenuHoldsItem = [](std::string_view menu, uint16_t item) {
        return menu == "MainMenu" && W->MenuItems.count(item) > 0;
    };
    s.UpdateWindowTitle = []() { Call("UpdateWindowTitle"); };
    s.CloseTerminalWindow = []() { Call("CloseTerminalWindow"); };
    s.ClearWindowScreen = []() { Call("ClearWindowScreen"); };
    s.TerminalHasFocus = []() { return W->Focus; };
    s.HostDrivesConnection = []() { return W->HostDrives; };
    s.ClrScr = []() { Call("ClrScr"); };
    s.SetCursorRow = [](int row) { Call("SetCursorRow(" + std::to_string(row) + ")"); };
    s.ClampCursor = []() { Call("ClampCursor"); };
    s.SaveCursorState = []() { Call("SaveCursorState"); };
    s.RestoreCursorState = []() { Call("RestoreCursorState"); };
    s.SetCursorVisible = [](bool on) { Call("SetCursorVisible(" + std::to_string(on) + ")"); };
    s.DirectWriteOn = []() { return W->DirectWrite; };
    s.BeginDirectWrite = []() { Call("BeginDirectWrite"); };
    s.EndDirectWrite = []() { Call("EndDirectWrite"); };
    s.SetAttrCursorMode = [](bool on) { Call("SetAttrCursorMode(" + std::to_string(on) + ")"); };
    s.WriteCharCtl = [](char16_t ch) { Call("WriteCharCtl(" + std::to_string(int(ch)) + ")"); };
    s.MarkStatusLineDirty = []() { Call("MarkStatusLineDirty"); };
    s.HoldScreenOn = []() { return W->Hold; };
    s.AllocScreenBuffers = [](uint16_t size) {
        Call("AllocScreenBuffers(" + std::to_string(size) + ")");
    };
    s.CloseScreenBuffers = []() { Call("CloseScreenBuffers"); };
    s.SetTerminalType = [](std::string_view name, bool reset) {
        Call("SetTerminalType(" + std::string(name) + "," + std::to_string(reset) + ")");
        W->Globals.TabStops[0] = 99;  // a family with its own stops replaces them
        return W->TerminalTypeKnown || name == "VT220";
    };
    s.TermTabStyle = []() { return W->TabStyle; };
    s.ProcessRunning = []() { return W->ProcessRunning; };
    s.ProcessKeyboard = []() {
        Call("ProcessKeyboard");
        if (!W->MacroKeys.empty()) W->MacroKeys.pop_front();
    };
    s.ReceiveFromHost = []() { Call("ReceiveFromHost"); };
    s.KeyboardEnabled = []() { return true; };
    s.KeyboardLocked = []() { return W->KeyboardLocked; };
    s.WaitForPending = []() { return W->WaitFor; };
    s.QuietWaitPending = []() { return false; };
    s.OpenPrinterDevice = [](std::string_view name) {
        Call("OpenPrinterDevice(" + std::string(name) + ")");
        return W->PrinterOpens;
    };
    s.ClosePrinterDevice = []() { Call("ClosePrinterDevice"); };
    s.FlushCaptureLine = [](bool) { Call("FlushCaptureLine"); };
    s.CloseInputFile = [](uint8_t) { Call("CloseInputFile"); };
    s.CloseOutputFile = [](uint8_t) { Call("CloseOutputFile"); };
    s.EndPrintJob = [](bool forget) { Call("EndPrintJob(" + std::to_string(forget) + ")"); };
    s.AuxState = []() { return W->AuxState; };
    s.AuxClose = []() { Call("AuxClose"); };
    s.DdeClientShutdown = []() { Call("DdeClientShutdown"); };
    s.CloseFindSearch = []() { Call("CloseFindSearch"); };
    s.PlayMedia = [](std::string_view name) { Call("PlayMedia(" + std::string(name) + ")"); };
    return s;
}

// The keyboard's side of the same world: commands, macros, keys and messages.
void FakeKeyboard(KeyboardHooks& s) {
    s.ExecuteFunction = [](std::string_view text, uint16_t) -> uint32_t {
        Call("ExecuteFunction(" + std::string(text) + ")");
        return W->FunctionSucceeded ? 0 : 0x30000001;
    };
    s.FunctionSucceeded = []() { return W->FunctionSucceeded; };
    s.CurrentFunction = []() { return W->CurrentFunction; };
    s.MacroExists = [](uint16_t key) { return W->Macros.count(key) > 0; };
    s.StartMacro = [](uint16_t key, uint8_t) { Call("StartMacro(" + std::to_string(key) + ")"); };
    s.PumpWindowMessages = []() {
        EXPECT_TRUE(MainRoutine.MainLoopIdle);
        Call("PumpWindowMessages");
        int pump = ++W->Pumps;
        if (W->OnPump) W->OnPump(pump);
        if (pump > 100) {
            ADD_FAILURE() << "the main loop does not end";
            MainRoutine.ExitCode = ExitStay;
        }
    };
    s.KeyPressed = []() { return true; };
    s.ReadKeyCode = []() -> uint16_t {
        Call("ReadKeyCode");
        return 13;
    };
}

class MainRoutineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        world = FakeWorld{};
        W = &world;
        ResetMainRoutine();
        app::ComposeSessionServices();
        console::ResetExitChain();
        connections::ResetCommLayer();
        ui::ResetMenuDispatch();
        Services = FakeServices();
        savedKeyboard = Keyboard.Hooks;
        FakeKeyboard(Keyboard.Hooks);
        // A configured Telnet host that connects; the first pass ends the run.
        world.Globals.CommMethod = 2;
        world.Globals.AutoConnect = true;
        world.Globals.HostName = "alpha";
        world.Globals.PrinterName = "WPRN";
        world.Globals.TerminalType = "VT220";
        world.Globals.WindowStyle = 0x00CF0000;
        world.OnPump = [](int) { MainRoutine.ExitCode = ExitEnd; };
    }
    void TearDown() override {
        Keyboard.Hooks = savedKeyboard;
        app::ComposeSessionServices();
        console::ResetExitChain();
        W = nullptr;
    }

    // The recorded calls that appear in names, in order, up to the first call
    // equal to until.
    std::vector<std::string> Only(std::initializer_list<std::string> names,
                                  const std::string& until = "") const {
        std::vector<std::string> out;
        for (const std::string& c : world.Calls) {
            if (c == until) break;
            if (std::find(names.begin(), names.end(), c) != names.end()) out.push_back(c);
        }
        return out;
    }
    // The recorded calls from the first one equal to from, on.
    std::vector<std::string> From(const std::string& from) const {
        auto it = std::find(world.Calls.begin(), world.Calls.end(), from);
        return {it, world.Calls.end()};
    }
    size_t Count(const std::string& name) const {
        return std::count(world.Calls.begin(), world.Calls.end(), name);
    }

    FakeWorld world;
    KeyboardHooks savedKeyboard;
};

const std::vector<std::string> NormalCloseDown = {
    "ClearWindowScreen", "FlushCaptureLine", "CloseInputFile",    "CloseOutputFile",
    "EndPrintJob(1)",    "CommClose",        "CommShutdown",      "DdeClientShutdown",
    "CloseFindSearch",   "PlayMedia()",      "CloseScreenBuffers"};

TEST_F(MainRoutineTest, StartsUpInOrderAndAppliesTheCommandLine) {
    world.Locals.MethodArg = 7;
    world.Locals.TermArg = "vt100";
    world.Locals.CharsetArg = "UTF8";
    world.Locals.UserArg = "bob:pw:x";
    world.Locals.RingSizeArg = 500;
    world.Globals.InactivityTimeout = 10;

    RunSession();

    const std::vector<std::string> expected = {
        "ClearKeyDefinitions", "ParseCommandKeywords", "FirstArgumentPass", "StartupInit(0,0)",
        "ExecuteFunction(CHARSET UTF8)", "SecondArgumentPass", "SetCheckBreak(0)", "CommOpen(1)",
        "StartAutoLogin", "AllocScreenBuffers(500)", "SetTerminalType(VT100,0)", "ClrScr",
        "SetCursorRow(1)", "ClampCursor", "ReadKeyCode", "BiosTicks",
        // the first pass, which ends the run
        "CommPoll", "ProcessKeyboard", "PumpWindowMessages", "ReceiveFromHost"};
    std::vector<std::string> startup(world.Calls.begin(), world.Calls.begin() + expected.size());
    EXPECT_EQ(startup, expected);
    EXPECT_EQ(From("ClearWindowScreen"), NormalCloseDown);

    EXPECT_EQ(world.Globals.SettingsFileName, "wendrosta.def");
    EXPECT_EQ(world.Globals.SettingsSource, 1);
    EXPECT_EQ(world.Globals.CommMethod, 7);
    EXPECT_EQ(world.Globals.TerminalType, "VT100");
    EXPECT_EQ(world.Globals.UserName, "bob");
    EXPECT_EQ(world.Globals.Password, "*pw:x*");
    EXPECT_EQ(console::ExitChain.ExitProc, &SessionExitProc);
}

TEST_F(MainRoutineTest, SettingsSourceFollowsTheNamedFile) {
    struct Case {
        std::string named;
        std::string file;
        int source;
    };
    const Case cases[] = {
        {"", "wendrosta.def", 1}, {"NONE", "", 0},   {"none", "", 0},
        {"NEW", "", 4},           {"new", "new", 1},  // only the upper-case NEW starts from
                                                      // defaults
    };
    for (const Case& c : cases) {
        SetUp();
        world.NamedSettingsFile = c.named;
        RunSession();
        EXPECT_EQ(world.Globals.SettingsFileName, c.file) << c.named;
        EXPECT_EQ(world.Globals.SettingsSource, c.source) << c.named;
    }
}

TEST_F(MainRoutineTest, SettingsChooser) {
    world.Locals.ChooseSettings = true;
    world.ChooseResult = false;
    RunSession();
    EXPECT_EQ(world.Calls, (std::vector<std::string>{"ClearKeyDefinitions", "ParseCommandKeywords",
                                                     "FirstArgumentPass", "ChooseSettingsFile"}));
    EXPECT_EQ(console::ExitChain.ExitProc, nullptr);

    SetUp();
    world.Locals.ChooseSettings = true;
    RunSession();
    EXPECT_EQ(
        Only({"ChooseSettingsFile", "UpdateWindowTitle", "StartupInit(1,0)"}),
        (std::vector<std::string>{"ChooseSettingsFile", "UpdateWindowTitle", "StartupInit(1,0)"}));
    EXPECT_EQ(world.Globals.SettingsFileName, "chosen.def");
    EXPECT_EQ(world.Globals.SettingsSource, 2);
}

TEST_F(MainRoutineTest, CancelledFirstRunSetUpEndsBeforeAnythingElse) {
    world.StartupResult = false;
    RunSession();
    EXPECT_EQ(world.Calls.back(), "StartupInit(0,0)");
    EXPECT_EQ(console::ExitChain.ExitProc, &SessionExitProc);  // the exit chain still runs
}

TEST_F(MainRoutineTest, ConnectionDecision) {
    struct Case {
        const char* name;
        bool macroPlaying;
        bool autoConnect;
        uint8_t method;
        const char* host;
        const char* phone;
        uint32_t openResult;
        bool errorKey;
        bool hostGiven;
        uint32_t style;
        std::set<uint16_t> menuItems;
        std::vector<std::string> expected;
        bool runs;
    };
    const std::vector<std::string> opened = {"CommOpen(1)", "StartAutoLogin"};
    const std::vector<std::string> dialog = {"CommSettingsDialog"};
    const std::vector<std::string> failedStay = {"CommOpen(1)", "RunErrorKeyMacro",
                                                 "MessageBox(error 9)"};
    const std::vector<std::string> failedEnd = {"CommOpen(1)", "RunErrorKeyMacro",
                                                "MessageBox(error 9)", "CommShutdown",
                                                "CloseTerminalWindow"};
    const Case cases[] = {
        {"macro playing, no auto-connect",
         true,
         false,
         2,
         "alpha",
         "",
         0,
         false,
         false,
         0x00CF0000,
         {576},
         {},
         true},
        {"macro playing, auto-connect",
         true,
         true,
         2,
         "alpha",
         "",
         0,
         false,
         false,
         0x00CF0000,
         {576},
         opened,
         true},
        {"auto-connect off",
         false,
         false,
         2,
         "alpha",
         "",
         0,
         false,
         false,
         0x00CF0000,
         {576},
         dialog,
         true},
        {"method none",
         false,
         true,
         0,
         "alpha",
         "",
         0,
         false,
         false,
         0x00CF0000,
         {576},
         dialog,
         true},
        {"telnet without host",
         false,
         true,
         2,
         "",
         "",
         0,
         false,
         false,
         0x00CF0000,
         {576},
         dialog,
         true},
        {"serial needs no host",
         false,
         true,
         1,
         "",
         "",
         0,
         false,
         false,
         0x00CF0000,
         {576},
         opened,
         true},
        {"modem without number",
         false,
         true,
         6,
         "alpha",
         "",
         0,
         false,
         false,
         0x00CF0000,
         {576},
         dialog,
         true},
        {"modem with number",
         false,
         true,
         6,
         "",
         "5551234",
         0,
         false,
         false,
         0x00CF0000,
         {576},
         opened,
         true},
        {"failure, error-key macro",
         false,
         true,
         2,
         "alpha",
         "",
         9,
         true,
         true,
         0x00CF0000,
         {576},
         {"CommOpen(1)", "RunErrorKeyMacro", "StartAutoLogin"},
         true},
        {"failure, host given",
         false,
         true,
         2,
         "alpha",
         "",
         9,
         false,
         true,
         0x00CF0000,
         {576},
         failedEnd,
         false},
        {"failure, menu has Setup",
         false,
         true,
         2,
         "alpha",
         "",
         9,
         false,
         false,
         0x00CF0000,
         {576},
         failedStay,
         true},
        {"failure, menu has Host name",
         false,
         true,
         2,
         "alpha",
         "",
         9,
         false,
         false,
         0x00CF0000,
         {591},
         failedStay,
         true},
        {"failure, menu lacks both",
         false,
         true,
         2,
         "alpha",
         "",
         9,
         false,
         false,
         0x00CF0000,
         {},
         failedEnd,
         false},
        {"failure, no title bar",
         false,
         true,
         2,
         "alpha",
         "",
         9,
         false,
         false,
         0x00800000,
         {576},
         failedEnd,
         false},
    };
    for (const Case& c : cases) {
        SetUp();
        if (c.macroPlaying) {
            world.MacroPlaying = true;
            world.MacroKeys = {'x'};
        }
        world.Globals.AutoConnect = c.autoConnect;
        world.Globals.CommMethod = c.method;
        world.Globals.HostName = c.host;
        world.Globals.PhoneNumber = c.phone;
        world.OpenResult = c.openResult;
        world.ErrorKeyMacro = c.errorKey;
        world.Locals.HostGiven = c.hostGiven;
        world.Globals.WindowStyle = c.style;
        world.MenuItems = c.menuItems;
        RunSession();
        // Start-up only: the close-down that follows a run shuts the connection too.
        EXPECT_EQ(Only({"CommSettingsDialog", "CommOpen(1)", "RunErrorKeyMacro", "StartAutoLogin",
                        "MessageBox(error 9)", "CommShutdown", "CloseTerminalWindow"},
                       "PumpWindowMessages"),
                  c.expected)
            << c.name;
        EXPECT_EQ(Count("PumpWindowMessages") > 0, c.runs) << c.name;
        if (!c.runs) {
            EXPECT_EQ(Count("AllocScreenBuffers(0)"), 0u) << c.name;
        }
    }
}

TEST_F(MainRoutineTest, KioskMenuDecidesWhetherAFailedStartStays) {
    // The command line's menu name (kiosk mode) is the menu searched for the items.
    Services.FirstArgumentPass = [](StartupLocals&) { W->Globals.WindowMenuName = "SMALLMENU"; };
    world.OpenResult = 9;
    RunSession();
    EXPECT_EQ(world.Globals.WindowMenuName, "SMALLMENU");
    EXPECT_EQ(Count("CloseTerminalWindow"), 1u);
    EXPECT_EQ(Count("PumpWindowMessages"), 0u);
}

TEST_F(MainRoutineTest, ExitCodes) {
    for (uint8_t code : {1, 2}) {
        SetUp();
        world.OnPump = [code](int) { MainRoutine.ExitCode = code; };
        RunSession();
        EXPECT_EQ(From("ClearWindowScreen"), NormalCloseDown) << int(code);
        EXPECT_EQ(Count("ConfirmSaveSettings(0)"), 0u);
    }

    // 3: nothing is closed.
    for (bool attrCursor : {false, true}) {
        SetUp();
        world.Globals.AttrCursor = attrCursor;
        world.OnPump = [](int) { MainRoutine.ExitCode = ExitStay; };
        RunSession();
        std::vector<std::string> expected = {"ClearWindowScreen", "BeginDirectWrite"};
        if (attrCursor) expected.push_back("SetAttrCursorMode(0)");
        EXPECT_EQ(From("ClearWindowScreen"), expected);
    }

    // 4: asked once without cancel; the answer does not keep the program running.
    for (bool answer : {true, false}) {
        SetUp();
        world.ConfirmAnswer = answer;
        world.OnPump = [](int) { MainRoutine.ExitCode = ExitAfterQuestion; };
        RunSession();
        std::vector<std::string> expected = {"ReceiveFromHost", "ConfirmSaveSettings(0)"};
        expected.insert(expected.end(), NormalCloseDown.begin(), NormalCloseDown.end());
        EXPECT_EQ(From("ReceiveFromHost"), expected);
        EXPECT_EQ(Count("PumpWindowMessages"), 1u);
    }
}

TEST_F(MainRoutineTest, CloseDownClosesThePrinterDeviceAndAnOpenAuxPort) {
    world.Globals.PrinterName = "LPT1";
    world.AuxState = 3;
    RunSession();
    EXPECT_EQ(Only({"OpenPrinterDevice(LPT1)", "CommShutdown", "ClosePrinterDevice", "AuxClose",
                    "DdeClientShutdown"}),
              (std::vector<std::string>{"OpenPrinterDevice(LPT1)", "CommShutdown",
                                        "ClosePrinterDevice", "AuxClose", "DdeClientShutdown"}));
}

TEST_F(MainRoutineTest, PrinterDevice) {
    struct Case {
        const char* name;
        bool opens;
        std::vector<std::string> expected;
        const char* after;
    };
    const Case cases[] = {
        {"WPRN", true, {}, "WPRN"},
        {"wprn", true, {}, "wprn"},
        {"", true, {}, ""},
        {"LPT1", true, {"OpenPrinterDevice(LPT1)"}, "LPT1"},
        {"LPT9",
         false,
         {"OpenPrinterDevice(LPT9)", "MessageBox(CAN'T OPEN PRINTER NAMED: LPT9)"},
         ""},
    };
    for (const Case& c : cases) {
        SetUp();
        world.Globals.PrinterName = c.name;
        world.PrinterOpens = c.opens;
        world.OnPump = [](int) {
            MainRoutine.ExitCode = ExitStay;
        };  // keeps the printer name out of the close-down
        RunSession();
        std::vector<std::string> got;
        for (const std::string& call : world.Calls)
            if (call.rfind("OpenPrinterDevice", 0) == 0 || call.rfind("MessageBox", 0) == 0)
                got.push_back(call);
        EXPECT_EQ(got, c.expected) << c.name;
        EXPECT_EQ(world.Globals.PrinterName, c.after) << c.name;
    }
}

TEST_F(MainRoutineTest, StartupMacro) {
    struct Case {
        const char* keyArg;
        uint16_t startupKey;
        std::set<uint16_t> macros;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"x", 0, {'x'}, {"StartMacro(120)"}},
        {"x", 315, {315}, {}},  // the argument's key has no
                                // macro: neither starts
        {"", 315, {315}, {"StartMacro(315)"}},
        {"", 315, {}, {}},
        {"", 0, {0}, {}},
    };
    for (const Case& c : cases) {
        SetUp();
        world.Locals.StartupKeyArg = c.keyArg;
        world.Globals.StartupKey = c.startupKey;
        world.Macros = c.macros;
        RunSession();
        std::vector<std::string> got;
        for (const std::string& call : world.Calls)
            if (call.rfind("StartMacro", 0) == 0) got.push_back(call);
        EXPECT_EQ(got, c.expected) << c.keyArg << " " << c.startupKey;
    }
}

TEST_F(MainRoutineTest, UnknownTerminalTypeFallsBackAndTabStopsSurvive) {
    world.Globals.TerminalType = "BOGUS";
    world.Globals.TabStops[0] = 9;
    world.TerminalTypeKnown = false;
    RunSession();
    EXPECT_EQ(Only({"SetTerminalType(BOGUS,0)", "SetTerminalType(VT220,0)"}),
              (std::vector<std::string>{"SetTerminalType(BOGUS,0)", "SetTerminalType(VT220,0)"}));
    EXPECT_EQ(world.Globals.TerminalType, "VT220");
    EXPECT_EQ(world.Globals.TabStops[0], 9);

    SetUp();
    world.Globals.TabStops[0] = 9;
    world.TabStyle = 2;  // the family keeps the stops it set
    RunSession();
    EXPECT_EQ(world.Globals.TabStops[0], 99);
}

TEST_F(MainRoutineTest, InactivityTimeoutIsArmedOnceFromStartUp) {
    struct Case {
        uint32_t ticks;
        uint32_t deadline;
    };
    // The second wraps past midnight; the third lands on it, which the clock calls 1573040.
    for (Case c : {Case{1000, 1000 + 60 * 18}, Case{1573000, 1040}, Case{1571960, 1573040}}) {
        SetUp();
        world.Globals.InactivityTimeout = 60;
        world.Ticks = c.ticks;
        world.DeadlinePassAt = 3;
        world.OnPump = nullptr;
        RunSession();
        EXPECT_EQ(MainRoutine.RunDeadline, c.deadline);
        EXPECT_EQ(Count("BiosTicks"), 1u);
        EXPECT_EQ(Count("PumpWindowMessages"), 3u);
        EXPECT_EQ(Count("ConfirmSaveSettings(0)"), 1u);
        EXPECT_EQ(From("ConfirmSaveSettings(0)").size(), 1 + NormalCloseDown.size());
    }

    // Without a limit nothing is armed.
    SetUp();
    RunSession();
    EXPECT_FALSE(MainRoutine.RunDeadlineSet);
    EXPECT_EQ(Count("BiosTicks"), 0u);

    // A command that ended the run in the same pass keeps its exit code.
    SetUp();
    world.Globals.InactivityTimeout = 60;
    world.DeadlinePassAt = 1;
    world.OnPump = [](int) { MainRoutine.ExitCode = ExitStay; };
    RunSession();
    EXPECT_EQ(MainRoutine.ExitCode, ExitStay);
    EXPECT_EQ(Count("ConfirmSaveSettings(0)"), 0u);
}

TEST_F(MainRoutineTest, PassOrderAndReceiveConditions) {
    struct Case {
        const char* name;
        bool processRunning, hold, hostDrives, focus, over260, overflow;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"plain",
         false,
         false,
         false,
         false,
         false,
         false,
         {"CommPoll", "ProcessKeyboard", "PumpWindowMessages", "ReceiveFromHost"}},
        {"launched program runs",
         true,
         false,
         false,
         false,
         false,
         false,
         {"CommPoll", "PumpWindowMessages", "ReceiveFromHost"}},
        {"output held",
         false,
         true,
         false,
         false,
         false,
         false,
         {"CommPoll", "ProcessKeyboard", "PumpWindowMessages"}},
        {"other program drives",
         false,
         false,
         true,
         false,
         false,
         false,
         {"CommPoll", "ProcessKeyboard", "PumpWindowMessages"}},
        {"other program drives, focus",
         false,
         false,
         true,
         true,
         false,
         false,
         {"CommPoll", "ProcessKeyboard", "PumpWindowMessages", "ReceiveFromHost"}},
        {"other program drives, input",
         false,
         false,
         true,
         false,
         true,
         false,
         {"CommPoll", "ProcessKeyboard", "PumpWindowMessages", "ReceiveFromHost"}},
        {"receive overflow",
         false,
         false,
         false,
         false,
         false,
         true,
         {"CommPoll", "ProcessKeyboard", "PumpWindowMessages", "ReceiveFromHost",
          "WriteCharCtl(128)"}},
    };
    for (const Case& c : cases) {
        SetUp();
        world.ProcessRunning = c.processRunning;
        world.Hold = c.hold;
        world.HostDrives = c.hostDrives;
        world.Focus = c.focus;
        world.InputOver260 = c.over260;
        connections::CommLayer.ReceiveOverflow = c.overflow;
        world.OnPump = nullptr;
        MainLoopPass();
        EXPECT_EQ(world.Calls, c.expected) << c.name;
        EXPECT_FALSE(connections::CommLayer.ReceiveOverflow);
        EXPECT_FALSE(MainRoutine.MainLoopIdle);
    }
}

TEST_F(MainRoutineTest, MacroKeysF4AndF6AreServedBeforeTheNextReceive) {
    struct Case {
        const char* name;
        std::deque<uint16_t> keys;
        bool locked, waitFor;
        size_t keyboardSteps;
    };
    const Case cases[] = {
        {"F4 and F6 follow", {'a', 318, 320, 'b'}, false, false, 3},
        {"ordinary keys", {'a', 'b'}, false, false, 1},
        {"F6 ends the macro", {'a', 320}, false, false, 2},
        {"keyboard locked", {'a', 318, 'b'}, true, false, 1},
        {"wait-for pending", {'a', 318, 'b'}, false, true, 1},
    };
    for (const Case& c : cases) {
        SetUp();
        world.MacroPlaying = true;
        world.MacroKeys = c.keys;
        world.KeyboardLocked = c.locked;
        world.WaitFor = c.waitFor;
        world.OnPump = nullptr;
        MainLoopPass();
        EXPECT_EQ(Count("ProcessKeyboard"), c.keyboardSteps) << c.name;
        EXPECT_EQ(Count("PumpWindowMessages"), c.keyboardSteps) << c.name;
        EXPECT_EQ(world.Calls.back(), "ReceiveFromHost") << c.name;
    }
}

TEST_F(MainRoutineTest, PendingCommand) {
    struct Case {
        const char* name;
        const char* command;
        bool succeeds, learn, directWrite;
        int32_t function;
        std::vector<std::string> expected;
    };
    const std::string learned = std::string("AppendLearnText(") + '\0' + "@BEEP ON|)";
    const Case cases[] = {
        {"succeeds",
         "BEEP ON",
         true,
         false,
         false,
         1,
         {"SaveCursorState", "SetCursorVisible(1)", "ExecuteFunction(BEEP ON)",
          "RestoreCursorState", "MarkStatusLineDirty"}},
        {"fails",
         "BOGUS",
         false,
         false,
         false,
         0,
         {"SaveCursorState", "SetCursorVisible(1)", "ExecuteFunction(BOGUS)",
          "MessageBox(INVALID FUNCTION)", "RestoreCursorState", "MarkStatusLineDirty"}},
        {"learned",
         "BEEP ON",
         true,
         true,
         false,
         1,
         {"SaveCursorState", "SetCursorVisible(1)", learned, "ExecuteFunction(BEEP ON)",
          "RestoreCursorState", "MarkStatusLineDirty"}},
        {"RECORD OFF is not learned",
         "record off",
         true,
         true,
         false,
         1,
         {"SaveCursorState", "SetCursorVisible(1)", "ExecuteFunction(record off)",
          "RestoreCursorState", "MarkStatusLineDirty"}},
        {"direct writing ended",
         "CLS",
         true,
         false,
         true,
         1,
         {"SaveCursorState", "SetCursorVisible(1)", "ExecuteFunction(CLS)", "EndDirectWrite",
          "RestoreCursorState", "MarkStatusLineDirty"}},
        {"WAITFOR keeps the status row",
         "WAITFOR x",
         true,
         false,
         false,
         115,
         {"SaveCursorState", "SetCursorVisible(1)", "ExecuteFunction(WAITFOR x)",
          "RestoreCursorState"}},
        {"CALC keeps the status row",
         "CALC",
         true,
         false,
         false,
         4,
         {"SaveCursorState", "SetCursorVisible(1)", "ExecuteFunction(CALC)", "RestoreCursorState"}},
    };
    for (const Case& c : cases) {
        SetUp();
        world.FunctionSucceeded = c.succeeds;
        world.LearnMode = c.learn;
        world.DirectWrite = c.directWrite;
        world.CurrentFunction = c.function;
        std::string command = c.command;
        world.OnPump = [command](int) { ui::QueuePendingCommand(command); };
        MainLoopPass();
        std::vector<std::string> got(world.Calls.begin() + 3, world.Calls.end() - 1);
        EXPECT_EQ(got, c.expected) << c.name;
        EXPECT_TRUE(ui::MenuDispatch.PendingCommand.empty()) << c.name;
    }
}

TEST_F(MainRoutineTest, CommandQueuedWhileAnotherRunsIsKept) {
    Keyboard.Hooks.ExecuteFunction = [](std::string_view text, uint16_t) -> uint32_t {
        Call("ExecuteFunction(" + std::string(text) + ")");
        // A menu choice made while this command waits for the host.
        if (text == "FIRST") ui::QueuePendingCommand("SECOND");
        return 0;
    };
    world.OnPump = [](int pump) {
        if (pump == 1) ui::QueuePendingCommand("FIRST");
    };
    MainLoopPass();
    MainLoopPass();
    EXPECT_EQ(Only({"ExecuteFunction(FIRST)", "ExecuteFunction(SECOND)"}),
              (std::vector<std::string>{"ExecuteFunction(FIRST)", "ExecuteFunction(SECOND)"}));
}

void EarlierExitProc() {
    Call("EarlierExitProc");
}

TEST_F(MainRoutineTest, ExitHandlerBlanksTheScreenOnlyOnFailure) {
    for (int status : {0, 216}) {
        SetUp();
        console::ExitChain.ExitProc = EarlierExitProc;
        InstallExitHandler(false, true);
        EXPECT_EQ(world.Calls, std::vector<std::string>{"StartupInit(0,1)"});
        world.Calls.clear();
        console::RunExitChain(status);
        std::vector<std::string> expected;
        if (status != 0) expected.push_back("ClearWindowScreen");
        expected.push_back("EarlierExitProc");
        EXPECT_EQ(world.Calls, expected) << status;
        EXPECT_EQ(console::ExitChain.ExitProc, nullptr);
    }
}

}  // namespace
}  // namespace emulation
