// The cursor position, the window caret, the reverse-video cell cursor and
// the bell.

#include "console/console_primitives.h"
#include "console/console_primitives_internal.h"

namespace console {

using namespace primitives_detail;

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

void BeepTone(uint32_t value) {
    if (value < 100) {
        ScreenWindow().MessageBeep(value);
    } else {
        ScreenWindow().Tone(value, 50);
    }
}

}  // namespace console
