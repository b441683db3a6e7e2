#include "console/window_paint.h"

#include <algorithm>
#include <utility>

#include "commands/settings_record.h"
#include "console/cell_runs.h"
#include "console/console_neighbours.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"

namespace console {

WindowPaintState WindowPaint;
GlyphBitmapsState GlyphBitmaps;

void ResetWindowPaint() {
    WindowPaint = WindowPaintState{};
}

namespace {

ConsoleScreenState& S() {
    return ConsoleScreen;
}
WindowPaintState& P() {
    return WindowPaint;
}

constexpr uint8_t kSgrDialectScoAnsi = 1;
constexpr uint8_t kSgrDialectLinux = 3;

bool StoreGlyph(MonoGlyph& glyph, int32_t width, int32_t height, const uint8_t* bits, size_t size) {
    glyph = MonoGlyph{};
    if (width < 1 || height < 1 || width > kMaxGlyphPixels || height > kMaxGlyphPixels || !bits)
        return false;
    size_t needed = (static_cast<size_t>(width) + 7) / 8 * static_cast<size_t>(height);
    if (size < needed) return false;
    glyph.Width = width;
    glyph.Height = height;
    glyph.Bits.assign(bits, bits + needed);
    return true;
}

bool IsBitmapGlyph(char16_t ch) {
    unsigned high = ch >> 8;
    return high == 0xE6 || high == 0xE7;
}

const MonoGlyph* GlyphOf(char16_t ch) {
    unsigned n = ch & 0xFF;
    if ((ch >> 8) == 0xE7) return &GlyphBitmaps.SoftGlyphs[n];
    if (n < static_cast<unsigned>(kLineGraphicsSlots)) return &GlyphBitmaps.LineGraphics[n];
    return nullptr;
}

// Column of a row under a client x: the first from the view on whose right pixel
// reaches x; the last column when none does.
int32_t ColumnUnder(const int32_t* widths, int32_t x) {
    int32_t rel = std::max(0, x - P().LeftPad);
    int32_t offset = 0;
    for (int32_t c = std::max(0, S().ViewCol); c < S().Cols; ++c) {
        if (offset + widths[c] - 1 >= rel) return c;
        offset += widths[c];
    }
    return S().Cols - 1;
}

int32_t RowTop(int32_t row) {
    return (row - S().ViewRow) * P().CellHeight + P().TopPad;
}

ColorRef Palette(uint8_t index) {
    return S().ScreenPalette[index & 15];
}

// Draws the runs of one row between first and last; returns the cells drawn.
int32_t DrawRowSpan(platform::PaintCanvas& canvas, int32_t row, int32_t first, int32_t last,
                    bool trim, CellAttribute trimAttr, const int32_t* widths) {
    const char16_t* chars = ScreenCharRow(0, row);
    const CellAttribute* attrs = ScreenAttrRow(0, row);
    int32_t top = RowTop(row);
    int32_t bottom = top + P().CellHeight;
    int32_t drawn = 0;
    int32_t col = first;
    PaintRun run;
    while (NextPaintRun(chars, attrs, col, last, trim, trimAttr, run)) {
        CellAttribute attr = attrs[run.First];
        CellColours colours = SelectCellColours(attr);
        ColorRef fg = Palette(colours.Foreground);
        ColorRef bg = Palette(colours.Background);
        int32_t left = ColumnLeftPixel(widths, run.First);
        int32_t right = left;
        for (int32_t c = run.First; c <= run.Last; ++c) right += widths[c];
        if (run.Kind == PaintRunKind::Text) {
            canvas.Text({left, top, right, bottom}, chars + run.First, run.Last - run.First + 1,
                        widths + run.First, fg, bg, colours.Opaque);
        } else {
            int32_t x = left;
            for (int32_t c = run.First; c <= run.Last; ++c) {
                PixelRect box{x, top, x + widths[c], bottom};
                const MonoGlyph* glyph = GlyphOf(chars[c]);
                if (glyph && glyph->Exists()) {
                    canvas.Glyph(box, *glyph, fg, bg, colours.Opaque);
                } else {
                    // A glyph that was never loaded shows as the inverted question mark.
                    uint8_t mark = 0xBF;
                    char16_t shown = u'\u00BF';
                    if (S().Converter.Decode(0, false, &mark, 1, &shown) != 1) shown = u'\u00BF';
                    canvas.Text(box, &shown, 1, widths + c, fg, bg, colours.Opaque);
                }
                x += widths[c];
            }
        }
        if (CellUnderlined(attr)) {
            int32_t y = top + P().CellHeight - 2;
            canvas.Fill({left, y, right, y + 1}, fg);
        }
        drawn += run.Last - run.First + 1;
    }
    return drawn;
}

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
}

}  // namespace

void SetSoftGlyph(int32_t n, int32_t width, int32_t height, const uint8_t* bits, size_t size) {
    if (n < 0 || n > 255) return;
    StoreGlyph(GlyphBitmaps.SoftGlyphs[n], width, height, bits, size);
}

void FreeSoftGlyphs() {
    for (int32_t n = 32; n <= 127; ++n) GlyphBitmaps.SoftGlyphs[n] = MonoGlyph{};
}

void SetLineGraphicsBitmap(int32_t n, int32_t width, int32_t height, const uint8_t* bits,
                           size_t size) {
    if (n < 0 || n >= kLineGraphicsSlots) return;
    SetLineGraphicsGlyph(n, StoreGlyph(GlyphBitmaps.LineGraphics[n], width, height, bits, size));
}

void FreeGlyphBitmaps() {
    GlyphBitmaps = GlyphBitmapsState{};
    for (int32_t n = 0; n < kLineGraphicsSlots; ++n) SetLineGraphicsGlyph(n, false);
}

uint8_t PaletteBackground(CellAttribute attr) {
    const auto& s = S();
    unsigned bits = attr & 0xF0;
    bool flags = s.BlinkBit7 || s.UnderlineBit7;
    if (bits == 0) return 0;
    if (bits == 0x80) return flags ? 0 : 8;
    if (!flags) return static_cast<uint8_t>(bits >> 4);
    return static_cast<uint8_t>(((attr & 0x70) | s.BrightMask) >> 4);
}

CellColours SelectCellColours(CellAttribute attr) {
    const auto& s = S();
    unsigned a = attr;
    if (s.BlinkBit7) {
        bool bit7 = (a & 0x80) != 0;
        if ((a & 0x70) == 0) {
            a = (bit7 && s.BlinkPhase) ? 0 : (a & 0x7F);
        } else if (bit7 && s.BlinkPhase) {
            // The text takes the background's colour and so disappears.
            unsigned bg = (a & 0x70) | s.BrightMask;
            a = bg | (bg >> 4);
        } else {
            a |= s.BrightMask;
        }
    }
    if (s.AttributeMode == 5 && s.BlinkPhase && (a & kAttrMode5Blink))
        a = (a & ~0x0Fu) | ((a >> 4) & 0x0F);
    CellColours colours;
    colours.Foreground = static_cast<uint8_t>(a & 15);
    if (s.UnderlineBit7) {
        colours.Background = PaletteBackground(static_cast<CellAttribute>(a));
    } else if (!s.BlinkBit7 || s.BrightMask != 0) {
        colours.Background = static_cast<uint8_t>((a >> 4) & 15);
    } else {
        colours.Background = static_cast<uint8_t>((a >> 4) & 7);
    }
    // Over a picture the normal background lets the picture show through.
    colours.Opaque =
        !(P().PictureShown && colours.Background == PaletteBackground(NormalAttribute() & 0xFF));
    return colours;
}

bool CellUnderlined(CellAttribute attr) {
    const auto& s = S();
    if (s.UnderlineBit7 && (attr & kAttrBit7)) return true;
    return s.AttributeMode == 5 && (attr & kAttrMode5Underline) &&
           !(s.BlinkPhase && (attr & kAttrMode5Blink));
}

void MeasureColumnWidths(int32_t row, int32_t* widths) {
    int32_t cols = S().Cols;
    int32_t cw = P().CellWidth;
    const char16_t* chars = ScreenCharRow(0, row);
    for (int32_t c = 0; c < cols; ++c) {
        if (!chars) {
            widths[c] = cw;
        } else if (chars[c] == kFillerChar) {
            widths[c] = 0;
        } else {
            widths[c] = (c + 1 < cols && chars[c + 1] == kFillerChar) ? 2 * cw : cw;
        }
    }
}

int32_t ColumnLeftPixel(const int32_t* widths, int32_t col) {
    int32_t view = S().ViewCol;
    int32_t x = P().LeftPad;
    for (int32_t c = view; c < col && c < S().Cols; ++c) x += widths[c];
    for (int32_t c = std::max(col, 0); c < view && c < S().Cols; ++c) x -= widths[c];
    return x;
}

namespace {

// Every cell of a row without double-width characters is one cell width wide.
bool RowHasWideCells(int32_t row) {
    const char16_t* chars = ScreenCharRow(0, row);
    if (!chars) return false;
    // Every invalidation asks this of its rows, so the row is searched eight cells at a step.
    return cell_runs::AnyFillerChar(chars, S().Cols);
}

}  // namespace

PixelRect CellRectPixels(int32_t col1, int32_t col2, int32_t row1, int32_t row2) {
    if (col2 < col1 || row2 < row1) return {};
    int32_t cols = S().Cols;
    col1 = std::clamp(col1, 0, cols);
    int32_t left = INT32_MAX;
    int32_t right = INT32_MIN;
    int32_t widths[kMaxScreenCols];
    const int32_t firstRow = std::max(row1, 0);
    const int32_t lastRow = std::min(row2, S().Rows - 1);
    bool wide = false;
    for (int32_t r = firstRow; r <= lastRow && !wide; ++r) wide = RowHasWideCells(r);
    // Rows of plain cells need no measuring: the rectangle is the plain one below.
    for (int32_t r = firstRow; r <= lastRow && wide; ++r) {
        MeasureColumnWidths(r, widths);
        left = std::min(left, ColumnLeftPixel(widths, col1));
        right = std::max(right, ColumnLeftPixel(widths, std::min(col2, cols - 1) + 1));
    }
    if (left == INT32_MAX) {
        // Rows of plain cells, or rows outside the buffer: plain cell widths.
        left = P().LeftPad + (col1 - S().ViewCol) * P().CellWidth;
        right = P().LeftPad + (std::min(col2, cols - 1) + 1 - S().ViewCol) * P().CellWidth;
    }
    if (col2 >= cols) right = std::max(right, P().ClientWidth);
    return {left, RowTop(row1), right, RowTop(row2 + 1)};
}

PixelRect CellRectToPixels(int32_t col1, int32_t row1, int32_t col2, int32_t row2) {
    if (col1 > col2) std::swap(col1, col2);
    if (row1 > row2) std::swap(row1, row2);
    int32_t cols = S().Cols;
    col1 = std::clamp(col1, 1, cols);
    col2 = std::clamp(col2, 1, cols);
    int32_t widths[kMaxScreenCols];
    PixelRect r;
    MeasureColumnWidths(row1 - 1, widths);
    r.Left = ColumnLeftPixel(widths, col1 - 1);
    MeasureColumnWidths(row2 - 1, widths);
    r.Right = ColumnLeftPixel(widths, col2);
    r.Top = RowTop(row1 - 1);
    r.Bottom = RowTop(row2);
    return r;
}

int32_t PixelToRow(int32_t y) {
    int32_t ch = std::max(P().CellHeight, 1);
    int32_t row = std::max(0, y - P().TopPad) / ch + S().ViewRow + 1;
    return std::min(row, S().Rows);
}

int32_t PixelToCol(int32_t x, int32_t y) {
    int32_t widths[kMaxScreenCols];
    MeasureColumnWidths(PixelToRow(y) - 1, widths);
    return std::min(ColumnUnder(widths, x) + 1, S().Cols);
}

bool NextPaintRun(const char16_t* chars, const CellAttribute* attrs, int32_t& col, int32_t last,
                  bool trim, CellAttribute trimAttr, PaintRun& run) {
    while (col <= last) {
        if (trim && chars[col] == u' ' && attrs[col] == trimAttr) {
            ++col;
            continue;
        }
        char16_t first = chars[col];
        if (first == kFillerChar) {
            ++col;
            continue;
        }
        CellAttribute attr = attrs[col];
        int32_t end = col;
        if (first < 0x7F) {
            while (end < last && attrs[end + 1] == attr && chars[end + 1] < 0x7F) ++end;
            run.Kind = PaintRunKind::Text;
        } else {
            bool glyph = IsBitmapGlyph(first);
            while (end < last && attrs[end + 1] == attr && chars[end + 1] != kFillerChar &&
                   IsBitmapGlyph(chars[end + 1]) == glyph)
                ++end;
            run.Kind = glyph ? PaintRunKind::Glyphs : PaintRunKind::Text;
        }
        run.First = col;
        run.Last = end;
        col = end + 1;
        return true;
    }
    return false;
}

void PaintCells(platform::PaintCanvas& canvas, const PixelRect& rect, bool erase) {
    auto& p = P();
    const auto& s = S();
    p.LastPaintCells = 0;
    ++p.Paints;
    if (rect.Empty()) return;
    int32_t cw = std::max(p.CellWidth, 1);
    int32_t ch = std::max(p.CellHeight, 1);
    PixelRect area = rect;
    // Blanks in the normal attribute are left to the background fill, so a paint
    // draws only what differs from it.
    bool trim = erase;
    CellAttribute trimAttr = ConsoleLayer.AttrColorMap[0] & 0xFF;
    uint8_t fill = PaletteBackground(NormalAttribute() & 0xFF);
    if (erase) {
        uint8_t dialect = Neighbours.SgrDialect();
        if (dialect == kSgrDialectScoAnsi || dialect == kSgrDialectLinux) {
            PixelRect cells{p.LeftPad, p.TopPad, p.LeftPad + s.Cols * cw, p.TopPad + s.Rows * ch};
            ColorRef border = Palette(commands::Settings.TermOptions3432.Get() & 15);
            PixelRect parts[4] = {{rect.Left, rect.Top, cells.Left, rect.Bottom},
                                  {cells.Right, rect.Top, rect.Right, rect.Bottom},
                                  {cells.Left, rect.Top, cells.Right, cells.Top},
                                  {cells.Left, cells.Bottom, cells.Right, rect.Bottom}};
            for (const PixelRect& part : parts) {
                PixelRect piece = Intersect(part, rect);
                if (!piece.Empty()) canvas.Fill(piece, border);
            }
            area = Intersect(rect, cells);
            trim = false;
        } else {
            canvas.Fill(area, Palette(fill));
        }
        // A trimmed blank must look like the fill, or it is drawn after all.
        CellColours blank = SelectCellColours(trimAttr);
        if (blank.Background != fill || CellUnderlined(trimAttr)) trim = false;
    }
    if (area.Empty() || !ConsoleScreenAllocated()) return;

    int32_t row1 = std::max(0, s.ViewRow + (area.Top - p.TopPad) / ch);
    int32_t row2 = std::min(s.Rows, s.ViewRow + (area.Bottom + ch - 1 - p.TopPad) / ch);
    int32_t col1 = std::max(0, s.ViewCol + (area.Left - p.LeftPad) / cw);
    int32_t col2 = std::min(s.Cols, s.ViewCol + (area.Right + cw - 1 - p.LeftPad) / cw);
    if (col1 >= col2) return;

    int32_t widths[kMaxScreenCols];
    for (int32_t row = row1; row < row2; ++row) {
        MeasureColumnWidths(row, widths);
        int32_t first = ColumnUnder(widths, area.Left);
        int32_t last = ColumnUnder(widths, area.Right - 1);
        if (trim) {
            const char16_t* chars = ScreenCharRow(0, row);
            const CellAttribute* attrs = ScreenAttrRow(0, row);
            while (last >= first && chars[last] == u' ' && attrs[last] == trimAttr) --last;
        }
        p.LastPaintCells += DrawRowSpan(canvas, row, first, last, trim, trimAttr, widths);
    }
}

void DrawRowCells(platform::PaintCanvas& canvas, int32_t row, int32_t col1, int32_t col2) {
    if (!ConsoleScreenAllocated() || row < 0 || row >= S().Rows) return;
    col1 = std::max(col1, 0);
    col2 = std::min(col2, S().Cols - 1);
    if (col1 > col2) return;
    int32_t widths[kMaxScreenCols];
    MeasureColumnWidths(row, widths);
    DrawRowSpan(canvas, row, col1, col2, false, 0, widths);
}

PixelRect CaretRectangle(bool blockCursor, int32_t borderHeight) {
    const auto& s = S();
    const auto& p = P();
    int32_t thickness = blockCursor ? p.CellHeight + 1 : std::max(borderHeight, 3);
    int32_t widths[kMaxScreenCols];
    MeasureColumnWidths(s.WindowCursorRow, widths);
    int32_t col = std::clamp(s.WindowCursorCol, 0, s.Cols - 1);
    PixelRect r;
    r.Left = ColumnLeftPixel(widths, col);
    r.Right = r.Left + widths[col];
    r.Bottom = (s.WindowCursorRow - s.ViewRow + 1) * p.CellHeight + p.TopPad + 1;
    r.Top = r.Bottom - thickness;
    if (p.ClientHeight > 0 && r.Bottom > p.ClientHeight) {
        r.Bottom = p.ClientHeight;
        r.Top = std::min(r.Top, r.Bottom - 3);
    }
    return r;
}

bool CaretWanted() {
    return !AttrCursorSetting() && ConsoleLayer.CursorVisible;
}

void CursorViewTarget(int32_t& col, int32_t& row) {
    const auto& s = S();
    const auto& p = P();
    col = std::max(s.WindowCursorCol - p.VisibleCols + 1, std::min(s.ViewCol, s.WindowCursorCol));
    row = std::max(s.WindowCursorRow - p.VisibleRows + 1, std::min(s.ViewRow, s.WindowCursorRow));
}

void ClampViewPosition(int32_t& col, int32_t& row) {
    col = std::clamp(col, 0, std::max(P().MaxViewCol, 0));
    row = std::clamp(row, 0, std::max(P().MaxViewRow, 0));
}

void BlinkTick() {
    auto& s = S();
    s.BlinkPhase = !s.BlinkPhase;
    if (!ConsoleScreenAllocated()) return;
    CellAttribute mask = 0;
    if (s.BlinkBit7) {
        mask = kAttrBit7;
    } else if (s.AttributeMode == 5) {
        mask = kAttrMode5Blink;
    } else {
        return;
    }
    auto& window = ScreenWindow();
    for (int32_t row = 0; row < s.Rows; ++row) {
        const CellAttribute* attrs = ScreenAttrRow(0, row);
        int32_t c = 0;
        while (c < s.Cols) {
            if (!(attrs[c] & mask)) {
                ++c;
                continue;
            }
            int32_t start = c;
            while (c < s.Cols && (attrs[c] & mask)) ++c;
            window.InvalidateCells(start, c - 1, row, row);
        }
    }
}

}  // namespace console
