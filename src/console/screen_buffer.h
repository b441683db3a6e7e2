#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "console/cell_runs.h"
#include "console/console_window_port.h"

namespace platform {

// Conversion between a code page's bytes and UTF-16 as the system's multibyte
// conversion does it. Code page 0 is the ANSI code page.
struct CodePageConverter {
    // Precomposed characters; glyphs asks for glyph characters in place of control
    // codes. Writes at most count units; returns how many, 0 when nothing converts.
    int32_t (*Decode)(uint32_t codePage, bool glyphs, const uint8_t* bytes, int32_t count,
                      char16_t* out);
    // Writes at most capacity bytes; returns how many.
    int32_t (*Encode)(uint32_t codePage, const char16_t* text, int32_t count, uint8_t* out,
                      int32_t capacity);
    // The 256 characters Decode gives the bytes of a single-byte page one by
    // one (with glyph characters); null when there is no such table, or none
    // offered.
    const char16_t* (*GlyphByteTable)(uint32_t codePage) = nullptr;
};

// The converter over the code-page service (console/code_pages.h).
CodePageConverter PortableCodePageConverter();

}  // namespace platform

namespace console {

// The 16-bit attribute word of a cell: bits 0-3 foreground, 4-6 background, bit 7 by
// the attribute mode (underline, blink or fourth background bit), bit 8 blink and
// bit 9 underline in attribute mode 5, bits 10-15 for the emulator.
using CellAttribute = uint16_t;

constexpr CellAttribute kAttrForeground = 0x000F;
constexpr CellAttribute kAttrBackground = 0x0070;
constexpr CellAttribute kAttrBit7 = 0x0080;
constexpr CellAttribute kAttrMode5Blink = 0x0100;
constexpr CellAttribute kAttrMode5Underline = 0x0200;

constexpr char16_t kFillerChar = cell_runs::kFiller;  // right half of a double-width character
constexpr char16_t kBoxDrawingBase = 0x2500;
constexpr char16_t kLineGraphicsBase = 0xE600;  // line-graphics glyph n drawn from a bitmap
constexpr char16_t kSoftGlyphBase = 0xE700;     // soft-font glyph n
constexpr int32_t kLineGraphicsSlots = 0x94;
constexpr uint32_t kSoftFontCodePage = 999;

// The buffer never grows past these, whatever size is asked for.
constexpr int32_t kMaxScreenCols = 255;
constexpr int32_t kMaxScreenRows = 255;

struct ColorRef {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    bool operator==(const ColorRef&) const = default;
};

// The terminal window's display buffer and its attribute mode.
struct ConsoleScreenState {
    int32_t Cols = 80;
    int32_t Rows = 25;
    // Buffer row r lives in physical row (r + FirstRow) mod Rows; only the teletype
    // writer moves it.
    int32_t FirstRow = 0;
    std::vector<char16_t> Chars;
    std::vector<CellAttribute> Attrs;
    int32_t WindowCursorCol = 0;
    int32_t WindowCursorRow = 0;
    int32_t ViewCol = 0;
    int32_t ViewRow = 0;

    uint8_t AttributeMode = 2;
    bool BlinkBit7 = true;
    bool UnderlineBit7 = false;
    uint8_t BrightMask = 0x80;
    bool BlinkPhase = false;
    std::array<ColorRef, 16> ScreenPalette{};

    CellAttribute TeletypeAttr = 0x70;
    bool TeletypeWrapPending = false;  // the teletype cursor stands past the last column
    bool AutoTrackCursor = true;
    // Which of U+2500..U+2593 have a line-graphics bitmap (filled by the glyph code).
    std::bitset<kLineGraphicsSlots> LineGraphicsGlyphs;

    platform::ConsoleWindowPort* Window = nullptr;
    platform::CodePageConverter Converter = platform::PortableCodePageConverter();
};

extern ConsoleScreenState ConsoleScreen;

// Back to the start-up state: 80 x 25 blanks, default palette, the headless window.
void ResetConsoleScreen();
// The window that stands in while none is set: it always exists.
platform::ConsoleWindowPort& HeadlessScreenWindow();
// The window to report to; the headless one when none is set.
inline platform::ConsoleWindowPort& ScreenWindow() {
    return ConsoleScreen.Window ? *ConsoleScreen.Window : HeadlessScreenWindow();
}
void SetScreenWindow(platform::ConsoleWindowPort* window);

// The arrays as the window creates and destroys them.
bool AllocateConsoleScreen();
void FreeConsoleScreen();
inline bool ConsoleScreenAllocated() {
    const auto& s = ConsoleScreen;
    auto cells = static_cast<size_t>(s.Cols) * static_cast<size_t>(s.Rows);
    return s.Cols > 0 && s.Rows > 0 && s.Chars.size() == cells && s.Attrs.size() == cells;
}

// The physical row of buffer row `row` (inside the buffer) in the arrays.
inline int32_t WindowPhysicalRow(int32_t row) {
    const int32_t rows = ConsoleScreen.Rows;
    int32_t first = ConsoleScreen.FirstRow;
    if (first < 0 || first >= rows) {
        first %= rows;
        if (first < 0) first += rows;
    }
    const int32_t p = row + first;
    return p >= rows ? p - rows : p;
}

// Where buffer row `row` (inside the buffer) starts in the arrays.
inline size_t WindowRowStart(int32_t row) {
    return static_cast<size_t>(ConsoleScreen.Cols) * static_cast<size_t>(WindowPhysicalRow(row));
}

// A filler among n characters.
inline bool HasFillerChar(const char16_t* chars, int32_t n) {
    return cell_runs::AnyFillerChar(chars, n);
}

// Address of cell (col, row), 0-based; nullptr outside the buffer.
char16_t* ScreenCharRow(int32_t col, int32_t row);
CellAttribute* ScreenAttrRow(int32_t col, int32_t row);

// The attribute of blank cells.
CellAttribute NormalAttribute();
// U+2500 + n becomes U+E600 + n when line-graphics bitmap n exists.
inline char16_t StoredLineGraphics(char16_t ch) {
    const unsigned n = static_cast<unsigned>(ch) - kBoxDrawingBase;
    if (n < static_cast<unsigned>(kLineGraphicsSlots) && ConsoleScreen.LineGraphicsGlyphs[n]) {
        return static_cast<char16_t>(kLineGraphicsBase + n);
    }
    return ch;
}
void SetLineGraphicsGlyph(int32_t n, bool exists);

void SetScreenSize(int32_t cols, int32_t rows);
void PlaceCursor(int32_t col, int32_t row);
void MoveCursorTo(int32_t col, int32_t row);  // 1-based
void ClearWindowScreen();
// n cells of (character | attribute << 16); ignored unless the whole span fits the row.
void PutCells(const uint32_t* cells, int32_t col, int32_t row, int32_t n);
void PutCodePageText(const uint8_t* bytes, CellAttribute attr, int32_t n, int32_t col, int32_t row,
                     uint32_t codePage);
// The text writer for characters already converted (and already mapped to glyphs).
void PutWindowChars(const char16_t* chars, CellAttribute attr, int32_t n, int32_t col, int32_t row);
// What PutWindowChars does once its checks passed and the selection is removed: for
// writers that did both (0 <= col < Cols, row inside the buffer).
void WriteWindowChars(const char16_t* chars, CellAttribute attr, int32_t n, int32_t col,
                      int32_t row);
void PutCellChar(char16_t ch, CellAttribute attr, int32_t col, int32_t row);
void FillWindowCells(char16_t ch, CellAttribute attr, int32_t n, int32_t col, int32_t row);
// Spaces in attr over columns col1..col2 of the window cursor row.
void EraseRowSpan(int32_t col1, int32_t col2, CellAttribute attr, bool paintNow);
// The same for any row.
void EraseWindowRowSpan(int32_t row, int32_t col1, int32_t col2, CellAttribute attr, bool paintNow);
void EraseToLineEnd(CellAttribute attr, bool paintNow);
void SetCellAttrs(int32_t row, int32_t col1, int32_t col2, CellAttribute attr, bool paintNow);
// Moves the cells of a 1-based rectangle by dx columns and dy rows; vacated cells
// become blank (NormalAttribute, or the blank given).
void ScrollCellRect(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t dx,
                    int32_t dy);
void ScrollCellRectBlank(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t dx,
                         int32_t dy, CellAttribute blank);
void ScrollTextRowsUp();
// The number of window rows above the status rows.
int32_t WindowTextRows();

// Read-back, 1-based; marked adds BS "_" after cells in the mark attribute.
std::string ReadWindowText(int32_t row, int32_t col1, int32_t col2, uint32_t codePage, bool marked);
std::u16string ReadWindowChars(int32_t row, int32_t col1, int32_t col2, bool marked);
std::u16string ReadWindowTextW(int32_t row, int32_t col1, int32_t col2, bool marked);
// Copies up to count cells of a row from col on; returns how many were copied.
int32_t ReadWindowCells(int32_t row, int32_t col, int32_t count, uint32_t* out);

void SetAttributeMode(uint8_t mode);
void SetBrightBackground(bool on);
void SetDefaultPalette();

// The standard output's writer at the window cursor in the teletype attribute.
void TeletypeWrite(const uint8_t* bytes, int32_t n);
void TeletypeWriteChar(uint8_t byte);

}  // namespace console
