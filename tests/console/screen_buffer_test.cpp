#include "console/screen_buffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "fake_console_window.h"

namespace console {
namespace {

using console_test::FakeConsoleWindow;
using console_test::WindowAttr;
using console_test::WindowRow;
using Rect = FakeConsoleWindow::Rect;

class ScreenBufferTest : public ::testing::Test {
  protected:
    void SetUp() override { console_test::ResetConsoleForTest(window); }
    void TearDown() override { SetScreenWindow(nullptr); }

    void PutText(const std::string& text, int32_t col, int32_t row, CellAttribute attr = 7) {
        PutCodePageText(reinterpret_cast<const uint8_t*>(text.data()), attr,
                        static_cast<int32_t>(text.size()), col, row, 1252);
    }

    FakeConsoleWindow window;
};

TEST_F(ScreenBufferTest, SetScreenSizeReallocatesOnlyOnChangeAndReportsTheTextArea) {
    SetScreenSize(80, 25);
    EXPECT_TRUE(window.SizeReports.empty());

    PutText("x", 0, 0);
    SetScreenSize(132, 44);
    ASSERT_EQ(window.SizeReports.size(), 1u);
    EXPECT_EQ(window.SizeReports[0], std::make_pair(132, 43));
    EXPECT_EQ(ConsoleScreen.Cols, 132);
    EXPECT_EQ(ConsoleScreen.Rows, 44);
    EXPECT_EQ(*ScreenCharRow(0, 0), u' ');
    EXPECT_EQ(ScreenCharRow(132, 0), nullptr);

    // A size from a host cannot make the buffer grow without bound.
    SetScreenSize(INT32_MAX, -5);
    EXPECT_EQ(ConsoleScreen.Cols, kMaxScreenCols);
    EXPECT_EQ(ConsoleScreen.Rows, 1);

    window.Clear();
    window.Exists = false;
    SetScreenSize(80, 25);
    EXPECT_TRUE(window.SizeReports.empty());
    EXPECT_EQ(ConsoleScreen.Cols, kMaxScreenCols);
}

TEST_F(ScreenBufferTest, WriteInvalidatesJustItsCells) {
    PutText("hello", 10, 3);
    ASSERT_EQ(window.Invalidated.size(), 1u);
    EXPECT_EQ(window.Invalidated[0], (Rect{10, 14, 3, 3}));
    EXPECT_EQ(WindowRow(3).substr(10, 5), "hello");

    window.Clear();
    PutCellChar(u'Z', 7, 79, 2);
    ASSERT_EQ(window.Invalidated.size(), 1u);
    EXPECT_EQ(window.Invalidated[0], (Rect{79, 80, 2, 2}));
}

TEST_F(ScreenBufferTest, MovedPixelEdgeRepaintsToTheEndOfTheRow) {
    // A double-width character with its filler keeps the span's right edge.
    const char16_t wide[] = {0x4E00, kFillerChar};
    PutWindowChars(wide, 7, 2, 20, 1);
    ASSERT_EQ(window.Invalidated.size(), 1u);
    EXPECT_EQ(window.Invalidated[0], (Rect{20, 21, 1, 1}));

    // A filler in the first column has no cell before it to widen: the rest of the row
    // shifts left, and back when it is overwritten.
    window.Clear();
    PutWindowChars(wide + 1, 7, 1, 0, 1);
    EXPECT_EQ(window.Invalidated[0], (Rect{0, ConsoleScreen.Cols, 1, 1}));
    window.Clear();
    PutText("a", 0, 1);
    EXPECT_EQ(window.Invalidated[0], (Rect{0, ConsoleScreen.Cols, 1, 1}));

    // The same for whole-row cell writes and erases, the filler coming or going.
    std::vector<uint32_t> cells(20, MakeCell(u'b', 7));
    cells[0] = MakeCell(kFillerChar, 7);
    for (bool fillerIn : {true, false}) {
        window.Clear();
        PutCells(cells.data() + (fillerIn ? 0 : 1), 0, 1, 19);
        EXPECT_EQ(window.Invalidated[0], (Rect{0, ConsoleScreen.Cols, 1, 1}));
    }
    PutCells(cells.data(), 0, 1, 20);
    window.Clear();
    EraseWindowRowSpan(1, 0, 30, 7, false);
    EXPECT_EQ(window.Invalidated[0], (Rect{0, ConsoleScreen.Cols, 1, 1}));
    EXPECT_EQ(WindowRow(1), std::string(80, ' '));
}

TEST_F(ScreenBufferTest, GlyphCodesAndLineGraphics) {
    const uint8_t a = 0x41;
    PutCodePageText(&a, 7, 1, 0, 0, kSoftFontCodePage);
    EXPECT_EQ(*ScreenCharRow(0, 0), 0xE741);

    // With bitmap 0x00 a box-drawing line is stored as the internal glyph; without one
    // (0x01) it stays.
    SetLineGraphicsGlyph(0x00, true);
    PutCellChar(0x2500, 7, 1, 0);
    PutCellChar(0x2501, 7, 2, 0);
    EXPECT_EQ(*ScreenCharRow(1, 0), 0xE600);
    EXPECT_EQ(*ScreenCharRow(2, 0), 0x2501);

    // Read back as box drawing through the code page (here one that has U+2500 as 0xC4).
    ConsoleScreen.Converter.Encode = [](uint32_t, const char16_t* t, int32_t n, uint8_t* out,
                                        int32_t cap) {
        int32_t k = 0;
        for (; k < n && k < cap; ++k) out[k] = t[k] == 0x2500 ? 0xC4 : static_cast<uint8_t>(t[k]);
        return k;
    };
    EXPECT_EQ(ReadWindowText(1, 2, 2, 437, false), "\xC4");
}

TEST_F(ScreenBufferTest, EraseRowSpanWritesOnlyWhatIsNotBlankAlready) {
    ConsoleScreen.WindowCursorRow = 4;
    EraseRowSpan(0, 79, NormalAttribute(), false);
    EXPECT_TRUE(window.Invalidated.empty());
    EXPECT_TRUE(window.DrawnNow.empty());

    PutText("ab", 10, 4);
    PutText("cd", 20, 4);
    window.Clear();
    EraseRowSpan(0, 1000, NormalAttribute(), false);
    ASSERT_EQ(window.Invalidated.size(), 1u);
    EXPECT_EQ(window.Invalidated[0], (Rect{10, 21, 4, 4}));
    EXPECT_EQ(WindowRow(4), std::string(80, ' '));

    // Spaces in another attribute are not blank in this one; paint now draws instead.
    window.Clear();
    EraseRowSpan(5, 6, 0x1F, true);
    ASSERT_EQ(window.DrawnNow.size(), 1u);
    EXPECT_EQ(window.DrawnNow[0], (Rect{5, 6, 4, 4}));
    EXPECT_EQ(WindowAttr(5, 4), 0x1F);
}

TEST_F(ScreenBufferTest, MarkedReadBackStopsAddingMarksAt253AndNeverPasses255) {
    SetScreenSize(132, 25);
    CellAttribute mark = ConsoleLayer.AttrColorMap[4];
    for (int32_t c = 0; c < 132; ++c) PutCellChar(u'A' + c % 26, mark, c, 0);

    std::string text = ReadWindowText(1, 1, 132, 1252, true);
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.substr(0, 6), "A\b_B\b_");
    // 84 cells give 252 bytes; later cells add only their character, up to 255.
    EXPECT_EQ(text.substr(249, 6), "F\b_GHI");

    std::u16string chars = ReadWindowChars(1, 1, 132, true);
    EXPECT_EQ(chars.size(), 255u);
    EXPECT_EQ(ReadWindowTextW(1, 1, 132, true).size(), 3u * 132);

    // Plain form: characters only, cut to the buffer.
    EXPECT_EQ(ReadWindowText(1, 130, 500, 1252, false), "ZAB");
    EXPECT_EQ(ReadWindowChars(1, -3, 2, false), u"AB");
}

TEST_F(ScreenBufferTest, ReadBackOutsideTheAcceptedRowsIsEmpty) {
    ConsoleLayer.LastRow = 25;
    for (int32_t row : {0, -1, 26, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(ReadWindowText(row, 1, 80, 1252, false), "") << row;
        EXPECT_EQ(ReadWindowChars(row, 1, 80, true), u"") << row;
        EXPECT_EQ(ReadWindowTextW(row, 1, 80, false), u"") << row;
    }
    // LastRow beyond the buffer is still cut to the buffer.
    ConsoleLayer.LastRow = 1000;
    EXPECT_EQ(ReadWindowTextW(26, 1, 80, false), u"");

    uint32_t cells[4] = {};
    EXPECT_EQ(ReadWindowCells(1, 79, 4, cells), 2);
    EXPECT_EQ(ReadWindowCells(26, 1, 4, cells), 0);
}

TEST_F(ScreenBufferTest, AttributeModesDecideWhatBit7Means) {
    struct Case {
        uint8_t mode;
        bool blink, underline;
        uint8_t bright;
    };
    // Mode 4 (and 5): bit 7 is the fourth background bit, nothing blinks.
    for (Case c : {Case{0, false, true, 0x80}, Case{1, false, true, 0}, Case{2, true, false, 0x80},
                   Case{3, true, false, 0}, Case{4, false, false, 0}, Case{5, false, false, 0}}) {
        SetAttributeMode(c.mode);
        EXPECT_EQ(ConsoleScreen.BlinkBit7, c.blink) << int(c.mode);
        EXPECT_EQ(ConsoleScreen.UnderlineBit7, c.underline) << int(c.mode);
        EXPECT_EQ(ConsoleScreen.BrightMask, c.bright) << int(c.mode);
        EXPECT_EQ(AttrUnderlineModeSetting(), c.mode);
    }
    window.Clear();
    SetAttributeMode(5);
    EXPECT_EQ(window.WholeInvalidations, 0);
    SetAttributeMode(4);
    EXPECT_EQ(window.WholeInvalidations, 1);

    SetBrightBackground(true);
    EXPECT_TRUE(ConsoleScreen.BlinkBit7);
    EXPECT_EQ(ConsoleScreen.BrightMask, 0x80);
    EXPECT_EQ(ConsoleScreen.AttributeMode, 4);
    EXPECT_EQ(window.WholeInvalidations, 2);
    SetBrightBackground(true);
    EXPECT_EQ(window.WholeInvalidations, 2);
}

TEST_F(ScreenBufferTest, ScrollCellRectMovesInsideTheTextRowsOnly) {
    for (int32_t r = 0; r < 25; ++r) PutText(std::string(80, static_cast<char>('a' + r)), 0, r);
    window.Clear();

    // Down 2 inside rows 3..10 (1-based): rows 3 and 4 blank, 3..8 land on 5..10.
    ScrollCellRect(1, 80, 3, 10, 0, 2);
    EXPECT_EQ(WindowRow(1)[0], 'b');
    EXPECT_EQ(WindowRow(2), std::string(80, ' '));
    EXPECT_EQ(WindowRow(3), std::string(80, ' '));
    EXPECT_EQ(WindowRow(4)[0], 'c');
    EXPECT_EQ(WindowRow(9)[0], 'h');
    EXPECT_EQ(WindowRow(10)[0], 'i');
    EXPECT_EQ(WindowRow(11)[0], 'j');
    EXPECT_EQ(WindowRow(12)[0], 'm');
    EXPECT_EQ(WindowRow(24)[0], 'y');
    ASSERT_EQ(window.Scrolls.size(), 1u);
    EXPECT_EQ(window.Scrolls[0], (FakeConsoleWindow::Scroll{0, 79, 2, 11, 0, 2}));

    // A rectangle reaching the status row moves and blanks only text rows; a huge
    // move keeps everything inside the buffer.
    ScrollCellRect(-5, 500, 20, 25, 0, -1);
    EXPECT_EQ(WindowRow(23), std::string(80, ' '));
    EXPECT_EQ(WindowRow(24)[0], 'y');
    ScrollCellRect(1, 80, 1, 25, 0, 30);
    ScrollCellRect(1, 80, 1, 25, INT32_MIN, INT32_MAX);
    EXPECT_EQ(WindowRow(24)[0], 'y');

    // Sideways: the vacated cells blank, in the given attribute.
    PutText("0123456789", 0, 0);
    ScrollCellRectBlank(3, 8, 1, 1, 2, 0, 0x1F);
    EXPECT_EQ(WindowRow(0).substr(0, 10), "01  234567");
    EXPECT_EQ(WindowAttr(2, 0), 0x1F);
    ScrollCellRect(3, 8, 1, 1, -3, 0);
    EXPECT_EQ(WindowRow(0).substr(0, 10), " 2345   67");
}

TEST_F(ScreenBufferTest, ScrollTextRowsUpLeavesTheStatusRow) {
    for (int32_t r = 0; r < 25; ++r) PutText(std::string(1, static_cast<char>('a' + r)), 0, r);
    ScrollTextRowsUp();
    EXPECT_EQ(WindowRow(0)[0], 'b');
    EXPECT_EQ(WindowRow(22)[0], 'x');
    EXPECT_EQ(WindowRow(23)[0], 'x');  // the console layer rewrites it
    EXPECT_EQ(WindowRow(24)[0], 'y');
}

TEST_F(ScreenBufferTest, TeletypeWriterScrollsByTheFirstRowOffset) {
    SetScreenSize(10, 3);
    PlaceCursor(0, 0);
    auto tty = [](const std::string& s) {
        TeletypeWrite(reinterpret_cast<const uint8_t*>(s.data()), static_cast<int32_t>(s.size()));
    };
    tty("abc\bX\x01\n\rline2\rline3");
    EXPECT_EQ(WindowRow(0), "abX       ");
    EXPECT_EQ(WindowRow(1), "line2     ");
    EXPECT_EQ(WindowRow(2), "line3     ");
    EXPECT_EQ(ConsoleScreen.FirstRow, 0);
    EXPECT_EQ(ConsoleScreen.WindowCursorRow, 2);

    // Past the last row the ring offset advances and the bottom row is blanked.
    tty("\rfour");
    EXPECT_EQ(ConsoleScreen.FirstRow, 1);
    EXPECT_EQ(WindowRow(0), "line2     ");
    EXPECT_EQ(WindowRow(2), "four      ");
    EXPECT_EQ(ConsoleScreen.TeletypeAttr, WindowAttr(0, 2));

    // No wrap at the edge: a byte past the last column starts a new line first.
    tty("567890");
    EXPECT_EQ(WindowRow(2), "four567890");
    EXPECT_EQ(ConsoleScreen.WindowCursorCol, 9);
    tty("!\a");
    EXPECT_EQ(ConsoleScreen.FirstRow, 2);
    EXPECT_EQ(WindowRow(2), "!         ");
    EXPECT_EQ(window.Beeps.size(), 1u);

    // Buffer row 0 is stored in the physical row the offset names; row 2 wraps to the
    // start of the storage.
    EXPECT_EQ(ScreenCharRow(0, 0), ConsoleScreen.Chars.data() + 2 * 10);
    EXPECT_EQ(ScreenCharRow(0, 2), ConsoleScreen.Chars.data() + 1 * 10);

    // A text-row scroll afterwards puts the rows in order again.
    ConsoleLayer.LastRow = 3;
    ConsoleLayer.ScreenRows = 2;
    ScrollTextRowsUp();
    EXPECT_EQ(ConsoleScreen.FirstRow, 0);
    EXPECT_EQ(WindowRow(0), "four567890");
    EXPECT_EQ(WindowRow(2), "!         ");

    // Reallocating the buffer starts the offset again.
    tty("\rx");
    EXPECT_NE(ConsoleScreen.FirstRow, 0);
    SetScreenSize(12, 3);
    EXPECT_EQ(ConsoleScreen.FirstRow, 0);
    EXPECT_EQ(ScreenCharRow(0, 0), ConsoleScreen.Chars.data());
}

TEST_F(ScreenBufferTest, CellWritersKeepToTheBuffer) {
    uint32_t cells[3] = {0x00070041, 0x00070042, 0x00070043};
    PutCells(cells, 78, 0, 3);  // does not fit: ignored
    EXPECT_EQ(WindowRow(0).substr(78), "  ");
    PutCells(cells, 77, 0, 3);
    EXPECT_EQ(WindowRow(0).substr(77), "ABC");
    PutCells(cells, 0, 25, 3);
    PutCells(cells, -1, 0, 3);

    FillWindowCells(u'*', 7, 1000, 75, 1);
    EXPECT_EQ(WindowRow(1).substr(74), " *****");
    FillWindowCells(u'*', 7, INT32_MAX, -10, 2);
    EXPECT_EQ(WindowRow(2), std::string(80, '*'));

    PutWindowChars(u"xyz", 7, 3, -2, 3);
    EXPECT_EQ(WindowRow(3)[0], 'z');
    SetCellAttrs(3, 78, 500, 0x4F, false);
    EXPECT_EQ(WindowAttr(79, 3), 0x4F);
    SetCellAttrs(99, 0, 1, 0x4F, false);
}

TEST_F(ScreenBufferTest, PlaceCursorClampsAndClearResetsCursorAndView) {
    PlaceCursor(500, -4);
    EXPECT_EQ(ConsoleScreen.WindowCursorCol, 79);
    EXPECT_EQ(ConsoleScreen.WindowCursorRow, 0);
    MoveCursorTo(INT32_MIN, INT32_MIN);
    EXPECT_EQ(ConsoleScreen.WindowCursorCol, 0);
    EXPECT_EQ(window.ViewTracks, 1);

    ConsoleScreen.ViewRow = 3;
    PlaceCursor(5, 5);
    PutText("abc", 0, 0);
    window.Clear();
    ClearWindowScreen();
    EXPECT_EQ(WindowRow(0), std::string(80, ' '));
    EXPECT_EQ(ConsoleScreen.WindowCursorRow, 0);
    EXPECT_EQ(ConsoleScreen.ViewRow, 0);
    EXPECT_EQ(window.ScrollBarResets, 1);
    EXPECT_EQ(window.WholeInvalidations, 1);
    EXPECT_EQ(window.Updates, 1);
}

}  // namespace
}  // namespace console
