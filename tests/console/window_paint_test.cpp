#include "console/window_paint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/console_wiring.h"
#include "commands/settings_record.h"
#include "emulation/types/term_types.h"
#include "fake_console_window.h"

namespace console {
namespace {

using console_test::FakeConsoleWindow;
using Rect = FakeConsoleWindow::Rect;

// Records what a paint asks of the platform.
class RecordingCanvas final : public platform::PaintCanvas {
  public:
    struct Call {
        char Kind;  // 'F' fill, 'T' text, 'G' glyph
        PixelRect Box;
        std::u16string Text;
        std::vector<int32_t> Advances;
        ColorRef Fg, Bg;
    };
    std::vector<Call> Calls;

    void Fill(const PixelRect& rect, ColorRef colour) override {
        Calls.push_back({'F', rect, {}, {}, colour, colour});
    }
    void Text(const PixelRect& box, const char16_t* text, int32_t count, const int32_t* advances,
              ColorRef fg, ColorRef bg, bool) override {
        Calls.push_back({'T', box, std::u16string(text, count),
                         std::vector<int32_t>(advances, advances + count), fg, bg});
    }
    void Glyph(const PixelRect& box, const MonoGlyph&, ColorRef fg, ColorRef bg, bool) override {
        Calls.push_back({'G', box, {}, {}, fg, bg});
    }

    std::vector<Call> Of(char kind) const {
        std::vector<Call> out;
        for (const auto& c : Calls)
            if (c.Kind == kind) out.push_back(c);
        return out;
    }
};

class WindowPaintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        console_test::ResetConsoleForTest(window);
        app::ComposeConsole();
        ResetWindowPaint();
        FreeGlyphBitmaps();
        emulation::EmulatorState.SgrDialect = 0;
        auto& p = WindowPaint;
        p.CellWidth = 8;
        p.CellHeight = 16;
        p.LeftPad = 4;
        p.TopPad = 2;
        p.ClientWidth = 8 + 80 * 8;
        p.ClientHeight = 4 + 25 * 16;
        SetAttributeMode(4);
        window.Clear();
    }
    void TearDown() override {
        SetScreenWindow(nullptr);
        emulation::EmulatorState.SgrDialect = 0;
        commands::Settings.TermOptions3432 = commands::DefaultSettings().TermOptions3432;
    }

    void Put(const std::u16string& text, int32_t col, int32_t row, CellAttribute attr) {
        PutWindowChars(text.data(), attr, static_cast<int32_t>(text.size()), col, row);
    }
    PixelRect Cells(int32_t c1, int32_t c2, int32_t r1, int32_t r2) {
        return {4 + c1 * 8, 2 + r1 * 16, 4 + (c2 + 1) * 8, 2 + (r2 + 1) * 16};
    }

    FakeConsoleWindow window;
    RecordingCanvas canvas;
};

const ColorRef kBlack{0, 0, 0}, kBlue{0, 0, 128}, kGrey{192, 192, 192}, kBrightBlue{0, 0, 255},
    kYellow{255, 255, 0}, kRed{128, 0, 0}, kWhite{255, 255, 255};

TEST(CellColoursTest, EachAttributeModeDrawsBit7AndBits8And9ItsOwnWay) {
    struct Case {
        uint8_t Mode;
        CellAttribute Attr;
        bool Phase;
        uint8_t Fg, Bg;
        bool Underline;
    };
    const Case cases[] = {
        // Mode 2: bright backgrounds, bit 7 blinks by hiding the text in the background.
        {2, 0x9E, false, 14, 9, false},
        {2, 0x9E, true, 9, 9, false},
        {2, 0x1E, true, 14, 9, false},
        {2, 0x8E, false, 14, 0, false},
        {2, 0x8E, true, 0, 0, false},
        // Mode 3: bit 7 blinks, backgrounds as stored.
        {3, 0x9E, false, 14, 1, false},
        {3, 0x9E, true, 1, 1, false},
        // Mode 0: bit 7 underlines, non-black backgrounds bright; mode 1 as stored.
        {0, 0x87, false, 7, 0, true},
        {0, 0x87, true, 7, 0, true},
        {0, 0x97, false, 7, 9, true},
        {1, 0x97, false, 7, 1, true},
        // Mode 4: bit 7 is the fourth background bit and nothing blinks.
        {4, 0x9E, true, 14, 9, false},
        {4, 0x8E, false, 14, 8, false},
        // Mode 5: bit 8 blinks, bit 9 underlines (not while blinked away).
        {5, 0x031E, false, 14, 1, true},
        {5, 0x031E, true, 1, 1, false},
        {5, 0x021E, true, 14, 1, true},
        {5, 0x009E, true, 14, 9, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << int(c.Mode) << " attr 0x" << std::hex
                                          << c.Attr << " phase " << c.Phase);
        SetAttributeMode(c.Mode);
        ConsoleScreen.BlinkPhase = c.Phase;
        CellColours colours = SelectCellColours(c.Attr);
        EXPECT_EQ(colours.Foreground, c.Fg);
        EXPECT_EQ(colours.Background, c.Bg);
        EXPECT_TRUE(colours.Opaque);
        EXPECT_EQ(CellUnderlined(c.Attr), c.Underline);
    }
    ConsoleScreen.BlinkPhase = false;
    SetAttributeMode(5);
}

TEST_F(WindowPaintTest, PaintDrawsOnlyTheCellsUnderTheRectangleAndSkipsNormalBlanks) {
    Put(u"Hello world", 2, 3, 0x1E);
    Put(u"ab", 40, 3, 0x1E);
    // Normal blanks (attribute 15, the colour map's entry 0) are left to the fill.
    PaintCells(canvas, {0, 0, WindowPaint.ClientWidth, WindowPaint.ClientHeight}, true);
    auto texts = canvas.Of('T');
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, u"Hello world");
    EXPECT_EQ(texts[0].Box, Cells(2, 12, 3, 3));
    EXPECT_EQ(texts[0].Fg, kYellow);
    EXPECT_EQ(texts[0].Bg, kBlue);
    EXPECT_EQ(texts[1].Text, u"ab");
    EXPECT_EQ(WindowPaint.LastPaintCells, 13);
    ASSERT_FALSE(canvas.Of('F').empty());
    EXPECT_EQ(canvas.Calls[0].Kind, 'F');
    EXPECT_EQ(canvas.Calls[0].Fg, kBlack);

    // A rectangle over cells 4..5 of the row draws those two cells alone.
    canvas.Calls.clear();
    PaintCells(canvas, Cells(4, 5, 3, 3), true);
    texts = canvas.Of('T');
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Text, u"ll");
    EXPECT_EQ(WindowPaint.LastPaintCells, 2);

    // Without an erase nothing is trimmed: every cell under the rectangle is drawn.
    canvas.Calls.clear();
    PaintCells(canvas, Cells(0, 9, 0, 0), false);
    EXPECT_TRUE(canvas.Of('F').empty());
    EXPECT_EQ(WindowPaint.LastPaintCells, 10);
}

TEST_F(WindowPaintTest, RunsBreakAtAttributesCharacterKindsAndDoubleWidthCells) {
    const std::u16string row = {u'a',
                                u'b',
                                u'\u00E9',
                                u'c',
                                u'\u4E2D',
                                kFillerChar,
                                u'd',
                                static_cast<char16_t>(kLineGraphicsBase + 0x00),
                                static_cast<char16_t>(kSoftGlyphBase + 0x41),
                                u'e'};
    Put(row, 0, 0, 0x07);
    SetCellAttrs(0, 1, 1, 0x70, false);
    const uint8_t box[2] = {0xFF, 0xFF};
    SetLineGraphicsBitmap(0, 8, 2, box, sizeof box);
    PaintCells(canvas, Cells(0, 79, 0, 0), true);

    std::vector<std::u16string> texts;
    for (const auto& c : canvas.Of('T')) texts.push_back(c.Text);
    // 'a' | 'b' (other attribute) | non-ASCII run running on through "c" and the wide
    // character, stopping before its filler | 'd' | glyphs | 'e'; the soft glyph that
    // was never loaded shows the inverted question mark.
    const std::vector<std::u16string> expected = {u"a", u"b",      u"\u00E9c\u4E2D",
                                                  u"d", u"\u00BF", u"e"};
    EXPECT_EQ(texts, expected);
    auto wide = canvas.Of('T')[2];
    EXPECT_EQ(wide.Advances, (std::vector<int32_t>{8, 8, 16}));
    auto glyphs = canvas.Of('G');
    ASSERT_EQ(glyphs.size(), 1u);
    // The filler cell takes no room, so the glyph sits in column 7 at 7 cell widths.
    EXPECT_EQ(glyphs[0].Box, Cells(7, 7, 0, 0));
    EXPECT_EQ(WindowPaint.LastPaintCells, 9);
}

TEST_F(WindowPaintTest, UnderlineLiesTwoPixelsAboveTheRowBottomInTheForeground) {
    SetAttributeMode(0);
    Put(u"xy", 5, 2, 0x87);
    PaintCells(canvas, Cells(0, 79, 2, 2), true);
    auto fills = canvas.Of('F');
    ASSERT_EQ(fills.size(), 2u);
    PixelRect cells = Cells(5, 6, 2, 2);
    EXPECT_EQ(fills[1].Box,
              (PixelRect{cells.Left, cells.Bottom - 2, cells.Right, cells.Bottom - 1}));
    EXPECT_EQ(fills[1].Fg, kGrey);
}

TEST_F(WindowPaintTest, ScoAnsiMarginsTakeTheBorderColourAndEveryCellIsDrawn) {
    emulation::EmulatorState.SgrDialect = 1;
    commands::Settings.TermOptions3432.Set(4);
    PaintCells(canvas, {0, 0, WindowPaint.ClientWidth, WindowPaint.ClientHeight}, true);
    auto fills = canvas.Of('F');
    ASSERT_EQ(fills.size(), 4u);
    for (const auto& f : fills) EXPECT_EQ(f.Fg, kRed);
    EXPECT_EQ(fills[0].Box, (PixelRect{0, 0, 4, WindowPaint.ClientHeight}));
    EXPECT_EQ(WindowPaint.LastPaintCells, 80 * 25);
}

TEST_F(WindowPaintTest, CellRectanglesFollowColumnWidthsAndTheView) {
    EXPECT_EQ(CellRectPixels(3, 4, 1, 2), Cells(3, 4, 1, 2));
    EXPECT_TRUE(CellRectPixels(4, 3, 1, 1).Empty());
    // Past the last column: to the client area's edge.
    PixelRect wide = CellRectPixels(78, 80, 0, 0);
    EXPECT_EQ(wide.Left, 4 + 78 * 8);
    EXPECT_EQ(wide.Right, WindowPaint.ClientWidth);
    // A double-width character widens its cell and moves the cells after it.
    const std::u16string row = {u'\u4E2D', kFillerChar, u'x'};
    Put(row, 0, 5, 7);
    EXPECT_EQ(CellRectPixels(0, 0, 5, 5), Cells(0, 1, 5, 5));
    EXPECT_EQ(CellRectPixels(2, 2, 5, 5), Cells(2, 2, 5, 5));
    EXPECT_EQ(PixelToCol(4 + 12, 2 + 5 * 16), 1);
    EXPECT_EQ(PixelToCol(4 + 17, 2 + 5 * 16), 3);
    // Corners in any order; each side measured on its own row.
    EXPECT_EQ(CellRectToPixels(3, 6, 1, 5),
              (PixelRect{4, 2 + 4 * 16, Cells(2, 2, 5, 5).Right, 2 + 6 * 16}));
    EXPECT_EQ(PixelToRow(0), 1);
    EXPECT_EQ(PixelToRow(100000), 25);

    ConsoleScreen.ViewCol = 10;
    ConsoleScreen.ViewRow = 3;
    EXPECT_EQ(CellRectPixels(10, 10, 3, 3), Cells(0, 0, 0, 0));
}

TEST_F(WindowPaintTest, CaretIsABlockOrABarAtTheCursorCutAtTheClientBottom) {
    PlaceCursor(7, 4);
    PixelRect cell = Cells(7, 7, 4, 4);
    EXPECT_EQ(CaretRectangle(true, 1),
              (PixelRect{cell.Left, cell.Top, cell.Right, cell.Bottom + 1}));
    EXPECT_EQ(CaretRectangle(false, 1),
              (PixelRect{cell.Left, cell.Bottom - 2, cell.Right, cell.Bottom + 1}));
    EXPECT_EQ(CaretRectangle(false, 5).Top, cell.Bottom + 1 - 5);

    PlaceCursor(0, 24);
    WindowPaint.ClientHeight = Cells(0, 0, 24, 24).Bottom - 1;
    PixelRect cut = CaretRectangle(false, 1);
    EXPECT_EQ(cut.Bottom, WindowPaint.ClientHeight);
    EXPECT_EQ(cut.Bottom - cut.Top, 3);
}

TEST_F(WindowPaintTest, BlinkInvalidatesJustTheBlinkingRunsOfTheMode) {
    Put(u"aaa", 2, 1, 0x9E);
    Put(u"b", 5, 1, 0x1E);
    Put(u"cc", 6, 1, 0x8E);
    FillWindowCells(u'd', 0x011E, 2, 0, 3);
    struct Case {
        uint8_t Mode;
        std::vector<Rect> Expected;
    };
    const Case cases[] = {{2, {{2, 4, 1, 1}, {6, 7, 1, 1}}},
                          {3, {{2, 4, 1, 1}, {6, 7, 1, 1}}},
                          {4, {}},
                          {0, {}},
                          {5, {{0, 1, 3, 3}}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.Mode));
        SetAttributeMode(c.Mode);
        window.Clear();
        bool phase = ConsoleScreen.BlinkPhase;
        BlinkTick();
        EXPECT_NE(ConsoleScreen.BlinkPhase, phase);
        EXPECT_EQ(window.Invalidated, c.Expected);
    }
}

TEST_F(WindowPaintTest, GlyphBitmapsRejectSizesAndShortDataAndFreeTheSoftRange) {
    const uint8_t bits[4] = {0x80, 0, 0, 0x01};
    SetSoftGlyph(0x41, 16, 2, bits, sizeof bits);
    EXPECT_TRUE(GlyphBitmaps.SoftGlyphs[0x41].Exists());
    EXPECT_TRUE(GlyphBitmaps.SoftGlyphs[0x41].Ink(0, 0));
    EXPECT_TRUE(GlyphBitmaps.SoftGlyphs[0x41].Ink(15, 1));
    EXPECT_FALSE(GlyphBitmaps.SoftGlyphs[0x41].Ink(1, 0));
    SetSoftGlyph(0x42, 16, 3, bits, sizeof bits);  // needs 6 bytes
    EXPECT_FALSE(GlyphBitmaps.SoftGlyphs[0x42].Exists());
    SetSoftGlyph(0x43, 100000, 1, bits, sizeof bits);
    EXPECT_FALSE(GlyphBitmaps.SoftGlyphs[0x43].Exists());
    SetSoftGlyph(300, 8, 1, bits, sizeof bits);
    SetSoftGlyph(200, 8, 1, bits, sizeof bits);
    FreeSoftGlyphs();
    EXPECT_FALSE(GlyphBitmaps.SoftGlyphs[0x41].Exists());
    EXPECT_TRUE(GlyphBitmaps.SoftGlyphs[200].Exists());

    // A line-graphics bitmap makes U+2500 + n stored as its glyph.
    SetLineGraphicsBitmap(2, 8, 1, bits, 1);
    EXPECT_EQ(StoredLineGraphics(0x2502), kLineGraphicsBase + 2);
    FreeGlyphBitmaps();
    EXPECT_EQ(StoredLineGraphics(0x2502), 0x2502);
    EXPECT_FALSE(GlyphBitmaps.SoftGlyphs[200].Exists());
}

}  // namespace
}  // namespace console
