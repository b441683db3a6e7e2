// The colour and flags a write gives its cells, and the protected fields
// that decide them.

#include "console/console_primitives.h"
#include "console/console_primitives_internal.h"

namespace console {

using namespace primitives_detail;

namespace primitives_detail {

WriteColour ResolveColour(bool singleChar) {
    auto& l = L();
    const auto& map = l.AttrColorMap;
    WriteColour wc;
    wc.InText = !l.DirectWrite && !l.StatusMode && l.CursorRow >= 1 && l.CursorRow <= l.ScreenRows;
    switch (l.ProtectMode) {
        case 1:
        case 2:
            wc.Set = kCellProtected;
            break;
        case 3:
            wc.Keep = 0xFF;
            break;
        default:
            break;
    }
    int32_t pai = l.ProtectAttrIndex;
    int32_t sel = l.AttrSelection;
    if (sel == kSelectionDirect) {
        wc.Attr = l.DirectAttr;
    } else if (sel == kSelectionInherit && wc.InText) {
        wc.Inherit = true;
        CellAttribute cellAttr = map[0];
        uint8_t cellFlags = 0;
        if (RingRow(l.CursorRow)) {
            // The cursor may stand on the pending-wrap position: the field is the last cell's.
            int32_t row = l.CursorRow;
            int32_t col = ClampInt(l.CursorCol, 1, RingCols());
            if (FlagLine(row)[col - 1] & kCellFieldStart) {
                if (col > 1) {
                    --col;
                } else if (row > 1) {
                    --row;
                    col = RingCols();
                }
            }
            cellAttr = CellAttr(RingLine(row)[col - 1]);
            cellFlags = FlagLine(row)[col - 1];
        }
        int32_t found = -1;
        for (int32_t i = 0; i < 16; ++i) {
            if (map[i] == cellAttr) {
                found = i;
                break;
            }
        }
        if (singleChar) {
            int32_t i = found < 0 ? 0 : found;
            wc.Attr = l.ProtectMode == 1 ? map[(i | pai) & 15] : map[(i & ~pai) & 15];
        } else if (found >= 0) {
            wc.Attr = l.ProtectMode == 1 ? map[(found | pai) & 15] : map[found];
        } else {
            wc.Attr = l.ProtectMode == 1 ? map[pai & 15] : cellAttr;
        }
        wc.FieldProtect = cellFlags & kCellProtected;
    } else if (sel == kSelectionInherit) {
        wc.Attr = map[5];
    } else {
        int32_t index = sel & 15;
        if (wc.InText && l.ProtectMode == 1) index |= pai;
        wc.Attr = map[index & 15];
    }
    return wc;
}

void PropagateField(int32_t run, const WriteColour& wc) {
    auto& l = L();
    int32_t row = l.CursorRow;
    int32_t cols = RingCols();
    if (!RingRow(row) || l.CursorCol > cols) return;
    int32_t last = ClampInt(static_cast<int64_t>(l.CursorCol) + run - 1, 1, cols);
    uint8_t* flags = FlagLine(row);
    bool cleared = false;
    for (int32_t c = l.CursorCol; c <= last; ++c) {
        uint8_t& f = flags[c - 1];
        if (!(f & kCellFieldStart)) continue;
        f = l.ProtectMode == 3
                ? static_cast<uint8_t>((f & ~(kCellFieldStart | kCellProtected)) | wc.FieldProtect)
                : static_cast<uint8_t>(f & ~kCellFieldStart);
        cleared = true;
    }
    if (!cleared) return;
    int32_t col = last;
    for (;;) {
        uint32_t* cells = RingLine(row);
        uint8_t* rowFlags = FlagLine(row);
        int32_t start = col;
        bool atMark = false;
        for (; col <= cols; ++col) {
            if (rowFlags[col - 1] & kCellFieldStart) {
                atMark = true;
                break;
            }
            cells[col - 1] = MakeCell(CellChar(cells[col - 1]), wc.Attr);
            if (l.ProtectMode == 3) {
                rowFlags[col - 1] =
                    static_cast<uint8_t>((rowFlags[col - 1] & ~kCellProtected) | wc.FieldProtect);
            }
        }
        int32_t w1, w2;
        if (col > start && ShownSpan(start, col - 1, false, w1, w2)) {
            SetCellAttrs(row - 1, w1, w2, wc.Attr, false);
        }
        if (atMark || row >= l.ScreenRows) break;
        ++row;
        col = 1;
    }
}

}  // namespace primitives_detail

uint32_t BlankCell() {
    const auto& l = L();
    if (l.StatusMode) return MakeCell(u' ', l.StatusAttr);
    if (l.EraseInCurrentAttr && l.AttrSelection == kSelectionDirect)
        return MakeCell(u' ', l.DirectAttr);
    return MakeCell(u' ', l.AttrColorMap[0]);
}

CellAttribute CurrentAttr() {
    const auto& l = L();
    if (l.AttrSelection == kSelectionDirect) return l.DirectAttr;
    if (l.AttrSelection == kSelectionInherit) return l.AttrColorMap[0];
    return l.AttrColorMap[l.AttrSelection & 15];
}

bool FindFieldMark(int32_t row, int32_t column, int32_t& foundRow, int32_t& foundColumn) {
    auto& l = L();
    foundRow = std::max(row, 1);
    foundColumn = Columns();
    if (!TermScreenRingUsable()) return false;
    int32_t cols = RingCols();
    int32_t col = std::max(column, 1);
    for (int32_t r = std::max(row, 1); r <= l.ScreenRows; ++r, col = 1) {
        const uint8_t* flags = FlagLine(r);
        for (int32_t c = col; c <= cols; ++c) {
            if (flags[c - 1] & kCellFieldStart) {
                foundRow = r;
                foundColumn = c;
                return true;
            }
        }
        foundRow = r;
    }
    return false;
}

}  // namespace console
