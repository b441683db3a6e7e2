// The FONT command hands its three words to the window's font and keeps the
// cell size it got in the settings slot of the current width class.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/command_handlers.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/glyphs/screen_font_model.h"

namespace {

std::vector<std::string> given;
bool accept = true;

bool FakeSetTerminalFont(const std::string& w1, const std::string& w2, const std::string& w3,
                         console::ScreenFontChange& change) {
    given = {w1, w2, w3};
    if (!accept) return false;
    change = {20, 10, w3 == "BOLD"};
    return true;
}

class FontCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        commands::ResetInterpreter();
        commands::ResetCommandHandlers();
        console::ScreenFontPort.SetTerminalFont = FakeSetTerminalFont;
        console::ConsoleLayer.ScreenWidth = 80;
        accept = true;
        given.clear();
    }
    void TearDown() override {
        console::ScreenFontPort = {};
        console::ConsoleLayer.ScreenWidth = 80;
    }
};

TEST_F(FontCommandTest, TheCellSizeGoesToTheSlotOfTheWidthClass) {
    auto& s = commands::Settings;
    EXPECT_EQ(commands::ExecuteFunction("FONT \"DejaVu Sans Mono\" 20x10 BOLD"),
              commands::FunctionOk);
    // The command line comes upper-cased.
    EXPECT_EQ(given, (std::vector<std::string>{"DEJAVU SANS MONO", "20X10", "BOLD"}));
    EXPECT_EQ(s.FontCellSize[0].Get(), 20);
    EXPECT_EQ(s.FontCellSize[1].Get(), 10);
    EXPECT_EQ(s.FontOption[0], 1);

    console::ConsoleLayer.ScreenWidth = 132;
    EXPECT_EQ(commands::ExecuteFunction("FONT LARGER"), commands::FunctionOk);
    EXPECT_EQ(s.FontCellSize[2].Get(), 20);
    EXPECT_EQ(s.FontCellSize[3].Get(), 10);
    EXPECT_EQ(s.FontOption[1], 0);
    EXPECT_EQ(s.FontOption[0], 1);
}

TEST_F(FontCommandTest, AFontThatCannotBeSetFailsAndKeepsTheSettings) {
    accept = false;
    const auto before = commands::Settings.FontCellSize;
    EXPECT_EQ(commands::ExecuteFunction("FONT 16x8x2"), commands::FunctionBadArgument);
    EXPECT_FALSE(commands::Interpreter.FunctionSucceeded);
    EXPECT_EQ(commands::Settings.FontCellSize, before);
    // Without a window side nothing can be set either.
    console::ScreenFontPort = {};
    EXPECT_EQ(commands::ExecuteFunction("FONT 16"), commands::FunctionBadArgument);
}

}  // namespace
