#include "console/screen_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "console/code_pages.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"
#include "console/terminal_window.h"

namespace platform {
namespace {

// The screen converts through the one code-page service, so the window shows
// what the Win32 side of the service would give.
int32_t DecodeThroughService(uint32_t codePage, bool glyphs, const uint8_t* bytes, int32_t count,
                             char16_t* out) {
    if (count <= 0) return 0;
    const uint32_t flags = kPrecomposed | (glyphs ? kGlyphChars : 0);
    return static_cast<int32_t>(RunToWide(codePage, bytes, static_cast<size_t>(count), flags, out));
}

int32_t EncodeThroughService(uint32_t codePage, const char16_t* text, int32_t count, uint8_t* out,
                             int32_t capacity) {
    if (count <= 0 || capacity <= 0) return 0;
    return static_cast<int32_t>(CurrentCodePages().FromWide(
        codePage, text, static_cast<size_t>(count), out, static_cast<size_t>(capacity), nullptr));
}

const char16_t* GlyphByteTableOfService(uint32_t codePage) {
    return CurrentCodePages().ByteTable(codePage, true);
}

}  // namespace

CodePageConverter PortableCodePageConverter() {
    return {&DecodeThroughService, &EncodeThroughService, &GlyphByteTableOfService};
}

}  // namespace platform

namespace console {

ConsoleScreenState ConsoleScreen;

namespace {

// Stands in where no window port is installed (tools, benchmarks, fuzzing, and the
// program until its window implements the port): the buffer always exists and what
// it is told is ignored; the terminal window, if one is installed, is created.
class HeadlessWindow final : public platform::ConsoleWindowPort {
  public:
    bool EnsureWindow() override {
        EnsureTerminalWindow();
        if (!ConsoleScreenAllocated()) AllocateConsoleScreen();
        return ConsoleScreenAllocated();
    }
    bool WindowExists() override { return ConsoleScreenAllocated(); }
    void RemoveSelection() override {}
    void InvalidateCells(int32_t, int32_t, int32_t, int32_t) override {}
    void InvalidateWindow() override {}
    void UpdateWindow() override {}
    void ScrollCellPixels(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    void DrawRowNow(int32_t, int32_t, int32_t) override {}
    void CursorMoved() override {}
    void TrackCursorView() override {}
    void ResetScrollBars() override {}
    void ScreenSizeChanged(int32_t, int32_t) override {}
    void MessageBeep(uint32_t) override {}
    void Tone(uint32_t, uint32_t) override {}
};

HeadlessWindow headlessWindow;

ConsoleScreenState& S() {
    return ConsoleScreen;
}


char16_t* RowChars(int32_t row) {
    return S().Chars.data() + WindowRowStart(row);
}
CellAttribute* RowAttrs(int32_t row) {
    return S().Attrs.data() + WindowRowStart(row);
}

bool RowInside(int32_t row) {
    return row >= 0 && row < S().Rows;
}

// The window exists (created on demand) and has its arrays.
bool WindowReady() {
    return ScreenWindow().EnsureWindow() && ConsoleScreenAllocated();
}

// A filler among the cells before or after a write.
[[gnu::always_inline]] inline bool HasFillerEither(const char16_t* a, const char16_t* b, int32_t n) {
    return HasFillerChar(a, n) || HasFillerChar(b, n);
}

// The width of cells from..to in cell units as the painter measures them: a filler
// cell has none and the cell before it has two.
int32_t SpanWidthUnits(const char16_t* row, int32_t cols, int32_t from, int32_t to) {
    int32_t sum = 0;
    for (int32_t c = from; c <= to; ++c) {
        if (row[c] == kFillerChar) continue;
        sum += (c + 1 < cols && row[c + 1] == kFillerChar) ? 2 : 1;
    }
    return sum;
}

// Shows that cells col..last of a row changed: invalidated, or painted at once.
void ReportRowSpan(int32_t row, int32_t col, int32_t last, bool paintNow) {
    if (paintNow) {
        ScreenWindow().DrawRowNow(row, col, std::min(last, S().Cols - 1));
    } else {
        ScreenWindow().InvalidateCells(col, last, row, row);
    }
}

// WriteRowSpan when a filler stands among the cells before or after the write: the
// width of the span is measured before and after.
[[gnu::noinline]] void WriteRowSpanMeasured(int32_t row, int32_t col, const char16_t* chars,
                                            int32_t nChars, CellAttribute attr, int32_t nAttrs,
                                            bool paintNow) {
    const int32_t cols = S().Cols;
    const size_t rowStart = WindowRowStart(row);
    char16_t* rowChars = S().Chars.data() + rowStart;
    const int32_t from = std::max(0, col - 1);
    const int32_t to = col + std::max(nChars, nAttrs) - 1;
    const int32_t before = SpanWidthUnits(rowChars, cols, from, to);
    if (nChars > 0) std::memmove(rowChars + col, chars, sizeof(char16_t) * static_cast<size_t>(nChars));
    cell_runs::Fill16(S().Attrs.data() + rowStart + col, nAttrs, attr);
    const bool edgeMoved = SpanWidthUnits(rowChars, cols, from, to) != before;
    ReportRowSpan(row, col, edgeMoved ? cols : to, paintNow);
}

// Writes nChars characters and nAttrs attributes from col on and invalidates them,
// to the end of the row when the right pixel edge of the span moved.
[[gnu::always_inline]] inline void WriteRowSpan(int32_t row, int32_t col, const char16_t* chars,
                                                int32_t nChars, CellAttribute attr,
                                                int32_t nAttrs, bool paintNow) {
    const int32_t cols = S().Cols;
    nChars = std::min(nChars, cols - col);
    nAttrs = std::min(nAttrs, cols - col);
    const int32_t n = std::max(nChars, nAttrs);
    if (n <= 0) return;
    const size_t rowStart = WindowRowStart(row);
    char16_t* cells = S().Chars.data() + rowStart + col;
    // Only a filler among the cells before or after the write can move the span's
    // right edge.
    if (HasFillerEither(cells, chars, nChars)) {
        WriteRowSpanMeasured(row, col, chars, nChars, attr, nAttrs, paintNow);
        return;
    }
    if (nChars > 16) {
        std::memmove(cells, chars, sizeof(char16_t) * static_cast<size_t>(nChars));
    } else {
        for (int32_t k = 0; k < nChars; ++k) cells[k] = chars[k];
    }
    cell_runs::Fill16(S().Attrs.data() + rowStart + col, nAttrs, attr);
    ReportRowSpan(row, col, col + n - 1, paintNow);
}

void FillRow(int32_t row, int32_t col, int32_t n, char16_t ch, CellAttribute attr) {
    const size_t rowStart = WindowRowStart(row);
    cell_runs::Fill16(S().Chars.data() + rowStart + col, n, ch);
    cell_runs::Fill16(S().Attrs.data() + rowStart + col, n, attr);
}

// Puts the storage in buffer-row order so that FirstRow is 0.
void LinearizeRows() {
    if (S().FirstRow == 0) return;
    auto shift = static_cast<std::ptrdiff_t>(S().Cols) * WindowPhysicalRow(0);
    std::rotate(S().Chars.begin(), S().Chars.begin() + shift, S().Chars.end());
    std::rotate(S().Attrs.begin(), S().Attrs.begin() + shift, S().Attrs.end());
    S().FirstRow = 0;
}

int32_t ClampInt(int32_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace

platform::ConsoleWindowPort& HeadlessScreenWindow() {
    return headlessWindow;
}

void SetScreenWindow(platform::ConsoleWindowPort* window) {
    ConsoleScreen.Window = window;
}

void ResetConsoleScreen() {
    ConsoleScreen = ConsoleScreenState{};
    SetDefaultPalette();
    AllocateConsoleScreen();
}

bool AllocateConsoleScreen() {
    auto& s = ConsoleScreen;
    s.Cols = ClampInt(s.Cols, 1, kMaxScreenCols);
    s.Rows = ClampInt(s.Rows, 1, kMaxScreenRows);
    auto cells = static_cast<size_t>(s.Cols) * static_cast<size_t>(s.Rows);
    try {
        s.Chars.assign(cells, u' ');
        s.Attrs.assign(cells, NormalAttribute());
    } catch (const std::bad_alloc&) {
        FreeConsoleScreen();
        return false;
    }
    s.FirstRow = 0;
    return true;
}

void FreeConsoleScreen() {
    std::vector<char16_t>().swap(ConsoleScreen.Chars);
    std::vector<CellAttribute>().swap(ConsoleScreen.Attrs);
    ConsoleScreen.FirstRow = 0;
}

char16_t* ScreenCharRow(int32_t col, int32_t row) {
    if (!ConsoleScreenAllocated() || col < 0 || col >= S().Cols || !RowInside(row)) return nullptr;
    return RowChars(row) + col;
}

CellAttribute* ScreenAttrRow(int32_t col, int32_t row) {
    if (!ConsoleScreenAllocated() || col < 0 || col >= S().Cols || !RowInside(row)) return nullptr;
    return RowAttrs(row) + col;
}

CellAttribute NormalAttribute() {
    return ConsoleLayer.EraseInCurrentAttr ? ConsoleLayer.DirectAttr : ConsoleLayer.AttrColorMap[0];
}

void SetLineGraphicsGlyph(int32_t n, bool exists) {
    if (n >= 0 && n < kLineGraphicsSlots) ConsoleScreen.LineGraphicsGlyphs[n] = exists;
}

void SetScreenSize(int32_t cols, int32_t rows) {
    cols = ClampInt(cols, 1, kMaxScreenCols);
    rows = ClampInt(rows, 1, kMaxScreenRows);
    auto& s = ConsoleScreen;
    if (cols == s.Cols && rows == s.Rows && ConsoleScreenAllocated()) return;
    if (!ScreenWindow().WindowExists()) return;
    auto cells = static_cast<size_t>(cols) * static_cast<size_t>(rows);
    std::vector<char16_t> chars;
    std::vector<CellAttribute> attrs;
    try {
        chars.assign(cells, u' ');
        attrs.assign(cells, NormalAttribute());
    } catch (const std::bad_alloc&) {
        return;  // the old buffer stays
    }
    s.Chars.swap(chars);
    s.Attrs.swap(attrs);
    s.Cols = cols;
    s.Rows = rows;
    s.FirstRow = 0;
    s.WindowCursorCol = std::min(s.WindowCursorCol, cols - 1);
    s.WindowCursorRow = std::min(s.WindowCursorRow, rows - 1);
    s.ViewCol = std::min(s.ViewCol, cols - 1);
    s.ViewRow = std::min(s.ViewRow, rows - 1);
    ScreenWindow().ScreenSizeChanged(cols, rows - 1);
}

void PlaceCursor(int32_t col, int32_t row) {
    auto& s = ConsoleScreen;
    s.WindowCursorCol = ClampInt(col, 0, s.Cols - 1);
    s.WindowCursorRow = ClampInt(row, 0, s.Rows - 1);
    s.TeletypeWrapPending = false;
    ScreenWindow().CursorMoved();
}

void MoveCursorTo(int32_t col, int32_t row) {
    // Both are 1-based; the subtraction cannot overflow below INT32_MIN + 1.
    PlaceCursor(col == INT32_MIN ? col : col - 1, row == INT32_MIN ? row : row - 1);
    ScreenWindow().TrackCursorView();
}

void ClearWindowScreen() {
    if (!WindowReady()) return;
    auto& w = ScreenWindow();
    w.RemoveSelection();
    std::fill(S().Chars.begin(), S().Chars.end(), u' ');
    std::fill(S().Attrs.begin(), S().Attrs.end(), NormalAttribute());
    S().WindowCursorCol = S().WindowCursorRow = 0;
    S().ViewCol = S().ViewRow = 0;
    w.ResetScrollBars();
    w.InvalidateWindow();
    w.UpdateWindow();
}

void PutCells(const uint32_t* cells, int32_t col, int32_t row, int32_t n) {
    if (!ConsoleScreenAllocated() || !RowInside(row) || n < 1 || col < 0 || col >= S().Cols ||
        n > S().Cols - col) {
        return;
    }
    ScreenWindow().RemoveSelection();
    const size_t rowStart = WindowRowStart(row);
    char16_t* rowChars = S().Chars.data() + rowStart;
    char16_t* chars = rowChars + col;
    CellAttribute* attrs = S().Attrs.data() + rowStart + col;
    if (!HasFillerChar(chars, n) && !cell_runs::AnyFillerCell(cells, n)) {
        cell_runs::SplitCells(cells, n, chars, attrs);
        ScreenWindow().InvalidateCells(col, col + n - 1, row, row);
        return;
    }
    const int32_t from = std::max(0, col - 1);
    const int32_t before = SpanWidthUnits(rowChars, S().Cols, from, col + n - 1);
    cell_runs::SplitCells(cells, n, chars, attrs);
    const bool edgeMoved = SpanWidthUnits(rowChars, S().Cols, from, col + n - 1) != before;
    ScreenWindow().InvalidateCells(col, edgeMoved ? S().Cols : col + n - 1, row, row);
}

void PutWindowChars(const char16_t* chars, CellAttribute attr, int32_t n, int32_t col,
                    int32_t row) {
    if (!ConsoleScreenAllocated() || !RowInside(row) || n < 1 || col >= S().Cols) return;
    if (col < 0) {
        // Cells left of the buffer are not there; the rest keeps its column.
        if (n <= -static_cast<int64_t>(col)) return;
        chars -= col;
        n += col;
        col = 0;
    }
    ScreenWindow().RemoveSelection();
    WriteRowSpan(row, col, chars, n, attr, n, false);
}

void WriteWindowChars(const char16_t* chars, CellAttribute attr, int32_t n, int32_t col,
                      int32_t row) {
    WriteRowSpan(row, col, chars, n, attr, n, false);
}

void PutCodePageText(const uint8_t* bytes, CellAttribute attr, int32_t n, int32_t col, int32_t row,
                     uint32_t codePage) {
    if (!ConsoleScreenAllocated() || !RowInside(row) || n < 1 || col < 0 || col >= S().Cols) {
        return;
    }
    n = std::min(n, S().Cols - col);
    char16_t units[kMaxScreenCols];
    int32_t count = 0;
    if (codePage == kSoftFontCodePage) {
        for (int32_t i = 0; i < n; ++i) units[i] = static_cast<char16_t>(kSoftGlyphBase + bytes[i]);
        count = n;
    } else {
        const auto& conv = S().Converter;
        count = conv.Decode(codePage, true, bytes, n, units);
        if (count <= 0) count = conv.Decode(0, false, bytes, n, units);
        count = ClampInt(count, 0, n);
        for (int32_t i = 0; i < count; ++i) units[i] = StoredLineGraphics(units[i]);
    }
    ScreenWindow().RemoveSelection();
    WriteRowSpan(row, col, units, count, attr, n, false);
}

void PutCellChar(char16_t ch, CellAttribute attr, int32_t col, int32_t row) {
    if (!ConsoleScreenAllocated() || !RowInside(row) || col < 0 || col >= S().Cols) return;
    ScreenWindow().RemoveSelection();
    RowChars(row)[col] = StoredLineGraphics(ch);
    RowAttrs(row)[col] = attr;
    ScreenWindow().InvalidateCells(col, col + 1, row, row);
}

void FillWindowCells(char16_t ch, CellAttribute attr, int32_t n, int32_t col, int32_t row) {
    if (!ConsoleScreenAllocated() || !RowInside(row) || n < 1 || col >= S().Cols) return;
    int64_t first = std::max<int64_t>(col, 0);
    int64_t last = std::min<int64_t>(static_cast<int64_t>(col) + n - 1, S().Cols - 1);
    if (first > last) return;
    ScreenWindow().RemoveSelection();
    FillRow(row, static_cast<int32_t>(first), static_cast<int32_t>(last - first + 1), ch, attr);
    ScreenWindow().InvalidateCells(static_cast<int32_t>(first), static_cast<int32_t>(last), row,
                                   row);
}

void EraseWindowRowSpan(int32_t row, int32_t col1, int32_t col2, CellAttribute attr,
                        bool paintNow) {
    if (!WindowReady() || !RowInside(row)) return;
    col1 = std::max(col1, 0);
    col2 = std::min(col2, S().Cols - 1);
    if (col1 > col2) return;
    const size_t rowStart = WindowRowStart(row);
    char16_t* chars = S().Chars.data() + rowStart;
    CellAttribute* attrs = S().Attrs.data() + rowStart;
    // Cells that are already blank in the attribute need neither a write nor a paint.
    col1 += cell_runs::BlankPrefix(chars + col1, attrs + col1, col2 - col1 + 1, attr);
    if (col1 > col2) return;
    col2 -= cell_runs::BlankSuffix(chars + col1, attrs + col1, col2 - col1 + 1, attr);
    ScreenWindow().RemoveSelection();
    const int32_t n = col2 - col1 + 1;
    if (HasFillerChar(chars + col1, n)) {
        char16_t spaces[kMaxScreenCols];
        std::fill_n(spaces, n, u' ');
        WriteRowSpanMeasured(row, col1, spaces, n, attr, n, paintNow);
        return;
    }
    cell_runs::Fill16(chars + col1, n, u' ');
    cell_runs::Fill16(attrs + col1, n, attr);
    ReportRowSpan(row, col1, col2, paintNow);
}

void EraseRowSpan(int32_t col1, int32_t col2, CellAttribute attr, bool paintNow) {
    EraseWindowRowSpan(ConsoleScreen.WindowCursorRow, col1, col2, attr, paintNow);
}

void EraseToLineEnd(CellAttribute attr, bool paintNow) {
    EraseRowSpan(ConsoleScreen.WindowCursorCol, ConsoleScreen.Cols - 1, attr, paintNow);
}

void SetCellAttrs(int32_t row, int32_t col1, int32_t col2, CellAttribute attr, bool paintNow) {
    if (col1 > col2) return;
    if (!WindowReady() || !RowInside(row)) return;
    col1 = std::max(col1, 0);
    col2 = std::min(col2, S().Cols - 1);
    if (col1 > col2) return;
    ScreenWindow().RemoveSelection();
    std::fill(RowAttrs(row) + col1, RowAttrs(row) + col2 + 1, attr);
    if (paintNow) {
        ScreenWindow().DrawRowNow(row, col1, col2);
    } else {
        ScreenWindow().InvalidateCells(col1, col2, row, row);
    }
}

int32_t WindowTextRows() {
    int32_t statusRows = ClampInt(ConsoleLayer.LastRow - ConsoleLayer.ScreenRows, 0, S().Rows);
    return S().Rows - statusRows;
}

void ScrollCellRect(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t dx,
                    int32_t dy) {
    ScrollCellRectBlank(left, right, top, bottom, dx, dy, NormalAttribute());
}

void ScrollCellRectBlank(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t dx,
                         int32_t dy, CellAttribute blank) {
    if (!WindowReady()) return;
    int32_t cols = S().Cols;
    int32_t textRows = WindowTextRows();
    // 0-based; the status rows below the text rows are never moved or blanked.
    if (right < 1 || bottom < 1) return;
    int32_t l = std::max(left, 1) - 1;
    int32_t r = std::min(right, cols) - 1;
    int32_t t = std::max(top, 1) - 1;
    int32_t b = std::min(bottom, textRows) - 1;
    if (l > r || t > b || (dx == 0 && dy == 0)) return;
    dx = ClampInt(dx, -cols, cols);
    dy = ClampInt(dy, -S().Rows, S().Rows);
    auto& w = ScreenWindow();
    w.RemoveSelection();
    w.ScrollCellPixels(std::max(0, std::min(l, l + dx)), std::min(cols - 1, std::max(r, r + dx)),
                       std::max(0, std::min(t, t + dy)),
                       std::min(textRows - 1, std::max(b, b + dy)), dx, dy);
    if (dx != 0) {
        // The span l..r goes to l+dx..r+dx, clipped to the row.
        int32_t d1 = std::max(l + dx, 0);
        int32_t d2 = std::min(r + dx, cols - 1);
        int32_t vac1 = dx > 0 ? l : std::max(r + dx + 1, 0);
        int32_t vac2 = dx > 0 ? std::min(l + dx - 1, cols - 1) : r;
        for (int32_t row = t; row <= b; ++row) {
            char16_t* chars = RowChars(row);
            CellAttribute* attrs = RowAttrs(row);
            if (d1 <= d2) {
                std::memmove(chars + d1, chars + d1 - dx, sizeof(char16_t) * (d2 - d1 + 1));
                std::memmove(attrs + d1, attrs + d1 - dx, sizeof(CellAttribute) * (d2 - d1 + 1));
            }
            if (vac1 <= vac2) FillRow(row, vac1, vac2 - vac1 + 1, u' ', blank);
            w.InvalidateCells(std::max(0, std::min(l, l + dx)),
                              std::min(cols - 1, std::max(r, r + dx)), row, row);
        }
    }
    if (dy != 0) {
        int32_t width = r - l + 1;
        auto moveRow = [&](int32_t dst) {
            int32_t src = dst - dy;
            std::memmove(RowChars(dst) + l, RowChars(src) + l, sizeof(char16_t) * width);
            std::memmove(RowAttrs(dst) + l, RowAttrs(src) + l, sizeof(CellAttribute) * width);
        };
        if (dy < 0) {
            for (int32_t dst = std::max(t + dy, 0); dst <= b + dy; ++dst) moveRow(dst);
            for (int32_t row = std::max(b + dy + 1, 0); row <= b; ++row)
                FillRow(row, l, width, u' ', blank);
            w.InvalidateCells(l, r, std::max(t + dy, 0), b);
        } else {
            for (int32_t dst = std::min(b + dy, textRows - 1); dst >= t + dy; --dst) moveRow(dst);
            for (int32_t row = t; row <= std::min(t + dy - 1, textRows - 1); ++row)
                FillRow(row, l, width, u' ', blank);
            w.InvalidateCells(l, r, t, std::min(b + dy, textRows - 1));
        }
    }
}

void ScrollTextRowsUp() {
    if (!WindowReady()) return;
    int32_t textRows = WindowTextRows();
    if (textRows < 1) return;
    auto& w = ScreenWindow();
    w.RemoveSelection();
    // After the teletype writer scrolled, the rows are put back in order first so
    // that the status rows below the text stay where they are.
    LinearizeRows();
    w.ScrollCellPixels(0, S().Cols - 1, 0, textRows - 1, 0, -1);
    // The bottom text row keeps its old contents; the console layer rewrites it.
    auto rowCells = static_cast<size_t>(S().Cols);
    std::memmove(S().Chars.data(), S().Chars.data() + rowCells,
                 sizeof(char16_t) * rowCells * (textRows - 1));
    std::memmove(S().Attrs.data(), S().Attrs.data() + rowCells,
                 sizeof(CellAttribute) * rowCells * (textRows - 1));
}

namespace {

// The cells of columns col1..col2 (1-based) of a 1-based row, or false when the row
// is outside what read-back accepts.
bool ReadBackSpan(int32_t row, int32_t& col1, int32_t& col2) {
    if (!ConsoleScreenAllocated()) return false;
    if (row < 1 || row > ConsoleLayer.LastRow || row > S().Rows) return false;
    col1 = std::max(col1, 1);
    col2 = std::min(col2, S().Cols);
    return col1 <= col2;
}

char16_t ReadBackChar(char16_t ch) {
    if ((ch & 0xFF00) == kLineGraphicsBase) {
        unsigned n = ch & 0xFF;
        if (n < static_cast<unsigned>(kLineGraphicsSlots))
            return static_cast<char16_t>(kBoxDrawingBase + n);
    }
    return ch;
}

// Cells in the mark attribute are followed by BS "_" so that a printer underlines them;
// limited forms stop at 255 units and add the pair only below 253.
template <typename Out, typename Unit>
void ReadMarked(int32_t row, int32_t col1, int32_t col2, bool limited, Out& out,
                Unit (*unit)(char16_t)) {
    const char16_t* chars = RowChars(row - 1);
    const CellAttribute* attrs = RowAttrs(row - 1);
    CellAttribute mark = ConsoleLayer.AttrColorMap[4];
    for (int32_t c = col1 - 1; c < col2; ++c) {
        if (limited && out.size() >= 255) break;
        out.push_back(unit(chars[c]));
        if (attrs[c] == mark && (!limited || out.size() < 253)) {
            out.push_back(static_cast<Unit>(8));
            out.push_back(static_cast<Unit>('_'));
        }
    }
}

char LowByte(char16_t ch) {
    return static_cast<char>(ch & 0xFF);
}
char16_t SameUnit(char16_t ch) {
    return ch;
}

}  // namespace

std::string ReadWindowText(int32_t row, int32_t col1, int32_t col2, uint32_t codePage,
                           bool marked) {
    std::string out;
    if (!ReadBackSpan(row, col1, col2)) return out;
    if (marked) {
        ReadMarked(row, col1, col2, true, out, &LowByte);
        return out;
    }
    char16_t units[kMaxScreenCols];
    const char16_t* chars = RowChars(row - 1);
    int32_t n = col2 - col1 + 1;
    for (int32_t i = 0; i < n; ++i) units[i] = ReadBackChar(chars[col1 - 1 + i]);
    uint8_t bytes[255];
    int32_t got = S().Converter.Encode(codePage, units, n, bytes, 255);
    out.assign(reinterpret_cast<const char*>(bytes), ClampInt(got, 0, 255));
    return out;
}

std::u16string ReadWindowChars(int32_t row, int32_t col1, int32_t col2, bool marked) {
    std::u16string out;
    if (!ReadBackSpan(row, col1, col2)) return out;
    if (marked) {
        ReadMarked(row, col1, col2, true, out, &SameUnit);
    } else {
        const char16_t* chars = RowChars(row - 1);
        out.assign(chars + col1 - 1, std::min(col2 - col1 + 1, 255));
    }
    return out;
}

std::u16string ReadWindowTextW(int32_t row, int32_t col1, int32_t col2, bool marked) {
    std::u16string out;
    if (!ReadBackSpan(row, col1, col2)) return out;
    if (marked) {
        ReadMarked(row, col1, col2, false, out, &SameUnit);
    } else {
        const char16_t* chars = RowChars(row - 1);
        out.assign(chars + col1 - 1, col2 - col1 + 1);
    }
    return out;
}

int32_t ReadWindowCells(int32_t row, int32_t col, int32_t count, uint32_t* out) {
    if (!ConsoleScreenAllocated() || row < 1 || row > S().Rows || col < 1 || col > S().Cols ||
        count < 1) {
        return 0;
    }
    int32_t n = std::min(count, S().Cols - col + 1);
    const char16_t* chars = RowChars(row - 1) + col - 1;
    const CellAttribute* attrs = RowAttrs(row - 1) + col - 1;
    for (int32_t i = 0; i < n; ++i) out[i] = MakeCell(chars[i], attrs[i]);
    return n;
}

void SetAttributeMode(uint8_t mode) {
    auto& s = ConsoleScreen;
    s.BlinkBit7 = false;
    s.UnderlineBit7 = false;
    s.BrightMask = 0;
    if (mode == 0 || mode == 2) s.BrightMask = 0x80;
    if (mode == 0 || mode == 1) s.UnderlineBit7 = true;
    if (mode == 2 || mode == 3) s.BlinkBit7 = true;
    s.AttributeMode = mode;
    if (AttrUnderlineModeSetting() != mode) {
        SetAttrUnderlineModeSetting(mode);
        ScreenWindow().InvalidateWindow();
    }
}

void SetBrightBackground(bool on) {
    auto& s = ConsoleScreen;
    bool changed = s.BlinkBit7 != on;
    s.BlinkBit7 = on;
    s.UnderlineBit7 = false;
    s.BrightMask = on ? 0x80 : 0;
    if (changed) ScreenWindow().InvalidateWindow();
}

void SetDefaultPalette() {
    ConsoleScreen.ScreenPalette = {{{0, 0, 0},
                                    {0, 0, 128},
                                    {0, 128, 0},
                                    {0, 128, 128},
                                    {128, 0, 0},
                                    {128, 0, 128},
                                    {128, 128, 0},
                                    {192, 192, 192},
                                    {128, 128, 128},
                                    {0, 0, 255},
                                    {0, 255, 0},
                                    {0, 255, 255},
                                    {255, 0, 0},
                                    {255, 0, 255},
                                    {255, 255, 0},
                                    {255, 255, 255}}};
}

void TeletypeWrite(const uint8_t* bytes, int32_t n) {
    if (!WindowReady()) return;
    auto& s = ConsoleScreen;
    auto& w = ScreenWindow();
    w.RemoveSelection();
    int32_t col = ClampInt(s.WindowCursorCol, 0, s.Cols - 1);
    if (s.TeletypeWrapPending && col == s.Cols - 1) col = s.Cols;
    int32_t row = ClampInt(s.WindowCursorRow, 0, s.Rows - 1);
    int32_t spanFirst = s.Cols;
    int32_t spanLast = -1;
    auto touch = [&](int32_t c) {
        spanFirst = std::min(spanFirst, c);
        spanLast = std::max(spanLast, c);
    };
    auto newLine = [&] {
        if (spanFirst <= spanLast) w.DrawRowNow(row, spanFirst, spanLast);
        spanFirst = s.Cols;
        spanLast = -1;
        col = 0;
        if (row + 1 < s.Rows) {
            ++row;
            return;
        }
        s.FirstRow = (WindowPhysicalRow(0) + 1) % s.Rows;
        FillRow(row, 0, s.Cols, u' ', NormalAttribute());
        w.ScrollCellPixels(0, s.Cols - 1, 0, s.Rows - 1, 0, -1);
    };
    for (int32_t i = 0; i < n; ++i) {
        uint8_t b = bytes[i];
        if (b == 8) {
            if (col > 0) {
                --col;
                RowChars(row)[col] = u' ';
                RowAttrs(row)[col] = NormalAttribute();
                touch(col);
            }
        } else if (b == 7) {
            w.MessageBeep(0);
        } else if (b == 13) {
            newLine();
        } else if (b >= 1 && b <= 31) {
            // Other control bytes are dropped.
        } else {
            // The writer does not wrap; a byte past the last column starts a new line.
            if (col >= s.Cols) newLine();
            char16_t ch = u'?';
            if (s.Converter.Decode(0, false, &b, 1, &ch) != 1) ch = u'?';
            RowChars(row)[col] = StoredLineGraphics(ch);
            RowAttrs(row)[col] = s.TeletypeAttr;
            touch(col);
            ++col;
        }
    }
    if (spanFirst <= spanLast) w.InvalidateCells(spanFirst, spanLast, row, row);
    // The cursor may stand past the last column until the next byte arrives; the
    // caret stays on the last cell meanwhile.
    s.TeletypeWrapPending = col >= s.Cols;
    s.WindowCursorCol = std::min(col, s.Cols - 1);
    s.WindowCursorRow = row;
    w.CursorMoved();
    if (s.AutoTrackCursor) w.TrackCursorView();
}

void TeletypeWriteChar(uint8_t byte) {
    TeletypeWrite(&byte, 1);
}

}  // namespace console
