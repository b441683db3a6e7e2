#include "emulation/operations/screen_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_screen_feeder.h"

namespace emulation {
namespace {

using console::ConsoleLayer;
using screen_test::HostScreen;
using screen_test::Row;

#define ESC "\x1b"

struct ScreenCase {
    const char* type;
    const char* input;
    std::vector<std::pair<int, const char*>> rows;  // row, text (trailing blanks dropped)
    int cursorRow;
    int cursorCol;
};

// Each family's own forms of cursor addressing, erase, insert and delete.
const ScreenCase kScreenCases[] = {
    {"VT100", ESC "[5;10HAB", {{5, "         AB"}}, 5, 12},
    {"VT100", ESC "[0;0HX", {{1, "X"}}, 1, 2},
    {"VT220", "abcdef" ESC "[1;3H" ESC "[2@", {{1, "ab  cdef"}}, 1, 3},
    {"VT220", "abcdef" ESC "[1;2H" ESC "[2P", {{1, "adef"}}, 1, 2},
    {"VT320", "abcdef" ESC "[1;2H" ESC "[3X", {{1, "a   ef"}}, 1, 2},
    {"VT420", "abcdef" ESC "[1;4H" ESC "[K", {{1, "abc"}}, 1, 4},
    {"VT420", "abcdef" ESC "[1;4H" ESC "[1K", {{1, "    ef"}}, 1, 4},
    {"VT420", "abcdef" ESC "[1;4H" ESC "[2K", {{1, ""}}, 1, 4},
    {"VT220", "abc\r\ndef" ESC "[1;2H" ESC "[J", {{1, "a"}, {2, ""}}, 1, 2},
    {"VT220", "abc\r\ndef" ESC "[2;2H" ESC "[1J", {{1, ""}, {2, "  f"}}, 2, 2},
    {"VT220", "a\r\nb\r\nc" ESC "[2;1H" ESC "[L", {{1, "a"}, {2, ""}, {3, "b"}, {4, "c"}}, 2, 1},
    {"VT220", "a\r\nb\r\nc" ESC "[1;1H" ESC "[2M", {{1, "c"}, {2, ""}}, 1, 1},
    {"VT220", ESC "[5;20r" ESC "[?6h" ESC "[30H", {}, 20, 1},
    {"VT220", ESC "[5;20r" ESC "[20;1H\n", {}, 20, 1},
    {"VT220", "a" ESC "[5;20r" ESC "[5;1Hx" ESC "M", {{1, "a"}, {5, ""}, {6, "x"}}, 5, 2},
    {"VT220", "x" ESC "[2S", {{1, ""}}, 1, 2},
    {"VT220", ESC "[3;1Hx" ESC "[2T", {{3, ""}, {5, "x"}}, 3, 2},
    {"VT220", "abc" ESC "7" ESC "[9;9H" ESC "8d", {{1, "abcd"}}, 1, 5},
    {"VT220", "\t\tx" ESC "[Z" ESC "[Zy", {{1, "        y       x"}}, 1, 10},
    {"LINUX", ESC "[3;1Hx" ESC "[1;1H" ESC "[M", {{2, "x"}}, 1, 1},
    {"LINUX", "\x0c" "a", {{2, "a"}}, 2, 2},  // form feed is a line feed here
    {"SCOANSI", "xyz\x0c" "a", {{1, "a"}}, 1, 2},  // and clears the screen here
    {"SCOANSI", ESC "[65;3b", {{1, "AAA"}}, 1, 4},
    {"VT220", "q" ESC "[3b", {{1, "qqqq"}}, 1, 5},
    {"AT386", ESC "[3;4Hab" ESC "[3;4H" ESC "[P", {{3, "   b"}}, 3, 4},
    {"OZMEL", "abc" ESC "[1;2H" ESC "[$x", {{1, "abc"}}, 1, 2},
    {"VOVUZIVA", "abcdef\r\nabcdef\r\nabcdef" ESC "[2;3;3;4$z",
     {{1, "abcdef"}, {2, "ab  ef"}, {3, "ab  ef"}}, 3, 7},
    {"WYSE50", ESC "=%(AB", {{6, "        AB"}}, 6, 11},
    {"WYSE60", "abcdef" ESC "=  " ESC "T", {{1, ""}}, 1, 1},
    {"WYSE60", "abcdef" ESC "=  " ESC "W", {{1, "bcdef"}}, 1, 1},
    {"WYSE60", "abcdef" ESC "=  " ESC "Q", {{1, " abcdef"}}, 1, 1},
    {"WYSE50", "a\r\nb" ESC "=  " ESC "E", {{1, ""}, {2, "a"}, {3, "b"}}, 1, 1},
    {"WYSE50", "a\r\nb" ESC "=  " ESC "R", {{1, "b"}}, 1, 1},
    {"WYSE60", "ab\r\ncd" ESC "=  " ESC "Y", {{1, ""}, {2, ""}}, 1, 1},
    {"TV965", ESC "=\"$Z", {{3, "    Z"}}, 3, 6},
    {"TV965", "abcdef" ESC "[1;3H" ESC "[K", {{1, "ab"}}, 1, 3},
    {"TV965", "abc" ESC "*", {{1, ""}}, 1, 1},
    {"C332", ESC "@%\"Z", {{3, "     Z"}}, 3, 7},
    {"C332", "abcdef" ESC "@\" " ESC "I", {{1, "ab"}}, 1, 3},
    {"N7900", ESC "Y\"%Q", {{3, "     Q"}}, 3, 7},
    {"N7900", "abcdef" ESC "Y  " ESC "E", {{1, "bcdef"}}, 1, 1},
    {"N7901", ESC "Y\"%Q", {{3, "     Q"}}, 3, 7},
    {"VIEWPOINT", "abc" ESC "Y  " ESC "K", {{1, ""}}, 1, 1},
};

TEST(ScreenOperations, EachTypesSequencesActOnTheScreen) {
    for (const auto& c : kScreenCases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.input);
        HostScreen screen(c.type);
        ASSERT_TRUE(screen.ok);
        screen.Feed(c.input);
        for (const auto& [row, text] : c.rows) EXPECT_EQ(Row(row), text) << "row " << row;
        EXPECT_EQ(ConsoleLayer.CursorRow, c.cursorRow);
        EXPECT_EQ(ConsoleLayer.CursorCol, c.cursorCol);
    }
}

TEST(ScreenOperations, HugeCountsAndCoordinatesAreClamped) {
    HostScreen screen("VT220");
    screen.Feed(ESC "[99999;99999H");
    EXPECT_EQ(ConsoleLayer.CursorRow, 24);
    EXPECT_EQ(ConsoleLayer.CursorCol, 80);
    screen.Feed(ESC "[4294967296;4294967296H");  // saturates, then clamps
    EXPECT_EQ(ConsoleLayer.CursorRow, 24);
    screen.Feed(ESC "[1;1H" ESC "[2147483647C");  // the largest count moves one column
    EXPECT_EQ(ConsoleLayer.CursorCol, 2);
    const char* huge[] = {"@", "P", "L", "M", "S", "T", "X", "I", "Z", "E", "B", "A", "D", "F"};
    for (const char* f : huge) screen.Feed(std::string(ESC "[2147483647") + f);
    screen.Feed(ESC "[2147483647;1r" ESC "[0;2147483647r");
    EXPECT_LE(ConsoleLayer.BottomMargin, 24);

    ScreenOperations.Hooks.WriteRepeatedChar = [](uint8_t, int32_t n) {
        ASSERT_LE(n, 24 * 80 + 2 * 80);
        console::WriteString(std::string(static_cast<size_t>(n), 'r'));
    };
    ScreenOperations.Hooks.LastGraphicChar = [] { return uint8_t{'r'}; };
    screen.Feed(ESC "[1;1H" ESC "[2147483647b");
    // 2^31-1 characters from column 1 end where that many would: the last
    // line holds the remainder.
    for (int r = 1; r <= 23; ++r) EXPECT_EQ(Row(r), std::string(80, 'r')) << r;
    EXPECT_EQ(Row(24), std::string(2147483647 % 80, 'r'));
    EXPECT_EQ(ConsoleLayer.CursorCol, 1 + 2147483647 % 80);
}

TEST(ScreenOperations, BoundedRepeatKeepsThePhase) {
    EXPECT_EQ(BoundedRepeat(5, 100, 7), 5);
    EXPECT_EQ(BoundedRepeat(107, 100, 7), 100);
    EXPECT_EQ(BoundedRepeat(2147483647, 100, 80), 100 + (2147483647 - 100) % 80);
    EXPECT_EQ(BoundedRepeat(-3, 100, 7), 0);
}

TEST(ScreenOperations, TabStopListEditing) {
    HostScreen screen("VT220");
    auto& stops = commands::Settings.TabStops;
    screen.Feed(ESC "[3g");
    EXPECT_EQ(stops[0], 0);
    screen.Feed(ESC "[1;10H" ESC "H" ESC "[1;5H" ESC "H" ESC "H");  // set twice: once
    EXPECT_EQ(stops[0], 5);
    EXPECT_EQ(stops[1], 10);
    EXPECT_EQ(stops[2], 0);
    screen.Feed(ESC "[1;1H\t");
    EXPECT_EQ(ConsoleLayer.CursorCol, 5);
    screen.Feed(ESC "[0g" "\t\t");  // clear at 5, then to 10 and to the width
    EXPECT_EQ(stops[0], 10);
    EXPECT_EQ(ConsoleLayer.CursorCol, 80);

    // A full list drops its last entry when a stop is set before it.
    for (size_t i = 0; i < kTabStopCount; ++i) stops[i] = static_cast<uint8_t>(i + 2);
    screen.Feed(ESC "[1;1H" ESC "H");
    EXPECT_EQ(stops[0], 1);
    EXPECT_EQ(stops[1], 2);
    EXPECT_EQ(stops[249], 250);
    screen.Feed(ESC "[?5W");
    EXPECT_EQ(stops[0], 1);
    EXPECT_EQ(stops[1], 9);
}

TEST(ScreenOperations, ScrollRegionMarginsStayOnTheScreen) {
    HostScreen screen("TV965");
    screen.Feed(ESC "[3;10r");  // absent side margins are 0 in this family
    EXPECT_EQ(ConsoleLayer.TopMargin, 3);
    EXPECT_EQ(ConsoleLayer.BottomMargin, 10);
    EXPECT_EQ(ConsoleLayer.LeftMargin, 1);
    EXPECT_EQ(ConsoleLayer.RightMargin, 80);
    screen.Feed(ESC "[10;3r" ESC "[5;25r");  // not top < bottom <= rows: ignored
    EXPECT_EQ(ConsoleLayer.TopMargin, 3);
    EXPECT_EQ(ConsoleLayer.BottomMargin, 10);
}

TEST(ScreenOperations, EraseInMarginsOnlyWithTheCursorInside) {
    HostScreen screen("VT220");
    for (int r = 1; r <= 24; ++r) screen.Feed(std::string(ESC "[") + std::to_string(r) + ";1H" + std::string(80, 'z'));
    ConsoleLayer.LeftMargin = 10;
    ConsoleLayer.RightMargin = 20;
    screen.Feed(ESC "[5;15r" ESC "[2;12H" ESC "[2V");  // row 2 is outside
    EXPECT_EQ(Row(5), std::string(80, 'z'));
    ConsoleLayer.LeftMargin = 10;
    ConsoleLayer.RightMargin = 20;
    screen.Feed(ESC "[7;12H" ESC "[0V");
    EXPECT_EQ(Row(7), std::string(11, 'z') + std::string(9, ' ') + std::string(60, 'z'));
    EXPECT_EQ(Row(8), std::string(9, 'z') + std::string(11, ' ') + std::string(60, 'z'));
    EXPECT_EQ(Row(6), std::string(80, 'z'));
}

TEST(ScreenOperations, ColumnChangeClearsByTheFamilyRule) {
    HostScreen screen("VT220");
    ScreenOperations.Hooks.SetScreenGeometry = [](std::string_view text) {
        ConsoleLayer.ScreenWidth = text == "132" ? 132 : 80;
        return true;
    };
    ConsoleLayer.ScreenWidth = 132;
    ConsoleLayer.TopMargin = 4;
    screen.Feed("abc" ESC "[?3h");  // already 132 wide: margins reset, and rule 0 still clears
    EXPECT_EQ(ConsoleLayer.TopMargin, 1);
    EXPECT_EQ(ConsoleLayer.RightMargin, 132);
    EXPECT_EQ(Row(1), "");

    HostScreen wyse("WYSE60");
    ScreenOperations.Hooks.SetScreenGeometry = [](std::string_view text) {
        ConsoleLayer.ScreenWidth = text == "132" ? 132 : 80;
        return true;
    };
    FamilyWyse60.ColumnChangeClear = 2;  // clear only when the width changes
    wyse.Feed("abc" ESC "`:");
    EXPECT_EQ(Row(1), "abc");
    wyse.Feed(ESC "`;");
    EXPECT_EQ(Row(1), "");
    FamilyWyse60.ColumnChangeClear = 1;  // keep
    wyse.Feed("abc" ESC "`:");
    EXPECT_EQ(Row(1), "abc");
    EXPECT_EQ(ConsoleLayer.ScreenWidth, 80);
}

}  // namespace
}  // namespace emulation
