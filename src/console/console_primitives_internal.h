#pragma once
// What the files of the console primitives share: ring and window addressing,
// the cursor brought back inside the screen, the prologue of every screen
// change and the colour treatment of a write. Only those files include it.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "console/console_primitives.h"

namespace console::primitives_detail {

inline ConsoleLayerState& L() {
    return ConsoleLayer;
}
inline TermScreenRingState& R() {
    return TermScreenRing;
}

inline int32_t ClampInt(int64_t v, int64_t lo, int64_t hi) {
    return static_cast<int32_t>(v < lo ? lo : (v > hi ? hi : v));
}

inline bool CommInputReady(int32_t count) {
    return L().Hooks.CommInputReady(count);
}

inline void GraphicsLeave() {
    L().Hooks.GraphicsLeave();
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
inline int32_t RingCols() {
    return std::min(Columns(), R().Width);
}

// A text row whose ring line can be addressed.
inline bool RingRow(int32_t row) {
    return row >= 1 && row <= L().ScreenRows && TermScreenRingUsable();
}

inline int32_t RingLineOf(int32_t row) {
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

inline uint32_t* RingLine(int32_t row) {
    return R().Cells.data() + static_cast<size_t>(RingLineOf(row)) * R().Width;
}

inline uint8_t* FlagLine(int32_t row) {
    return R().Flags.data() + static_cast<size_t>(RingLineOf(row)) * R().Width;
}

// Window columns (0-based) of ring columns c1..c2 that are shown; status-row output
// is not shifted by the view.
bool ShownSpan(int64_t c1, int64_t c2, bool unshifted, int32_t& w1, int32_t& w2);

// Window column of ring column c of a text row, -1 when it is not shown: what
// ShownSpan says of the one column, shifted by the view.
inline int32_t ShownTextColumn(int32_t c) {
    const int64_t offset = static_cast<int64_t>(R().ViewLeftColumn) + 1;
    const int64_t last = std::min<int64_t>(static_cast<int64_t>(R().ViewRightLimit) - 1,
                                           offset + ConsoleScreen.Cols - 1);
    if (c < offset || c > last) return -1;
    return static_cast<int32_t>(c - offset);
}

// Window column of ring column c, -1 when it is not shown.
int32_t ShownColumn(int32_t c);

// Brings the cursor back inside the screen without placing the caret.
inline void NormalizeCursor() {
    auto& l = L();
    if (l.CursorRow > l.LastRow) l.CursorRow = l.ScreenRows;
    if (l.CursorRow < 1) l.CursorRow = 1;
    const int32_t cols = Columns();
    if (l.CursorCol > cols + 1) l.CursorCol = cols + 1;
    if (l.CursorCol < 1) l.CursorCol = 1;
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

WriteColour ResolveColour(bool singleChar);

// A mark inside the written span is taken over by the field the text continues, and
// the cells after it take the field's colour up to the next mark.
void PropagateField(int32_t run, const WriteColour& wc);

}  // namespace console::primitives_detail
