// The terminal window's painting under Windows: cells in every colour of each
// attribute mode, underlines, blinking, line graphics and the caret, checked by
// pixel probes of the painted window; and a paint draws only what was
// invalidated.
#include "console/window_paint.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "console/console_primitives.h"
#include "console/screen_buffer.h"
#include "console/terminal_window.h"
#include "console/win32/terminal_window_win32.h"
#include "terminal_window_fixture.h"

namespace {

using console::CellAttribute;
using console::PixelRect;
using window_test::Pump;
using window_test::Shot;

class WindowPaintWin32Test : public window_test::TerminalWindowFixture {
  protected:
    uint32_t Colour(int index) const {
        return Shot::Rgb(console::ConsoleScreen.ScreenPalette[index]);
    }

    // The cell shows its text in one colour on another and nothing else; a cell whose
    // two colours agree is that colour all over.
    void ExpectCell(const Shot& shot, int32_t col, int32_t row, int fg, int bg) {
        SCOPED_TRACE(::testing::Message()
                     << "cell " << col << "," << row << " fg " << fg << " bg " << bg);
        PixelRect cell = CellPixels(col, row);
        int fgCount = shot.Count(cell, Colour(fg));
        int bgCount = shot.Count(cell, Colour(bg));
        if (Colour(fg) == Colour(bg)) {
            EXPECT_EQ(fgCount, Shot::Area(cell));
            return;
        }
        EXPECT_GT(fgCount, 0);
        EXPECT_GT(bgCount, 0);
        EXPECT_EQ(fgCount + bgCount, Shot::Area(cell));
    }

    void Write(const std::u16string& text, int32_t col, int32_t row, CellAttribute attr) {
        console::PutWindowChars(text.data(), attr, static_cast<int32_t>(text.size()), col, row);
    }
};

TEST_F(WindowPaintWin32Test, EveryForegroundOnEveryBackgroundInTheBrightBackgroundModes) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    // Mode 4: bit 7 is the fourth background bit, so 16 x 16 pairs can be shown.
    console::SetAttributeMode(4);
    for (int bg = 0; bg < 16; ++bg)
        for (int fg = 0; fg < 16; ++fg)
            Write(u"M", fg, bg, static_cast<CellAttribute>(bg << 4 | fg));
    window_test::Repaint(window);
    Shot shot = window_test::TakeShot(window);
    shot.Save("paint_mode4_colours");
    for (int bg = 0; bg < 16; ++bg)
        for (int fg = 0; fg < 16; ++fg) ExpectCell(shot, fg, bg, fg, bg);

    // Mode 0: bit 7 underlines and a non-black background comes from the bright half.
    console::SetAttributeMode(0);
    console::ClearWindowScreen();
    Write(u"M", 0, 0, 0x17);
    Write(u"  ", 2, 0, 0x87);
    Write(u"M", 4, 0, 0x9E);
    window_test::Repaint(window);
    shot = window_test::TakeShot(window);
    shot.Save("paint_mode0_underline");
    ExpectCell(shot, 0, 0, 7, 9);
    ExpectCell(shot, 4, 0, 14, 9);
    // The underline: one grey line two pixels above the row's bottom, over both cells.
    PixelRect span = CellPixels(2, 0);
    span.Right = CellPixels(3, 0).Right;
    PixelRect line{span.Left, span.Bottom - 2, span.Right, span.Bottom - 1};
    EXPECT_EQ(shot.Count(line, Colour(7)), Shot::Area(line));
    EXPECT_EQ(shot.Count({span.Left, span.Top, span.Right, span.Bottom - 2}, Colour(0)),
              (span.Right - span.Left) * (span.Bottom - 2 - span.Top));
}

// The colours a cell of attribute byte A shows in attribute modes 0 to 3, worked out from
// the modes' rules: bit 7 underlines (0, 1) or blinks (2, 3), and modes 0 and 2 draw a
// non-black background from the bright half of the palette.
struct CellLook {
    int Fg, Bg;
    bool Underline;
};
CellLook ExpectedLook(int mode, int attr, bool blinkPhase) {
    const int fg = attr & 15, bg = (attr >> 4) & 7;
    const bool bit7 = (attr & 0x80) != 0;
    const bool bright = mode == 0 || mode == 2;
    const int shownBg = bg == 0 ? 0 : (bright ? bg + 8 : bg);
    const bool underline = (mode == 0 || mode == 1) && bit7;
    if ((mode == 2 || mode == 3) && bit7 && blinkPhase) {
        // Blinking text is hidden: on black everything goes black, elsewhere the text
        // takes the background's colour.
        return bg == 0 ? CellLook{0, 0, false} : CellLook{shownBg, shownBg, false};
    }
    return {fg, shownBg, underline};
}

TEST_F(WindowPaintWin32Test, SixteenForegroundsOnEightBackgroundsInEachBit7Mode) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    // Rows 0-7: background = row; rows 8-15 the same with bit 7; column = foreground.
    auto attrAt = [](int col, int row) { return (row >= 8 ? 0x80 : 0) | (row & 7) << 4 | col; };
    auto check = [&](const Shot& shot, int mode, bool phase) {
        for (int row = 0; row < 16; ++row) {
            for (int col = 0; col < 16; ++col) {
                CellLook look = ExpectedLook(mode, attrAt(col, row), phase);
                SCOPED_TRACE(::testing::Message() << "mode " << mode << " phase " << phase
                                                  << " attribute " << attrAt(col, row));
                ExpectCell(shot, col, row, look.Fg, look.Bg);
                if (look.Underline && look.Fg != look.Bg) {
                    PixelRect cell = CellPixels(col, row);
                    PixelRect line{cell.Left, cell.Bottom - 2, cell.Right, cell.Bottom - 1};
                    EXPECT_EQ(shot.Count(line, Colour(look.Fg)), Shot::Area(line));
                }
            }
        }
    };
    for (int mode = 0; mode <= 3; ++mode) {
        console::SetAttributeMode(static_cast<uint8_t>(mode));
        console::ConsoleScreen.BlinkPhase = false;
        console::ClearWindowScreen();
        for (int row = 0; row < 16; ++row)
            for (int col = 0; col < 16; ++col)
                Write(u"M", col, row, static_cast<CellAttribute>(attrAt(col, row)));
        window_test::Repaint(window);
        Shot shot = window_test::TakeShot(window);
        shot.Save("paint_mode" + std::to_string(mode) + "_grid");
        check(shot, mode, false);
        if (mode == 0) {
            // What reached the display: the same cells, read back from the screen.
            Pump(300);
            Shot screen = window_test::TakeShot(window, true);
            screen.Save("paint_mode0_grid_screen");
            check(screen, mode, false);
        }
        if (mode < 2) continue;

        // The blink tick repaints only the blinking half, which now hides its text.
        int paints = console::WindowPaint.Paints;
        SendMessageW(window, WM_TIMER, console::kBlinkTimer, 0);
        window_test::Repaint(window);
        EXPECT_EQ(console::WindowPaint.Paints, paints + 1);
        EXPECT_EQ(console::WindowPaint.LastPaintCells, 8 * 16);
        shot = window_test::TakeShot(window);
        shot.Save("paint_mode" + std::to_string(mode) + "_grid_blink");
        check(shot, mode, true);
    }
}

TEST_F(WindowPaintWin32Test, BlinkingTextDisappearsInTheOtherPhase) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    console::SetAttributeMode(2);
    Write(u"MM", 5, 3, 0x9E);
    Write(u"M", 8, 3, 0x1E);
    window_test::Repaint(window);
    Shot shot = window_test::TakeShot(window);
    shot.Save("paint_blink_phase_off");
    ExpectCell(shot, 5, 3, 14, 9);
    ExpectCell(shot, 8, 3, 14, 9);

    int paints = console::WindowPaint.Paints;
    SendMessageW(window, WM_TIMER, console::kBlinkTimer, 0);
    window_test::Repaint(window);
    EXPECT_TRUE(console::ConsoleScreen.BlinkPhase);
    // Only the blinking run is painted again.
    EXPECT_EQ(console::WindowPaint.Paints, paints + 1);
    EXPECT_EQ(console::WindowPaint.LastPaintCells, 2);
    shot = window_test::TakeShot(window);
    shot.Save("paint_blink_phase_on");
    ExpectCell(shot, 5, 3, 9, 9);
    ExpectCell(shot, 6, 3, 9, 9);
    ExpectCell(shot, 8, 3, 14, 9);

    // Mode 5: bit 8 blinks, bit 9 underlines.
    console::SetAttributeMode(5);
    console::ConsoleScreen.BlinkPhase = false;
    console::ClearWindowScreen();
    Write(u"M", 0, 5, 0x0117);
    Write(u" ", 2, 5, 0x0217);
    window_test::Repaint(window);
    shot = window_test::TakeShot(window);
    ExpectCell(shot, 0, 5, 7, 1);
    PixelRect cell = CellPixels(2, 5);
    EXPECT_EQ(shot.Count({cell.Left, cell.Bottom - 2, cell.Right, cell.Bottom - 1}, Colour(7)),
              cell.Right - cell.Left);
    SendMessageW(window, WM_TIMER, console::kBlinkTimer, 0);
    window_test::Repaint(window);
    shot = window_test::TakeShot(window);
    shot.Save("paint_mode5_blink_on");
    ExpectCell(shot, 0, 5, 1, 1);
}

TEST_F(WindowPaintWin32Test, LineGraphicsAndTheCaretAreDrawnInTheirCells) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    console::SetAttributeMode(4);
    // A line-graphics bitmap: the left half inked.
    const uint8_t half[4] = {0xF0, 0xF0, 0xF0, 0xF0};
    console::SetLineGraphicsBitmap(0x0C, 8, 4, half, sizeof half);
    console::PutCellChar(0x250C, 0x1E, 10, 8);
    EXPECT_EQ(*console::ScreenCharRow(10, 8), console::kLineGraphicsBase + 0x0C);

    console::PlaceCursor(20, 8);
    Pump(100);  // WM_CURSORMOVED draws the caret
    window_test::Repaint(window);
    Shot shot = window_test::TakeShot(window);
    shot.Save("paint_line_graphics_caret");

    // Stretched to the cell, the inked half is the text colour and the rest the
    // background (the pixels around the middle may go either way).
    PixelRect cell = CellPixels(10, 8);
    int width = cell.Right - cell.Left;
    PixelRect inked{cell.Left, cell.Top, cell.Left + width * 3 / 8, cell.Bottom};
    PixelRect paper{cell.Left + (width * 5 + 7) / 8, cell.Top, cell.Right, cell.Bottom};
    EXPECT_EQ(shot.Count(inked, Colour(14)), Shot::Area(inked));
    EXPECT_EQ(shot.Count(paper, Colour(1)), Shot::Area(paper));

    // The caret: a white bar with a black outline at the bottom of the cursor cell.
    ASSERT_TRUE(console::WindowPaint.CaretDrawn);
    PixelRect caret = console::WindowPaint.CaretRect;
    PixelRect cursor = CellPixels(20, 8);
    EXPECT_EQ(caret.Left, cursor.Left);
    EXPECT_EQ(caret.Right, cursor.Right);
    EXPECT_EQ(caret.Bottom, cursor.Bottom + 1);
    EXPECT_EQ(shot.At(caret.Left + 2, caret.Top + 1), 0xFFFFFFu);
    EXPECT_EQ(shot.At(caret.Left, caret.Top + 1), 0u);
    EXPECT_EQ(shot.Count({cursor.Left, cursor.Top, cursor.Right, caret.Top}, Colour(0)),
              (cursor.Right - cursor.Left) * (caret.Top - cursor.Top));

    // A paint over a part of the caret leaves it drawn, so that the caret timer
    // still erases the rest of it.
    console::ScreenWindow().InvalidateCells(20, 20, 9, 9);
    window_test::Repaint(window);
    EXPECT_TRUE(console::WindowPaint.CaretDrawn);
    SendMessageW(window, WM_SETFOCUS, 0, 0);
    SendMessageW(window, WM_TIMER, console::kCaretTimer, 0);
    window_test::Repaint(window);
    EXPECT_FALSE(console::WindowPaint.CaretDrawn);
    shot = window_test::TakeShot(window);
    EXPECT_EQ(shot.Count(caret, 0xFFFFFFu), 0);

    // A paint over the whole caret takes it away; the next tick draws it again.
    SendMessageW(window, WM_TIMER, console::kCaretTimer, 0);
    EXPECT_TRUE(console::WindowPaint.CaretDrawn);
    console::ScreenWindow().InvalidateCells(20, 20, 8, 9);
    window_test::Repaint(window);
    EXPECT_FALSE(console::WindowPaint.CaretDrawn);
    shot = window_test::TakeShot(window);
    EXPECT_EQ(shot.Count(caret, 0xFFFFFFu), 0);
}

TEST_F(WindowPaintWin32Test, APaintDrawsOnlyTheInvalidatedCells) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    console::SetAttributeMode(4);
    for (int row = 0; row < 24; ++row) console::FillWindowCells(u'x', 0x1E, 80, 0, row);
    window_test::Repaint(window);
    EXPECT_EQ(console::WindowPaint.LastPaintCells, 80 * 24);

    struct Case {
        const char* What;
        void (*Change)();
        int Cells;
    };
    const Case cases[] = {
        {"one character (and the cell after it)", [] { console::PutCellChar(u'Q', 0x2E, 40, 10); },
         2},
        {"a run of five", [] { console::FillWindowCells(u'R', 0x4F, 5, 70, 3); }, 5},
        {"attributes of a span", [] { console::SetCellAttrs(20, 10, 12, 0x3E, false); }, 3},
        {"a blank normal cell", [] { console::FillWindowCells(u' ', 15, 1, 0, 0); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        int paints = console::WindowPaint.Paints;
        c.Change();
        window_test::Repaint(window);
        EXPECT_EQ(console::WindowPaint.Paints, paints + 1);
        EXPECT_EQ(console::WindowPaint.LastPaintCells, c.Cells);
    }
    Shot shot = window_test::TakeShot(window);
    shot.Save("paint_invalidated_cells");
    ExpectCell(shot, 40, 10, 14, 2);
    ExpectCell(shot, 72, 3, 15, 4);
    ExpectCell(shot, 11, 20, 14, 3);
    ExpectCell(shot, 0, 0, 0, 0);
    ExpectCell(shot, 39, 10, 14, 1);
}

}  // namespace
