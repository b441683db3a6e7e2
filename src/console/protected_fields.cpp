#include "console/protected_fields.h"

#include <algorithm>

#include "console/console_primitives.h"
#include "console/screen_buffer.h"

namespace console {
namespace {

auto& L() {
    return ConsoleLayer;
}

// Ring columns of a row that cursor moves and erasures use.
int32_t FieldColumns() {
    return std::max(1, std::min(Columns(), TermScreenRing.Width));
}

bool RowUsable(int32_t row) {
    return row >= 1 && row <= L().ScreenRows && TermScreenRingUsable();
}

uint8_t FlagsAt(int32_t row, int32_t col) {
    if (!RowUsable(row) || col < 1 || col > FieldColumns()) return 0;
    return TermScreenRing.Flags[static_cast<size_t>(CellIndex(row, col))];
}

// Shows ring columns c1..c2 of a row in the window as the ring holds them.
void RepaintRowSpan(int32_t row, int32_t c1, int32_t c2) {
    const auto& r = TermScreenRing;
    const int32_t first = std::max(c1, r.ViewLeftColumn + 1);
    int32_t last = std::min(c2, r.ViewRightLimit - 1);
    last = std::min(last, r.ViewLeftColumn + ConsoleScreen.Cols);
    if (first > last) return;
    const uint32_t* line = r.Cells.data() + CellIndex(row, 1);
    PutCells(line + first - 1, first - r.ViewLeftColumn - 1, row - 1, last - first + 1);
}

void EraseRow(int32_t row, int32_t c1, int32_t c2, bool stopAtProtected, bool resetColour,
              char16_t ch) {
    if (!RowUsable(row) || c1 > c2) return;
    const size_t base = static_cast<size_t>(CellIndex(row, 1));
    uint32_t* cells = TermScreenRing.Cells.data() + base;
    uint8_t* flags = TermScreenRing.Flags.data() + base;
    int32_t changedFirst = 0;
    int32_t changedLast = 0;
    for (int32_t c = c1; c <= c2; ++c) {
        const uint8_t f = flags[c - 1];
        if (stopAtProtected && (f & kCellProtected)) break;
        if (f & (kCellProtected | kCellFieldStart)) continue;
        const CellAttribute attr = resetColour ? L().AttrColorMap[0] : CellAttr(cells[c - 1]);
        cells[c - 1] = MakeCell(ch, attr);
        flags[c - 1] = 0;
        if (changedFirst == 0) changedFirst = c;
        changedLast = c;
    }
    if (changedFirst != 0) RepaintRowSpan(row, changedFirst, changedLast);
}

}  // namespace

void SetFieldAttr(uint8_t colour, FieldProtection protection) {
    auto& l = L();
    if (l.DirectWrite || !TermScreenRingUsable() || !RowUsable(l.CursorRow)) return;
    uint8_t keep = 0xFF;
    uint8_t set = 0;
    if (protection == FieldProtection::Protected) set = kCellProtected;
    if (protection == FieldProtection::Unprotected) keep = static_cast<uint8_t>(~kCellProtected);
    const int32_t cols = FieldColumns();
    {
        const int32_t col = std::clamp(l.CursorCol, 1, cols);
        uint8_t& f = TermScreenRing.Flags[static_cast<size_t>(CellIndex(l.CursorRow, col))];
        f = static_cast<uint8_t>((f & keep) | set | kCellFieldStart);
    }
    l.AttrSelection = 0;
    WriteScreenStr(" ", 0);
    WrapIfPastEnd();

    const CellAttribute field =
        colour == kSelectionDirect ? l.DirectAttr : l.AttrColorMap[colour & 15];
    const CellAttribute protectedColour = l.AttrColorMap[(l.ProtectAttrIndex | colour) & 15];
    int32_t row = l.CursorRow;
    int32_t col = std::clamp(l.CursorCol, 1, cols + 1);
    // The field runs in reading order up to the next mark; it never passes the last text row.
    for (; row <= l.ScreenRows; ++row, col = 1) {
        if (col > cols) continue;
        const size_t base = static_cast<size_t>(CellIndex(row, 1));
        uint32_t* cells = TermScreenRing.Cells.data() + base;
        uint8_t* flags = TermScreenRing.Flags.data() + base;
        const int32_t first = col;
        bool markFound = false;
        for (; col <= cols; ++col) {
            uint8_t& f = flags[col - 1];
            if (f & kCellFieldStart) {
                markFound = true;
                break;
            }
            if (protection == FieldProtection::Keep) {
                const CellAttribute a = (f & kCellProtected) ? protectedColour : field;
                cells[col - 1] = MakeCell(CellChar(cells[col - 1]), a);
            } else {
                cells[col - 1] = MakeCell(CellChar(cells[col - 1]), field);
                f = static_cast<uint8_t>((f & keep) | set);
            }
        }
        if (col > first) RepaintRowSpan(row, first, col - 1);
        if (markFound) break;
    }
}

void EraseUnprotected(uint8_t mode, bool resetColour, char16_t ch) {
    auto& l = L();
    if (mode > 6 || l.DirectWrite || !TermScreenRingUsable()) return;
    if (l.AttrCursorShown) {
        HideAttrCursor();
        l.CaretPending = true;
    }
    const int32_t cols = FieldColumns();
    const int32_t cursorRow = std::clamp(l.CursorRow, 1, std::max(l.ScreenRows, 1));
    // The pending-wrap position counts as the last column.
    const int32_t cursorCol = std::clamp(l.CursorCol, 1, cols);
    const int32_t firstRow = (mode == 4 || mode == 5) ? 1 : cursorRow;
    const int32_t lastRow = (mode == 3 || mode == 5) ? l.ScreenRows : cursorRow;
    for (int32_t row = firstRow; row <= lastRow; ++row) {
        int32_t c1 = 1;
        int32_t c2 = cols;
        if (row == cursorRow) {
            if (mode == 0 || mode == 3 || mode == 6) c1 = cursorCol;
            if (mode == 1 || mode == 4) c2 = cursorCol;
        }
        EraseRow(row, c1, c2, mode == 6, resetColour, ch);
    }
}

void SkipProtected(bool backward) {
    auto& l = L();
    const int32_t cols = FieldColumns();
    int32_t row = l.CursorRow;
    int32_t col = l.CursorCol;
    // Every cell is visited at most once, so a screen of protected cells ends the walk.
    int64_t steps = static_cast<int64_t>(std::max(l.ScreenRows, 1)) * cols;
    while (steps-- > 0 && (FlagsAt(row, col) & kCellProtected)) {
        if (backward) {
            if (row <= 1 && col <= 1) break;
            if (col > 1) {
                --col;
            } else {
                --row;
                col = std::max(l.ScreenWidth, 1);
            }
        } else {
            NextCellPos(row, col);
            if (row == 1 && col == 1) break;
        }
    }
    l.CursorRow = row;
    l.CursorCol = col;
    ClampCursor();
}

void TabField(bool useTabs, std::span<const uint8_t> tabStops) {
    auto& l = L();
    const int32_t cols = FieldColumns();
    const int32_t rows = std::max(l.ScreenRows, 1);
    const int32_t cursorRow = std::clamp(l.CursorRow, 1, rows);

    bool haveField = false;
    int32_t fieldRow = 0;
    int32_t fieldCol = 0;
    int32_t row = cursorRow;
    int32_t col = std::max(l.CursorCol, 1);
    int32_t markRow = 0;
    int32_t markCol = 0;
    while (row <= rows && FindFieldMark(row, col, markRow, markCol)) {
        if (!(FlagsAt(markRow, markCol) & kCellProtected)) {
            haveField = true;
            fieldRow = markRow;
            fieldCol = markCol + 1;
            if (fieldCol > cols) {
                fieldCol = 1;
                fieldRow = markRow < rows ? markRow + 1 : 1;
            }
            break;
        }
        row = markRow;
        col = markCol + 1;
        if (col > cols) {
            ++row;
            col = 1;
        }
    }

    bool haveTab = false;
    int32_t tabRow = cursorRow;
    int32_t tabCol = 0;
    if (useTabs && !tabStops.empty()) {
        // A stop past the row's last column is not on the row, so the next
        // row's first stop is taken rather than the line's end.
        const auto next = std::find_if(tabStops.begin(), tabStops.end(),
                                       [&](uint8_t s) { return s == 0 || s > l.CursorCol; });
        if (next != tabStops.end() && *next != 0 && *next <= cols) {
            tabCol = *next;
        } else {
            tabRow = cursorRow + 1;
            tabCol = tabStops[0];
        }
        haveTab = tabCol != 0;
    }

    const bool takeTab =
        haveTab && (!haveField || tabRow < fieldRow || (tabRow == fieldRow && tabCol < fieldCol));
    if (takeTab) {
        // A stop on the row after the last one is taken on row 1.
        GotoRowCol(tabRow > rows ? 1 : tabRow, std::min(tabCol, cols));
    } else if (haveField) {
        GotoRowCol(fieldRow, fieldCol);
    } else {
        GotoRowCol(rows, cols);
    }
}

}  // namespace console
