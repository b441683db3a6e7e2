#include "console/terminal_window.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/console_wiring.h"
#include "app/startup_wiring.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "ui/message_box.h"
#include "ui/settings_dialogs.h"

namespace console {
namespace {

std::vector<std::string> boxes;

class AnsweringDialogs final : public platform::SettingsDialogs {
  public:
    std::vector<std::string> Asked;
    std::deque<char> Answers;
    char Ask(std::string_view, std::string_view text, bool) override {
        Asked.emplace_back(text);
        char a = Answers.empty() ? ui::kAnswerNo : Answers.front();
        if (!Answers.empty()) Answers.pop_front();
        return a;
    }
    bool FirstRunDialog(ui::FirstRunChoice&) override { return true; }
    bool ChooseSettingsSaveName(std::string&) override { return false; }
    void DisplaySize(int& w, int& h) override { w = h = 0; }
};

class TerminalWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        commands::ResetSettingsFileState();
        app::ComposeStartupServices();
        app::ComposeConsole();
        connections::ResetCommLayer();
        ResetTerminalWindowUnit();
        TerminalWindowUnit.TitleBanner = u"Wendrosta ";
        boxes.clear();
        ui::SetMessageBoxFunction([](std::string_view text) {
            boxes.emplace_back(text);
            return int{ui::MessageBoxOk};
        });
        platform::SetSettingsDialogs(&dialogs);
    }
    void TearDown() override {
        ui::SetMessageBoxFunction(nullptr);
        platform::SetSettingsDialogs(nullptr);
        commands::ResetSettingsToDefaults();
        commands::ResetSettingsFileState();
        connections::ResetCommLayer();
    }

    void Open(uint8_t method) {
        commands::Settings.CommMethod = method;
        connections::connectionLayer.settings.CommMethod = method;
        connections::connectionLayer.CommState[method] = connections::kStateOpen;
    }
    void Store(std::string_view bytes) {
        connections::StoreReceivedBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                                        bytes.size());
    }

    AnsweringDialogs dialogs;
};

TEST_F(TerminalWindowTest, TitleComesFromTheSettingOrTheConnection) {
    EXPECT_EQ(BuildWindowTitle(), u"Wendrosta -  NOT CONNECTED");

    Open(connections::CommMethodTelnet);
    connections::connectionLayer.ConnectedHostName = "h\xF4te.example";
    EXPECT_EQ(BuildWindowTitle(), u"Wendrosta -  h\u00F4te.example");

    Open(connections::CommMethodSerial);
    EXPECT_EQ(BuildWindowTitle(), u"Wendrosta ");
    commands::SettingsFile.SettingsFileName = "C:\\DATA\\site.def";
    commands::SettingsFile.SettingsLoaded = true;
    EXPECT_EQ(BuildWindowTitle(), u"Wendrosta -  site.def");

    commands::Settings.WindowTitle = std::string(80, 'T');
    std::u16string title = BuildWindowTitle();
    EXPECT_EQ(title, std::u16string(79, u'T'));

    // The title is kept, and shown on the window the seam names.
    static std::u16string shown;
    TerminalWindowSeam seam;
    seam.ShowWindowTitle = [](std::u16string_view t) { shown = t; };
    TerminalWindowSeam before = SetTerminalWindowSeam(seam);
    commands::Settings.WindowTitle = "Mine";
    UpdateWindowTitle();
    SetTerminalWindowSeam(before);
    EXPECT_EQ(TerminalWindowUnit.CurrentWindowTitle, u"Mine");
    EXPECT_EQ(shown, u"Mine");
}

TEST_F(TerminalWindowTest, CommRequestsAnswerAsTheirTableSays) {
    // A serial line: 0xFF is data there, not a Telnet command.
    connections::connectionLayer.settings.CommMethod = connections::CommMethodSerial;
    Store(std::string("A\xFFZ", 3));
    connections::connectionLayer.CommLastError = 0x8123;
    struct Step {
        uint32_t Function;
        int64_t Argument;
        int64_t Result;
    };
    const Step steps[] = {
        {5, 0, 3},                          // bytes waiting
        {6, 0, 1},                          // more than 0 wait
        {6, 3, 0},                          // not more than 3
        {4, 0, 'A'},                        // a byte read
        {9, 0, 0x81230000 | 0x100 | 0xFF},  // a received 0xFF with the error above it
        {1, 'x', 0},                        // sending fails while closed
        {3, 0, 1},                          // break
        {2, 0, -1},                         // no such function
        {7, 0, 0x8123},                     // last error
        {8, 0, 0x8123},                     // last error, then cleared
        {7, 0, 0},
        {4, 0, 'Z'},
        {9, 0, 0},     // nothing waits, no error
        {4, 0, 0xFF},  // nothing waits: 255 as the read gives it
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.Function);
        TerminalWindowUnit.CommRequestActive = false;
        EXPECT_EQ(CommRequestMessage(s.Function, s.Argument), s.Result);
        // Every request marks the connection as driven from outside.
        EXPECT_TRUE(TerminalWindowUnit.CommRequestActive);
    }
    EXPECT_EQ(CommRequestMessage(99, 0), 1);
    EXPECT_FALSE(TerminalWindowUnit.CommRequestActive);
}

TEST_F(TerminalWindowTest, CloseNeedsTheExitItemAndAllowQuitThenAsksTheSaveQuestion) {
    EXPECT_FALSE(WindowCloseRequested(false));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Function disabled");
    commands::Settings.AllowQuit = 0;
    EXPECT_FALSE(WindowCloseRequested(true));
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(dialogs.Asked.empty());

    commands::Settings.AllowQuit = 1;
    commands::SettingsFile.SavedSettings = commands::Settings;
    EXPECT_TRUE(WindowCloseRequested(true));  // nothing changed: no question
    EXPECT_TRUE(dialogs.Asked.empty());

    commands::Settings.BeepMode ^= 1;
    dialogs.Answers = {ui::kAnswerCancel};
    EXPECT_FALSE(WindowCloseRequested(true));
    ASSERT_EQ(dialogs.Asked.size(), 1u);
    dialogs.Answers = {ui::kAnswerNo};
    EXPECT_TRUE(WindowCloseRequested(true));
    EXPECT_EQ(dialogs.Asked.size(), 2u);
    // The end of the Windows session asks the same question.
    commands::Settings.BeepMode ^= 1;
    dialogs.Answers = {ui::kAnswerCancel};
    EXPECT_FALSE(EndSessionAllowed());
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(TerminalWindowTest, StyleWithABoxButNoSystemMenuGetsOneWithCloseGreyed) {
    bool greyed = true;
    EXPECT_EQ(TerminalWindowStyle(0x00CF0000, greyed), 0x00CF0000u);
    EXPECT_FALSE(greyed);
    EXPECT_EQ(TerminalWindowStyle(0x00C10000, greyed), 0x00C90000u);
    EXPECT_TRUE(greyed);
    EXPECT_EQ(TerminalWindowStyle(0x00C00000, greyed), 0x00C00000u);
    EXPECT_FALSE(greyed);
}

TEST_F(TerminalWindowTest, WindowRectangleIsRememberedOnlyWithTrackWindow) {
    int32_t l, t, w, h;
    TrackWindowRect(10, 20, 300, 200);
    InitialWindowPlacement(l, t, w, h);
    EXPECT_EQ(l, kUseDefaultPosition);
    EXPECT_EQ(commands::Settings.WindowRect80[0].GetSigned(), -32768);

    commands::Settings.TrackWindow = 1;
    InitialWindowPlacement(l, t, w, h);
    EXPECT_EQ(l, kUseDefaultPosition);
    EXPECT_EQ(h, kUseDefaultPosition);
    TrackWindowRect(-4, 20, 300, 200);
    InitialWindowPlacement(l, t, w, h);
    EXPECT_EQ((std::vector<int32_t>{l, t, w, h}), (std::vector<int32_t>{-4, 20, 300, 200}));
    // A stored size no window can have is left to the system.
    commands::Settings.WindowRect80[2].SetSigned(-7);
    InitialWindowPlacement(l, t, w, h);
    EXPECT_EQ(w, kUseDefaultPosition);
}

TEST_F(TerminalWindowTest, AcceleratorsGiveWayToKeyMacrosAndHelpModeOpensHelp) {
    static std::vector<uint16_t> macros;
    auto exists = [](uint16_t key) {
        for (uint16_t m : macros)
            if (m == key) return true;
        return false;
    };
    MenuCommandInput in;
    in.Id = 590;
    in.FromAccelerator = true;
    in.AltHeld = true;
    in.LastKeyScan = 0x26;  // L
    in.MacroExists = exists;
    macros = {};
    EXPECT_EQ(RouteMenuCommand(in).Route, MenuCommandRoute::RunItem);
    in.MenuHasItem = false;
    EXPECT_EQ(RouteMenuCommand(in).Route, MenuCommandRoute::Ignore);
    macros = {256 + 0x26};
    MenuCommandDecision d = RouteMenuCommand(in);
    EXPECT_EQ(d.Route, MenuCommandRoute::QueueKey);
    EXPECT_EQ(d.Key, 0x26);
    // The digit row stands as Alt+1.. (scan code + 118).
    in.LastKeyScan = 2;
    macros = {256 + 120};
    EXPECT_EQ(RouteMenuCommand(in).Key, 120);

    in.AltHeld = false;
    in.MenuHasItem = true;
    in.LastKeyInsert = true;
    in.CtrlHeld = true;
    macros = {402};
    EXPECT_EQ(RouteMenuCommand(in).Key, 146);
    in.CtrlHeld = false;
    in.ShiftHeld = true;
    macros = {450};
    EXPECT_EQ(RouteMenuCommand(in).Key, 194);
    macros = {};
    EXPECT_EQ(RouteMenuCommand(in).Route, MenuCommandRoute::RunItem);

    TerminalWindowUnit.HelpMode = true;
    in.Id = 5760;
    d = RouteMenuCommand(in);
    EXPECT_EQ(d.Route, MenuCommandRoute::OpenHelp);
    EXPECT_EQ(d.HelpContext, 576u);
    EXPECT_FALSE(TerminalWindowUnit.HelpMode);
}

TEST_F(TerminalWindowTest, HelpFileLiesBesideTheProgram) {
    EXPECT_EQ(HelpFilePath("C:\\PROG\\VOVUZIVA.EXE"), "C:\\PROG\\Wendrosta.hlp");
    EXPECT_EQ(HelpFilePath("VOVUZIVA.EXE"), "???");
}

}  // namespace
}  // namespace console
