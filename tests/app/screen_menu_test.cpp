// The menu MENUBAR draws over text already on the screen, driven by keys in
// the composed program's key queue.
#include "emulation/input/screen_menu.h"

#include <gtest/gtest.h>

#include "command_test_fixture.h"
#include "console/console_primitives.h"
#include "console/key_input.h"
#include "console/local_screen.h"
#include "console/screen_buffer.h"

namespace {

using commands::Interpreter;
using console::ConsoleLayer;

constexpr uint16_t Home = 0x4700, Up = 0x4800, PgUp = 0x4900, Left = 0x4B00, Right = 0x4D00,
                   End = 0x4F00, Down = 0x5000, PgDn = 0x5100, ShiftTab = 0x0F00;
constexpr uint16_t Tab = 9, Enter = 13, Esc = 27;

// Two columns of five-letter items two cells into each column; row 7 is
// blank, and the second column has nothing on row 6.
const char* const kScreen =
    "\x1b[5;3HAlpha\x1b[5;16HDelta"
    "\x1b[6;3HBravo"
    "\x1b[8;3HGamma\x1b[8;16HOmega";
// Columns 1-14 and 14-27, rows 5 to 8: A 14, B 27, item offset 2, width 5,
// two columns.
const char* const kMenu = "MENUBAR 1 14 5 8 14 27 2 5 2";

class ScreenMenu : public command_test::ComposedCommands {
  protected:
    void SetUp() override {
        ComposedCommands::SetUp();
        Feed(kScreen);
        savedWait = console::keyInputHooks.WaitForMessage;
    }
    void TearDown() override {
        console::keyInputHooks.WaitForMessage = savedWait;
        ComposedCommands::TearDown();
    }
    void (*savedWait)() = nullptr;
};

struct MenuCase {
    const char* Name;
    std::vector<uint16_t> Keys;
    const char* Choice;
};

TEST_F(ScreenMenu, KeysMoveOverTheItemsAndEnterPicksOne) {
    const std::vector<MenuCase> cases = {
        {"first item", {Enter}, "Alpha"},
        {"down", {Down, Enter}, "Bravo"},
        {"down skips a blank row", {Down, Down, Enter}, "Gamma"},
        {"down past the bottom into the next column", {Down, Down, Down, Enter}, "Delta"},
        {"up past the top into the previous column", {Up, Enter}, "Omega"},
        {"right", {Right, Enter}, "Delta"},
        {"right onto a blank row takes the nearest item", {Down, Right, Enter}, "Delta"},
        {"tab wraps round the columns", {Tab, Tab, Enter}, "Alpha"},
        {"shift-tab and left", {ShiftTab, Down, Left, Enter}, "Gamma"},
        {"end", {End, Enter}, "Omega"},
        {"home", {End, Home, Enter}, "Alpha"},
        {"page down and up in a column", {Down, PgDn, Enter}, "Gamma"},
        {"page up", {End, PgUp, Enter}, "Delta"},
        {"escape picks nothing", {Esc}, ""},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (uint16_t k : c.Keys) console::PutKeyEntry(k);
        ASSERT_EQ(commands::ExecuteFunction(kMenu), 0u);
        EXPECT_TRUE(Interpreter.FunctionSucceeded);
        EXPECT_EQ(Interpreter.FunctionReply.View(), c.Choice);
        EXPECT_TRUE(console::KeyQueueEmpty());
        EXPECT_EQ(console::SavedScreenRectCount(), 0u);
    }

    // A character ends the menu and waits, typed ahead, for the keyboard.
    TypeText("x");
    ASSERT_EQ(commands::ExecuteFunction(kMenu), 0u);
    EXPECT_EQ(Interpreter.FunctionReply.View(), "");
    uint16_t key = 0;
    ASSERT_TRUE(emulation::Keyboard.KeyRing.Take(key));
    EXPECT_EQ(key, 'x');
}

console::CellAttribute AttrWhileWaiting = 0;

TEST_F(ScreenMenu, TheHighlightShowsInTheWindowAndGoes) {
    const console::CellAttribute normal = console::CurrentAttr();
    Type({Down});
    console::keyInputHooks.WaitForMessage = [] {
        uint32_t cell = 0;
        console::ReadWindowCells(6, 3, 1, &cell);
        AttrWhileWaiting = console::CellAttr(cell);
        console::PutKeyEntry(Enter);
    };
    ASSERT_EQ(commands::ExecuteFunction(kMenu), 0u);
    EXPECT_EQ(Interpreter.FunctionReply.View(), "Bravo");
    EXPECT_EQ(AttrWhileWaiting, emulation::ReverseAttr(normal));
    uint32_t shown = 0;
    uint32_t ring = 0;
    console::ReadWindowCells(6, 3, 1, &shown);
    console::ReadCells(6, 3, 1, &ring);
    EXPECT_EQ(shown, ring);
    EXPECT_EQ(TrimmedRow(6), "  Bravo");
}

TEST_F(ScreenMenu, PageKeysCanEndTheMenu) {
    emulation::ScreenMenuLayout layout;
    layout.Left = 1;
    layout.Right = 14;
    layout.Top = 5;
    layout.Bottom = 8;
    layout.Columns = 2;
    layout.ItemOffset = 2;
    layout.ItemWidth = 5;
    layout.PageKeysReturn = true;
    std::string choice;
    Type({PgUp});
    ASSERT_TRUE(emulation::ScreenMenuSelect(layout, choice));
    EXPECT_EQ(choice, "\x01I");
    Type({Down, PgDn});
    ASSERT_TRUE(emulation::ScreenMenuSelect(layout, choice));
    EXPECT_EQ(choice, "\x01Q");

    // Columns that would start past the screen draw nothing.
    layout.Columns = 8;
    EXPECT_FALSE(emulation::ScreenMenuSelect(layout, choice));
}

}  // namespace
