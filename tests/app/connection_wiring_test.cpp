// The connection, the command language and the start-up as the program
// composes them: what app::ComposeProgram() puts behind their ports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../connections/connection_fakes.h"
#include "../console/fake_console_window.h"
#include "app/composition.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "commands/variables.h"
#include "connections/comm_debug_log.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "console/console_primitives.h"
#include "console/screen_buffer.h"
#include "console/terminal_window.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/macros.h"
#include "emulation/line_errors.h"
#include "emulation/main_routine.h"
#include "emulation/receive_loop.h"
#include "emulation/session_services.h"
#include "ui/message_box.h"

namespace {

std::vector<std::string> boxes;

int RecordBox(std::string_view text) {
    boxes.emplace_back(text);
    return ui::MessageBoxOk;
}

void ResetUnits() {
    commands::ResetSettingsToDefaults();
    commands::ResetInterpreter();
    commands::ResetInterpreterHooks();
    commands::ResetVariableSources();
    emulation::ResetSessionServices();
    emulation::ResetMainRoutine();
    emulation::ResetReceiveLoop();
    emulation::ResetKeyboard();
    emulation::ResetMacros();
    emulation::ResetLineErrors();
    console::ResetConsoleScreen();
}

class ProgramWiring : public ::testing::Test {
  protected:
    void SetUp() override {
        boxes.clear();
        ResetUnits();
        console_test::ResetConsoleForTest(window);
        app::ComposeProgram();
        previousBox_ = ui::SetMessageBoxFunction(RecordBox);
        connections::AttachProgramConnection(&socket);
        connections::ResetCommLayer();
        commands::Settings.CommMethod = connections::CommMethodTelnet;
        commands::Settings.TelnetNegotiation = 0;
        commands::Settings.HostName = "10.1.2.3";
    }
    void TearDown() override {
        connections::ResetCommLayer();
        connections::AttachProgramConnection(nullptr);
        connections::ResetCommLayer();
        ui::SetMessageBoxFunction(previousBox_);
        console::SetScreenWindow(nullptr);
        ResetUnits();
    }

    std::string Sent() {
        const connections::testing::Bytes bytes = socket.TakeSent();
        return std::string(bytes.begin(), bytes.end());
    }

    connections::testing::FakeTransport socket;
    console_test::FakeConsoleWindow window;

  private:
    ui::MessageBoxFunction previousBox_ = nullptr;
};

// "/C" asks for a settings file to be chosen; while there is no dialog for
// it, the program says so before it ends.
TEST_F(ProgramWiring, ChoosingASettingsFileSaysWhyItCannot) {
    EXPECT_FALSE(emulation::Services.ChooseSettingsFile());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("(/C)"), std::string::npos) << boxes[0];
}

// The login wizard answers the host's prompts after the connection opens and
// again after the program reconnects to a host that dropped the line.
TEST_F(ProgramWiring, AutoLoginStartsAtStartUpAndOnReconnect) {
    commands::Settings.LoginWizard = 1;
    commands::Settings.UserName = "ann";
    commands::Settings.ReconnectMode = 1;
    emulation::Services.StartAutoLogin();
    EXPECT_EQ(emulation::ReceiveLoop.AutoLoginState, 1);

    emulation::ReceiveLoop.AutoLoginState = 0;
    ASSERT_EQ(connections::CommOpen(true), 0u);
    socket.hostClosed = true;
    connections::connectionLayer.ReceiveMode = 0;
    connections::CommPollReceive();
    EXPECT_EQ(socket.opens, 2);
    EXPECT_EQ(emulation::ReceiveLoop.AutoLoginState, 1);
}

// "." in a command's coordinates stands for the cursor's column or row.
TEST_F(ProgramWiring, RelativeCoordinatesStartAtTheCursor) {
    console::ConsoleLayer.CursorRow = 3;
    console::ConsoleLayer.CursorCol = 5;
    commands::FunctionCall call(". .2 .-1 .");
    commands::CellRectangle r;
    ASSERT_TRUE(call.ParseCoordinates(r));
    EXPECT_EQ(r.FirstColumn, 5);
    EXPECT_EQ(r.LastColumn, 7);
    EXPECT_EQ(r.FirstRow, 2);
    EXPECT_EQ(r.LastRow, 3);
    // The pending-wrap position past the last column counts as the last column.
    console::ConsoleLayer.CursorCol = console::Columns() + 1;
    EXPECT_EQ(commands::InterpreterHooks.CursorColumn(), console::Columns());
}

// A failing command runs the error key's macro instead of its message.
TEST_F(ProgramWiring, ErrorKeyRunsItsMacro) {
    constexpr uint16_t kKey = 0x3B00;  // F1
    ASSERT_TRUE(emulation::DefineMacro(kKey, "x", 0, 0));
    commands::Interpreter.ErrorKey = kKey;
    EXPECT_TRUE(commands::InterpreterHooks.RunErrorKeyMacro());
    EXPECT_TRUE(emulation::MacroIsPlaying());
}

// NEW-ENVIRON answers with the settings' environment text, its variables
// expanded.
TEST_F(ProgramWiring, EnvironmentAnswersExpandVariables) {
    ASSERT_EQ(connections::CommOpen(true), 0u);
    Sent();
    socket.Arrive({255, 250, 39, 1, 255, 240});
    connections::CommPollReceive();
    EXPECT_EQ(connections::CommReadChar(false, false), connections::CommNothingReceived);
    const std::string sent = Sent();
    EXPECT_NE(sent.find("OZMEL\x01" + commands::ExpandVariables("${OZM_PROGRAM}")),
              std::string::npos);
    EXPECT_EQ(sent.find("${"), std::string::npos) << sent;
}

// A line error found by the periodic check is written on the status row (at
// the cursor in monitor mode) and kept there for its time.
TEST_F(ProgramWiring, LineErrorsReachTheStatusRow) {
    ASSERT_EQ(connections::CommOpen(true), 0u);
    console::ConsoleLayer.CursorRow = 5;
    console::ConsoleLayer.CursorCol = 7;
    connections::connectionLayer.CommLastError = connections::kReplyNotSent;
    connections::CommPoll();
    const int32_t statusRow = console::ConsoleLayer.StatusRow;
    EXPECT_EQ(console_test::WindowRow(statusRow - 1).substr(9, 16), "COMM ERROR 12001");
    EXPECT_EQ(console::ConsoleLayer.CursorRow, 5);
    EXPECT_EQ(console::ConsoleLayer.CursorCol, 7);
    EXPECT_TRUE(emulation::Keyboard.Hooks.StatusMessageShown());
    EXPECT_FALSE(emulation::Keyboard.Hooks.TakeExpiredStatusMessage());

    emulation::ReceiveLoop.MonitorMode = true;
    connections::connectionLayer.CommLastError = 10050;
    connections::CommPoll();
    EXPECT_EQ(console_test::WindowRow(4).substr(6, 16), "COMM ERROR 10050");
}

// Received bytes start a quiet wait's silence again.
TEST_F(ProgramWiring, ArrivingDataRestartsTheQuietWait) {
    ASSERT_EQ(connections::CommOpen(true), 0u);
    emulation::Keyboard.QuietWaitStart = 1;
    socket.Arrive({'a'});
    connections::CommPollReceive();
    // The keyboard's clock, in 55 ms steps.
    EXPECT_LE(emulation::Keyboard.Hooks.Milliseconds() - emulation::Keyboard.QuietWaitStart, 110u);
}

// Telnet offers no AUTHENTICATION or ENCRYPT it cannot carry out, and an
// open that requires them, or SSH, is refused with its reason before a
// socket opens.
TEST_F(ProgramWiring, OnlyWhatCanBeCarriedOutIsOfferedOrOpened) {
    commands::Settings.TelnetNegotiation = 1;
    ASSERT_EQ(connections::CommOpen(true), 0u);
    const std::string offers = Sent();
    for (const char option : {37, 38}) {
        EXPECT_EQ(offers.find(std::string("\xFB") + option), std::string::npos);
        EXPECT_EQ(offers.find(std::string("\xFD") + option), std::string::npos);
    }
    socket.Arrive({255, 253, 37, 255, 251, 38});  // DO AUTHENTICATION, WILL ENCRYPT
    connections::CommPollReceive();
    EXPECT_EQ(connections::CommReadChar(false, false), connections::CommNothingReceived);
    EXPECT_EQ(Sent(), "\xFF\xFC\x25\xFF\xFE\x26");  // WONT, DONT
    connections::CommClose();

    struct Case {
        uint8_t method;
        uint8_t auth, encrypt;
        uint32_t error;
        const char* text;
    } cases[] = {
        {connections::CommMethodTelnet, 2, 1, 33, "authentication or encryption is required"},
        {connections::CommMethodTelnet, 0, 2, 33, "authentication or encryption is required"},
    };
    for (const Case& c : cases) {
        commands::Settings.CommMethod = c.method;
        commands::Settings.SrpAuthMode = c.auth;
        commands::Settings.SrpEncryptMode = c.encrypt;
        const int opens = socket.opens;
        EXPECT_EQ(connections::CommOpen(true), c.error);
        EXPECT_EQ(socket.opens, opens);
        EXPECT_NE(connections::CommErrorText(uint8_t(c.error)).find(c.text), std::string::npos);
    }
    // SSH can be carried out: the program has a system random generator for
    // its secrets, so the socket opens and the login runs (here the host
    // closes before it says anything).
    commands::Settings.CommMethod = connections::CommMethodSsh;
    socket.hostClosed = true;
    const int opens = socket.opens;
    EXPECT_EQ(connections::CommOpen(true), 31u);
    EXPECT_EQ(socket.opens, opens + 1);
    EXPECT_TRUE(boxes.empty());
}

// A host that drops the line is handled once, not again at every poll.
TEST_F(ProgramWiring, ADroppedLineIsHandledOnce) {
    for (uint8_t mode : {0, 2}) {
        commands::Settings.ReconnectMode = mode;
        ASSERT_EQ(connections::CommOpen(true), 0u);
        connections::connectionLayer.ReceiveMode = 0;  // read at once, as after a notice
        socket.receiveError = platform::kSockConnectionReset;
        connections::CommPollReceive();
        connections::CommPoll();
        EXPECT_EQ(emulation::MainRoutine.ExitCode, mode == 0 ? 4 : 0);
        // The code that was acted on is gone, so the next poll does not act again.
        EXPECT_EQ(connections::CommLastError(), 0) << int(mode);
        emulation::MainRoutine.ExitCode = 0;
        const int closes = socket.closes;
        for (int i = 0; i < 3; ++i) {
            connections::CommPollReceive();
            connections::CommPoll();
        }
        EXPECT_EQ(emulation::MainRoutine.ExitCode, 0) << int(mode);
        EXPECT_EQ(socket.closes, closes) << int(mode);
        socket.receiveError = 0;
        connections::CommClose();
    }
}

// A busy line of Telnet commands logs nothing while debugging is off, and
// within the cap while it is on.
TEST_F(ProgramWiring, DebugLogFollowsTheSettingWithinItsCap) {
    ASSERT_EQ(connections::CommOpen(true), 0u);
    connections::testing::Bytes block;
    for (int i = 0; i < 2000; ++i) block.insert(block.end(), {255, 241});  // IAC NOP
    auto receive = [&](int blocks) {
        for (int i = 0; i < blocks; ++i) {
            socket.Arrive(block);
            while (!socket.inbound.empty() || connections::CommInputReady(0)) {
                connections::CommPollReceive();
                EXPECT_EQ(connections::CommReadChar(false, false),
                          connections::CommNothingReceived);
            }
        }
    };
    receive(100);  // 400 kB
    EXPECT_EQ(connections::CommDebugState.CommDebugText, "");
    commands::Settings.CommDebug = 1;
    receive(100);
    const std::string& text = connections::CommDebugState.CommDebugText;
    EXPECT_LE(text.size(), connections::kDebugTextLimit);
    EXPECT_GE(text.size(), connections::kDebugTextLimit / 2);
    EXPECT_EQ(text.substr(text.size() - 13), "[R:IAC NOP]\r\n");
}

TEST_F(ProgramWiring, WindowTitleVariable) {
    console::TerminalWindowUnit.CurrentWindowTitle = u"Host - CONNECTED";
    EXPECT_EQ(commands::ExpandVariables("[${OZM_TITLE}]"), "[Host - CONNECTED]");
}

}  // namespace
