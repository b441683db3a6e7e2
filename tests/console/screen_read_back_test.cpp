#include "console/screen_read_back.h"

#include <gtest/gtest.h>

#include <string>

#include "console/console_neighbours.h"
#include "console/console_primitives.h"
#include "console/local_screen.h"
#include "console/protected_fields.h"
#include "fake_console_window.h"

namespace console {
namespace {

using console_test::FakeConsoleWindow;
using console_test::RingRow;
using console_test::WindowRow;

class ScreenReadBackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        console_test::ResetConsoleForTest(window, 30);
        SetJumpScrollSetting(0);
    }
    void TearDown() override {
        ResetConsoleLayer();
        Neighbours = NullConsoleNeighbours();
        SetScreenWindow(nullptr);
    }

    static void Put(int32_t row, int32_t col, std::u16string_view text) {
        GotoRowCol(row, col);
        WriteScreenUnits(text);
    }
    static void Protect(int32_t row, int32_t first, int32_t last) {
        for (int32_t c = first; c <= last; ++c)
            TermScreenRing.Flags[CellIndex(row, c)] |= kCellProtected;
    }

    FakeConsoleWindow window;
};

TEST_F(ScreenReadBackTest, ProtectedRunsAreMarkedEitherWay) {
    Put(2, 1, u"ABCDE");
    Protect(2, 3, 4);
    ScreenTextOptions plain;
    EXPECT_EQ(GetScreenText(2, 1, 5, plain), "ABCDE");
    ScreenTextOptions fs;
    fs.MarkProtected = true;
    fs.ProtectedAsFs = true;
    EXPECT_EQ(GetScreenText(2, 1, 5, fs),
              "AB\x1C"
              "E");
    ScreenTextOptions esc;
    esc.MarkProtected = true;
    EXPECT_EQ(GetScreenText(2, 1, 5, esc), "AB\x1B)CD\x1B(E");
    // A run reaching the end is closed; columns past the width are cut.
    EXPECT_EQ(GetScreenText(2, 3, 4, esc), "\x1B)CD\x1B(");
    EXPECT_EQ(GetScreenText(2, 78, 500, plain), "   ");
}

TEST_F(ScreenReadBackTest, AnEncoderGivesEachCellItsBytesAndNeverSplitsOne) {
    Put(1, 1, u"\u0416x");
    ScreenTextOptions low;
    EXPECT_EQ(GetScreenText(1, 1, 2, low), "\x16x");
    ScreenTextOptions twoBytes;
    twoBytes.Encode = [](char16_t ch) { return std::string(2, static_cast<char>(ch & 0x7F)); };
    EXPECT_EQ(GetScreenText(1, 1, 2, twoBytes), std::string("\x16\x16xx"));
    // 80 cells of two bytes: 127 whole characters fit the 255 bytes.
    ASSERT_TRUE(AllocTermScreenRing(30 * 200 * 4, 200));
    SetScreenColumnsSetting(200);
    Put(1, 1, std::u16string(200, u'a'));
    EXPECT_EQ(GetScreenText(1, 1, 200, twoBytes), std::string(254, 'a'));
}

TEST_F(ScreenReadBackTest, WideReadBackGivesLineGraphicsFillersAndComposites) {
    Neighbours.DecomposeChar = [](char16_t ch) {
        return ch == 0xE801 ? std::u16string(u"s\u0300") : std::u16string(1, ch);
    };
    Put(3, 1, u"\uE612a\u4E00\u200B\uE801b");
    EXPECT_EQ(GetScreenTextW(3, 1, 6, false, false), u"\u2512a\u4E00s\u0300b");
    // Cells in the reverse colour are underlined for a printer.
    ConsoleLayer.AttrSelection = 4;
    Put(4, 1, u"R");
    ConsoleLayer.AttrSelection = 0;
    Put(4, 2, u"n");
    EXPECT_EQ(GetScreenTextW(4, 1, 2, true, false), u"R\u0008_n");
}

TEST_F(ScreenReadBackTest, RowsAboveTheScreenAreTheScrollBack) {
    Put(1, 1, u"oldest");
    GotoRowCol(24, 1);
    for (int i = 0; i < 3; ++i) LineFeed();
    EXPECT_EQ(GetScreenTextW(-2, 1, 6, false, false), u"oldest");
    // 30 lines hold 24 rows and 6 lines of scroll-back.
    EXPECT_EQ(GetScreenTextW(-5, 1, 3, false, false), u"   ");
    EXPECT_EQ(GetScreenTextW(-6, 1, 3, false, false), u"");
}

TEST_F(ScreenReadBackTest, FieldsAndReadBackFollowTheRingWhereItWrapsItsStorage) {
    // Push the top line so that the screen's rows run past the storage's end.
    GotoRowCol(24, 1);
    for (int i = 0; i < 20; ++i) LineFeed();
    ASSERT_GT(TermScreenRing.TopLine + 24, TermScreenRing.LineCount);
    const int32_t wrappedRow = TermScreenRing.LineCount - TermScreenRing.TopLine + 1;
    Put(wrappedRow - 1, 78, u"xyz");
    GotoRowCol(wrappedRow - 1, 79);
    SetFieldAttr(2, FieldProtection::Protected);
    EXPECT_EQ(console_test::RingFlags(wrappedRow - 1, 79) & kCellFieldStart, kCellFieldStart);
    EXPECT_EQ(console_test::RingFlags(wrappedRow - 1, 80) & kCellProtected, kCellProtected);
    EXPECT_EQ(console_test::RingFlags(wrappedRow, 1) & kCellProtected, kCellProtected);
    EXPECT_EQ(console_test::RingFlags(24, 80) & kCellProtected, kCellProtected);
    EXPECT_EQ(CellAttr(console_test::RingCell(wrappedRow + 1, 5)), ConsoleLayer.AttrColorMap[2]);
    ScreenTextOptions fs;
    fs.MarkProtected = true;
    fs.ProtectedAsFs = true;
    // The mark itself is written as a blank after its flags are set.
    EXPECT_EQ(GetScreenText(wrappedRow - 1, 77, 80, fs), " x \x1C");
    EXPECT_EQ(GetScreenText(wrappedRow, 1, 2, fs), "\x1C");
}

TEST_F(ScreenReadBackTest, LocalScreensDrawPrivatelyAndNestedOnesReturnToTheHostsRing) {
    static uint8_t wrap = 0;
    wrap = 7;
    Neighbours.AutoWrapOff = []() -> uint8_t {
        const uint8_t saved = wrap;
        wrap = 1;
        return saved;
    };
    Neighbours.RestoreAutoWrap = [](uint8_t saved) { wrap = saved; };
    Put(1, 1, u"host");
    ConsoleLayer.TopMargin = 3;
    ConsoleLayer.BottomMargin = 20;
    const auto hostCells = TermScreenRing.Cells;

    OpenLocalScreen(0);
    EXPECT_TRUE(LocalScreenActive());
    EXPECT_EQ(wrap, 1);
    EXPECT_EQ(ConsoleLayer.TopMargin, 1);
    EXPECT_EQ(ConsoleLayer.BottomMargin, 24);
    EXPECT_GE(TermScreenRing.LineCount, ConsoleLayer.LastRow);
    EXPECT_EQ(RingRow(1).substr(0, 4), "    ");
    Put(1, 1, u"outer");
    // An inner display draws on the same private ring; its close keeps it.
    OpenLocalScreen(1 << 20);
    Put(2, 1, u"inner");
    CloseLocalScreen();
    EXPECT_TRUE(LocalScreenActive());
    EXPECT_EQ(RingRow(1).substr(0, 5), "outer");
    EXPECT_EQ(RingRow(2).substr(0, 5), "inner");
    EXPECT_EQ(wrap, 1);

    CloseLocalScreen();
    EXPECT_FALSE(LocalScreenActive());
    EXPECT_EQ(TermScreenRing.Cells, hostCells);
    EXPECT_EQ(WindowRow(0).substr(0, 5), "host ");
    EXPECT_EQ(ConsoleLayer.TopMargin, 3);
    EXPECT_EQ(ConsoleLayer.BottomMargin, 20);
    EXPECT_EQ(wrap, 7);
    // One close too many changes nothing.
    CloseLocalScreen();
    EXPECT_EQ(TermScreenRing.Cells, hostCells);
}

}  // namespace
}  // namespace console
