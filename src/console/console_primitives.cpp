#include "console/console_primitives.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "console/code_pages.h"
#include "console/console_settings.h"

namespace console {

TermScreenRingState TermScreenRing;
ConsoleLayerState ConsoleLayer;

namespace {

// Longest run converted in one piece; longer runs only happen on absurd geometries
// and are then written in pieces.
constexpr int32_t kMaxRun = 1024;
// Far enough right to be past any column, near enough that adding a run cannot overflow.
constexpr int32_t kFarColumn = 1 << 28;

ConsoleLayerState& L() {
    return ConsoleLayer;
}
TermScreenRingState& R() {
    return TermScreenRing;
}

int32_t ClampInt(int64_t v, int64_t lo, int64_t hi) {
    return static_cast<int32_t>(v < lo ? lo : (v > hi ? hi : v));
}

bool CommInputReady(int32_t count) {
    return L().Hooks.CommInputReady != nullptr && L().Hooks.CommInputReady(count);
}

void GraphicsLeave() {
    if (L().Hooks.GraphicsLeave != nullptr) L().Hooks.GraphicsLeave();
}

[[gnu::always_inline]] inline bool WindowUp() {
    return ScreenWindow().WindowExists() && ConsoleScreenAllocated();
}

// Every change to the screen first leaves graphics mode and takes the reverse-video
// cursor cell off the screen.
[[gnu::always_inline]] inline void Prologue() {
    GraphicsLeave();
    if (AttrCursorSetting() && L().AttrCursorShown) {
        HideAttrCursor();
        L().CaretPending = true;
    }
}

// Ring columns in use: the setting's width, as far as the storage reaches.
int32_t RingCols() {
    return std::min(Columns(), R().Width);
}

// A text row whose ring line can be addressed.
bool RingRow(int32_t row) {
    return row >= 1 && row <= L().ScreenRows && TermScreenRingUsable();
}

int32_t RingLineOf(int32_t row) {
    const int64_t count = R().LineCount;
    int64_t line = static_cast<int64_t>(R().TopLine) + row - 1;
    // Rows of the screen lie within one turn of the ring from TopLine; the
    // division is left for positions outside.
    if (line >= count) {
        line -= count;
        if (line >= count) line %= count;
    } else if (line < 0) {
        line %= count;
        if (line < 0) line += count;
    }
    return static_cast<int32_t>(line);
}

// Where the cell of a row and column lies in the ring's storage.
size_t RingCellIndex(int32_t row, int32_t col) {
    return static_cast<size_t>(RingLineOf(row)) * R().Width + static_cast<size_t>(col - 1);
}

uint32_t* RingLine(int32_t row) {
    return R().Cells.data() + static_cast<size_t>(RingLineOf(row)) * R().Width;
}

uint8_t* FlagLine(int32_t row) {
    return R().Flags.data() + static_cast<size_t>(RingLineOf(row)) * R().Width;
}

void FillRingLine(int32_t row, int32_t c1, int32_t c2, uint32_t cell) {
    if (c1 > c2) return;
    const size_t at = static_cast<size_t>(RingLineOf(row)) * R().Width + static_cast<size_t>(c1 - 1);
    cell_runs::Fill32(R().Cells.data() + at, c2 - c1 + 1, cell);
    std::memset(R().Flags.data() + at, 0, static_cast<size_t>(c2 - c1 + 1));
}

void CopyRingLine(int32_t fromRow, int32_t toRow) {
    std::memmove(RingLine(toRow), RingLine(fromRow), sizeof(uint32_t) * R().Width);
    std::memmove(FlagLine(toRow), FlagLine(fromRow), R().Width);
}

// Window columns (0-based) of ring columns c1..c2 that are shown; status-row output
// is not shifted by the view.
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

// Window column of ring column c of a text row, -1 when it is not shown: what
// ShownSpan says of the one column, shifted by the view.
int32_t ShownTextColumn(int32_t c) {
    const int64_t offset = static_cast<int64_t>(R().ViewLeftColumn) + 1;
    const int64_t last = std::min<int64_t>(static_cast<int64_t>(R().ViewRightLimit) - 1,
                                           offset + ConsoleScreen.Cols - 1);
    if (c < offset || c > last) return -1;
    return static_cast<int32_t>(c - offset);
}

// Window column of ring column c, -1 when it is not shown.
int32_t ShownColumn(int32_t c) {
    if (!L().StatusMode) return ShownTextColumn(c);
    int32_t w1, w2;
    return ShownSpan(c, c, true, w1, w2) ? w1 : -1;
}

// Brings the cursor back inside the screen without placing the caret.
inline void NormalizeCursor() {
    auto& l = L();
    if (l.CursorRow > l.LastRow) l.CursorRow = l.ScreenRows;
    if (l.CursorRow < 1) l.CursorRow = 1;
    const int32_t cols = Columns();
    if (l.CursorCol > cols + 1) l.CursorCol = cols + 1;
    if (l.CursorCol < 1) l.CursorCol = 1;
}

void AdvanceCursorCol(int32_t n) {
    L().CursorCol = ClampInt(static_cast<int64_t>(L().CursorCol) + n, INT32_MIN, kFarColumn);
}

void Region(int32_t& top, int32_t& bottom) {
    int32_t rows = std::max(L().ScreenRows, 1);
    top = ClampInt(L().TopMargin, 1, rows);
    bottom = ClampInt(L().BottomMargin, top, rows);
}

// The colour and flag treatment of one write call.
struct WriteColour {
    CellAttribute Attr = 0;
    uint8_t Keep = 0xFE;
    uint8_t Set = 0;
    uint8_t FieldProtect = 0;
    bool InText = false;
    bool Inherit = false;
};

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

// StoredLineGraphics over n characters; out may be text itself.
void StoredLineGraphicsRun(const char16_t* text, int32_t n, char16_t* out) {
    if (ConsoleScreen.LineGraphicsGlyphs.none()) {
        if (out != text) std::memcpy(out, text, sizeof(char16_t) * static_cast<size_t>(std::max(n, 0)));
        return;
    }
    for (int32_t k = 0; k < n; ++k) out[k] = StoredLineGraphics(text[k]);
}

// The converter's byte table of the page last asked for, asked again only when the
// page, the converter or the code-page service changes: received text mostly stays
// on one page, and the tables are kept for the run.
struct GlyphTableCache {
    const char16_t* (*Source)(uint32_t) = nullptr;
    uint32_t CodePage = 0;
    uint32_t Generation = 0;
    const char16_t* Table = nullptr;
    // No byte of the page shows as a filler.
    bool NoFillers = false;
    // No byte of the page is a box-drawing character that may have a glyph.
    bool NoLineGraphics = false;
};
GlyphTableCache glyphTableCache;

[[gnu::noinline]] void RefreshGlyphTable(uint32_t codePage, uint32_t generation) {
    auto& c = glyphTableCache;
    c.Source = ConsoleScreen.Converter.GlyphByteTable;
    c.CodePage = codePage;
    c.Generation = generation;
    c.Table = c.Source(codePage);
    c.NoFillers = c.Table != nullptr && !HasFillerChar(c.Table, 256);
    c.NoLineGraphics = c.Table != nullptr && std::none_of(c.Table, c.Table + 256, [](char16_t ch) {
        return static_cast<char16_t>(ch - kBoxDrawingBase) < kLineGraphicsSlots;
    });
}

inline const GlyphTableCache* GlyphByteTableEntry(uint32_t codePage) {
    const auto source = ConsoleScreen.Converter.GlyphByteTable;
    if (source == nullptr) return nullptr;
    const auto& c = glyphTableCache;
    const uint32_t generation = platform::CodePagesGeneration();
    if (source != c.Source || codePage != c.CodePage || generation != c.Generation)
        RefreshGlyphTable(codePage, generation);
    return &c;
}

const char16_t* GlyphByteTable(uint32_t codePage) {
    const GlyphTableCache* entry = GlyphByteTableEntry(codePage);
    return entry != nullptr ? entry->Table : nullptr;
}

// Converts a run of bytes the way the window's text writer does.
int32_t DecodeRun(const uint8_t* bytes, int32_t n, uint32_t codePage, char16_t* out) {
    if (codePage == kSoftFontCodePage) {
        for (int32_t i = 0; i < n; ++i) out[i] = static_cast<char16_t>(kSoftGlyphBase + bytes[i]);
        return n;
    }
    const auto& conv = ConsoleScreen.Converter;
    if (n > 0) {
        // A single-byte page converts byte by byte; only box-drawing
        // characters can become line-graphics glyphs.
        if (const char16_t* table = GlyphByteTable(codePage)) {
            for (int32_t i = 0; i < n; ++i) {
                const char16_t ch = table[bytes[i]];
                out[i] = static_cast<char16_t>(ch - kBoxDrawingBase) < kLineGraphicsSlots
                             ? StoredLineGraphics(ch)
                             : ch;
            }
            return n;
        }
    }
    int32_t count = conv.Decode(codePage, true, bytes, n, out);
    if (count <= 0) count = conv.Decode(0, false, bytes, n, out);
    count = ClampInt(count, 0, n);
    StoredLineGraphicsRun(out, count, out);
    return count;
}

void RepaintShownRowSpan(int32_t row, int32_t c1, int32_t c2);

// A mark inside the written span is taken over by the field the text continues, and
// the cells after it take the field's colour up to the next mark.
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

// Steps 2 to 5 of a write: ring cells, window cells, field propagation, flags.
// wcol: the window column of the cursor column, ShownColumn(CursorCol).
void WriteUnits(const char16_t* units, int32_t count, int32_t run, const WriteColour& wc,
                bool singleChar, int32_t wcol) {
    auto& l = L();
    int32_t ringCells = 0;
    uint8_t* flags = nullptr;
    if (!l.DirectWrite && !l.StatusMode && RingRow(l.CursorRow)) {
        const int32_t cols = RingCols();
        if (l.CursorCol <= cols) {
            // Cut at the end of the line: nothing reaches the next ring line.
            ringCells = std::min(count, cols - l.CursorCol + 1);
            const size_t at = RingCellIndex(l.CursorRow, l.CursorCol);
            uint32_t* line = R().Cells.data() + at;
            flags = R().Flags.data() + at;
            cell_runs::JoinCells(units, ringCells, wc.Attr, line);
        }
    }
    if (wcol >= 0 && count > 0) {
        if (singleChar) {
            PutCellChar(units[0], wc.Attr, wcol, l.CursorRow - 1);
        } else {
            PutWindowChars(units, wc.Attr, count, wcol, l.CursorRow - 1);
        }
    }
    if (wc.Inherit) PropagateField(run, wc);
    if (wc.InText && l.ProtectMode != 3 && ringCells > 0)
        cell_runs::MaskBytes(flags, ringCells, wc.Keep, wc.Set);
}

// PutWindowChars for a run whose first cell is shown (col >= 0, n >= 1); a run of
// no fillers over cells of none is written in place. sixteenUnits: units holds
// at least sixteen characters, of which only the run's are shown.
void PutShownRun(const char16_t* units, CellAttribute attr, int32_t n, int32_t col, int32_t row,
                 bool noFillers, bool sixteenUnits) {
    auto& s = ConsoleScreen;
    if (!noFillers || !ConsoleScreenAllocated() || row >= s.Rows || col >= s.Cols) {
        PutWindowChars(units, attr, n, col, row);
        return;
    }
    ScreenWindow().RemoveSelection();
    const int32_t m = std::min(n, s.Cols - col);
    const size_t start = WindowRowStart(row) + static_cast<size_t>(col);
    char16_t* chars = s.Chars.data() + start;
    // With sixteen units given, a short run is put as sixteen where the
    // window's storage has room for them (all but at its very end).
    const bool shortRun =
        sixteenUnits && m < cell_runs::kShortRun && start + cell_runs::kShortRun <= s.Chars.size();
    if (shortRun ? cell_runs::AnyFillerInShortRun(chars, m) : HasFillerChar(chars, m)) {
        WriteWindowChars(units, attr, m, col, row);
        return;
    }
    CellAttribute* attrs = s.Attrs.data() + start;
    if (m >= cell_runs::kShortRun) {
        std::memcpy(chars, units, sizeof(char16_t) * static_cast<size_t>(m));
        cell_runs::Fill16(attrs, m, attr);
    } else if (shortRun) {
        cell_runs::PutShortRun(units, m, attr, chars, attrs);
    } else {
        for (int32_t k = 0; k < m; ++k) {
            chars[k] = units[k];
            attrs[k] = attr;
        }
    }
    ScreenWindow().InvalidateCells(col, col + m - 1, row, row);
}

// The common write of received text: a run shown whole on a text row, in a
// colour of the map or the direct one, with no fields about. Does what
// WriteScreenStr's loop does in its one round there, without resolving the
// colour treatment in general; false, with nothing done, anywhere else.
bool WriteShortRun(const uint8_t* bytes, int32_t n, uint32_t codePage) {
    auto& l = L();
    const int32_t sel = l.AttrSelection;
    if (l.StatusMode || l.DirectWrite || l.ProtectMode != 0 || sel == kSelectionInherit || n < 1 ||
        n > kMaxRun || l.CursorRow < 1 || l.CursorRow > l.ScreenRows)
        return false;
    const int32_t wcol = ShownTextColumn(l.CursorCol);
    if (wcol < 0 || static_cast<int64_t>(l.CursorCol) + n - 1 >= R().ViewRightLimit) return false;
    const CellAttribute attr = sel == kSelectionDirect ? l.DirectAttr : l.AttrColorMap[sel & 15];
    char16_t units[kMaxRun];
    const GlyphTableCache* entry =
        codePage != kSoftFontCodePage ? GlyphByteTableEntry(codePage) : nullptr;
    const char16_t* table = entry != nullptr ? entry->Table : nullptr;
    const int32_t cols = TermScreenRingUsable() ? RingCols() : 0;
    if (table != nullptr && l.CursorCol + n - 1 <= cols) {
        // A single-byte page and a run that stays on the ring line: short
        // runs are converted, stored and their flags settled in one pass,
        // one branch on the run's length instead of one per step.
        const size_t at = RingCellIndex(l.CursorRow, l.CursorCol);
        uint32_t* line = R().Cells.data() + at;
        uint8_t* flags = R().Flags.data() + at;
        bool sixteenUnits = false;
        if (n >= cell_runs::kShortRun && entry->NoLineGraphics) {
            // Longer runs: the characters first, then cells and flags a step at a time.
            for (int32_t k = 0; k < n; ++k) units[k] = table[bytes[k]];
            cell_runs::JoinCells(units, n, attr, line);
            cell_runs::MaskBytes(flags, n, 0xFE, 0);
        } else if (entry->NoLineGraphics && at + cell_runs::kShortRun <= R().Cells.size() &&
                   at + cell_runs::kShortRun <= R().Flags.size()) {
            // Short runs: sixteen characters whatever the length (the last
            // byte repeated), of which the cells take the run's.
            const int32_t last = n - 1;
#pragma GCC unroll 16
            for (int32_t k = 0; k < cell_runs::kShortRun; ++k) units[k] = table[bytes[std::min(k, last)]];
            cell_runs::JoinShortRun(units, n, attr, line);
            cell_runs::MaskShortRun(flags, n, 0xFE);
            sixteenUnits = true;
        } else {
            const uint32_t high = static_cast<uint32_t>(attr) << 16;
            for (int32_t k = 0; k < n; ++k) {
                const char16_t ch = table[bytes[k]];
                const char16_t unit =
                    static_cast<char16_t>(ch - kBoxDrawingBase) < kLineGraphicsSlots
                        ? StoredLineGraphics(ch)
                        : ch;
                units[k] = unit;
                line[k] = unit | high;
                flags[k] = static_cast<uint8_t>(flags[k] & 0xFE);
            }
        }
        PutShownRun(units, attr, n, wcol, l.CursorRow - 1, entry->NoFillers, sixteenUnits);
        AdvanceCursorCol(n);
        return true;
    }
    const int32_t count = DecodeRun(bytes, n, codePage, units);
    if (cols > 0 && l.CursorCol <= cols) {
        const int32_t ringCells = std::min(count, cols - l.CursorCol + 1);
        const size_t at = RingCellIndex(l.CursorRow, l.CursorCol);
        uint32_t* line = R().Cells.data() + at;
        uint8_t* flags = R().Flags.data() + at;
        cell_runs::JoinCells(units, ringCells, attr, line);
        cell_runs::MaskBytes(flags, ringCells, 0xFE, 0);
    }
    if (count > 0) PutWindowChars(units, attr, count, wcol, l.CursorRow - 1);
    AdvanceCursorCol(n);
    return true;
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

void WrapBeforePrintable() {
    // A printable byte at the pending-wrap position starts the next line first instead
    // of landing past the end of the line.
    if (L().CursorCol > Columns()) {
        L().CursorCol = 1;
        if (!L().StatusMode) LineFeed();
    }
}

constexpr char16_t kDoubleWidth0[][2] = {{0x1100, 0x115F}, {0x2E80, 0xD7A3}, {0xF900, 0xFA2D},
                                     {0xFE30, 0xFE6B}, {0xFF01, 0xFF5E}, {0xFFE0, 0xFFE6}};
constexpr char16_t kDoubleWidth1[][2] = {{0x1100, 0x11FF}, {0x2460, 0x24FF}, {0x2E80, 0xD7A3},
                                     {0xF900, 0xFA2D}, {0xFE30, 0xFE6B}, {0xFF01, 0xFF5E},
                                     {0xFFE0, 0xFFE6}};

template <size_t N>
constexpr char16_t LowestStart(const char16_t (&ranges)[N][2]) {
    char16_t lowest = 0xFFFF;
    for (const auto& r : ranges) lowest = r[0] < lowest ? r[0] : lowest;
    return lowest;
}
static_assert(LowestStart(kDoubleWidth0) >= 0x1100 && LowestStart(kDoubleWidth1) >= 0x1100);

template <size_t N>
bool InRanges(char16_t ch, const char16_t (&ranges)[N][2]) {
    for (const auto& r : ranges) {
        if (ch >= r[0] && ch <= r[1]) return true;
    }
    return false;
}

}  // namespace

void ResetConsoleLayer() {
    ConsoleLayer = ConsoleLayerState{};
    TermScreenRing = TermScreenRingState{};
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

void WriteScreenStr(std::string_view text, uint32_t codePage) {
    if (!WindowUp()) return;
    Prologue();
    NormalizeCursor();
    auto& l = L();
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const size_t length = text.size();
    if (length <= static_cast<size_t>(kMaxRun) &&
        WriteShortRun(bytes, static_cast<int32_t>(length), codePage)) {
        ClampCursor();
        return;
    }
    const WriteColour wc = ResolveColour(false);
    char16_t units[kMaxRun];
    size_t i = 0;
    while (i < length) {
        int64_t rest = static_cast<int64_t>(length - i);
        int32_t run = 1;
        const int32_t wcol = ShownColumn(l.CursorCol);
        if (l.StatusMode) {
            run = static_cast<int32_t>(std::min<int64_t>(rest, kMaxRun));
        } else if (wcol >= 0 && l.CursorCol + rest - 1 < R().ViewRightLimit) {
            run = static_cast<int32_t>(std::min<int64_t>(rest, kMaxRun));
        }
        int32_t count = DecodeRun(bytes + i, run, codePage, units);
        WriteUnits(units, count, run, wc, false, wcol);
        AdvanceCursorCol(run);
        i += static_cast<size_t>(run);
    }
    ClampCursor();
}

void WriteScreenUnits(std::u16string_view text) {
    if (!WindowUp()) return;
    Prologue();
    NormalizeCursor();
    auto& l = L();
    const WriteColour wc = ResolveColour(false);
    char16_t units[kMaxRun];
    size_t i = 0;
    while (i < text.size()) {
        int64_t rest = static_cast<int64_t>(text.size() - i);
        int32_t run = 1;
        const int32_t wcol = ShownColumn(l.CursorCol);
        if (l.StatusMode) {
            run = static_cast<int32_t>(std::min<int64_t>(rest, kMaxRun));
        } else if (wcol >= 0 && l.CursorCol + rest - 1 < R().ViewRightLimit) {
            run = static_cast<int32_t>(std::min<int64_t>(rest, kMaxRun));
        }
        StoredLineGraphicsRun(text.data() + i, run, units);
        WriteUnits(units, run, run, wc, false, wcol);
        AdvanceCursorCol(run);
        i += static_cast<size_t>(run);
    }
    ClampCursor();
}

void WriteScreenChar(char16_t ch) {
    if (!WindowUp()) return;
    Prologue();
    NormalizeCursor();
    WriteColour wc = ResolveColour(true);
    if (ch == 0xFFFF) {
        ch = u'?';
        wc.Attr = L().AttrColorMap[4];
    } else {
        ch = StoredLineGraphics(ch);
    }
    WriteUnits(&ch, 1, 1, wc, true, ShownColumn(L().CursorCol));
    AdvanceCursorCol(1);
    ClampCursor();
}

void WriteWideAttr(std::u16string_view text, uint8_t attr) {
    if (!WindowUp()) return;
    Prologue();
    NormalizeCursor();
    auto& l = L();
    for (char16_t ch : text) {
        ch = StoredLineGraphics(ch);
        if (!l.DirectWrite && !l.StatusMode && RingRow(l.CursorRow) && l.CursorCol <= RingCols()) {
            RingLine(l.CursorRow)[l.CursorCol - 1] = MakeCell(ch, attr);
        }
        int32_t wcol = ShownColumn(l.CursorCol);
        if (wcol >= 0) PutCellChar(ch, attr, wcol, l.CursorRow - 1);
        AdvanceCursorCol(1);
        if (l.CursorCol > l.ScreenWidth) l.CursorCol = 1;
    }
    ClampCursor();
}

bool NeedsFillerCell(char16_t ch) {
    // No double-width range starts below U+1100.
    if (ch >= 0x1100 && (ScreenOption6860Setting() == 0 ? InRanges(ch, kDoubleWidth0)
                                                         : InRanges(ch, kDoubleWidth1)))
        return true;
    if (ch < 0x00A1 || ch > 0x266F || CharsetKindSetting() != 14) return false;
    uint32_t cp = CodePageSetting();
    return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 0x30000;
}

void WriteWideCharAttr(char16_t ch, uint8_t attr) {
    char16_t one[1] = {ch};
    WriteWideAttr(std::u16string_view(one, 1), attr);
    if (NeedsFillerCell(ch)) {
        one[0] = kFillerChar;
        WriteWideAttr(std::u16string_view(one, 1), attr);
    }
}

void WriteCharCtl(uint8_t byte) {
    Prologue();
    NormalizeCursor();
    auto& l = L();
    if (byte == BackspaceCharSetting()) byte = 8;
    switch (byte) {
        case 1:
            l.CursorRow = 1;
            l.CursorCol = 1;
            ClampCursor();
            break;
        case 6:
            WrapIfPastEnd();
            AdvanceCursorCol(1);
            WrapIfPastEnd();
            ClampCursor();
            break;
        case 8:
        case 21:
            if (l.CursorCol <= 1) {
                l.CursorCol = Columns();
                if (l.CursorRow != 1 && !l.StatusMode) --l.CursorRow;
            } else {
                --l.CursorCol;
            }
            ClampCursor();
            break;
        case 10:
            LineFeed();
            break;
        case 12:
            ClrScr();
            break;
        case 13:
            l.CursorCol = 1;
            ClampCursor();
            break;
        case 26:
            if (l.CursorRow <= 1) {
                l.CursorRow = l.ScreenRows;
            } else if (!l.StatusMode) {
                --l.CursorRow;
            }
            ClampCursor();
            break;
        case 128:
            WrapBeforePrintable();
            WriteScreenStr("~", 0);
            break;
        default:
            if ((byte >= 32 && byte <= 126) || byte >= 129) {
                WrapBeforePrintable();
                char one = static_cast<char>(byte);
                WriteScreenStr(std::string_view(&one, 1), 0);
            }
            break;
    }
    if (l.CursorCol > Columns() && !l.StatusMode) {
        l.CursorCol = 1;
        LineFeed();
    }
}

void WriteString(std::string_view text) {
    auto& l = L();
    NormalizeCursor();
    ++l.CaretHold;
    size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<uint8_t>(text[i]);
        if (b < 32 || b > 126) {
            WriteCharCtl(b);
            ++i;
            continue;
        }
        WrapBeforePrintable();
        int64_t room = static_cast<int64_t>(Columns()) - l.CursorCol + 1;
        size_t j = i + 1;
        while (j < text.size() && static_cast<int64_t>(j - i) < room) {
            auto c = static_cast<uint8_t>(text[j]);
            if (c < 32 || c > 126) break;
            ++j;
        }
        int64_t wcol = l.StatusMode ? l.CursorCol - 1
                                    : static_cast<int64_t>(l.CursorCol) - R().ViewLeftColumn - 1;
        PlaceCursor(ClampInt(wcol, -1, kMaxScreenCols), l.CursorRow - 1);
        WriteScreenStr(text.substr(i, j - i), 0);
        if (l.CursorCol > Columns()) {
            l.CursorCol = 1;
            if (!l.StatusMode) LineFeed();
        }
        i = j;
    }
    --l.CaretHold;
    ClampCursor();
}

void GotoRowCol(int32_t row, int32_t column) {
    L().CursorRow = row;
    L().CursorCol = column;
    ClampCursor();
}

void ClampCursor() {
    auto& l = L();
    NormalizeCursor();
    l.CaretPending = true;
    if (l.CaretHold > 0) return;
    // While host output pours in the caret waits for the idle refresh.
    if (!l.StatusMode && !l.DirectWrite && CommInputReady(40)) return;
    PlaceCaret();
}

void PlaceCaret() {
    GraphicsLeave();
    NormalizeCursor();
    auto& l = L();
    int32_t wcol = ShownColumn(l.CursorCol);
    if (wcol >= 0) {
        if (AttrCursorSetting()) {
            ShowAttrCursor(l.CursorRow - 1, wcol);
        } else {
            MoveCursorTo(wcol + 1, l.CursorRow);
        }
    }
    l.CaretPending = false;
}

void ShowAttrCursor(int32_t row, int32_t windowCol) {
    auto& l = L();
    if (l.AttrCursorShown) HideAttrCursor();
    if (l.CursorVisible) {
        if (const CellAttribute* cell = ScreenAttrRow(windowCol, row)) {
            CellAttribute saved = *cell;
            auto low = static_cast<uint8_t>(saved & 0xFF);
            auto reversed = static_cast<CellAttribute>(((low & 0x07) << 4) | ((low >> 4) & 0x07) |
                                                       (low & 0x80));
            l.AttrCursorSaved = saved;
            SetCellAttrs(row, windowCol, windowCol, reversed, false);
            l.AttrCursorShown = true;
        }
    }
    l.AttrCursorRow = row;
    l.AttrCursorCol = windowCol;
}

void HideAttrCursor() {
    auto& l = L();
    if (!l.AttrCursorShown) return;
    l.AttrCursorShown = false;
    SetCellAttrs(l.AttrCursorRow, l.AttrCursorCol, l.AttrCursorCol, l.AttrCursorSaved, false);
}

void SetAttrCursorMode(bool on) {
    if (on == AttrCursorSetting()) return;
    SetAttrCursorSetting(on);
    if (!on) {
        HideAttrCursor();
        PlaceCaret();
    } else {
        // The window caret goes out of the way; the reverse-video cell takes over.
        MoveCursorTo(ConsoleScreen.Cols, ConsoleScreen.Rows);
        L().AttrCursorShown = false;
        // The cell cursor shows at once, not only after the next cursor move.
        ClampCursor();
    }
}

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
                l.CursorRow = top;
                DeleteLines(1);
                l.CursorRow = bottom;
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
    if (l.Hooks.FlushCaptureLine != nullptr) l.Hooks.FlushCaptureLine();
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
    GraphicsLeave();
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

void SaveCursorState() {
    auto& l = L();
    l.SavedCursorRow = l.CursorRow;
    l.SavedCursorCol = l.CursorCol;
    l.SavedAttrSelection = l.AttrSelection;
    l.SavedCursorVisible = l.CursorVisible;
}

void RestoreCursorState() {
    auto& l = L();
    l.CursorRow = l.SavedCursorRow;
    l.CursorCol = l.SavedCursorCol;
    l.AttrSelection = l.SavedAttrSelection;
    l.CursorVisible = l.SavedCursorVisible;
    l.StatusMode = false;
    ClampCursor();
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

void BeepTone(uint32_t value) {
    if (value < 100) {
        ScreenWindow().MessageBeep(value);
    } else {
        ScreenWindow().Tone(value, 50);
    }
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
