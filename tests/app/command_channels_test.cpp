// The same commands reach the interpreter from each way in the program has:
// a menu's queued command run by the main loop, and a command string the
// host sends in its output. Each must leave the same settings and screen.
#include <gtest/gtest.h>

#include "command_test_fixture.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/terminal_window.h"
#include "emulation/host_commands.h"
#include "emulation/main_routine.h"
#include "emulation/types/emulator_state.h"
#include "ui/menus/menu_dispatcher.h"
#include "ui/notice_window.h"

namespace {

using commands::Settings;
using console::ConsoleLayer;

std::vector<std::string> Questions;
int AnswerNo(std::string_view text, std::string_view, bool) {
    Questions.emplace_back(text);
    return ui::MessageBoxNo;
}

int AnswerYes(std::string_view text, std::string_view, bool) {
    Questions.emplace_back(text);
    return ui::MessageBoxYes;
}

// Notice windows the user has not closed yet.
std::vector<ui::NoticeContent> OpenNotices;
ui::NoticeWindowId OpenNotice(const ui::NoticeContent& content) {
    OpenNotices.push_back(content);
    return OpenNotices.size();
}
bool NoticeOpen(ui::NoticeWindowId id) {
    return id >= 1 && id <= OpenNotices.size() && !OpenNotices[id - 1].Text.empty();
}
void CloseNotice(ui::NoticeWindowId id) {
    if (NoticeOpen(id)) OpenNotices[id - 1].Text.clear();
}

// A command, and what it must have done however it arrived.
struct ChannelCase {
    const char* Line;
    std::function<void()> Check;
};

const std::vector<ChannelCase>& Cases() {
    static const std::vector<ChannelCase> cases = {
        {"SCREENMODE 100X30",
         [] {
             EXPECT_EQ(console::Columns(), 100);
             EXPECT_EQ(ConsoleLayer.ScreenRows, 30);
             EXPECT_EQ(Settings.ScreenModeName.View(), "100X30");
         }},
        {"CHARSET GERMAN", [] { EXPECT_EQ(Settings.CharsetMode, 5); }},
        {"DEFINE X HELLO", [] { EXPECT_EQ(emulation::GetMacroText('X'), "HELLO"); }},
        {"STATUS OFF", [] { EXPECT_EQ(Settings.StatusLine, 0); }},
    };
    return cases;
}

class CommandChannels : public command_test::ComposedCommands {
  protected:
    void SetUp() override {
        ComposedCommands::SetUp();
        Questions.clear();
        ui::SetQuestionBoxFunction(AnswerNo);
        emulation::ResetHostCommands();
    }
    void TearDown() override {
        ui::SetQuestionBoxFunction(nullptr);
        ui::SetNoticeWindowPlatform(ui::NullNoticeWindowPlatform());
        emulation::ResetHostCommands();
        ui::MenuDispatch.PendingCommand.clear();
        ComposedCommands::TearDown();
    }
};

TEST_F(CommandChannels, AMenusQueuedCommandRunsInTheMainLoop) {
    for (const ChannelCase& c : Cases()) {
        SCOPED_TRACE(c.Line);
        ui::MenuDispatch.PendingCommand = c.Line;
        emulation::MainLoopPass();
        EXPECT_TRUE(ui::MenuDispatch.PendingCommand.empty());
        EXPECT_TRUE(commands::Interpreter.FunctionSucceeded);
        c.Check();
    }
}

TEST_F(CommandChannels, AHostCommandStringRunsAsTyped) {
    Settings.RemoteCmd11 = 1;
    for (const ChannelCase& c : Cases()) {
        SCOPED_TRACE(c.Line);
        // DC1, the command, US; DC3 ends one as well.
        Feed(std::string("\x11") + c.Line + "\x1f");
        EXPECT_TRUE(commands::Interpreter.FunctionSucceeded);
        c.Check();
    }
    Feed("\x11STATUS ON\x13");
    EXPECT_EQ(Settings.StatusLine, 1);
    EXPECT_TRUE(Questions.empty());

    // A command the interpreter does not know asks whether to suppress
    // further ones; a bad argument asks nothing.
    Feed("\x11NOSUCHWORD\x1f");
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Questions[0], "Error in command from host.  Suppress commands from host?");
    Feed(
        "\x11"
        "FONT Nowhere 99\x1f");
    EXPECT_EQ(Questions.size(), 1u);

    // With the setting off the bytes are only received text.
    Settings.RemoteCmd11 = 0;
    Feed("\r\n\x11STATUS OFF\x1f");
    EXPECT_EQ(Settings.StatusLine, 1);
    EXPECT_NE(TrimmedRow(ConsoleLayer.CursorRow).find("STATUS OFF"), std::string::npos);
}

TEST_F(CommandChannels, FsAndRsStartACommandStringWhenTheSettingAllows) {
    Settings.RemoteCmd11 = 0;
    Settings.RemoteCmd1C = 1;
    for (const ChannelCase& c : Cases()) {
        SCOPED_TRACE(c.Line);
        Feed(std::string("\x1c") + c.Line + "\x1d");
        EXPECT_TRUE(commands::Interpreter.FunctionSucceeded);
        c.Check();
    }
    // RS is the same start in this family.
    Feed("\x1eSTATUS ON\x1f");
    EXPECT_EQ(Settings.StatusLine, 1);
    Feed("\x1cNOSUCHWORD\x1f");
    EXPECT_EQ(Questions.size(), 1u);

    Settings.RemoteCmd1C = 0;
    Feed("\r\n\x1cSTATUS OFF\x1f\x1eSTATUS OFF\x1f");
    EXPECT_EQ(Settings.StatusLine, 1);
    EXPECT_NE(TrimmedRow(ConsoleLayer.CursorRow).find("STATUS OFF"), std::string::npos);
}

TEST_F(CommandChannels, SuppressingHostCommandsLastsWhileItsNoticeIsOpen) {
    OpenNotices.clear();
    ui::SetNoticeWindowPlatform({OpenNotice, NoticeOpen, CloseNotice});
    ui::SetQuestionBoxFunction(AnswerYes);
    Settings.RemoteCmd11 = 1;
    Settings.StatusLine = 1;
    Feed("\x11NOSUCHWORD\x1f");
    ASSERT_EQ(OpenNotices.size(), 1u);
    EXPECT_EQ(OpenNotices[0].Text, "Suppressing commands from host");
    EXPECT_EQ(OpenNotices[0].Caption, console::TerminalWindowUnit.TitleBanner);

    // Further command strings are only shown, however often they come.
    for (int i = 0; i < 2; ++i) {
        Feed("\r\n\x11STATUS OFF\x1f");
        EXPECT_EQ(Settings.StatusLine, 1);
        EXPECT_NE(TrimmedRow(ConsoleLayer.CursorRow).find("STATUS OFF"), std::string::npos);
    }
    EXPECT_EQ(Questions.size(), 1u);

    // The user closes the notice: the next one runs.
    ui::CloseNoticeWindow(emulation::HostCommands.Notice);
    Feed("\x11STATUS OFF\x1f");
    EXPECT_EQ(Settings.StatusLine, 0);
    EXPECT_EQ(emulation::HostCommands.Notice, 0u);
}

}  // namespace
