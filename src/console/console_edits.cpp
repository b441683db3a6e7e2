// Erasing, inserting and deleting lines and columns, and scrolling.

#include "console/console_primitives.h"
#include "console/console_primitives_internal.h"

namespace console {

using namespace primitives_detail;

namespace {

void FillRingLine(int32_t row, int32_t c1, int32_t c2, uint32_t cell) {
    if (c1 > c2) return;
    const size_t at =
        static_cast<size_t>(RingLineOf(row)) * R().Width + static_cast<size_t>(c1 - 1);
    cell_runs::Fill32(R().Cells.data() + at, c2 - c1 + 1, cell);
    std::memset(R().Flags.data() + at, 0, static_cast<size_t>(c2 - c1 + 1));
}

void CopyRingLine(int32_t fromRow, int32_t toRow) {
    std::memmove(RingLine(toRow), RingLine(fromRow), sizeof(uint32_t) * R().Width);
    std::memmove(FlagLine(toRow), FlagLine(fromRow), R().Width);
}

void Region(int32_t& top, int32_t& bottom) {
    int32_t rows = std::max(L().ScreenRows, 1);
    top = ClampInt(L().TopMargin, 1, rows);
    bottom = ClampInt(L().BottomMargin, top, rows);
}

void EraseRingSpan(int32_t row, int64_t c1, int64_t c2, uint32_t blank) {
    if (L().DirectWrite || L().StatusMode || !RingRow(row)) return;
    int32_t from = ClampInt(c1, 1, INT32_MAX);
    int32_t to = ClampInt(c2, INT32_MIN, RingCols());
    if (from > to) return;
    FillRingLine(row, from, to, blank);
}

void EraseWindowSpan(int32_t row, int64_t c1, int64_t c2, CellAttribute attr) {
    int32_t w1, w2;
    if (ShownSpan(c1, c2, L().StatusMode, w1, w2)) EraseWindowRowSpan(row - 1, w1, w2, attr, false);
}

// Erases ring columns c1..c2 of a row in ring and window.
void EraseSpan(int32_t row, int64_t c1, int64_t c2) {
    uint32_t blank = BlankCell();
    EraseWindowSpan(row, c1, c2, CellAttr(blank));
    EraseRingSpan(row, c1, c2, blank);
}

void ClearWindowRow(int32_t row, CellAttribute attr) {
    EraseWindowRowSpan(row - 1, 0, ConsoleScreen.Cols - 1, attr, false);
}

void RepaintShownRowSpan(int32_t row, int32_t c1, int32_t c2) {
    int32_t w1, w2;
    if (!RingRow(row) || !ShownSpan(c1, c2, false, w1, w2)) return;
    w2 = std::min(w2, ConsoleScreen.Cols - 1);
    int32_t first = w1 + R().ViewLeftColumn + 1;  // ring column of window column w1
    int32_t n = std::min(w2 - w1 + 1, R().Width - first + 1);
    if (n >= 1 && first >= 1) PutCells(RingLine(row) + first - 1, w1, row - 1, n);
}

void InsertLinesIn(int32_t n, int32_t bottom) {
    auto& l = L();
    int32_t row = l.CursorRow;
    if (n < 1 || row < 1 || row > bottom) return;
    n = std::min(n, bottom - row + 1);
    uint32_t blank = MakeCell(u' ', l.AttrColorMap[0]);
    if (!l.DirectWrite && TermScreenRingUsable()) {
        for (int32_t r = bottom; r >= row + n; --r) CopyRingLine(r - n, r);
        for (int32_t r = row; r < row + n; ++r) FillRingLine(r, 1, R().Width, blank);
    }
    if (row + n > bottom) {
        for (int32_t r = row; r <= bottom; ++r) ClearWindowRow(r, CellAttr(blank));
    } else {
        // Only the lines that stay inside the region move; the rest fall off.
        ScrollCellRectBlank(1, l.ScreenWidth, row, bottom - n, 0, n, CellAttr(blank));
    }
}

void DeleteLinesIn(int32_t n, int32_t bottom) {
    auto& l = L();
    int32_t row = l.CursorRow;
    if (n < 1 || row < 1 || row > bottom) return;
    n = std::min(n, bottom - row + 1);
    uint32_t blank = BlankCell();
    if (!l.DirectWrite && TermScreenRingUsable()) {
        for (int32_t r = row; r + n <= bottom; ++r) CopyRingLine(r + n, r);
        for (int32_t r = bottom - n + 1; r <= bottom; ++r) FillRingLine(r, 1, R().Width, blank);
    }
    if (row + n > bottom) {
        for (int32_t r = row; r <= bottom; ++r) ClearWindowRow(r, CellAttr(blank));
    } else {
        ScrollCellRectBlank(1, l.ScreenWidth, row + n, bottom, 0, -n, CellAttr(blank));
    }
}

// The last row of the area that unprotected line inserts and deletes may move: the
// row before the first protected field mark from the cursor row on.
int32_t UnprotectedAreaBottom() {
    int32_t row = L().CursorRow;
    int32_t col = 1;
    int32_t fr = 0, fc = 0;
    while (FindFieldMark(row, col, fr, fc)) {
        if (FlagLine(fr)[fc - 1] & kCellProtected) return fr - 1;
        row = fr;
        col = fc + 1;
        if (col > RingCols()) {
            ++row;
            col = 1;
        }
        if (row > L().ScreenRows) break;
    }
    return L().ScreenRows;
}

// A line feed on the bottom margin of a partial region. The region's lines move up in the ring
// at once; under jump scroll the window follows in the same jumps as whole-screen scrolling, so
// that a burst inside a region costs one repaint per screenful instead of a pixel scroll per line.
void ScrollRegionUp(int32_t top, int32_t bottom) {
    auto& l = L();
    const uint16_t jump = JumpScrollSetting();
    if (jump < 1 || jump > 100 || top >= bottom || l.DirectWrite || !TermScreenRingUsable()) {
        l.CursorRow = top;
        DeleteLines(1);
        l.CursorRow = bottom;
        return;
    }
    Prologue();
    const uint32_t blank = BlankCell();
    for (int32_t r = top; r < bottom; ++r) CopyRingLine(r + 1, r);
    FillRingLine(bottom, 1, R().Width, blank);
    if (l.PendingScrollLines < INT32_MAX) ++l.PendingScrollLines;
    const int64_t pending = l.PendingScrollLines;
    if (jump == 100 ? pending > l.ScreenRows : pending * 2 > l.ScreenRows) {
        RedrawScreen();
        ScreenWindow().UpdateWindow();
    } else if (jump <= 99 && pending == 1 && !CommInputReady(100)) {
        // Alone and with little waiting, the line is shown at once, as a whole screen's would be.
        ScrollCellRectBlank(1, l.ScreenWidth, top + 1, bottom, 0, -1, CellAttr(blank));
        l.PendingScrollLines = 0;
    }
}

}  // namespace

void LineFeed() {
    GraphicsLeave();
    NormalizeCursor();
    auto& l = L();
    if (!l.StatusMode) {
        int32_t top, bottom;
        Region(top, bottom);
        if (l.CursorRow == bottom) {
            if (!l.ScrollOn) {
                l.CursorRow = 1;
            } else if (top == 1 && bottom == l.ScreenRows && !l.ScrollBackOff) {
                ScrollScreenUp();
            } else {
                ScrollRegionUp(top, bottom);
            }
        } else if (l.CursorRow != l.ScreenRows) {
            ++l.CursorRow;
        }
    }
    ClampCursor();
}

void WrapIfPastEnd() {
    auto& l = L();
    if (l.CursorCol <= Columns()) return;
    l.Hooks.FlushCaptureLine();
    l.CursorCol = 1;
    LineFeed();
}

void ScrollScreenUp() {
    auto& l = L();
    if (l.DirectWrite) return;
    if (l.PendingScrollLines < INT32_MAX) ++l.PendingScrollLines;
    int32_t savedCol = l.CursorCol;
    int32_t savedSelection = l.AttrSelection;
    l.CursorCol = 1;
    l.CursorRow = l.ScreenRows;
    ClampCursor();
    HideAttrCursor();
    if (TermScreenRingUsable()) R().TopLine = (RingLineOf(1) + 1) % R().LineCount;
    uint16_t jump = JumpScrollSetting();
    if (jump >= 1 && jump <= 99) {
        if (static_cast<int64_t>(l.PendingScrollLines) * 2 > l.ScreenRows) {
            ClrEol();
            RedrawScreen();
            ScreenWindow().UpdateWindow();
        } else if (l.PendingScrollLines == 1 && !CommInputReady(100)) {
            ScrollWindowUp();
            ClrEol();
        } else {
            ClrEol();
        }
    } else if (jump == 100) {
        if (l.PendingScrollLines > l.ScreenRows) {
            ClrEol();
            RedrawScreen();
            ScreenWindow().UpdateWindow();
        } else {
            ClrEol();
        }
    } else {
        ScrollWindowUp();
        ClrEolKeepCursor();
        ScreenWindow().UpdateWindow();
        l.PendingScrollLines = 0;
    }
    l.CursorCol = savedCol;
    l.AttrSelection = savedSelection;
    ClampCursor();
}

int32_t AdvanceScreenRing() {
    if (!TermScreenRingUsable()) return 0;
    int64_t next = static_cast<int64_t>(RingLineOf(1)) + std::max(L().ScreenRows, 0);
    R().TopLine = static_cast<int32_t>(next % R().LineCount);
    return static_cast<int32_t>(next / R().LineCount);
}

void RedrawScreen() {
    // The cell cursor comes off before its cell is rewritten from the ring:
    // left on, its saved colours would belong to what the window showed
    // before, and taking it off later would bring them back.
    Prologue();
    auto& l = L();
    if (AttrCursorSetting()) l.CaretPending = true;
    if (l.ScreenRows >= 1)
        ScreenWindow().InvalidateCells(0, ConsoleScreen.Cols, 0, l.ScreenRows - 1);
    l.PendingScrollLines = 0;
    if (TermScreenRingUsable() && ConsoleScreenAllocated()) {
        int32_t first = ClampInt(R().ViewLeftColumn, 0, R().Width - 1);
        int32_t n = std::min({l.ScreenWidth, ConsoleScreen.Cols, R().Width - first});
        int32_t rows = std::min(l.ScreenRows, ConsoleScreen.Rows);
        for (int32_t r = 1; r <= rows && n >= 1; ++r) PutCells(RingLine(r) + first, 0, r - 1, n);
    }
    ClampCursor();
}

void ScrollWindowUp() {
    GraphicsLeave();
    if (AttrCursorSetting()) L().CaretPending = true;
    L().PendingScrollLines = 0;
    ScrollTextRowsUp();
}

void ClrEol() {
    Prologue();
    NormalizeCursor();
    EraseSpan(L().CursorRow, L().CursorCol, INT64_MAX);
}

void ClrEolKeepCursor() {
    GraphicsLeave();
    NormalizeCursor();
    EraseSpan(L().CursorRow, L().CursorCol, INT64_MAX);
}

void ClrBol() {
    Prologue();
    NormalizeCursor();
    EraseSpan(L().CursorRow, 1, L().CursorCol);
}

void EraseChars(int32_t n) {
    Prologue();
    NormalizeCursor();
    if (n < 1) return;
    EraseSpan(L().CursorRow, L().CursorCol, static_cast<int64_t>(L().CursorCol) + n - 1);
}

void ClrEos() {
    Prologue();
    NormalizeCursor();
    auto& l = L();
    int32_t savedRow = l.CursorRow;
    int32_t savedCol = l.CursorCol;
    int32_t savedSelection = l.AttrSelection;
    EraseSpan(l.CursorRow, l.CursorCol, INT64_MAX);
    for (int32_t r = l.CursorRow + 1; r <= l.ScreenRows; ++r) EraseSpan(r, 1, INT64_MAX);
    l.CursorRow = savedRow;
    l.CursorCol = savedCol;
    l.AttrSelection = savedSelection;
    ClampCursor();
}

void ClrBos() {
    Prologue();
    NormalizeCursor();
    auto& l = L();
    int32_t savedRow = l.CursorRow;
    int32_t savedCol = l.CursorCol;
    int32_t savedSelection = l.AttrSelection;
    int32_t lastWhole = std::min(l.CursorRow - 1, l.ScreenRows);
    for (int32_t r = 1; r <= lastWhole; ++r) EraseSpan(r, 1, INT64_MAX);
    EraseSpan(l.CursorRow, 1, l.CursorCol);
    l.CursorRow = savedRow;
    l.CursorCol = savedCol;
    l.AttrSelection = savedSelection;
    ClampCursor();
}

void ClrScr() {
    Prologue();
    auto& l = L();
    ++l.CaretHold;
    l.CursorRow = 1;
    l.CursorCol = 1;
    ClrEos();
    if (!l.DirectWrite && TermScreenRingUsable()) {
        uint32_t blank = BlankCell();
        for (int32_t r = 1; r <= l.ScreenRows; ++r) FillRingLine(r, 1, R().Width, blank);
    }
    l.CursorRow = 1;
    l.CursorCol = 1;
    --l.CaretHold;
    ClampCursor();
    l.PendingScrollLines = 0;
}

void FillCellRect(const CellRect& rect, uint32_t cell) {
    Prologue();
    auto& l = L();
    if (rect.Left > rect.Right) return;
    int32_t top = std::max(rect.Top, 1);
    int32_t bottom = std::min({rect.Bottom, l.LastRow, std::max(l.ScreenRows, ConsoleScreen.Rows)});
    for (int32_t row = top; row <= bottom; ++row) {
        bool statusRow = l.StatusMode && row == l.StatusRow;
        int32_t w1, w2;
        if (ShownSpan(rect.Left, rect.Right, statusRow, w1, w2)) {
            FillWindowCells(CellChar(cell), CellAttr(cell), w2 - w1 + 1, w1, row - 1);
        }
        // The status row lives in the window only; the ring holds text rows.
        if (!l.DirectWrite && !statusRow && RingRow(row)) {
            int32_t c1 = std::max(rect.Left, 1);
            int32_t c2 = std::min(rect.Right, RingCols());
            if (c1 <= c2) {
                std::fill(RingLine(row) + c1 - 1, RingLine(row) + c2, cell);
                std::fill(FlagLine(row) + c1 - 1, FlagLine(row) + c2, uint8_t{0});
            }
        }
    }
}

void InsertLines(int32_t n) {
    Prologue();
    int32_t top, bottom;
    Region(top, bottom);
    if (L().CursorRow < top || L().CursorRow > bottom) return;
    InsertLinesIn(n, bottom);
}

void DeleteLines(int32_t n) {
    Prologue();
    int32_t top, bottom;
    Region(top, bottom);
    if (L().CursorRow < top || L().CursorRow > bottom) return;
    DeleteLinesIn(n, bottom);
}

void InsertLinesUnprotected(int32_t n) {
    Prologue();
    if (!RingRow(L().CursorRow)) return;
    InsertLinesIn(n, UnprotectedAreaBottom());
}

void DeleteLinesUnprotected(int32_t n) {
    Prologue();
    if (!RingRow(L().CursorRow)) return;
    DeleteLinesIn(n, UnprotectedAreaBottom());
}

void ShiftRowCells(int32_t row, int32_t c1, int32_t c2, int32_t n) {
    // The cell cursor comes off first, or the shift would carry its reversed
    // colours along and the cursor would later restore the wrong cell.
    Prologue();
    auto& l = L();
    int32_t cols = Columns();
    if (c1 < 1 || c1 > c2 || c2 > cols || n == 0) return;
    n = ClampInt(n, -cols, cols);
    int32_t d1 = std::max(c1 + n, 1);
    int32_t d2 = std::min(c2 + n, cols);
    bool ringMoved = false;
    if (!l.DirectWrite && RingRow(row)) {
        // Destination cells past the ring line's end are dropped, not spilled.
        int32_t rd2 = std::min({d2, RingCols(), RingCols() + n});
        if (d1 <= rd2) {
            std::memmove(RingLine(row) + d1 - 1, RingLine(row) + d1 - n - 1,
                         sizeof(uint32_t) * (rd2 - d1 + 1));
            std::memmove(FlagLine(row) + d1 - 1, FlagLine(row) + d1 - n - 1, rd2 - d1 + 1);
        }
        ringMoved = true;
    }
    int32_t w1, w2, v1, v2;
    bool wholeShown = ShownSpan(c1, c2, false, w1, w2) && w2 - w1 == c2 - c1 &&
                      (d1 > d2 || (ShownSpan(d1, d2, false, v1, v2) && v2 - v1 == d2 - d1));
    if (wholeShown || !ringMoved) {
        if (ShownSpan(c1, c2, false, w1, w2)) ScrollCellRect(w1 + 1, w2 + 1, row, row, n, 0);
    } else {
        // Cells come in from columns the window does not show: repaint from the ring.
        RepaintShownRowSpan(row, std::min(c1, d1), std::max(c2, d2));
    }
}

void InsertColumns(int32_t n) {
    Prologue();
    NormalizeCursor();
    auto& l = L();
    int32_t cols = Columns();
    if (n < 1 || l.CursorCol > cols) return;
    n = std::min(n, cols - l.CursorCol + 1);
    for (int32_t r = 1; r <= l.ScreenRows; ++r) {
        if (l.CursorCol <= cols - n) ShiftRowCells(r, l.CursorCol, cols - n, n);
    }
    FillCellRect({l.CursorCol, l.CursorCol + n - 1, 1, l.ScreenRows}, BlankCell());
}

void DeleteColumns(int32_t n) {
    Prologue();
    NormalizeCursor();
    auto& l = L();
    int32_t cols = Columns();
    if (n < 1 || l.CursorCol > cols) return;
    n = std::min(n, cols - l.CursorCol + 1);
    for (int32_t r = 1; r <= l.ScreenRows; ++r) {
        if (l.CursorCol + n <= cols) ShiftRowCells(r, l.CursorCol + n, cols, -n);
    }
    FillCellRect({cols - n + 1, cols, 1, l.ScreenRows}, BlankCell());
}

}  // namespace console
