// The write path: text into ring and window cells, converted through the
// cached byte table of the code page, and the control bytes of plain output.

#include "console/code_pages.h"
#include "console/console_primitives.h"
#include "console/console_primitives_internal.h"

namespace console {

using namespace primitives_detail;

namespace {

// Longest run converted in one piece; longer runs only happen on absurd geometries
// and are then written in pieces.
constexpr int32_t kMaxRun = 1024;
// Far enough right to be past any column, near enough that adding a run cannot overflow.
constexpr int32_t kFarColumn = 1 << 28;

[[gnu::always_inline]] inline bool WindowUp() {
    return ScreenWindow().WindowExists() && ConsoleScreenAllocated();
}

// Where the cell of a row and column lies in the ring's storage.
size_t RingCellIndex(int32_t row, int32_t col) {
    return static_cast<size_t>(RingLineOf(row)) * R().Width + static_cast<size_t>(col - 1);
}

void AdvanceCursorCol(int32_t n) {
    L().CursorCol = ClampInt(static_cast<int64_t>(L().CursorCol) + n, INT32_MIN, kFarColumn);
}

// StoredLineGraphics over n characters; out may be text itself.
void StoredLineGraphicsRun(const char16_t* text, int32_t n, char16_t* out) {
    if (ConsoleScreen.LineGraphicsGlyphs.none()) {
        if (out != text)
            std::memcpy(out, text, sizeof(char16_t) * static_cast<size_t>(std::max(n, 0)));
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
            cell_runs::TranslateShortRun(bytes, n, table, units);
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
    if (ch < 0x00A1 || ch > 0x266F || CharsetKindSetting() != commands::kGSetCodePage) return false;
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

}  // namespace console
