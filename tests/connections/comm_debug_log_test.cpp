#include "connections/comm_debug_log.h"

#include <gtest/gtest.h>

#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"

namespace connections {
namespace {

class FakeDebugWindow : public platform::CommDebugWindowPort {
  public:
    bool open = false;
    int refreshes = 0;
    std::vector<std::string> boxes;
    std::string shown;  // the text at the last refresh
    bool IsOpen() override { return open; }
    void Open() override { open = true; }
    void Close() override { open = false; }
    void Refresh() override {
        ++refreshes;
        shown = CommDebugState.CommDebugText;
    }
    void ErrorBox(std::string_view text, std::string_view caption) override {
        boxes.push_back(std::string(caption) + "|" + std::string(text));
    }
};

class CommDebugLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        commands::Settings.CommDebug = 0;
        ResetCommLayer();
        ResetCommDebugLog();
        CommDebugState.Window = &window;
    }
    void TearDown() override {
        ResetCommLayer();
        ResetCommDebugLog();
    }
    FakeDebugWindow window;
};

TEST_F(CommDebugLogTest, LinesAreLoggedOnlyWhileDebuggingIsOn) {
    CommLogSent("IAC DOTEL ECHO");
    CommDebugLog("connect: 10061");
    EXPECT_FALSE(window.open);  // the setting is off
    EXPECT_EQ(CommDebugState.CommDebugText, "");

    // With the setting on, a line opens the window itself.
    commands::Settings.CommDebug = 1;
    CommLogSent("IAC DOTEL ECHO");
    CommLogReceived("IAC WILL ECHO");
    CommDebugLog("connect: 10061\r\n");
    EXPECT_TRUE(window.open);
    EXPECT_EQ(CommDebugState.CommDebugText,
              "[S:IAC DOTEL ECHO]\r\n[R:IAC WILL ECHO]\r\n[connect: 10061\r\n]\r\n");
    EXPECT_EQ(window.shown, CommDebugState.CommDebugText);
    EXPECT_EQ(CommDebugState.AppendedTotal, CommDebugState.CommDebugText.size());
    CommDebugWindowClosed();
    EXPECT_EQ(commands::Settings.CommDebug, 0);
}

// A busy connection logs a line per Telnet command: the text keeps the
// newest whole lines within its limit.
TEST_F(CommDebugLogTest, TextIsCappedDroppingTheOldestLines) {
    commands::Settings.CommDebug = 1;
    const int lines = 40000;
    for (int i = 0; i < lines; ++i) CommLogReceived("IAC NOP " + std::to_string(i));
    const std::string& text = CommDebugState.CommDebugText;
    EXPECT_LE(text.size(), kDebugTextLimit);
    EXPECT_GE(text.size(), kDebugTextLimit / 2);
    EXPECT_EQ(text.substr(0, 3), "[R:");  // whole lines only
    EXPECT_EQ(text.substr(text.size() - 19), "[R:IAC NOP 39999]\r\n");
    EXPECT_GT(CommDebugState.Trims, 0u);
    EXPECT_GT(CommDebugState.AppendedTotal, uint64_t(text.size()));
}

TEST_F(CommDebugLogTest, ErrorBoxOnlyWithVerboseAndAlwaysLogged) {
    commands::Settings.CommDebug = 1;
    CommErrorBox("connect: 10061", 1);
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(CommDebugState.CommDebugText, "[Ozmel WINSOCK.DLL error connect: 10061]\r\n");

    SetCommVerbose(true);
    const std::string longText(100, 'e');
    CommErrorBox(longText, 0);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0], "Ozmel error|" + std::string(80, 'e'));
    EXPECT_NE(CommDebugState.CommDebugText.find("[Ozmel error " + longText + "]"),
              std::string::npos);
}

TEST_F(CommDebugLogTest, ScreenQueueHoldsFiftyLinesOfEightyColumns) {
    // Without /V nothing is queued for the screen.
    CommDebugLog("n");
    EXPECT_TRUE(CommDebugState.ScreenLogQueue.empty());
    SetCommVerbose(true);
    CommDebugLog(std::string(100, 'd'));
    CommLogSent(std::string(100, 's'));
    ASSERT_EQ(CommDebugState.ScreenLogQueue.size(), 2u);
    EXPECT_EQ(CommDebugState.ScreenLogQueue[0], "[" + std::string(78, 'd') + "]");
    EXPECT_EQ(CommDebugState.ScreenLogQueue[1], "[S:" + std::string(77, 's'));
    for (int i = 0; i < 60; ++i) CommDebugLog("n");
    EXPECT_EQ(CommDebugState.ScreenLogQueue.size(), kScreenLogLines);
    EXPECT_EQ(CommDebugState.CommDebugText, "");  // the setting is off
}

TEST_F(CommDebugLogTest, SubnegotiationLines) {
    commands::Settings.CommDebug = 1;
    const uint8_t naws[] = {31, 0, 80, 0, 24};
    CommLogSubneg('>', naws, 5 + 2);
    const uint8_t encrypt[] = {38, 1, 3};
    CommLogSubneg('<', encrypt, 3 + 2);
    EXPECT_EQ(CommDebugState.CommDebugText,
              "[S:IAC SB NAWS 0 80 0 24 IAC SE]\r\n[R:IAC SB ENCRYPT SUPPORT 3 IAC SE]\r\n");
}

}  // namespace
}  // namespace connections
