#include "connections/comm_interface.h"

#include <gtest/gtest.h>

#include "app/connection_wiring.h"
#include "commands/settings_record.h"
#include "connection_fakes.h"
#include "connections/comm_debug_log.h"
#include "console/screen_buffer.h"
#include "emulation/main_routine.h"

namespace connections {
namespace {

using testing::FakeTransport;

// The program's connection over a scripted socket, opened from the settings
// record the way the main routine opens it.
class CommInterfaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        emulation::ResetMainRoutine();
        console::ResetConsoleScreen();
        app::ComposeConnection();
        AttachProgramConnection(&socket);
        ResetCommLayer();
        commands::Settings.CommMethod = CommMethodTelnet;
        commands::Settings.TelnetNegotiation = 0;
        commands::Settings.HostName = "10.1.2.3:2323";
    }
    void TearDown() override {
        ResetCommLayer();
        AttachProgramConnection(nullptr);
        SetProgramConnectionHost(nullptr);
        ResetCommLayer();
    }
    FakeTransport socket;
};

TEST_F(CommInterfaceTest, OpensFromTheSettingsAndReadsBytes) {
    ASSERT_EQ(CommOpen(true), 0u);
    EXPECT_TRUE(CommIsOpen());
    ASSERT_EQ(socket.connects.size(), 1u);
    EXPECT_EQ(socket.connects[0].second, 2323);
    EXPECT_EQ(connectionLayer.ConnectedHostName, "10.1.2.3:2323");

    // A real 0xFF (doubled on Telnet) is told apart from "nothing".
    EXPECT_EQ(CommReadChar(false, false), CommNothingReceived);
    socket.Arrive({0xFF, 0xFF, 'A', 'B', 0x1B});
    CommPollReceive();
    EXPECT_TRUE(CommInputReady(0));
    EXPECT_EQ(CommReadChar(false, false), 0xFF);
    uint8_t run[8];
    EXPECT_EQ(CommReadRun(run, 8, 32, 126), 2u);
    EXPECT_EQ(CommReadChar(false, false), 0x1B);

    EXPECT_TRUE(CommSendString("hi"));
    EXPECT_EQ(socket.TakeSent(), testing::S("hi"));
}

TEST_F(CommInterfaceTest, HostLossEndsTheProgramOnlyWithoutReconnect) {
    commands::Settings.CommDebug = 1;
    ASSERT_EQ(CommOpen(true), 0u);
    socket.hostClosed = true;
    connectionLayer.ReceiveMode = 0;  // read at once, as after a close notice
    CommPollReceive();
    EXPECT_EQ(emulation::MainRoutine.ExitCode, 4);
    EXPECT_NE(CommDebugState.CommDebugText.find("[WINSOCK recv returned 0"), std::string::npos);

    emulation::ResetMainRoutine();
    ResetCommLayer();
    commands::Settings.ReconnectMode = 2;
    socket.hostClosed = false;
    socket.open = false;
    ASSERT_EQ(CommOpen(true), 0u);
    socket.hostClosed = true;
    connectionLayer.ReceiveMode = 0;  // read at once, as after a close notice
    CommPollReceive();
    EXPECT_EQ(emulation::MainRoutine.ExitCode, 0);
    EXPECT_FALSE(CommIsOpen());
}

TEST_F(CommInterfaceTest, ErrorTextsComeFromTheMessageTable) {
    commands::Settings.HostName = "";
    EXPECT_EQ(CommOpen(true), 8u);
    EXPECT_EQ(CommErrorText(8), "Unknown host");
    EXPECT_EQ(CommErrorText(0), "");
    connectionLayer.WinsockErrorNumber = 10051;
    EXPECT_EQ(CommErrorText(17), "TCP/IP (WINSOCK) error 10051");
}

TEST_F(CommInterfaceTest, NawsUsesTheConsoleSize) {
    commands::Settings.TelnetNegotiation = 1;
    commands::Settings.SendWindowSize = 1;
    console::ConsoleScreen.Cols = 132;
    console::ConsoleScreen.Rows = 44;
    ASSERT_EQ(CommOpen(true), 0u);
    socket.TakeSent();
    socket.Arrive({255, 253, 31});  // DO NAWS
    CommPollReceive();
    CommInputReady(0);
    const testing::Bytes sent = socket.TakeSent();
    const testing::Bytes naws = {255, 250, 31, 0, 132, 0, 43, 255, 240};
    EXPECT_NE(std::search(sent.begin(), sent.end(), naws.begin(), naws.end()), sent.end());
}

}  // namespace
}  // namespace connections
