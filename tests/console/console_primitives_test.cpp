#include "console/console_primitives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "common/allocation_counter.h"
#include "console/code_pages.h"
#include "console/idle_refresh.h"
#include "fake_console_window.h"

namespace console {
namespace {

using console_test::FakeConsoleWindow;
using console_test::RingCell;
using console_test::RingFlags;
using console_test::RingRow;
using console_test::WindowAttr;
using console_test::WindowRow;
using Rect = FakeConsoleWindow::Rect;

class ConsolePrimitivesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        console_test::ResetConsoleForTest(window);
        SetJumpScrollSetting(0);
    }
    void TearDown() override { SetScreenWindow(nullptr); }

    static void Put(int32_t row, int32_t col, std::string_view text) {
        GotoRowCol(row, col);
        WriteScreenStr(text, 0);
    }
    // Every text row gets its own letter across the whole line.
    static void FillRows() {
        for (int32_t r = 1; r <= 24; ++r)
            Put(r, 1, std::string(80, static_cast<char>('a' + r - 1)));
    }
    // The window shows what the ring holds on every text row.
    static void ExpectWindowMatchesRing() {
        for (int32_t r = 1; r <= ConsoleLayer.ScreenRows; ++r) {
            EXPECT_EQ(WindowRow(r - 1), RingRow(r)) << "row " << r;
            for (int32_t c = 1; c <= 80; ++c) {
                ASSERT_EQ(WindowAttr(c - 1, r - 1), CellAttr(RingCell(r, c))) << r << "," << c;
            }
        }
    }

    FakeConsoleWindow window;
};

TEST_F(ConsolePrimitivesTest, WriteStringWrapsAtTheRightMarginAndScrollsAtTheBottom) {
    GotoRowCol(3, 75);
    WriteString("abcdefghij");
    EXPECT_EQ(RingRow(3).substr(74), "abcdef");
    EXPECT_EQ(RingRow(4).substr(0, 5), "ghij ");
    EXPECT_EQ(ConsoleLayer.CursorRow, 4);
    EXPECT_EQ(ConsoleLayer.CursorCol, 5);

    Put(1, 1, "top");
    GotoRowCol(24, 78);
    WriteString("xyz12");
    EXPECT_EQ(TermScreenRing.TopLine, 1);
    EXPECT_EQ(RingRow(0).substr(0, 3), "top");  // kept as scroll-back
    EXPECT_EQ(RingRow(23).substr(77), "xyz");
    EXPECT_EQ(RingRow(24).substr(0, 3), "12 ");
    ExpectWindowMatchesRing();
}

TEST_F(ConsolePrimitivesTest, PendingWrapPositionNeverSpillsIntoTheNextLine) {
    // Row 24 is the ring's last line, so a spill would run past the storage.
    TermScreenRing.TopLine = TermScreenRing.LineCount - 24;
    const auto before = TermScreenRing.Cells;
    GotoRowCol(24, 80);
    WriteScreenStr("XY", 0);
    EXPECT_EQ(ConsoleLayer.CursorCol, 81);
    EXPECT_EQ(RingRow(24).back(), 'X');
    EXPECT_EQ(RingRow(1), std::string(80, ' '));
    EXPECT_EQ(TermScreenRing.Cells[0], before[0]);
    WriteScreenChar(u'Z');
    WriteScreenStr(std::string(300, 'Q'), 0);
    EXPECT_EQ(ConsoleLayer.CursorCol, 81);
    EXPECT_EQ(RingRow(1), std::string(80, ' '));
    EXPECT_EQ(WindowRow(0), std::string(80, ' '));
}

TEST_F(ConsolePrimitivesTest, EachWriterWrapsInItsOwnWay) {
    struct Case {
        const char* name;
        void (*write)();
        int32_t row, col;          // cursor afterwards
        int32_t charRow, charCol;  // where the second character landed
    };
    const Case cases[] = {
        // Byte writers start the next line before a printable byte at the pending-wrap position.
        {"WriteCharCtl",
         [] {
             WriteCharCtl('P');
             WriteCharCtl('Q');
         },
         6, 2, 6, 1},
        {"WriteString", [] { WriteString("PQ"); }, 6, 2, 6, 1},
        // The run writer leaves wrapping to its caller and drops what lies past the line.
        {"WriteScreenStr", [] { WriteScreenStr("PQ", 0); }, 5, 81, 0, 0},
        // The wide writer returns to column 1 of the same row.
        {"WriteWideAttr", [] { WriteWideAttr(u"PQ", 7); }, 5, 2, 5, 1},
    };
    for (const Case& c : cases) {
        console_test::ResetConsoleForTest(window);
        GotoRowCol(5, 80);
        c.write();
        EXPECT_EQ(RingRow(5).back(), 'P') << c.name;
        EXPECT_EQ(ConsoleLayer.CursorRow, c.row) << c.name;
        EXPECT_EQ(ConsoleLayer.CursorCol, c.col) << c.name;
        if (c.charRow != 0) {
            EXPECT_EQ(RingRow(c.charRow)[c.charCol - 1], 'Q') << c.name;
        } else {
            EXPECT_EQ(RingRow(6)[0], ' ') << c.name;
        }
    }

    // In status mode the status row takes the text and no line feed happens.
    console_test::ResetConsoleForTest(window);
    const auto ring = TermScreenRing.Cells;
    ConsoleLayer.StatusMode = true;
    GotoRowCol(25, 79);
    WriteString("abcd");
    EXPECT_EQ(WindowRow(24).substr(0, 2), "cd");
    EXPECT_EQ(WindowRow(24).substr(78), "ab");
    EXPECT_EQ(ConsoleLayer.CursorRow, 25);
    EXPECT_EQ(TermScreenRing.Cells, ring);
    EXPECT_EQ(TermScreenRing.TopLine, 0);
}

TEST_F(ConsolePrimitivesTest, RunWritesStoreLineGraphicsAndTheColourInRingAndWindow) {
    // Long enough for whole steps of the row helpers and a tail; box drawing with and
    // without a bitmap, and a page without box drawing.
    const struct {
        const char* Name;
        void (*Write)();
        std::u16string Stored;
    } cases[] = {
        {"units", [] { WriteScreenUnits(u"ab\u2500cdefgh\u2501ijklmnopq\u2500r"); },
         u"ab\uE600cdefgh\u2501ijklmnopq\uE600r"},
        {"437",
         [] {
             WriteScreenStr(
                 "ab\xC4"
                 "cdefghijklmnopq\xC4r",
                 437);
         },
         u"ab\uE600cdefghijklmnopq\uE600r"},
        {"1252",
         [] {
             WriteScreenStr(
                 "ab\xE9"
                 "cdefghijklmnopq\xFCr",
                 1252);
         },
         u"ab\u00E9cdefghijklmnopq\u00FCr"},
    };
    for (const auto& c : cases) {
        console_test::ResetConsoleForTest(window);
        SetLineGraphicsGlyph(0x00, true);
        ConsoleLayer.AttrSelection = kSelectionDirect;
        ConsoleLayer.DirectAttr = 0x1E;
        for (int32_t col = 1; col <= 30; ++col) TermScreenRing.Flags[CellIndex(3, col)] = 0xFF;
        GotoRowCol(3, 5);
        c.Write();
        const auto n = static_cast<int32_t>(c.Stored.size());
        EXPECT_EQ(ConsoleLayer.CursorCol, 5 + n) << c.Name;
        for (int32_t k = 0; k < n; ++k) {
            const int32_t col = 5 + k;
            EXPECT_EQ(RingCell(3, col), MakeCell(c.Stored[k], 0x1E)) << c.Name << " " << k;
            EXPECT_EQ(RingFlags(3, col), 0xFE) << c.Name << " " << k;
            EXPECT_EQ(*ScreenCharRow(col - 1, 2), c.Stored[k]) << c.Name << " " << k;
            EXPECT_EQ(WindowAttr(col - 1, 2), 0x1E) << c.Name << " " << k;
        }
        EXPECT_EQ(RingFlags(3, 4), 0xFF) << c.Name;
        EXPECT_EQ(RingFlags(3, 5 + n), 0xFF) << c.Name;
        SetLineGraphicsGlyph(0x00, false);
    }
}

TEST_F(ConsolePrimitivesTest, LocalControlBytes) {
    struct Case {
        int32_t row, col;
        uint8_t backspaceSetting, byte;
        int32_t wantRow, wantCol;
    };
    const Case cases[] = {
        {5, 1, 127, 127, 4, 80},  // the settings' backspace code moves left like BS
        {1, 1, 8, 8, 1, 80},      // on row 1 it stays on row 1
        {5, 10, 8, 21, 5, 9},    {1, 7, 8, 26, 24, 7},  // up from row 1 goes to the bottom text row
        {5, 7, 8, 26, 4, 7},     {5, 7, 8, 1, 1, 1},
        {5, 7, 8, 13, 5, 1},     {3, 80, 8, 6, 4, 1},   // forward past the end wraps
        {5, 7, 8, 127, 5, 7},                           // DEL is ignored
        {5, 7, 8, 27, 5, 7},     {5, 7, 8, 128, 5, 8},  // shown as "~"
    };
    static int captureFlushes = 0;
    for (const Case& c : cases) {
        console_test::ResetConsoleForTest(window);
        SetBackspaceCharSetting(c.backspaceSetting);
        ConsoleLayer.Hooks.FlushCaptureLine = [] { ++captureFlushes; };
        GotoRowCol(c.row, c.col);
        WriteCharCtl(c.byte);
        EXPECT_EQ(ConsoleLayer.CursorRow, c.wantRow)
            << int(c.byte) << " at " << c.row << "," << c.col;
        EXPECT_EQ(ConsoleLayer.CursorCol, c.wantCol)
            << int(c.byte) << " at " << c.row << "," << c.col;
    }
    EXPECT_EQ(RingRow(5)[6], '~');
    EXPECT_EQ(captureFlushes, 1);  // the wrap of the forward move ended a capture line
}

TEST_F(ConsolePrimitivesTest, JumpScrollRepaintsByPendingLines) {
    struct Case {
        uint16_t jump;
        bool burst;
        std::vector<int> repaintAt;  // line feeds after which nothing is pending
    };
    std::vector<int> everyLine;
    for (int i = 1; i <= 30; ++i) everyLine.push_back(i);
    const Case cases[] = {
        {100, true, {25}},
        {50, true, {13, 26}},
        {50, false, everyLine},  // one line at a time scrolls the window at once
        {0, true, everyLine},
    };
    // Lines scrolled inside a region (rows 5 to 20) jump as whole-screen lines do.
    for (const bool region : {false, true}) {
        for (const Case& c : cases) {
            console_test::ResetConsoleForTest(window);
            SetJumpScrollSetting(c.jump);
            ConsoleLayer.Hooks.CommInputReady =
                c.burst ? [](int32_t) { return true; } : [](int32_t) { return false; };
            const int32_t bottom = region ? 20 : 24;
            if (region) {
                FillRows();
                ConsoleLayer.TopMargin = 5;
                ConsoleLayer.BottomMargin = bottom;
            }
            GotoRowCol(bottom, 1);
            std::vector<int> repaintAt;
            for (int i = 1; i <= 30; ++i) {
                WriteScreenStr(std::to_string(i), 0);
                WriteCharCtl(13);
                WriteCharCtl(10);
                if (ConsoleLayer.PendingScrollLines == 0) repaintAt.push_back(i);
            }
            EXPECT_EQ(repaintAt, c.repaintAt) << c.jump << (region ? " region" : "");
            EXPECT_EQ(TermScreenRing.TopLine, region ? 0 : 30);
            // The idle refresh brings the window back in step.
            RedrawScreen();
            ExpectWindowMatchesRing();
            EXPECT_EQ(RingRow(bottom - 1).substr(0, 2), "30");
            if (region) {
                EXPECT_EQ(RingRow(4)[0], 'd');  // rows outside the region stay
                EXPECT_EQ(RingRow(5).substr(0, 2), "16");
                EXPECT_EQ(RingRow(21)[0], 'u');
            }
        }
    }
}

TEST_F(ConsolePrimitivesTest, InsertAndDeleteLinesStayInsideTheRegion) {
    FillRows();
    GotoRowCol(20, 5);
    InsertLines(50);  // cut to the 5 lines left in the region
    EXPECT_EQ(RingRow(19)[0], 's');
    for (int32_t r = 20; r <= 24; ++r) EXPECT_EQ(RingRow(r), std::string(80, ' ')) << r;
    EXPECT_EQ(CellAttr(RingCell(20, 1)), ConsoleLayer.AttrColorMap[0]);
    ExpectWindowMatchesRing();

    FillRows();
    ConsoleLayer.TopMargin = 5;
    ConsoleLayer.BottomMargin = 10;
    GotoRowCol(7, 1);
    InsertLines(2);
    EXPECT_EQ(RingRow(6)[0], 'f');
    EXPECT_EQ(RingRow(7)[0], ' ');
    EXPECT_EQ(RingRow(8)[0], ' ');
    EXPECT_EQ(RingRow(9)[0], 'g');
    EXPECT_EQ(RingRow(10)[0], 'h');
    EXPECT_EQ(RingRow(11)[0], 'k');
    ExpectWindowMatchesRing();

    // Deleted lines are replaced in the erase attribute.
    ConsoleLayer.EraseInCurrentAttr = true;
    ConsoleLayer.AttrSelection = kSelectionDirect;
    ConsoleLayer.DirectAttr = 0x1E;
    GotoRowCol(6, 1);
    DeleteLines(3);
    EXPECT_EQ(RingRow(6)[0], 'g');
    EXPECT_EQ(RingRow(7)[0], 'h');
    EXPECT_EQ(RingRow(8)[0], ' ');
    EXPECT_EQ(CellAttr(RingCell(10, 1)), 0x1E);
    EXPECT_EQ(RingRow(11)[0], 'k');
    ExpectWindowMatchesRing();

    // Outside the region, and with counts a host could send, nothing moves out of place.
    const auto ring = TermScreenRing.Cells;
    GotoRowCol(3, 1);
    InsertLines(1);
    DeleteLines(1);
    EXPECT_EQ(TermScreenRing.Cells, ring);
    GotoRowCol(5, 1);
    for (int32_t n : {0, -1, INT32_MIN}) {
        InsertLines(n);
        DeleteLines(n);
    }
    EXPECT_EQ(TermScreenRing.Cells, ring);
    InsertLines(INT32_MAX);
    DeleteLines(INT32_MAX);
    for (int32_t r = 5; r <= 10; ++r) EXPECT_EQ(RingRow(r), std::string(80, ' ')) << r;
    EXPECT_EQ(RingRow(11)[0], 'k');
    EXPECT_EQ(WindowRow(24), std::string(80, ' '));
    ExpectWindowMatchesRing();
}

TEST_F(ConsolePrimitivesTest, InsertAndDeleteColumnsOnEveryTextRow) {
    std::string digits;
    for (int i = 0; i < 80; ++i) digits.push_back(static_cast<char>('0' + i % 10));
    for (int32_t r = 1; r <= 24; ++r) Put(r, 1, digits);
    GotoRowCol(4, 10);
    InsertColumns(3);
    for (int32_t r : {1, 12, 24}) {
        EXPECT_EQ(RingRow(r).substr(7, 8), "78   901") << r;
        EXPECT_EQ(RingRow(r).substr(77), "456") << r;
    }
    ExpectWindowMatchesRing();

    DeleteColumns(3);
    for (int32_t r : {1, 24}) {
        EXPECT_EQ(RingRow(r).substr(7, 4), "7890") << r;
        EXPECT_EQ(RingRow(r).substr(74), "456   ") << r;
    }
    ExpectWindowMatchesRing();

    // Counts past the line are cut to it.
    Put(4, 77, "abcd");
    GotoRowCol(4, 79);
    InsertColumns(1000);
    EXPECT_EQ(RingRow(4).substr(76), "ab  ");
    DeleteColumns(INT32_MAX);
    InsertColumns(INT32_MIN);
    GotoRowCol(4, 81);
    InsertColumns(5);
    DeleteColumns(5);
    ExpectWindowMatchesRing();

    // A character shift moves cells inside the row (blanking what it uncovers is the
    // caller's); what would leave the row is dropped.
    Put(6, 1, "ABCDEFGH");
    ShiftRowCells(6, 2, 80, 3);
    EXPECT_EQ(RingRow(6).substr(0, 8), "ABCDBCDE");
    EXPECT_EQ(WindowRow(5).substr(4, 4), "BCDE");
    ShiftRowCells(6, 5, 80, -4);
    EXPECT_EQ(RingRow(6).substr(0, 8), "BCDEFGH8");
    EXPECT_EQ(WindowRow(5).substr(0, 8), "BCDEFGH8");
    EXPECT_EQ(RingRow(7)[0], '0');
    const auto ring = TermScreenRing.Cells;
    ShiftRowCells(6, 1, 80, INT32_MAX);
    ShiftRowCells(6, 1, 80, INT32_MIN);
    ShiftRowCells(6, 0, 81, 1);
    EXPECT_EQ(TermScreenRing.Cells, ring);
}

TEST_F(ConsolePrimitivesTest, ColourSelectionAndProtection) {
    auto& l = ConsoleLayer;
    // An unrepresentable character shows as "?" in the mark attribute.
    GotoRowCol(2, 1);
    WriteScreenChar(0xFFFF);
    EXPECT_EQ(RingCell(2, 1), MakeCell(u'?', l.AttrColorMap[4]));

    // Protect mode 1 marks written cells and ORs the protect bits into the colour index.
    l.ProtectMode = 1;
    l.ProtectAttrIndex = 8;
    l.AttrSelection = 1;
    Put(3, 1, "pr");
    EXPECT_EQ(RingFlags(3, 1), kCellProtected);
    EXPECT_EQ(CellAttr(RingCell(3, 2)), l.AttrColorMap[9]);
    // Protect mode 0 clears the protect bit and keeps a field mark.
    TermScreenRing.Flags[CellIndex(3, 2)] = kCellProtected | kCellFieldStart;
    l.ProtectMode = 0;
    Put(3, 1, "un");
    EXPECT_EQ(RingFlags(3, 1), 0);
    EXPECT_EQ(RingFlags(3, 2), kCellFieldStart);
    EXPECT_EQ(CellAttr(RingCell(3, 2)), l.AttrColorMap[1]);

    // A selection out of range still picks an entry of the map.
    l.AttrSelection = 77;
    Put(3, 5, "x");
    EXPECT_EQ(CellAttr(RingCell(3, 5)), l.AttrColorMap[77 & 15]);
    l.AttrSelection = kSelectionInherit;
    l.StatusMode = true;
    Put(25, 1, "s");
    EXPECT_EQ(WindowAttr(0, 24), l.AttrColorMap[5]);
}

TEST_F(ConsolePrimitivesTest, InheritedFieldColourCarriesPastAClearedMark) {
    auto& l = ConsoleLayer;
    l.AttrSelection = 2;
    Put(3, 1, std::string(9, 'f'));  // a field in colour entry 2
    l.AttrSelection = 3;
    Put(3, 10, std::string(71, 'g'));  // the next field's cells, entry 3
    TermScreenRing.Flags[CellIndex(3, 10)] = kCellFieldStart;
    TermScreenRing.Flags[CellIndex(3, 15)] = kCellFieldStart;

    // On the mark the text takes the colour of the field the mark ends.
    l.AttrSelection = kSelectionInherit;
    Put(3, 10, "ab");
    CellAttribute field = l.AttrColorMap[2];
    EXPECT_EQ(CellAttr(RingCell(3, 10)), field);
    EXPECT_EQ(RingFlags(3, 10), 0);
    for (int32_t c = 11; c <= 14; ++c) EXPECT_EQ(CellAttr(RingCell(3, c)), field) << c;
    EXPECT_EQ(CellAttr(RingCell(3, 15)), l.AttrColorMap[3]);
    EXPECT_EQ(RingFlags(3, 15), kCellFieldStart);
    EXPECT_EQ(RingRow(3).substr(9, 6),
              "abggg"
              "g");
    ExpectWindowMatchesRing();

    // At the pending-wrap position the field is taken from the last cell of the line.
    GotoRowCol(3, 81);
    WriteScreenStr("z", 0);
    EXPECT_EQ(RingRow(4)[0], ' ');
}

TEST_F(ConsolePrimitivesTest, ClampCursorKeepsTheCursorOnTheScreen) {
    struct Case {
        int32_t row, col, wantRow, wantCol;
    };
    for (Case c : {Case{0, 5, 1, 5}, Case{5, 85, 5, 81}, Case{26, 5, 24, 5}, Case{25, 5, 25, 5},
                   Case{-7, -7, 1, 1}, Case{INT32_MAX, INT32_MIN, 24, 1}}) {
        GotoRowCol(c.row, c.col);
        EXPECT_EQ(ConsoleLayer.CursorRow, c.wantRow) << c.row << "," << c.col;
        EXPECT_EQ(ConsoleLayer.CursorCol, c.wantCol) << c.row << "," << c.col;
    }
    // While output pours in the caret waits.
    ConsoleLayer.Hooks.CommInputReady = [](int32_t n) { return n == 40; };
    window.Clear();
    GotoRowCol(3, 3);
    EXPECT_TRUE(ConsoleLayer.CaretPending);
    EXPECT_EQ(window.CursorMoves, 0);
    ConsoleLayer.Hooks.CommInputReady = NoCommInputReady;
    PlaceCaret();
    EXPECT_FALSE(ConsoleLayer.CaretPending);
    EXPECT_EQ(ConsoleScreen.WindowCursorCol, 2);
    EXPECT_EQ(ConsoleScreen.WindowCursorRow, 2);
}

TEST_F(ConsolePrimitivesTest, LineFeedOnTheBottomMargin) {
    FillRows();
    // A partial region loses its top line; the scroll-back is left alone.
    ConsoleLayer.TopMargin = 5;
    ConsoleLayer.BottomMargin = 10;
    GotoRowCol(10, 3);
    LineFeed();
    EXPECT_EQ(TermScreenRing.TopLine, 0);
    EXPECT_EQ(RingRow(4)[0], 'd');
    EXPECT_EQ(RingRow(5)[0], 'f');
    EXPECT_EQ(RingRow(9)[0], 'j');
    EXPECT_EQ(RingRow(10)[0], ' ');
    EXPECT_EQ(ConsoleLayer.CursorRow, 10);
    ExpectWindowMatchesRing();

    ConsoleLayer.ScrollOn = false;
    LineFeed();
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);

    // The whole screen moves into the scroll-back; margins a host set out of range count
    // as the whole screen.
    ConsoleLayer.ScrollOn = true;
    ConsoleLayer.TopMargin = 0;
    ConsoleLayer.BottomMargin = 1000;
    GotoRowCol(24, 1);
    LineFeed();
    EXPECT_EQ(TermScreenRing.TopLine, 1);
    EXPECT_EQ(RingRow(0)[0], 'a');
    EXPECT_EQ(RingRow(23)[0], 'x');
    EXPECT_EQ(RingRow(24), std::string(80, ' '));
    ExpectWindowMatchesRing();

    ConsoleLayer.ScrollBackOff = true;
    LineFeed();
    EXPECT_EQ(TermScreenRing.TopLine, 1);
    EXPECT_EQ(RingRow(1)[0], 'c');
}

TEST_F(ConsolePrimitivesTest, ScreenRingFirstLineWrapsAround) {
    TermScreenRing.TopLine = 90;
    EXPECT_EQ(AdvanceScreenRing(), 1);
    EXPECT_EQ(TermScreenRing.TopLine, 14);
    EXPECT_EQ(AdvanceScreenRing(), 0);
    EXPECT_EQ(TermScreenRing.TopLine, 38);

    // Rows past the end of the storage continue at its start.
    TermScreenRing.TopLine = 95;
    EXPECT_EQ(CellIndex(1, 1), 95 * 80);
    EXPECT_EQ(CellIndex(6, 1), 0);
    EXPECT_EQ(CellIndex(24, 80), 18 * 80 + 79);
    Put(6, 1, "wrapped");
    EXPECT_EQ(console::CellChar(TermScreenRing.Cells[0]), u'w');
    RedrawScreen();
    EXPECT_EQ(WindowRow(5).substr(0, 7), "wrapped");
}

TEST_F(ConsolePrimitivesTest, ErasesUseTheEraseAttributeAndClearFlags) {
    struct Case {
        const char* name;
        void (*erase)();
        int32_t firstRow, firstCol, lastRow, lastCol;  // the blanked range, reading order
    };
    const Case cases[] = {
        {"ClrEol", [] { ClrEol(); }, 4, 10, 4, 80},
        {"ClrEolKeepCursor", [] { ClrEolKeepCursor(); }, 4, 10, 4, 80},
        {"ClrBol", [] { ClrBol(); }, 4, 1, 4, 10},
        {"EraseChars", [] { EraseChars(5); }, 4, 10, 4, 14},
        {"EraseChars huge", [] { EraseChars(INT32_MAX); }, 4, 10, 4, 80},
        {"ClrEos", [] { ClrEos(); }, 4, 10, 24, 80},
        {"ClrBos", [] { ClrBos(); }, 1, 1, 4, 10},
        {"ClrScr", [] { ClrScr(); }, 1, 1, 24, 80},
    };
    for (const Case& c : cases) {
        console_test::ResetConsoleForTest(window);
        FillRows();
        for (int32_t r = 1; r <= 24; ++r) {
            for (int32_t col = 1; col <= 80; ++col) TermScreenRing.Flags[CellIndex(r, col)] = 3;
        }
        auto& l = ConsoleLayer;
        l.EraseInCurrentAttr = true;
        l.AttrSelection = kSelectionDirect;
        l.DirectAttr = 0x1E;
        GotoRowCol(4, 10);
        c.erase();
        for (int32_t r = 1; r <= 24; ++r) {
            for (int32_t col = 1; col <= 80; ++col) {
                int64_t pos = r * 100 + col;
                bool blank =
                    pos >= c.firstRow * 100 + c.firstCol && pos <= c.lastRow * 100 + c.lastCol;
                uint32_t cell = RingCell(r, col);
                if (blank) {
                    ASSERT_EQ(cell, MakeCell(u' ', 0x1E)) << c.name << " " << r << "," << col;
                    ASSERT_EQ(RingFlags(r, col), 0) << c.name;
                } else {
                    ASSERT_EQ(CellChar(cell), u'a' + r - 1) << c.name << " " << r << "," << col;
                    ASSERT_EQ(RingFlags(r, col), 3) << c.name;
                }
            }
        }
        ExpectWindowMatchesRing();
    }
}

TEST_F(ConsolePrimitivesTest, WritersNearTheLineEndNeverReachTheNextRingLine) {
    // A ring exactly as wide as the line, with one scroll-back line after the bottom row: a
    // cell past the last column of row 24 would land there, in bounds, where no sanitizer
    // would notice it. A line narrower than the window lets whole runs reach past its end.
    struct Case {
        const char* name;
        int32_t fromEnd;  // the cursor column, counted back from the last column
        void (*write)(int32_t width);
        const char* rowEnd;  // the last five columns of row 24 afterwards
    };
    const Case cases[] = {
        {"WriteScreenStr", 2, [](int32_t) { WriteScreenStr("abcdefgh", 1252); }, "##abc"},
        {"WriteScreenStr from the pending-wrap column", -1,
         [](int32_t) { WriteScreenStr("abc", 0); }, "#####"},
        {"WriteScreenChar", -1, [](int32_t) { WriteScreenChar(u'z'); }, "#####"},
        {"WriteWideAttr", 1, [](int32_t) { WriteWideAttr(u"uvwxy", 7); }, "###uv"},
        {"WriteWideCharAttr", 0, [](int32_t) { WriteWideCharAttr(u'\u4E00', 7); }, "#####"},
        {"EraseChars", 2, [](int32_t) { EraseChars(100); }, "##   "},
        {"ClrEol", 1, [](int32_t) { ClrEol(); }, "###  "},
        {"FillCellRect", 0,
         [](int32_t width) {
             FillCellRect({width - 3, 1000, 24, 1000}, MakeCell(u'f', 7));
         },
         "#ffff"},
        {"WriteCells", 0,
         [](int32_t width) {
             const uint32_t cells[3] = {MakeCell(u'p', 7), MakeCell(u'q', 7), MakeCell(u'r', 7)};
             WriteCells(24, width - 1, 3, cells);
         },
         "###pq"},
        {"InsertColumns", 1, [](int32_t) { InsertColumns(100); }, "###  "},
        {"ShiftRowCells", 0, [](int32_t width) { ShiftRowCells(24, width - 4, width, 3); },
         "#####"},
    };
    for (int32_t width : {80, 40}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", lines of " << width);
            console_test::ResetConsoleForTest(window, 25);
            AllocTermScreenRing(25 * width * 4, width);
            SetScreenColumnsSetting(static_cast<uint8_t>(width));
            ASSERT_EQ(TermScreenRing.LineCount, 25);
            Put(24, 1, std::string(width, '#'));
            auto scrollBack = TermScreenRing.Cells.begin() + 24 * width;
            std::fill(scrollBack, scrollBack + width, MakeCell(u'.', 7));
            const auto before = TermScreenRing.Cells;
            GotoRowCol(24, width - c.fromEnd);
            c.write(width);
            EXPECT_EQ(RingRow(24).substr(width - 5), c.rowEnd);
            EXPECT_TRUE(std::equal(before.begin() + 24 * width, before.end(),
                                   TermScreenRing.Cells.begin() + 24 * width));
            EXPECT_EQ(TermScreenRing.TopLine, 0);
        }
    }
}

TEST_F(ConsolePrimitivesTest, BlankCellFollowsTheEraseAttributeRules) {
    struct Case {
        bool statusMode, eraseInCurrent;
        int32_t selection;
        CellAttribute want;
    };
    const CellAttribute entry0 = ConsoleLayer.AttrColorMap[0];
    const Case cases[] = {
        {false, false, kSelectionDirect, entry0},  // the direct attribute only when asked
        {false, true, kSelectionDirect, 0x1E},
        {false, true, 3, entry0},  // any other selection blanks in entry 0
        {false, true, kSelectionInherit, entry0},
        {true, true, kSelectionDirect, ConsoleLayer.StatusAttr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.statusMode << c.eraseInCurrent << " " << c.selection);
        console_test::ResetConsoleForTest(window);
        FillRows();
        auto& l = ConsoleLayer;
        l.DirectAttr = 0x1E;
        l.EraseInCurrentAttr = c.eraseInCurrent;
        l.AttrSelection = c.selection;
        l.StatusMode = c.statusMode;
        EXPECT_EQ(BlankCell(), MakeCell(u' ', c.want));
        if (c.statusMode) continue;
        GotoRowCol(3, 5);
        EraseChars(2);
        EXPECT_EQ(RingCell(3, 6), MakeCell(u' ', c.want));
        EXPECT_EQ(WindowAttr(5, 2), c.want);
        EXPECT_EQ(RingRow(3)[6], 'c');
    }
}

TEST_F(ConsolePrimitivesTest, RingWiderThanTheWindow) {
    // 132 ring columns in an 80-column window panned to ring column 41.
    AllocTermScreenRing(100 * 132 * 4, 132);
    SetScreenColumnsSetting(132);
    TermScreenRing.ViewLeftColumn = 40;
    TermScreenRing.ViewRightLimit = 121;
    Put(3, 50, "seen");
    EXPECT_EQ(WindowRow(2).substr(9, 4), "seen");
    Put(3, 125, "hidden");
    EXPECT_EQ(RingRow(3).substr(124, 6), "hidden");
    EXPECT_EQ(WindowRow(2).substr(76), "    ");

    // An erase beyond the window's width still erases the ring.
    GotoRowCol(3, 126);
    ClrEol();
    EXPECT_EQ(RingRow(3).substr(124, 8), "h       ");
    EXPECT_EQ(WindowRow(2).substr(9, 4), "seen");

    // Column shifts bring hidden cells into view.
    Put(5, 121, "XY");
    GotoRowCol(5, 100);
    DeleteColumns(2);
    EXPECT_EQ(WindowRow(4)[78], 'X');
    EXPECT_EQ(WindowRow(4)[79], 'Y');
}

TEST_F(ConsolePrimitivesTest, StatusRowNeverReachesTheRing) {
    // A small ring where row 25 would land on row 1's line.
    TermScreenRing.LineCount = 24;
    const auto ring = TermScreenRing.Cells;

    ConsoleLayer.StatusMode = true;
    Put(25, 1, "status");
    WriteWideAttr(u"wide", 0x70);
    ConsoleLayer.StatusMode = false;
    EXPECT_EQ(WindowRow(24).substr(0, 10), "statuswide");
    EXPECT_EQ(TermScreenRing.Cells, ring);

    // Outside status mode the cursor may stand on the status row; writes there stay
    // in the window too.
    Put(25, 20, "row25");
    WriteScreenChar(u'!');
    EXPECT_EQ(ConsoleLayer.CursorRow, 25);
    EXPECT_EQ(WindowRow(24).substr(19, 6), "row25!");
    EXPECT_EQ(TermScreenRing.Cells, ring);

    FillCellRect({1, 80, 20, 30}, MakeCell(u'#', 7));
    EXPECT_EQ(WindowRow(24), std::string(80, '#'));
    EXPECT_EQ(RingRow(24), std::string(80, '#'));
    EXPECT_EQ(RingRow(1), std::string(80, ' '));

    // In status mode the status row is filled without the view offset.
    TermScreenRing.ViewLeftColumn = 10;
    ConsoleLayer.StatusMode = true;
    FillCellRect({1, 3, 25, 25}, MakeCell(u'*', 7));
    EXPECT_EQ(WindowRow(24).substr(0, 4), "***#");
}

TEST_F(ConsolePrimitivesTest, WriteInvalidatesJustItsCells) {
    GotoRowCol(5, 10);
    window.Clear();
    WriteScreenStr("abc", 0);
    EXPECT_EQ(window.Invalidated, (std::vector<Rect>{{9, 11, 4, 4}}));
    window.Clear();
    WriteScreenChar(u'd');
    EXPECT_EQ(window.Invalidated, (std::vector<Rect>{{12, 13, 4, 4}}));
    EXPECT_EQ(ConsoleScreen.WindowCursorCol, 13);
}

TEST_F(ConsolePrimitivesTest, DirectWriteLeavesTheRing) {
    FillRows();
    SetScreenColumnsSetting(100);
    ConsoleLayer.TopMargin = 3;
    const auto ring = TermScreenRing.Cells;
    BeginDirectWrite();
    EXPECT_EQ(ScreenColumnsSetting(), 80);
    EXPECT_EQ(ConsoleLayer.TopMargin, 1);
    Put(2, 1, "direct");
    EXPECT_EQ(WindowRow(1).substr(0, 6), "direct");
    ClrScr();
    EXPECT_EQ(WindowRow(5), std::string(80, ' '));
    EXPECT_EQ(TermScreenRing.Cells, ring);

    EndDirectWrite();
    EXPECT_EQ(ScreenColumnsSetting(), 100);
    EXPECT_EQ(ConsoleLayer.TopMargin, 3);
    EXPECT_EQ(WindowRow(1)[0], 'b');
    ExpectWindowMatchesRing();
}

TEST_F(ConsolePrimitivesTest, ReverseVideoCursorCell) {
    SetAttrCursorMode(true);
    GotoRowCol(3, 5);
    EXPECT_TRUE(ConsoleLayer.AttrCursorShown);
    // Entry 0 is 0x0F: foreground and background exchange, bit 3 is dropped.
    EXPECT_EQ(WindowAttr(4, 2), 0x70);
    WriteScreenStr("x", 0);
    EXPECT_EQ(WindowAttr(4, 2), ConsoleLayer.AttrColorMap[0]);
    EXPECT_EQ(WindowAttr(5, 2), 0x70);

    // A shift of the row takes the cell cursor off first, so its reversed
    // colours do not travel with the cells.
    ShiftRowCells(3, 6, 80, 1);
    EXPECT_EQ(WindowAttr(6, 2), ConsoleLayer.AttrColorMap[0]);

    SetAttrCursorMode(false);
    EXPECT_FALSE(ConsoleLayer.AttrCursorShown);
    EXPECT_EQ(WindowAttr(5, 2), ConsoleLayer.AttrColorMap[0]);

    // Switching the cell cursor on shows it at once.
    SetAttrCursorMode(true);
    EXPECT_TRUE(ConsoleLayer.AttrCursorShown);
    EXPECT_EQ(WindowAttr(5, 2), 0x70);

    // A redraw from a ring whose cell under the cursor has other colours (a
    // page switch) shows the cursor on those, and taking it off leaves them.
    TermScreenRing.Cells[CellIndex(3, 6)] = MakeCell(u'p', 0x1E);
    RedrawScreen();
    EXPECT_EQ(WindowAttr(5, 2), 0x61);
    SetAttrCursorMode(false);
    EXPECT_EQ(WindowAttr(5, 2), 0x1E);
}

TEST_F(ConsolePrimitivesTest, UnprotectedLineMovesStopAtAProtectedField) {
    FillRows();
    TermScreenRing.Flags[CellIndex(10, 5)] = kCellFieldStart | kCellProtected;
    TermScreenRing.Flags[CellIndex(8, 3)] = kCellFieldStart;  // unprotected: passed over
    GotoRowCol(6, 1);
    InsertLinesUnprotected(2);
    EXPECT_EQ(RingRow(6)[0], ' ');
    EXPECT_EQ(RingRow(7)[0], ' ');
    EXPECT_EQ(RingRow(8)[0], 'f');
    EXPECT_EQ(RingRow(9)[0], 'g');
    EXPECT_EQ(RingRow(10)[0], 'j');
    EXPECT_EQ(RingFlags(10, 5), kCellFieldStart | kCellProtected);

    DeleteLinesUnprotected(50);
    for (int32_t r = 6; r <= 9; ++r) EXPECT_EQ(RingRow(r)[0], ' ') << r;
    EXPECT_EQ(RingRow(10)[0], 'j');

    // Below the last protected field the area runs to the bottom.
    GotoRowCol(12, 1);
    DeleteLinesUnprotected(1);
    EXPECT_EQ(RingRow(12)[0], 'm');
    EXPECT_EQ(RingRow(24)[0], ' ');
    ExpectWindowMatchesRing();

    // On the row of the protected mark the area ends above the cursor: nothing moves.
    GotoRowCol(10, 1);
    InsertLinesUnprotected(1);
    EXPECT_EQ(RingRow(10)[0], 'j');
}

TEST_F(ConsolePrimitivesTest, CellCopiesAndSmallPrimitives) {
    Put(3, 77, "wxyz");
    uint32_t cells[10];
    EXPECT_EQ(ReadCells(3, 78, 10, cells), 3);
    EXPECT_EQ(CellChar(cells[0]), u'x');
    EXPECT_EQ(cells[5], MakeCell(u' ', ConsoleLayer.AttrColorMap[0]));
    EXPECT_EQ(ReadCells(0, 1, 10, cells), 0);
    EXPECT_EQ(ReadCells(25, 1, 10, cells), 0);
    EXPECT_EQ(ReadCells(3, 81, 10, cells), 0);

    const uint32_t src[4] = {MakeCell(u'1', 7), MakeCell(u'2', 7), MakeCell(u'3', 7),
                             MakeCell(u'4', 7)};
    EXPECT_EQ(WriteCells(5, 79, 4, src), 2);
    EXPECT_EQ(RingRow(5).substr(78), "12");
    EXPECT_EQ(RingRow(6)[0], ' ');
    EXPECT_EQ(WindowRow(4).substr(78), "  ");  // the ring only; the caller redraws
    ConsoleLayer.StatusMode = true;
    EXPECT_EQ(WriteCells(25, 78, 4, src), 3);
    EXPECT_EQ(WindowRow(24).substr(77), "123");
    EXPECT_EQ(ReadCells(25, 78, 3, cells), 3);
    EXPECT_EQ(CellChar(cells[2]), u'3');
    ConsoleLayer.StatusMode = false;

    int32_t row = 24, col = 80;
    NextCellPos(row, col);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(col, 1);
    row = 3, col = 80;
    NextCellPos(row, col);
    EXPECT_EQ(row, 4);

    BeepTone(48);
    BeepTone(440);
    EXPECT_EQ(window.Beeps, std::vector<uint32_t>{48});
    EXPECT_EQ(window.Tones, (std::vector<std::pair<uint32_t, uint32_t>>{{440, 50}}));

    GotoRowCol(7, 9);
    ConsoleLayer.AttrSelection = 3;
    SaveCursorState();
    GotoRowCol(1, 1);
    ConsoleLayer.AttrSelection = 0;
    ConsoleLayer.StatusMode = true;
    RestoreCursorState();
    EXPECT_EQ(ConsoleLayer.CursorRow, 7);
    EXPECT_EQ(ConsoleLayer.CursorCol, 9);
    EXPECT_EQ(ConsoleLayer.AttrSelection, 3);
    EXPECT_FALSE(ConsoleLayer.StatusMode);
}

TEST_F(ConsolePrimitivesTest, DoubleWidthCharactersGetAFillerCell) {
    GotoRowCol(2, 1);
    WriteWideCharAttr(0x4E00, 7);
    WriteWideCharAttr(u'A', 7);
    EXPECT_EQ(CellChar(RingCell(2, 2)), kFillerChar);
    EXPECT_EQ(CellChar(RingCell(2, 3)), u'A');
    EXPECT_EQ(ConsoleLayer.CursorCol, 4);

    SetScreenOption6860Setting(0);
    EXPECT_FALSE(NeedsFillerCell(0x2460));
    SetScreenOption6860Setting(1);
    EXPECT_TRUE(NeedsFillerCell(0x2460));
    EXPECT_FALSE(NeedsFillerCell(0x00E9));
    SetCharsetKindSetting(14);
    SetCodePageSetting(932);
    EXPECT_TRUE(NeedsFillerCell(0x00E9));
}

TEST_F(ConsolePrimitivesTest, WritesBeforeTheWindowExistsAreDropped) {
    window.Exists = false;
    const auto ring = TermScreenRing.Cells;
    Put(1, 1, "lost");
    WriteScreenChar(u'x');
    WriteWideAttr(u"y", 7);
    EXPECT_EQ(TermScreenRing.Cells, ring);
}

// The ANSI page's characters follow a change of the system pages between writes
// of the same bytes.
TEST_F(ConsolePrimitivesTest, WritesFollowTheCodePageInUse) {
    struct Case {
        uint32_t ansi;
        char16_t shown;  // byte 0xC0
    };
    const Case cases[] = {
        {1252, u'\u00C0'}, {1251, u'\u0410'}, {1253, u'\u0390'}, {1252, u'\u00C0'}};
    for (const Case& c : cases) {
        platform::BuiltinCodePagesInstance().SetSystemPages(c.ansi, 437);
        Put(3, 1, "\xC0\xC0");
        EXPECT_EQ(CellChar(RingCell(3, 2)), c.shown) << c.ansi;
        EXPECT_EQ(*ScreenCharRow(1, 2), c.shown) << c.ansi;
    }
    platform::ResetCodePages();
}

TEST_F(ConsolePrimitivesTest, WritingMakesNoHeapAllocation) {
    SetScreenWindow(nullptr);
    SetJumpScrollSetting(100);
    FillRows();
    const std::string line(80, 'x');
    const size_t before = test_support::HeapAllocations();
    for (int i = 0; i < 200; ++i) {
        GotoRowCol(24, 1);
        WriteScreenStr(line, 1252);
        WriteString("short text\r\n");
        WriteScreenChar(u'y');
        ClrEol();
        InsertLines(2);
        DeleteColumns(1);
    }
    EXPECT_EQ(test_support::HeapAllocations(), before);
}

// Lines that jump scrolling held back reach the window at the idle refresh,
// unless full jump scrolling still sees output waiting.
TEST_F(ConsolePrimitivesTest, IdleRefreshPaintsHeldBackScrollLines) {
    static bool waiting;
    for (bool outputWaiting : {true, false}) {
        console_test::ResetConsoleForTest(window);
        SetJumpScrollSetting(100);
        waiting = true;
        ConsoleLayer.Hooks.CommInputReady = [](int32_t) { return waiting; };
        GotoRowCol(24, 1);
        for (int i = 1; i <= 5; ++i) {
            WriteScreenStr("line" + std::to_string(i), 0);
            WriteCharCtl(13);
            WriteCharCtl(10);
        }
        ASSERT_EQ(ConsoleLayer.PendingScrollLines, 5);
        waiting = outputWaiting;
        StatusIdleUpdate();
        EXPECT_EQ(ConsoleLayer.PendingScrollLines, outputWaiting ? 5 : 0);
        if (!outputWaiting) {
            ExpectWindowMatchesRing();
            EXPECT_EQ(RingRow(23).substr(0, 5), "line5");
        }
    }
}

}  // namespace
}  // namespace console
