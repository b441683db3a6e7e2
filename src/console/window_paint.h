#pragma once
// Painting of the terminal window's cells, decided without the platform: which
// cells a paint covers, how a row breaks into runs, the colours of an attribute
// in the window's attribute mode, the caret's rectangle and the blink of text.
// The platform draws what this decides through a PaintCanvas.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "console/screen_buffer.h"

namespace console {

// A rectangle of client-area pixels; Right and Bottom lie just outside it.
struct PixelRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    bool Empty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const PixelRect&) const = default;
};

// A monochrome glyph: rows from the top, each (Width + 7) / 8 bytes with the
// leftmost pixel in the most significant bit; a set bit is ink.
struct MonoGlyph {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Bits;
    bool Exists() const { return Width > 0 && Height > 0; }
    bool Ink(int32_t x, int32_t y) const {
        size_t stride = (static_cast<size_t>(Width) + 7) / 8;
        return (Bits[stride * y + x / 8] >> (7 - x % 8)) & 1;
    }
};

}  // namespace console

namespace platform {

// What painting needs of the platform's drawing.
class PaintCanvas {
  public:
    virtual ~PaintCanvas() = default;
    virtual void Fill(const console::PixelRect& rect, console::ColorRef colour) = 0;
    // Text from the box's top left, one advance width per unit, clipped to the box;
    // opaque fills the box with the background first.
    virtual void Text(const console::PixelRect& box, const char16_t* text, int32_t count,
                      const int32_t* advances, console::ColorRef foreground,
                      console::ColorRef background, bool opaque) = 0;
    // The glyph stretched over the box, ink in the foreground.
    virtual void Glyph(const console::PixelRect& box, const console::MonoGlyph& glyph,
                       console::ColorRef foreground, console::ColorRef background, bool opaque) = 0;
};

}  // namespace platform

namespace console {

struct WindowPaintState {
    // Cell metrics and layout, set by the font and layout code.
    int32_t CellWidth = 8;
    int32_t CellHeight = 12;
    int32_t FontHeight = 12;
    int32_t LeftPad = 0;
    int32_t TopPad = 0;
    int32_t BottomPad = 0;
    int32_t VisibleCols = 80;
    int32_t VisibleRows = 25;
    int32_t MaxViewCol = 0;
    int32_t MaxViewRow = 0;
    int32_t ClientWidth = 0;
    int32_t ClientHeight = 0;

    // The program's own caret.
    bool CaretDrawn = false;
    PixelRect CaretRect;
    uint8_t SystemCaretState = 0;  // 0 initial, 1 hidden, 2 destroyed
    bool KeyWaitStarted = false;   // set the first time a key is waited for
    bool HasFocus = false;

    // A background picture is shown behind the cells.
    bool PictureShown = false;

    // Cells handed to text or glyph output by the last paint.
    int32_t LastPaintCells = 0;
    int32_t Paints = 0;
};

extern WindowPaintState WindowPaint;
void ResetWindowPaint();

// Soft-font glyphs (from the host's soft fonts) and the line-graphics bitmaps
// (made by the glyph code) that cells U+E700 + n and U+E600 + n are drawn from.
struct GlyphBitmapsState {
    std::array<MonoGlyph, 256> SoftGlyphs;
    std::array<MonoGlyph, kLineGraphicsSlots> LineGraphics;
};
extern GlyphBitmapsState GlyphBitmaps;

// The largest glyph bitmap kept, in either direction.
inline constexpr int32_t kMaxGlyphPixels = 256;

// Replaces soft glyph n by a bitmap of that size; a size out of range or too few
// bytes removes it.
void SetSoftGlyph(int32_t n, int32_t width, int32_t height, const uint8_t* bits, size_t size);
// Removes soft glyphs 32..127.
void FreeSoftGlyphs();
// Replaces line-graphics bitmap n (U+2500 + n is then stored as U+E600 + n).
void SetLineGraphicsBitmap(int32_t n, int32_t width, int32_t height, const uint8_t* bits,
                           size_t size);
// Every glyph bitmap goes, as when the window is destroyed.
void FreeGlyphBitmaps();

// Colour indexes into ScreenPalette of one attribute in the current attribute mode
// and blink phase.
struct CellColours {
    uint8_t Foreground = 0;
    uint8_t Background = 0;
    bool Opaque = true;
    bool operator==(const CellColours&) const = default;
};
uint8_t PaletteBackground(CellAttribute attr);
CellColours SelectCellColours(CellAttribute attr);
bool CellUnderlined(CellAttribute attr);

// Pixel widths of the columns of a row: 0 for a filler cell, two cells for the
// character before one, one cell otherwise. widths holds kMaxScreenCols entries.
void MeasureColumnWidths(int32_t row, int32_t* widths);
// Left pixel of a column from the widths of its row, the view and the margin.
int32_t ColumnLeftPixel(const int32_t* widths, int32_t col);
// The pixels of the cells col1..col2, row1..row2 (0-based, inclusive) as the window
// invalidates them; a col2 past the last column runs to the client area's edge.
PixelRect CellRectPixels(int32_t col1, int32_t col2, int32_t row1, int32_t row2);
// The pixels of a 1-based cell rectangle given by two corners in any order: left
// from the first row's widths, right from the last row's.
PixelRect CellRectToPixels(int32_t col1, int32_t row1, int32_t col2, int32_t row2);
// 1-based row and column under a client pixel, as the mouse code asks.
int32_t PixelToRow(int32_t y);
int32_t PixelToCol(int32_t x, int32_t y);

// One stretch of a row drawn with one call: equal attribute and one kind of cell.
enum class PaintRunKind : uint8_t { Text, Glyphs };
struct PaintRun {
    int32_t First = 0;
    int32_t Last = 0;
    PaintRunKind Kind = PaintRunKind::Text;
};
// The next run from col up to last; blanks in trimAttr are skipped at its start when
// trimming. Moves col past the run; false when nothing is left to draw.
bool NextPaintRun(const char16_t* chars, const CellAttribute* attrs, int32_t& col, int32_t last,
                  bool trim, CellAttribute trimAttr, PaintRun& run);

// Paints the cells under a client rectangle; erase fills the background first.
void PaintCells(platform::PaintCanvas& canvas, const PixelRect& rect, bool erase);
// Draws cells col1..col2 of a row at once, outside a paint.
void DrawRowCells(platform::PaintCanvas& canvas, int32_t row, int32_t col1, int32_t col2);

// The caret at the window cursor: the whole cell and a pixel more with the block
// cursor, else a bar of max(borderHeight, 3) pixels; cut at the client's bottom.
PixelRect CaretRectangle(bool blockCursor, int32_t borderHeight);
// The console layer shows the cursor itself (reverse cell) or hides it.
bool CaretWanted();

// The view position that keeps the window cursor visible.
void CursorViewTarget(int32_t& col, int32_t& row);
// Clamps a view position to 0..MaxViewCol and 0..MaxViewRow.
void ClampViewPosition(int32_t& col, int32_t& row);

// Timer 3: the blink phase flips and the blinking cells are invalidated.
void BlinkTick();

}  // namespace console
