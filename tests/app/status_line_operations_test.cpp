// The host's status line through the terminal as the program composes it:
// each family's status text, the status display type and the Wyse labels
// reach the status row when the keyboard's idle call redraws it.
#include "emulation/operations/status_line_operations.h"

#include <gtest/gtest.h>

#include <string>

#include "../emulation/terminal_test_fixture.h"
#include "app/composition.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/status_line.h"
#include "emulation/input/keyboard_hooks.h"
#include "emulation/receive_loop.h"

namespace {

#define ESC "\x1b"

using console::ConsoleLayer;

class StatusLineOperationsTest : public emulation_test::TerminalTest {
  protected:
    void BeforeType() override {
        app::ComposeProgram();
        console::ResetStatusLine();
    }
    void TearDown() override {
        console::ResetStatusLine();
        TerminalTest::TearDown();
    }
    // The status row as the keyboard's idle call draws it.
    static std::string StatusRow() {
        if (emulation::ReceiveLoop.StatusLineDirty)
            emulation::ActiveKeyboardHooks().UpdateStatusLine();
        std::string row = console_test::WindowRow(ConsoleLayer.StatusRow - 1);
        while (!row.empty() && row.back() == ' ') row.pop_back();
        return row;
    }
};

TEST_F(StatusLineOperationsTest, EachFamilysStatusTextReachesTheStatusRow) {
    struct Case {
        const char* Type;
        const char* Bytes;
        const char* Shown;
    };
    const Case cases[] = {
        {"VT220", ESC "[2$~" ESC "[1$}Host says hi" ESC "[0$}", "Host says hi"},
        {"VT220", ESC "[2$~" ESC "[1$}short form" ESC "[$}", "short form"},
        {"WYSE60",
         ESC "f"
             "wyse status\r",
         "wyse status"},
        {"VIEWPOINT",
         ESC "z("
             "viewpoint\r",
         "viewpoint"},
        {"C332",
         ESC "d"
             "c332 text\x1d",
         "c332 text"},
        {"TV965",
         ESC "f"
             "tv status\r",
         "tv status"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Type + std::string(" ") + c.Shown);
        Start(c.Type);
        Feed(c.Bytes);
        EXPECT_TRUE(ConsoleLayer.HostStatusActive);
        EXPECT_EQ(StatusRow(), c.Shown);
        EXPECT_FALSE(emulation::ReceiveLoop.StatusLineDirty);
    }
}

TEST_F(StatusLineOperationsTest, StatusDisplayTypeSwitchesBetweenHostAndIndicators) {
    Start("VT220");
    // Text collection starts only while the host owns the line.
    Feed(ESC "[1$}ignored" ESC "[0$}");
    EXPECT_FALSE(ConsoleLayer.HostStatusActive);
    EXPECT_EQ(TrimmedRow(1), "ignored");
    Feed(ESC "[H" ESC "[2K" ESC "[2$~" ESC "[1$}mine" ESC "[0$}after");
    EXPECT_EQ(StatusRow(), "mine");
    EXPECT_EQ(TrimmedRow(1), "after");
    // Back to the indicator line: the host's text is gone, the title is back.
    Feed(ESC "[1$~");
    EXPECT_FALSE(ConsoleLayer.HostStatusActive);
    EXPECT_FALSE(console::StatusLine.HostTextSet);
    EXPECT_EQ(StatusRow().substr(0, 8), "VovuzIva");
    // No status line at all: blank.
    Feed(ESC "[0$~");
    EXPECT_EQ(commands::Settings.StatusLine, 0);
    EXPECT_EQ(StatusRow(), "");
}

TEST_F(StatusLineOperationsTest, WyseLabelsFillTheirSlotsOfTheLabelLine) {
    Start("WYSE60");
    Feed(ESC "z0First\r" ESC "z2Third\r");
    EXPECT_TRUE(ConsoleLayer.HostStatusActive);
    EXPECT_EQ(StatusRow(), "First               Third");
    // A label past column 132 is dropped.
    Feed(ESC "z?Late\r");
    EXPECT_EQ(StatusRow(), "First               Third");
}

TEST_F(StatusLineOperationsTest, ColumnInsertAndDeleteShareTheCodes) {
    Start("VT420");
    Feed("abcdef" ESC "[1;3H" ESC "[2'}");
    EXPECT_EQ(TrimmedRow(1), "ab  cdef");
    Feed(ESC "[3'~");
    EXPECT_EQ(TrimmedRow(1), "abdef");
}

}  // namespace
