#include "emulation/operations/field_and_reset_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../console/fake_console_window.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "connections/receive_ring.h"
#include "console/console_primitives.h"
#include "console/protected_fields.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/receive_loop.h"
#include "emulation/parser/recogniser.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/term_executor.h"
#include "emulation/types/term_types.h"
#include "terminal_test_fixture.h"

namespace emulation {
namespace {

using console::ConsoleLayer;

#define ESC "\x1b"

// Cells given flags after the set-up text: protected runs and field marks.
struct Flagged {
    int row;
    int firstCol;
    int lastCol;
    uint8_t flags;
};

constexpr uint8_t kP = console::kCellProtected;
constexpr uint8_t kMark = console::kCellFieldStart;

struct FieldCase {
    const char* type;
    uint8_t protectedFields;
    const char* setup;
    std::vector<Flagged> flagged;
    const char* input;
    std::vector<std::pair<int, const char*>> rows;  // row, text (trailing blanks dropped)
    int cursorRow;
    int cursorCol;
};

class FieldAndResetTest : public emulation_test::TerminalTest {
  public:
    void Start(const char* type) {
        TerminalTest::Start(type);
        commands::Settings.TerminalType.Assign(type);
    }

    static void Flag(const Flagged& f) {
        for (int c = f.firstCol; c <= f.lastCol; ++c)
            console::TermScreenRing.Flags[console::CellIndex(f.row, c)] = f.flags;
    }
};

// Each family's sequences for these operations, with protected cells and
// field marks where the operation is about them.
const FieldCase kFieldCases[] = {
    // Clear-all resets: the screen is cleared, protected cells too.
    {"WYSE60", 1, "abc\r\ndef", {{1, 1, 3, kP}}, ESC "+", {{1, ""}, {2, ""}}, 1, 1},
    {"VIEWPOINT", 1, "abc", {{1, 1, 3, kP}}, ESC ",", {{1, ""}}, 1, 1},
    {"C332", 0, "abc\r\ndef", {{1, 1, 1, kP}}, ESC "K", {{1, ""}, {2, ""}}, 1, 1},
    // Unprotected erase to the end of the screen keeps protected cells and marks.
    {"C332",
     0,
     "abcdef\r\nghij",
     {{1, 4, 4, kP}, {2, 2, 2, kMark}},
     ESC "@! " ESC "J",
     {{1, "a  d"}, {2, " h"}},
     1,
     2},
    // Selective erase, each selection, around a protected run in row 2.
    {"VT220",
     0,
     "abc\r\ndefgh\r\nijk",
     {{2, 2, 3, kP}},
     ESC "[2;3H" ESC "[?J",
     {{1, "abc"}, {2, "def"}, {3, ""}},
     2,
     3},
    {"VT220",
     0,
     "abc\r\ndefgh\r\nijk",
     {{2, 2, 3, kP}},
     ESC "[2;4H" ESC "[?1J",
     {{1, ""}, {2, " ef h"}, {3, "ijk"}},
     2,
     4},
    {"VT220",
     0,
     "abc\r\ndefgh\r\nijk",
     {{1, 1, 1, kP}},
     ESC "[2;4H" ESC "[?2J",
     {{1, "a"}, {2, ""}, {3, ""}},
     2,
     4},
    {"VT220", 0, "abcdefg", {{1, 2, 2, kP}}, ESC "[1;1H" ESC "[?K", {{1, " b"}}, 1, 1},
    {"VT220", 0, "abcdefg", {{1, 2, 2, kP}}, ESC "[1;4H" ESC "[?1K", {{1, " b  efg"}}, 1, 4},
    {"VT220", 0, "abcdefg", {{1, 6, 6, kP}}, ESC "[1;4H" ESC "[?2K", {{1, "     f"}}, 1, 4},
    {"VT220", 0, "abcdefg", {}, ESC "[1;4H" ESC "[?7K" ESC "[?9J", {{1, "abcdefg"}}, 1, 4},
    // Unprotected line insert and delete move only the rows above the
    // protected field mark in row 3.
    {"C332",
     0,
     "a\r\nb\r\nc\r\nd",
     {{3, 1, 1, kP | kMark}},
     ESC "@  " ESC "L",
     {{1, ""}, {2, "a"}, {3, "c"}, {4, "d"}},
     1,
     1},
    {"C332",
     0,
     "a\r\nb\r\nc\r\nd",
     {{3, 1, 1, kP | kMark}},
     ESC "@  " ESC "M",
     {{1, "b"}, {2, ""}, {3, "c"}, {4, "d"}},
     1,
     1},
    // Field tabs: a stop before the next unprotected field wins, then the
    // field; a protected mark is passed over; without stops (C332) only
    // fields count, and without either the cursor ends on the last cell.
    {"TV965", 2, "", {{1, 5, 5, kP | kMark}, {1, 10, 10, kMark}}, "\t", {}, 1, 9},
    {"TV965", 2, "", {{1, 5, 5, kP | kMark}, {1, 10, 10, kMark}}, "\t\t", {}, 1, 11},
    {"TV965",
     2,
     "",
     {},
     ESC "=\"3"
         "\t",
     {},
     3,
     25},
    // No stop left on the row: the next row's first stop.
    {"TV965",
     2,
     "",
     {},
     ESC "=\"m"
         "\t",
     {},
     4,
     1},
    {"C332", 0, "", {{1, 5, 5, kP | kMark}, {1, 10, 10, kMark}}, "\t", {}, 1, 11},
    {"C332",
     0,
     "",
     {},
     ESC "@3\""
         "\t",
     {},
     24,
     80},
    {"TV965", 2, "", {{1, 4, 4, kMark}}, "\t", {}, 1, 5},
    {"TV965", 0, "", {{1, 4, 4, kMark}}, "\t", {}, 1, 9},
    {"VIEWPOINT", 0, "", {{1, 4, 4, kMark}}, ESC "i", {}, 1, 9},
    // Resets.
    {"VT220", 0, "abc", {}, ESC "c", {{1, ""}}, 1, 1},
    {"SCOANSI", 0, "abc", {}, ESC "c", {{1, ""}}, 1, 1},
    {"LINUX", 0, "abc", {}, ESC "c", {{1, ""}}, 1, 1},
    {"VT220", 0, "", {}, ESC "(0" ESC "!pq", {{1, "q"}}, 1, 2},
    {"WYSE60", 0, "abc", {}, ESC "=%(" ESC "~4", {{1, "abc"}}, 1, 1},
    // Leaving graphics clears the screen; ESC [ t without "$" does nothing.
    {"VT220", 0, "abc\r\nde", {}, ESC "[?38l", {{1, ""}, {2, ""}}, 1, 1},
    {"VT220", 0, "abc", {}, ESC "[t" ESC "[1;1;1;3;7$t", {{1, "abc"}}, 1, 4},
};

TEST_F(FieldAndResetTest, EachTypesSequencesActOnTheScreen) {
    for (const auto& c : kFieldCases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.input);
        Start(c.type);
        Feed(c.setup);
        for (const auto& f : c.flagged) Flag(f);
        ConsoleLayer.ProtectedFields = c.protectedFields;
        Feed(c.input);
        for (const auto& [row, text] : c.rows) EXPECT_EQ(TrimmedRow(row), text) << "row " << row;
        EXPECT_EQ(ConsoleLayer.CursorRow, c.cursorRow);
        EXPECT_EQ(ConsoleLayer.CursorCol, c.cursorCol);
    }
}

TEST_F(FieldAndResetTest, ClearAllResetsTheWriteModes) {
    Start("WYSE60");
    ConsoleLayer.AttrSelection = 3;
    ConsoleLayer.ProtectMode = 1;
    ConsoleLayer.ProtectedFields = 1;
    ReceiveLoop.InsertMode = true;
    Feed(ESC "*");
    EXPECT_EQ(ConsoleLayer.AttrSelection, 0);
    EXPECT_EQ(ConsoleLayer.ProtectMode, 0);
    EXPECT_EQ(ConsoleLayer.ProtectedFields, 0);
    EXPECT_FALSE(ReceiveLoop.InsertMode);
}

TEST_F(FieldAndResetTest, HostStatusLineSwitchesAndTheTitleIsRebuilt) {
    static int rebuilt = 0;
    rebuilt = 0;
    FieldAndResetOperations.Hooks.RebuildTitleLine = [] { ++rebuilt; };
    for (const auto& [type, on, off] :
         {std::tuple{"C332", ESC "b", ESC "c"}, std::tuple{"TV965", ESC "g", ESC "h"}}) {
        SCOPED_TRACE(type);
        Start(type);
        Feed(on);
        EXPECT_TRUE(ConsoleLayer.HostStatusActive);
        EXPECT_TRUE(ReceiveLoop.StatusLineDirty);
        ReceiveLoop.StatusLineDirty = false;
        Feed(off);
        EXPECT_FALSE(ConsoleLayer.HostStatusActive);
        EXPECT_TRUE(ReceiveLoop.StatusLineDirty);
    }
    EXPECT_EQ(rebuilt, 2);

    // The C332 clear-all also gives the host's status line back and unlocks
    // the keyboard.
    Start("C332");
    Feed(ESC "b");
    ReceiveLoop.KeyboardEnabled = false;
    Feed(ESC "K");
    EXPECT_FALSE(ConsoleLayer.HostStatusActive);
    EXPECT_TRUE(ReceiveLoop.KeyboardEnabled);
    EXPECT_EQ(rebuilt, 3);
    FieldAndResetOperations.Hooks = {};
}

TEST_F(FieldAndResetTest, SixelEndRestoresTheSavedSet) {
    Start("VT220");
    EmulatorState.SavedGL = 2;
    EmulatorState.GL = 9;
    RunTermOp(OpSixelEnd, TermOpParams{});
    EXPECT_EQ(EmulatorState.GL, 2);
}

TEST_F(FieldAndResetTest, FieldWalksEndOnAScreenOfProtectedCells) {
    Start("C332");
    const int rows = ConsoleLayer.ScreenRows;
    for (int r = 1; r <= rows; ++r) Flag({r, 1, 80, kP});
    console::GotoRowCol(5, 7);
    console::SkipProtected(false);
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);
    EXPECT_EQ(ConsoleLayer.CursorCol, 1);
    console::GotoRowCol(5, 7);
    console::SkipProtected(true);
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);
    EXPECT_EQ(ConsoleLayer.CursorCol, 1);
    // Only protected marks: no field target, no stops: the last cell.
    for (int r = 1; r <= rows; ++r) Flag({r, 1, 80, kP | kMark});
    console::GotoRowCol(3, 20);
    console::TabField(false, commands::Settings.TabStops);
    EXPECT_EQ(ConsoleLayer.CursorRow, rows);
    EXPECT_EQ(ConsoleLayer.CursorCol, 80);
}

TEST_F(FieldAndResetTest, UnprotectedEraseToTheFieldEndStopsAtProtection) {
    Start("WYSE60");
    Feed("abcdefg");
    Flag({1, 3, 3, kP});
    ConsoleLayer.AttrColorMap[0] = 7;
    console::GotoRowCol(1, 1);
    console::EraseUnprotected(6, false, u'x');
    EXPECT_EQ(TrimmedRow(1), "xxcdefg");
    console::EraseUnprotected(2, true, u'-');
    EXPECT_EQ(TrimmedRow(1), "--c" + std::string(77, '-'));
    EXPECT_EQ(console::CellAttr(console_test::RingCell(1, 1)), 7);
    EXPECT_EQ(ConsoleLayer.CursorCol, 1);
}

}  // namespace
}  // namespace emulation
