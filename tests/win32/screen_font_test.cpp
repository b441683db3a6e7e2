// The screen font under Windows: the FONT command's words, the cell grid a
// face makes (measured on screenshots at three sizes of two faces), the window
// fitted around the cells and centred when maximised, and glyph drawing for
// characters the screen font lacks: marks stacked in the cell, fallback fonts
// found by script, and the not-found glyph.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "console/glyphs/screen_font_model.h"
#include "console/win32/glyph_draw_win32.h"
#include "console/win32/screen_font_win32.h"
#include "terminal_window_fixture.h"

namespace {

using console::PixelRect;
using window_test::Pump;
using window_test::Shot;

class ScreenFontWin32Test : public window_test::TerminalWindowFixture {
  protected:
    void SetUp() override {
        // A suite before this one may leave its window behind.
        console::DestroyTerminalWindow();
        Pump();
        TerminalWindowFixture::SetUp();
    }
    std::wstring SelectedFace(HWND window) {
        HDC dc = console::AcquireWindowDC(window, nullptr);
        wchar_t name[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, name);
        console::ReleaseWindowDC(window, dc, nullptr);
        return name;
    }
    // Left edge and length of the first run of the colour on a pixel row (or column).
    static std::pair<int, int> Run(const Shot& shot, int fixed, bool row, uint32_t colour,
                                   int from = 0) {
        int end = row ? shot.Width : shot.Height;
        int start = -1;
        for (int i = from; i < end; ++i) {
            uint32_t px = row ? shot.At(i, fixed) : shot.At(fixed, i);
            if (px == colour && start < 0) start = i;
            if (px != colour && start >= 0) return {start, i - start};
        }
        return {start, start < 0 ? 0 : end - start};
    }
    // Rows of a cell holding any pixel other than the background.
    static std::pair<int, int> InkRows(const Shot& shot, const PixelRect& cell, uint32_t paper) {
        int first = -1, last = -1;
        for (int y = cell.Top; y < cell.Bottom; ++y)
            for (int x = cell.Left; x < cell.Right; ++x)
                if (shot.At(x, y) != paper) {
                    if (first < 0) first = y;
                    last = y;
                }
        return {first, last};
    }
    uint32_t Paper() const { return Shot::Rgb(console::ConsoleScreen.ScreenPalette[0]); }
};

TEST_F(ScreenFontWin32Test, ThreeSizesOfTwoFacesMakeTheGridTheWindowIsFittedTo) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    const uint32_t block = Shot::Rgb(console::ConsoleScreen.ScreenPalette[7]);
    for (const char* face : {"DejaVu Sans Mono", "Liberation Mono"}) {
        for (const char* size : {"12", "16", "24"}) {
            SCOPED_TRACE(std::string(face) + " " + size);
            ASSERT_TRUE(console::SetTerminalFont(window, face, size, ""));
            Pump(100);
            EXPECT_EQ(SelectedFace(window), std::wstring(face, face + strlen(face)));
            console::ClearWindowScreen();
            // Reverse-video blanks at columns 0 and 10 of rows 0 and 5 mark the grid.
            for (int row : {0, 5})
                for (int col : {0, 10}) console::PutWindowChars(u" ", 0x70, 1, col, row);
            console::PutWindowChars(u"Grid Mg", 0x07, 7, 12, 2);
            window_test::Repaint(window);
            Shot shot = window_test::TakeShot(window);
            std::string name = std::string("font_") + face + "_" + size;
            for (char& c : name)
                if (c == ' ') c = '_';
            shot.Save(name);
            const auto& p = console::WindowPaint;
            int midRow = p.TopPad + p.CellHeight / 2;
            auto first = Run(shot, midRow, true, block);
            auto tenth = Run(shot, midRow, true, block, first.first + first.second);
            int midCol = p.LeftPad + p.CellWidth / 2;
            auto top = Run(shot, midCol, false, block);
            auto fifth = Run(shot, midCol, false, block, top.first + top.second);
            int width = (tenth.first - first.first) / 10;
            int height = (fifth.first - top.first) / 5;
            std::printf("[grid] %s %s: cell %d x %d (block %d x %d) at %d,%d; client %ld x %ld\n",
                        face, size, width, height, first.second, top.second, first.first, top.first,
                        static_cast<long>(shot.Width), static_cast<long>(shot.Height));
            EXPECT_EQ(first.first, p.LeftPad);
            EXPECT_EQ(top.first, p.TopPad);
            EXPECT_EQ(width, p.CellWidth);
            EXPECT_EQ(first.second, p.CellWidth);
            EXPECT_EQ(height, p.CellHeight);
            EXPECT_EQ(top.second, p.CellHeight);
            // The window fits the cells with equal margins.
            EXPECT_EQ(shot.Width, console::ConsoleScreen.Cols * p.CellWidth + 2 * p.LeftPad);
            EXPECT_EQ(shot.Height, console::ConsoleScreen.Rows * p.CellHeight + 2 * p.TopPad);
        }
    }
    // Larger sizes make larger cells.
    ASSERT_TRUE(console::SetTerminalFont(window, "DejaVu Sans Mono", "12", ""));
    int small = console::WindowPaint.CellHeight;
    ASSERT_TRUE(console::SetTerminalFont(window, "24", "", ""));
    EXPECT_GT(console::WindowPaint.CellHeight, small);
}

TEST_F(ScreenFontWin32Test, FontWordsStepThroughTheSizesAndStopAtTheEnds) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(console::SetTerminalFont(window, "DejaVu Sans Mono", "16", ""));
    const auto& table = console::FontSizeTable;
    ASSERT_GT(table.Count, 2);
    EXPECT_LE(table.Count, console::kMaxFontSizes);
    for (int i = 1; i < table.Count; ++i)
        EXPECT_GT(table.Entries[i].Height, table.Entries[i - 1].Height);
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(console::SetTerminalFont(window, "LARGER", "", ""));
    int largest = console::WindowPaint.FontHeight;
    EXPECT_TRUE(console::SetTerminalFont(window, "LARGER", "", ""));
    EXPECT_EQ(console::WindowPaint.FontHeight, largest);
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(console::SetTerminalFont(window, "SMALLER", "", ""));
    int smallest = console::WindowPaint.FontHeight;
    EXPECT_LT(smallest, largest);
    EXPECT_TRUE(console::SetTerminalFont(window, "smaller", "", ""));
    EXPECT_EQ(console::WindowPaint.FontHeight, smallest);

    // A size that does not parse leaves the font as it was.
    HFONT before = console::ScreenFontUnit.ScreenFont;
    EXPECT_FALSE(console::SetTerminalFont(window, "16x8x2", "", ""));
    EXPECT_EQ(console::ScreenFontUnit.ScreenFont, before);

    ASSERT_TRUE(console::SetTerminalFont(window, "20x10", "BOLD", ""));
    LOGFONTW lf{};
    GetObjectW(console::ScreenFontUnit.ScreenFont, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, 20);
    EXPECT_EQ(lf.lfWidth, 10);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);

    // A face longer than the font API takes is cut, and a font is still made.
    std::string longFace = "DejaVu Sans Mono" + std::string(40, 'X');
    EXPECT_TRUE(console::SetTerminalFont(window, longFace, "16", ""));
    ASSERT_NE(console::ScreenFontUnit.ScreenFont, nullptr);
    EXPECT_GT(console::WindowPaint.CellWidth, 0);
}

TEST_F(ScreenFontWin32Test, AMaximisedWindowTakesTheLargestFittingFontCentred) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(console::SetTerminalFont(window, "DejaVu Sans Mono", "12", ""));
    int normal = console::WindowPaint.CellWidth;
    // The layout a maximised window's WM_SIZE asks for. (Under Xvfb without a window
    // manager the system takes the maximised state back at once, so the message is
    // given here rather than by maximising.)
    RECT client{0, 0, 1270, 980};
    console::WindowSized(window, client.right, client.bottom, true);
    const auto& p = console::WindowPaint;
    const auto& s = console::ConsoleScreen;
    std::printf("[maximised] client %ld x %ld, cell %d x %d, margins %d / %d\n", client.right,
                client.bottom, p.CellWidth, p.CellHeight, p.LeftPad, p.TopPad);
    EXPECT_GT(p.CellWidth, normal);
    EXPECT_LE(s.Cols * p.CellWidth, client.right);
    EXPECT_LE(s.Rows * p.CellHeight, client.bottom);
    // Centred: the margins on both sides differ by at most the odd pixel.
    EXPECT_LE(std::abs(client.right - s.Cols * p.CellWidth - 2 * p.LeftPad), 1);
    EXPECT_LE(std::abs(client.bottom - s.Rows * p.CellHeight - 2 * p.TopPad), 1);
    EXPECT_EQ(p.MaxViewCol, 0);
    EXPECT_EQ(p.MaxViewRow, 0);
    EXPECT_EQ(commands::Settings.Zoomed80, 1);
    Pump(100);
}

TEST_F(ScreenFontWin32Test, MarksStackInTheCellAndMissingCharactersComeFromOtherFonts) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    console::ParseScreenFallbackFonts("AUTO");
    ASSERT_TRUE(console::SetTerminalFont(window, "DejaVu Sans Mono", "32", ""));
    const COLORREF ink = RGB(255, 255, 255);
    const COLORREF paper = RGB(0, 0, 0);
    auto drawCell = [&](int col, std::u16string text) {
        PixelRect r = CellPixels(col, 1);
        HDC dc = console::AcquireWindowDC(window, nullptr);
        console::DrawGlyphCell(dc, text.data(), static_cast<int32_t>(text.size()),
                               {r.Left, r.Top, r.Right, r.Bottom}, ink, paper, true);
        console::ReleaseWindowDC(window, dc, nullptr);
        return console::GlyphSourceText;
    };
    window_test::Repaint(window);
    drawCell(1, u"e");
    std::string marks = drawCell(3, u"e\u0301\u0323");
    std::string hebrew = drawCell(5, u"\u05D0");
    std::string none = drawCell(7, u"\u0FFF");
    // The same cell once more: the character no font has is not searched for again.
    drawCell(9, u"\u0FFF");
    GdiFlush();
    Shot shot = window_test::TakeShot(window);
    shot.Save("glyph_marks_and_fallback");
    std::printf("[glyphs] marks: %s; alef: %s; U+0FFF: %s\n", marks.c_str(), hebrew.c_str(),
                none.c_str());
    const uint32_t black = 0;
    auto base = InkRows(shot, CellPixels(1, 1), black);
    auto stacked = InkRows(shot, CellPixels(3, 1), black);
    ASSERT_GE(base.first, 0);
    // The acute adds ink above the base, the dot ink below it, both inside the cell.
    EXPECT_LT(stacked.first, base.first - 1);
    EXPECT_GT(stacked.second, base.second + 1);
    EXPECT_GE(stacked.first, CellPixels(3, 1).Top);
    EXPECT_LT(stacked.second, CellPixels(3, 1).Bottom);
    // The marks stay in their own cell: nothing spilled into the cells beside it.
    EXPECT_EQ(InkRows(shot, CellPixels(2, 1), black).first, -1);
    EXPECT_EQ(InkRows(shot, CellPixels(4, 1), black).first, -1);
    // Alef comes from a font the search found; U+0FFF from none: the not-found box.
    EXPECT_NE(hebrew.find_first_not_of(' '), std::string::npos);
    EXPECT_EQ(hebrew.find("NOT FOUND"), std::string::npos);
    EXPECT_GE(InkRows(shot, CellPixels(5, 1), black).first, 0);
    EXPECT_EQ(none, "NOT FOUND");
    EXPECT_GE(InkRows(shot, CellPixels(7, 1), black).first, 0);
}

TEST_F(ScreenFontWin32Test, CellsThePainterCannotDrawWithTheScreenFontGoThroughTheFallback) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    console::ParseScreenFallbackFonts("AUTO");
    ASSERT_TRUE(console::SetTerminalFont(window, "Liberation Mono", "24", ""));
    console::ClearWindowScreen();
    // Liberation Mono has no Hebrew: the alef is drawn by another font, the A by the screen font.
    console::PutWindowChars(u"A\u05D0A", 0x07, 3, 0, 0);
    window_test::Repaint(window);
    Shot shot = window_test::TakeShot(window);
    shot.Save("glyph_fallback_painted");
    for (int col = 0; col < 3; ++col) {
        SCOPED_TRACE(col);
        EXPECT_GE(InkRows(shot, CellPixels(col, 0), Paper()).first, 0);
    }
    EXPECT_EQ(console::GlyphSourceText.find("NOT FOUND"), std::string::npos);
    EXPECT_FALSE(console::GlyphSourceText.empty());
}

}  // namespace
