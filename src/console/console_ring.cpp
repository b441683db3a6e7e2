// The ring of screen cells: its storage, where a cell lies, which ring columns
// the window shows, and reads and writes of whole cells.

#include <new>

#include "console/console_primitives.h"
#include "console/console_primitives_internal.h"
#include "console/local_screen.h"

namespace console {

using namespace primitives_detail;

TermScreenRingState TermScreenRing;
bool NoCommInputReady(int32_t) {
    return false;
}
void NoConsoleLayerWork() {}

ConsoleLayerState ConsoleLayer;

namespace primitives_detail {

bool ShownSpan(int64_t c1, int64_t c2, bool unshifted, int32_t& w1, int32_t& w2) {
    int64_t lo, hi, offset;
    if (unshifted) {
        lo = std::max<int64_t>(c1, 1);
        hi = std::min<int64_t>(c2, L().ScreenWidth);
        offset = 1;
    } else {
        lo = std::max<int64_t>(c1, static_cast<int64_t>(R().ViewLeftColumn) + 1);
        hi = std::min<int64_t>(c2, static_cast<int64_t>(R().ViewRightLimit) - 1);
        offset = static_cast<int64_t>(R().ViewLeftColumn) + 1;
    }
    // Never past the window's own columns, whatever the view says.
    hi = std::min<int64_t>(hi, offset + ConsoleScreen.Cols - 1);
    if (lo > hi) return false;
    w1 = ClampInt(lo - offset, INT32_MIN, INT32_MAX);
    w2 = ClampInt(hi - offset, INT32_MIN, INT32_MAX);
    return true;
}

int32_t ShownColumn(int32_t c) {
    if (!L().StatusMode) return ShownTextColumn(c);
    int32_t w1, w2;
    return ShownSpan(c, c, true, w1, w2) ? w1 : -1;
}

}  // namespace primitives_detail

void ResetConsoleLayer() {
    ConsoleLayer = ConsoleLayerState{};
    TermScreenRing = TermScreenRingState{};
    ResetLocalScreen();
}

bool AllocTermScreenRing(int32_t bytes, int32_t width) {
    width = ClampInt(width, 1, kMaxScreenCols);
    int64_t minLines = std::max({L().ScreenRows, L().LastRow, 1});
    minLines = std::min<int64_t>(minLines, kMaxScreenRows);
    int64_t lines = std::max<int64_t>(std::max(bytes, 0) / 4 / width, minLines);
    int64_t cells = lines * width;
    if (cells * 4 > INT32_MAX) return false;
    std::vector<uint32_t> newCells;
    std::vector<uint8_t> newFlags;
    try {
        newCells.assign(static_cast<size_t>(cells), MakeCell(u' ', L().AttrColorMap[0]));
        newFlags.assign(static_cast<size_t>(cells), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto& r = R();
    r.Cells.swap(newCells);
    r.Flags.swap(newFlags);
    r.BufferBytes = static_cast<int32_t>(cells * 4);
    r.Width = width;
    r.LineCount = static_cast<int32_t>(lines);
    r.TopLine = 0;
    r.ViewLeftColumn = 0;
    r.ViewRightLimit = L().ScreenWidth + 1;
    return true;
}

int32_t CellIndex(int32_t row, int32_t column) {
    if (!TermScreenRingUsable()) return 0;
    return RingLineOf(row) * R().Width + ClampInt(column, 1, R().Width) - 1;
}

int32_t ReadCells(int32_t row, int32_t column, int32_t count, uint32_t* dest) {
    if (count < 1 || dest == nullptr) return 0;
    auto& l = L();
    int32_t n = 0;
    if (!l.DirectWrite && !l.StatusMode) {
        if (RingRow(row) && column >= 1 && column <= RingCols()) {
            n = std::min(count, RingCols() - column + 1);
            std::memcpy(dest, RingLine(row) + column - 1, sizeof(uint32_t) * n);
        }
    } else {
        if (l.PendingScrollLines != 0) RedrawScreen();
        n = ReadWindowCells(row, column, count, dest);
    }
    std::fill(dest + n, dest + count, MakeCell(u' ', l.AttrColorMap[0]));
    return n;
}

int32_t WriteCells(int32_t row, int32_t column, int32_t count, const uint32_t* source) {
    if (count < 1 || source == nullptr || column < 1) return 0;
    Prologue();
    auto& l = L();
    bool toWindow = l.DirectWrite || (l.StatusMode && row == l.StatusRow);
    if (!toWindow) {
        if (!RingRow(row) || column > RingCols()) return 0;
        int32_t n = std::min(count, RingCols() - column + 1);
        std::memcpy(RingLine(row) + column - 1, source, sizeof(uint32_t) * n);
        return n;
    }
    if (column > ConsoleScreen.Cols || row < 1) return 0;
    int32_t n = std::min(count, ConsoleScreen.Cols - column + 1);
    PutCells(source, column - 1, row - 1, n);
    return n;
}

void BeginDirectWrite() {
    auto& l = L();
    if (l.DirectWrite) return;
    l.DirectWrite = true;
    l.SavedViewLeftColumn = R().ViewLeftColumn;
    l.SavedScreenColumns = ScreenColumnsSetting();
    l.SavedMargins = {l.TopMargin, l.BottomMargin, l.LeftMargin, l.RightMargin};
    R().ViewLeftColumn = 0;
    R().ViewRightLimit = l.ScreenWidth + 1;
    SetScreenColumnsSetting(static_cast<uint8_t>(ClampInt(l.ScreenWidth, 1, 255)));
    l.TopMargin = 1;
    l.BottomMargin = l.ScreenRows;
    l.LeftMargin = 1;
    l.RightMargin = l.ScreenWidth;
    l.StatusMode = false;
}

void EndDirectWrite() {
    auto& l = L();
    if (!l.DirectWrite) return;
    R().ViewLeftColumn = l.SavedViewLeftColumn;
    R().ViewRightLimit = l.SavedViewLeftColumn + l.ScreenWidth + 1;
    SetScreenColumnsSetting(l.SavedScreenColumns);
    l.TopMargin = l.SavedMargins[0];
    l.BottomMargin = l.SavedMargins[1];
    l.LeftMargin = l.SavedMargins[2];
    l.RightMargin = l.SavedMargins[3];
    RedrawScreen();
    l.DirectWrite = false;
}

void NextCellPos(int32_t& row, int32_t& column) {
    if (column < Columns()) {
        ++column;
    } else if (row < L().ScreenRows) {
        ++row;
        column = 1;
    } else {
        row = 1;
        column = 1;
    }
}

}  // namespace console
