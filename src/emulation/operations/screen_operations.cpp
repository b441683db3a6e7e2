#include "emulation/operations/screen_operations.h"

#include <algorithm>
#include <string>

#include "commands/settings_record.h"
#include "console/protected_fields.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/tab_stops.h"
#include "emulation/types/emulator_state.h"

namespace emulation {

ScreenOperationsState ScreenOperations;

namespace {

using console::ConsoleLayer;

constexpr int32_t kLargest = 2147483647;

ScreenOperationHooks& H() {
    return ScreenOperations.Hooks;
}

int32_t Clamp64(int64_t v, int64_t lo, int64_t hi) {
    return static_cast<int32_t>(std::clamp(v, lo, std::max(lo, hi)));
}

int32_t Rows() {
    return std::max(ConsoleLayer.ScreenRows, 1);
}
int32_t Cols() {
    return std::max(console::Columns(), 1);
}

// "count": p1 with 0 (and anything below) taken as 1.
int32_t Count(const TermOpParams& p) {
    return p[0] < 1 ? 1 : p[0];
}
// The count of the operations that take the largest value as 1 too.
int32_t CountMaxOne(const TermOpParams& p) {
    return p[0] == kLargest ? 1 : Count(p);
}

uint8_t ProtectedFields() {
    return H().ProtectedFields();
}
void SkipProtected(bool backward) {
    H().SkipProtected(backward);
}
void EraseUnprotected(uint8_t mode, bool reset, char16_t ch) {
    H().EraseUnprotected(mode, reset, ch);
}
void SkipProtectedWhenActive() {
    if (ProtectedFields() == 1) SkipProtected(false);
}
void CaptureControl(uint8_t control) {
    H().CaptureControl(control);
}

// The byte before the final byte of the running sequence, 0 when none.
uint8_t Intermediate() {
    std::string_view s = H().SequenceText();
    return s.size() >= 2 ? static_cast<uint8_t>(s[s.size() - 2]) : 0;
}

// Goto, inline where hosts move the cursor most: the cursor position.
[[gnu::always_inline]] inline void GotoInline(int64_t row, int64_t col) {
    console::GotoRowCol(Clamp64(row, 1, Rows()), Clamp64(col, 1, Cols()));
}

void Goto(int64_t row, int64_t col) {
    GotoInline(row, col);
}

bool PushToScrollBack() {
    return commands::Settings.ScrollEnabled != 0 && !ConsoleLayer.ScrollBackOff;
}

void ClearWithScrollBack() {
    if (PushToScrollBack()) console::AdvanceScreenRing();
    console::ClrScr();
}

void FullMargins() {
    ConsoleLayer.TopMargin = 1;
    ConsoleLayer.BottomMargin = Rows();
    ConsoleLayer.LeftMargin = 1;
    ConsoleLayer.RightMargin = std::max(ConsoleLayer.ScreenWidth, 1);
}

void WriteRepeated(uint8_t ch, int32_t count) {
    if (count < 1) return;
    H().WriteRepeatedChar(ch, count);
}

// Cursor at the pending-wrap position under deferred wrap: CR LF first.
void DoPendingWrap() {
    if (ConsoleLayer.CursorCol > Cols() && EmulatorState.WrapStyle == kWrapDeferred) {
        CaptureControl(0);
        console::WriteString("\r\n");
    }
}

std::array<uint8_t, kTabStopCount>& Stops() {
    return commands::Settings.TabStops;
}

int32_t NextStop(int32_t col) {
    for (uint8_t s : Stops())
        if (s > col) return s;
    return std::max(ConsoleLayer.ScreenWidth, 1);
}

int32_t PreviousStop(int32_t col) {
    for (size_t i = kTabStopCount; i-- > 0;)
        if (Stops()[i] != 0 && Stops()[i] < col) return Stops()[i];
    return 1;
}

void Scroll(bool up, int32_t n) {
    auto& l = ConsoleLayer;
    n = std::min(n, Rows());
    const int32_t row = l.CursorRow;
    const int32_t col = l.CursorCol;
    const int32_t top = Clamp64(l.TopMargin, 1, Rows());
    const int32_t bottom = Clamp64(l.BottomMargin, top, Rows());
    if (up) {
        console::GotoRowCol(top, col);
        console::DeleteLines(n);
        if (bottom < Rows()) {
            console::GotoRowCol(bottom, col);
            console::InsertLines(n);
        }
    } else {
        if (bottom < Rows()) {
            console::GotoRowCol(bottom, col);
            console::DeleteLines(n);
        }
        console::GotoRowCol(top, col);
        console::InsertLines(n);
    }
    console::GotoRowCol(row, col);
}

// One step of reverse index: up a row, or on the top margin scroll down.
void ReverseIndexStep() {
    auto& l = ConsoleLayer;
    if (l.CursorRow == l.TopMargin) {
        Scroll(false, 1);
    } else if (l.CursorRow > 1) {
        console::GotoRowCol(l.CursorRow - 1, l.CursorCol);
    }
}

}  // namespace

int32_t BoundedRepeat(int64_t count, int64_t floor, int64_t period) {
    if (count < 0) return 0;
    period = std::max<int64_t>(period, 1);
    floor = std::max<int64_t>(floor, 0);
    if (count > floor) count = floor + (count - floor) % period;
    return static_cast<int32_t>(std::min<int64_t>(count, kLargest));
}

std::string_view NoSequenceText() {
    return {};
}
bool NoGraphicsHandled(TermOp) {
    return false;
}
bool NoGeometryChange(std::string_view) {
    return false;
}
bool NoFrameBoxDrawing(const console::CellRect&) {
    return false;
}
void ConsoleWriteRepeatedChar(uint8_t ch, int32_t count) {
    if (count < 1) return;
    std::string text(static_cast<size_t>(count), static_cast<char>(ch));
    console::WriteString(text);
}
uint8_t NoLastGraphicChar() {
    return ' ';
}
char16_t Latin1ByteToUnicode(uint8_t byte) {
    return static_cast<char16_t>(byte);
}
uint8_t ConsoleProtectedFields() {
    return console::ConsoleLayer.ProtectedFields;
}
void ConsoleSkipProtected(bool backward) {
    console::SkipProtected(backward);
}
void ConsoleEraseUnprotected(uint8_t mode, bool reset, char16_t ch) {
    console::EraseUnprotected(mode, reset, ch);
}
void NoCaptureControl(uint8_t) {}
bool NoCaptureTab() {
    return false;
}

void ResetScreenOperations() {
    ScreenOperationHooks hooks = ScreenOperations.Hooks;
    ScreenOperations = ScreenOperationsState{};
    ScreenOperations.Hooks = hooks;
}

void ClearScreenOp(TermOp op, const TermOpParams&) {
    if (H().GraphicsHandled(0)) return;
    const int32_t row = ConsoleLayer.CursorRow;
    const int32_t col = ConsoleLayer.CursorCol;
    ClearWithScrollBack();
    if (op == OpClearScreenKeepCursor) console::GotoRowCol(row, col);  // ESC [ 2 J keeps the cursor
}

void ClearUnprotectedOp(TermOp, const TermOpParams&) {
    if (ProtectedFields() != 0) {
        const bool reset = commands::Settings.Propagate == 0;
        EraseUnprotected(5, reset, u' ');
        console::GotoRowCol(1, 1);
        SkipProtected(false);
        return;
    }
    ClearWithScrollBack();
}

void ClearToCharOp(TermOp, const TermOpParams& p) {
    const auto ch = static_cast<uint8_t>(p[0]);
    const char16_t c = H().ByteToUnicode(ch);
    if (ProtectedFields() != 0) {
        const bool reset = commands::Settings.Propagate == 0;
        EraseUnprotected(5, reset, c);
        console::GotoRowCol(1, 1);
        SkipProtected(false);
        return;
    }
    console::FillCellRect({1, Cols(), 1, Rows()},
                          console::MakeCell(c, ConsoleLayer.AttrColorMap[0]));
    console::GotoRowCol(1, 1);
}

void InsertLinesOp(TermOp, const TermOpParams& p) {
    console::InsertLines(std::min(Count(p), Rows()));
}

void DeleteLinesOp(TermOp, const TermOpParams& p) {
    console::DeleteLines(std::min(Count(p), Rows()));
}

void InsertLineHomeOp(TermOp, const TermOpParams&) {
    if (ProtectedFields() == 1) return;
    console::InsertLines(1);
    console::GotoRowCol(ConsoleLayer.CursorRow, 1);
}

void DeleteLineHomeOp(TermOp, const TermOpParams&) {
    if (ProtectedFields() == 1) return;
    console::DeleteLines(1);
    console::GotoRowCol(ConsoleLayer.CursorRow, 1);
}

void CursorPositionOp(TermOp, const TermOpParams& p) {
    if (H().GraphicsHandled(7)) return;
    const auto& l = ConsoleLayer;
    const int32_t col = Clamp64(p[1], 1, commands::Settings.ScreenColumns);
    int64_t row = std::max<int64_t>(1, p[0]);
    if (ScreenOperations.OriginMode) row = std::min<int64_t>(row + l.TopMargin - 1, l.BottomMargin);
    GotoInline(row, col);
    SkipProtectedWhenActive();
}

void CursorColumnRowOp(TermOp, const TermOpParams& p) {
    const int64_t row = p[1] > 48 ? static_cast<int64_t>(p[1]) - 48 : p[1];
    Goto(row, p[0]);
}

void CursorRowOp(TermOp op, const TermOpParams& p) {
    if (op == OpCursorRowIfSet && p[0] <= 0) return;
    Goto(p[0], ConsoleLayer.CursorCol);
}

void CursorColumnOp(TermOp op, const TermOpParams& p) {
    if (op == OpCursorColumnIfSet && p[0] <= 0) return;
    Goto(ConsoleLayer.CursorRow, p[0]);
}

void EraseScreenOp(TermOp op, const TermOpParams&) {
    const auto& l = ConsoleLayer;
    switch (op) {
        case OpEraseToEndOfScreenUnprotected:
            if (ProtectedFields() != 0) {
                EraseUnprotected(3, false, u' ');
                return;
            }
            [[fallthrough]];
        case OpEraseToEndOfScreen:
            if (l.CursorRow == 1 && l.CursorCol == 1 && PushToScrollBack()) {
                ClearWithScrollBack();
            } else {
                console::ClrEos();
            }
            break;
        case OpEraseToStartOfScreen:
            console::ClrBos();
            break;
        default:
            break;
    }
}

void EraseLineOp(TermOp op, const TermOpParams&) {
    switch (op) {
        case OpEraseToEndOfLineUnprotected:
        case OpEraseToEndOfField:
            if (ProtectedFields() != 0) {
                EraseUnprotected(op == OpEraseToEndOfLineUnprotected ? 0 : 6, false, u' ');
                return;
            }
            console::ClrEol();
            break;
        case OpEraseToEndOfLine:
            console::ClrEol();
            break;
        case OpEraseLine:
            console::ClrBol();
            console::ClrEol();
            break;
        case OpEraseToStartOfLine:
            console::ClrBol();
            break;
        default:
            break;
    }
}

void CursorRightWrapOp(TermOp, const TermOpParams& p) {
    if (p[0] == kLargest) return;
    const int64_t cells = static_cast<int64_t>(Rows()) * Cols();
    const int32_t n = BoundedRepeat(Count(p), cells + Cols(), Cols());
    for (int32_t i = 0; i < n; ++i) console::WriteCharCtl(6);
    SkipProtected(false);
}

void CursorForwardOp(TermOp, const TermOpParams& p) {
    const int64_t col = static_cast<int64_t>(ConsoleLayer.CursorCol) + CountMaxOne(p);
    Goto(ConsoleLayer.CursorRow, std::min<int64_t>(col, commands::Settings.ScreenColumns));
}

void ForwardIndexOp(TermOp, const TermOpParams&) {
    auto& l = ConsoleLayer;
    if (l.CursorCol < Cols()) {
        console::GotoRowCol(l.CursorRow, l.CursorCol + 1);
        return;
    }
    const int32_t row = l.CursorRow;
    console::GotoRowCol(row, 1);
    console::DeleteColumns(1);
    console::GotoRowCol(row, Cols());
}

void BackspaceOp(TermOp, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    if (l.CursorCol > Cols()) console::GotoRowCol(l.CursorRow, Cols());
    const int64_t cells = static_cast<int64_t>(Rows()) * Cols();
    const int32_t n = BoundedRepeat(Count(p), cells + Cols(), Cols());
    for (int32_t i = 0; i < n; ++i) console::WriteCharCtl(8);
    SkipProtected(true);
}

void CursorBackwardOp(TermOp, const TermOpParams& p) {
    // A DEC terminal's cursor at a pending wrap stands on the last column, so
    // a move back from there lands on the column before it.
    int64_t from = ConsoleLayer.CursorCol;
    if (EmulatorState.EmulationFamily == kEmulationVt) from = std::min<int64_t>(from, Cols());
    const int64_t col = from - Count(p);
    Goto(ConsoleLayer.CursorRow, std::max<int64_t>(col, 0));
}

void BackIndexOp(TermOp, const TermOpParams&) {
    auto& l = ConsoleLayer;
    if (l.CursorCol > 1) {
        console::GotoRowCol(l.CursorRow, std::min(l.CursorCol, Cols()) - 1);
        return;
    }
    console::InsertColumns(1);
}

void CursorUpOp(TermOp op, const TermOpParams& p) {
    const auto& l = ConsoleLayer;
    const int32_t stop = l.CursorRow >= l.TopMargin ? l.TopMargin : 1;
    const int64_t row = std::max<int64_t>(static_cast<int64_t>(l.CursorRow) - Count(p), stop);
    Goto(row, op == OpCursorPrecedingLine ? 1 : l.CursorCol);
}

void CursorUpWrapOp(TermOp, const TermOpParams&) {
    console::WriteCharCtl(26);
}

void CursorDownOp(TermOp, const TermOpParams& p) {
    const auto& l = ConsoleLayer;
    const int32_t n = std::min(Count(p), Rows());
    for (int32_t i = 0; i < n; ++i) {
        if (l.CursorRow == l.BottomMargin || l.CursorRow >= Rows()) break;
        CaptureControl(10);
        console::LineFeed();
    }
    SkipProtectedWhenActive();
}

void LineFeedOp(TermOp, const TermOpParams& p) {
    // Past twice the rows every line feed only scrolls blank lines in.
    const int32_t n = std::min(Count(p), 2 * Rows());
    for (int32_t i = 0; i < n; ++i) {
        CaptureControl(10);
        console::LineFeed();
    }
    // In new line mode the control bytes LF, VT and FF return the carriage
    // too; the index sequence ESC D does not.
    if (EmulatorState.NewLineMode && H().SequenceText().size() == 1)
        console::WriteCharCtl(13);
    SkipProtectedWhenActive();
}

void CursorHomeOp(TermOp op, const TermOpParams&) {
    console::GotoRowCol(op == OpCursorHomeDown ? Rows() : 1, 1);
}

void CarriageReturnOp(TermOp, const TermOpParams&) {
    console::WriteCharCtl(13);
    CaptureControl(13);
    if (commands::Settings.AutoLF != 0) console::LineFeed();
    SkipProtected(false);
}

void NextLineOp(TermOp, const TermOpParams& p) {
    const int32_t n = std::min(Count(p), 2 * Rows());
    for (int32_t i = 0; i < n; ++i) console::WriteString("\r\n");
    SkipProtected(false);
}

void SaveCursorOp(TermOp, const TermOpParams&) {
    const auto& l = ConsoleLayer;
    auto& s = ScreenOperations.SavedCursor;
    s.Column = static_cast<uint32_t>(l.CursorCol);
    s.Row = static_cast<uint32_t>(l.CursorRow);
    s.AttrSelection = static_cast<uint8_t>(l.AttrSelection);
    s.DirectAttr = l.DirectAttr;
    s.GL = EmulatorState.GL;
    std::copy_n(EmulatorState.GSlots, 4, s.GSlots);
    std::copy_n(EmulatorState.NationalSlots, 4, s.NationalSlots);
    s.GlSlot = EmulatorState.NationalExtra;
    s.GRSlot = EmulatorState.GRSlot;
    s.WrapStyle = EmulatorState.WrapStyle;
    s.OriginMode = ScreenOperations.OriginMode ? 1 : 0;
}

void RestoreCursorOp(TermOp, const TermOpParams&) {
    auto& l = ConsoleLayer;
    const auto& s = ScreenOperations.SavedCursor;
    Goto(s.Row, s.Column);
    l.AttrSelection = s.AttrSelection;
    l.DirectAttr = s.DirectAttr;
    EmulatorState.GL = s.GL;
    std::copy_n(s.GSlots, 4, EmulatorState.GSlots);
    std::copy_n(s.NationalSlots, 4, EmulatorState.NationalSlots);
    EmulatorState.NationalExtra = std::min<uint32_t>(s.GlSlot, 3);
    EmulatorState.GRSlot = std::min<uint32_t>(s.GRSlot, 3);
    EmulatorState.WrapStyle = std::min<uint8_t>(s.WrapStyle, kWrapDeferred);
    ScreenOperations.OriginMode = s.OriginMode != 0;
}

void SetScrollRegionOp(TermOp, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    const int32_t top = p[0] < 1 ? 1 : p[0];
    const int32_t bottom = p[1] < 1 ? Rows() : p[1];
    if (!(top < bottom && bottom <= Rows())) return;
    l.TopMargin = top;
    l.BottomMargin = bottom;
    if (ScreenOperations.OriginMode) {
        console::GotoRowCol(l.TopMargin, 1);
    } else {
        console::GotoRowCol(1, 1);
    }
    // Both side margins stay within the screen, whatever the host sent.
    const int32_t width = std::max(l.ScreenWidth, 1);
    if (p[2] != 127) l.LeftMargin = Clamp64(std::min(1, p[2]), 1, width);
    if (p[3] != 127) l.RightMargin = Clamp64(std::max(width, p[3]), 1, width);
}

void ScrollOp(TermOp op, const TermOpParams& p) {
    Scroll(op == OpScrollUp, Count(p));
}

void TabOp(TermOp op, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    auto& stops = Stops();
    switch (op) {
        case OpHorizontalTab: {
            const std::string_view seq = H().SequenceText();
            if (seq == "\t" && H().CaptureTab()) return;
            // After as many steps as there are columns the cursor rests on the last stop.
            const int32_t n = std::min(Count(p), Cols() + 1);
            for (int32_t i = 0; i < n; ++i) {
                DoPendingWrap();
                Goto(l.CursorRow, NextStop(l.CursorCol));
            }
            break;
        }
        case OpBackTab: {
            const int32_t n = std::min(Count(p), Cols() + 1);
            for (int32_t i = 0; i < n; ++i) Goto(l.CursorRow, PreviousStop(l.CursorCol));
            break;
        }
        case OpClearAllTabs:
            stops.fill(0);
            break;
        case OpClearTabAtCursor: {
            auto it = std::find(stops.begin(), stops.end(), l.CursorCol);
            if (it != stops.end()) {
                std::copy(it + 1, stops.end(), it);
                stops.back() = 0;
            }
            break;
        }
        case OpSetTabAtCursor: {
            const int32_t col = std::min(l.CursorCol, 255);
            auto it = std::find_if(stops.begin(), stops.end(),
                                   [col](uint8_t s) { return s == 0 || s >= col; });
            if (it == stops.end() || *it == col) break;
            std::copy_backward(it, stops.end() - 1, stops.end());
            *it = static_cast<uint8_t>(col);
            break;
        }
        case OpTabsEvery8:
            ResetTabStops(1, stops);
            break;
        default:
            break;
    }
}

void ReverseIndexOp(TermOp op, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    const int32_t n = std::min(Count(p), 2 * Rows());
    switch (op) {
        case OpReverseIndex:
            for (int32_t i = 0; i < n; ++i) ReverseIndexStep();
            break;
        case OpReverseIndexReturn:
            console::GotoRowCol(l.CursorRow, 1);
            ReverseIndexStep();
            break;
        case OpReverseLineFeed:
            for (int32_t i = 0; i < n; ++i) {
                if (l.CursorRow > 1) {
                    console::GotoRowCol(l.CursorRow - 1, l.CursorCol);
                    SkipProtected(true);
                } else if (l.ScrollOn) {
                    Scroll(false, 1);
                }
            }
            break;
        default:
            break;
    }
}

void ColumnsOp(TermOp op, const TermOpParams&) {
    auto& l = ConsoleLayer;
    const int32_t want = op == OpColumns132 ? 132 : 80;
    const bool changed = l.ScreenWidth != want;
    if (changed) H().SetScreenGeometry(op == OpColumns132 ? "132" : "80");
    FullMargins();
    const uint8_t rule =
        EmulatorState.CurrentTermFamily ? EmulatorState.CurrentTermFamily->ColumnChangeClear : 0;
    if (rule == 0 || (rule == 2 && changed)) console::ClrScr();
}

void RowsOp(TermOp op, const TermOpParams& p) {
    int32_t rows = 0;
    switch (op) {
        case OpRows24:
            rows = 24;
            break;
        case OpRows25:
            rows = 25;
            break;
        case OpRows42:
            rows = 42;
            break;
        case OpRows43:
            rows = 43;
            break;
        case OpCsiVerticalBar:
            if (Intermediate() != '*') return;
            rows = Clamp64(p[0], 1, console::kMaxScreenRows);
            break;
        default:
            return;
    }
    const std::string text =
        std::to_string(std::max(ConsoleLayer.ScreenWidth, 1)) + "x" + std::to_string(rows);
    if (H().SetScreenGeometry(text)) {
        commands::Settings.ScreenModeName.Assign(text);
    }
    FullMargins();
    if (op != OpCsiVerticalBar) ClearWithScrollBack();
}

void InsertCharactersOp(TermOp op, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    const int32_t cols = Cols();
    if (l.CursorCol > cols) return;
    const int32_t n = op == OpInsertCharacter ? 1 : std::min(Count(p), cols - l.CursorCol + 1);
    const int32_t row = l.CursorRow;
    const int32_t col = l.CursorCol;
    if (col + n <= cols) console::ShiftRowCells(row, col, cols - n, n);
    const uint8_t insert = commands::Settings.InsertMode;
    commands::Settings.InsertMode = 0;
    if (op == OpInsertCharacter) {
        const auto b = static_cast<uint8_t>(p[0]);
        const char16_t c = H().ByteToUnicode(b);
        console::WriteScreenChar(c);
    } else {
        console::WriteScreenStr(std::string(static_cast<size_t>(n), ' '), 0);
    }
    commands::Settings.InsertMode = insert;
    console::GotoRowCol(row, col);
}

void DeleteCharactersOp(TermOp, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    const int32_t cols = Cols();
    if (l.CursorCol > cols) return;
    const int32_t n = std::min(CountMaxOne(p), cols - l.CursorCol + 1);
    const int32_t row = l.CursorRow;
    const int32_t col = l.CursorCol;
    if (col + n <= cols) console::ShiftRowCells(row, col + n, cols, -n);
    console::GotoRowCol(row, cols - n + 1);
    console::EraseChars(n);
    console::GotoRowCol(row, col);
}

void ColumnOp(TermOp op, const TermOpParams&) {
    if (op == OpInsertColumn) {
        console::InsertColumns(1);
    } else {
        console::DeleteColumns(1);
    }
}

void BoxOp(TermOp op, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    const int32_t row = l.CursorRow;
    const int32_t cursorCol = l.CursorCol;
    const int32_t col = std::min(l.CursorCol, Cols());
    int64_t r2 = p[0];
    int64_t c2 = p[1];
    if (op == OpDrawBoxSize || op == OpDrawProtectedBoxSize) {
        // Width then height.
        r2 = static_cast<int64_t>(row) + p[1] - 1;
        c2 = static_cast<int64_t>(col) + p[0] - 1;
    }
    const int32_t rb = Clamp64(r2, 1, Rows());
    const int32_t cb = Clamp64(c2, 1, Cols());
    const console::CellRect rect{std::min(col, cb), std::max(col, cb), std::min(row, rb),
                                 std::max(row, rb)};
    if (op == OpFillRectangleTo) {
        const auto b = static_cast<uint8_t>(p[2] + 31);
        const char16_t c = H().ByteToUnicode(b);
        console::FillCellRect(rect, console::MakeCell(c, l.AttrColorMap[0]));
    } else {
        const uint8_t mode = l.ProtectMode;
        if (op == OpDrawProtectedBoxTo || op == OpDrawProtectedBoxSize) l.ProtectMode = 1;
        H().DrawFrameBox(rect);
        l.ProtectMode = mode;
    }
    console::GotoRowCol(row, cursorCol);
}

void EraseCharactersOp(TermOp, const TermOpParams& p) {
    console::EraseChars(std::min(Count(p), Cols()));
}

void RepeatCharacterOp(TermOp, const TermOpParams& p) {
    uint8_t ch;
    int32_t count;
    if (EmulatorState.EmulationFamily == kEmulationScoAnsi) {
        ch = static_cast<uint8_t>(p[0]);
        count = p[1];
    } else {
        ch = H().LastGraphicChar();
        count = p[0];
    }
    if (count < 1) count = 1;
    // Past a screenful plus a line the screen only scrolls more of the same
    // character in; keep the remainder so the cursor ends where it would.
    const int64_t cells = static_cast<int64_t>(Rows()) * Cols();
    WriteRepeated(ch, BoundedRepeat(count, cells + Cols(), Cols()));
}

void OriginModeOp(TermOp op, const TermOpParams&) {
    ScreenOperations.OriginMode = op == OpOriginModeOn;
    console::GotoRowCol(op == OpOriginModeOn ? Clamp64(ConsoleLayer.TopMargin, 1, Rows()) : 1, 1);
}

void ScreenAlignmentOp(TermOp, const TermOpParams&) {
    console::FillCellRect({1, Cols(), 1, Rows()},
                          console::MakeCell(u'E', ConsoleLayer.AttrColorMap[0]));
    console::GotoRowCol(1, 1);
}

void RectangleOp(TermOp op, const TermOpParams& p) {
    const uint8_t mid = Intermediate();
    if (op == OpCsiX && mid == '*') {
        EmulatorState.StreamExtent = p[0] != 2;
        return;
    }
    if (mid != '$') return;
    const auto& l = ConsoleLayer;
    auto edge = [](int32_t v, int32_t whole) { return v == 0 ? whole : Clamp64(v, 1, whole); };
    if (op == OpCsiX) {
        const console::CellRect rect{edge(p[2], Cols()), edge(p[4], Cols()), edge(p[1], Rows()),
                                     edge(p[3], Rows())};
        const auto b = static_cast<uint8_t>(p[0]);
        const char16_t c = H().ByteToUnicode(b);
        console::FillCellRect(rect, console::MakeCell(c, console::CurrentAttr()));
    } else if (op == OpCsiZ) {
        const console::CellRect rect{edge(p[1], Cols()), edge(p[3], Cols()), edge(p[0], Rows()),
                                     edge(p[2], Rows())};
        console::FillCellRect(rect, console::MakeCell(u' ', l.AttrColorMap[0]));
    }
}

void ScoResetOp(TermOp, const TermOpParams&) {
    auto& l = ConsoleLayer;
    console::GotoRowCol(1, 1);
    FullMargins();
    EmulatorState.SgrReverse = EmulatorState.SgrBlink = EmulatorState.SgrBold = false;
    EmulatorState.SgrUnderline = EmulatorState.SgrDim = false;
    l.DirectAttr = l.AttrColorMap[0];
    if (!(H().GraphicsHandled(0))) ClearWithScrollBack();
    ResetTabStops(1, Stops());
}

void EraseInMarginsOp(TermOp, const TermOpParams& p) {
    const auto& l = ConsoleLayer;
    const int32_t row = l.CursorRow;
    const int32_t col = l.CursorCol;
    const int32_t top = Clamp64(l.TopMargin, 1, Rows());
    const int32_t bottom = Clamp64(l.BottomMargin, top, Rows());
    const int32_t left = Clamp64(l.LeftMargin, 1, Cols());
    const int32_t right = Clamp64(l.RightMargin, left, Cols());
    if (row < top || row > bottom || col < left || col > right) return;
    const uint32_t blank = console::BlankCell();
    switch (p[0]) {
        case 0:
            console::FillCellRect({col, right, row, row}, blank);
            if (row < bottom) console::FillCellRect({left, right, row + 1, bottom}, blank);
            break;
        case 1:
            if (row > top) console::FillCellRect({left, right, top, row - 1}, blank);
            console::FillCellRect({left, col, row, row}, blank);
            break;
        case 2:
            console::FillCellRect({left, right, top, bottom}, blank);
            break;
        default:
            break;
    }
    console::GotoRowCol(row, col);
}

void MarginsOp(TermOp op, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    const int32_t width = std::max(l.ScreenWidth, 1);
    switch (op) {
        case OpMarginsRow:
            l.TopMargin = Clamp64(l.CursorRow, 1, Rows());
            l.BottomMargin = Rows();
            break;
        case OpMarginsFull:
        case OpScoMarginsFull:
            FullMargins();
            break;
        case OpSetOneMargin:
            switch (p[0]) {
                case 0:
                    l.TopMargin = Clamp64(p[1], 1, Rows());
                    break;
                case 1:
                    l.BottomMargin = Clamp64(p[1], 1, Rows());
                    break;
                case 2:
                    l.LeftMargin = Clamp64(p[1], 1, width);
                    break;
                case 3:
                    l.RightMargin = Clamp64(p[1], 1, width);
                    break;
                default:
                    break;
            }
            break;
        case OpScoClearHome:
            ClearWithScrollBack();
            console::GotoRowCol(1, 1);
            break;
        default:
            break;
    }
}

namespace {

constexpr TermOpBinding kBindings[] = {
    {OpClearScreen, ClearScreenOp},
    {OpClearUnprotected, ClearUnprotectedOp},
    {OpClearToChar, ClearToCharOp},
    {OpInsertLines, InsertLinesOp},
    {OpInsertLineHome, InsertLineHomeOp},
    {OpDeleteLines, DeleteLinesOp},
    {OpDeleteLineHome, DeleteLineHomeOp},
    {OpCursorPosition, CursorPositionOp},
    {OpCursorColumnRow, CursorColumnRowOp},
    {OpCursorRowAbsolute, CursorRowOp},
    {OpCursorRowIfSet, CursorRowOp},
    {OpCursorColumnAbsolute, CursorColumnOp},
    {OpCursorColumnIfSet, CursorColumnOp},
    {OpEraseToEndOfScreen, EraseScreenOp},
    {OpEraseToEndOfScreenUnprotected, EraseScreenOp},
    {OpEraseToEndOfLine, EraseLineOp},
    {OpEraseLine, EraseLineOp},
    {OpEraseToEndOfLineUnprotected, EraseLineOp},
    {OpEraseToEndOfField, EraseLineOp},
    {OpEraseToStartOfLine, EraseLineOp},
    {OpCursorRightWrap, CursorRightWrapOp},
    {OpCursorForward, CursorForwardOp},
    {OpForwardIndex, ForwardIndexOp},
    {OpBackspace, BackspaceOp},
    {OpCursorBackward, CursorBackwardOp},
    {OpBackIndex, BackIndexOp},
    {OpCursorUp, CursorUpOp},
    {OpCursorUpWrap, CursorUpWrapOp},
    {OpCursorDown, CursorDownOp},
    {OpLineFeed, LineFeedOp},
    {OpCursorHome, CursorHomeOp},
    {OpCursorHomeDown, CursorHomeOp},
    {OpCarriageReturn, CarriageReturnOp},
    {OpNextLine, NextLineOp},
    {OpCursorPrecedingLine, CursorUpOp},
    {OpSaveCursor, SaveCursorOp},
    {OpRestoreCursor, RestoreCursorOp},
    {OpSetScrollRegion, SetScrollRegionOp},
    {OpScrollUp, ScrollOp},
    {OpScrollDown, ScrollOp},
    {OpHorizontalTab, TabOp},
    {OpBackTab, TabOp},
    {OpClearAllTabs, TabOp},
    {OpClearTabAtCursor, TabOp},
    {OpSetTabAtCursor, TabOp},
    {OpTabsEvery8, TabOp},
    {OpReverseIndex, ReverseIndexOp},
    {OpReverseLineFeed, ReverseIndexOp},
    {OpColumns132, ColumnsOp},
    {OpColumns80, ColumnsOp},
    {OpInsertCharacters, InsertCharactersOp},
    {OpInsertColumn, ColumnOp},
    {OpDeleteCharacters, DeleteCharactersOp},
    {OpDeleteColumn, ColumnOp},
    {OpDrawBoxTo, BoxOp},
    {OpDrawProtectedBoxTo, BoxOp},
    {OpDrawBoxSize, BoxOp},
    {OpDrawProtectedBoxSize, BoxOp},
    {OpFillRectangleTo, BoxOp},
    {OpEraseCharacters, EraseCharactersOp},
    {OpRepeatCharacter, RepeatCharacterOp},
    {OpClearScreenKeepCursor, ClearScreenOp},
    {OpEraseToStartOfScreen, EraseScreenOp},
    {OpOriginModeOn, OriginModeOp},
    {OpOriginModeOff, OriginModeOp},
    {OpInsertCharacter, InsertCharactersOp},
    {OpRows24, RowsOp},
    {OpRows25, RowsOp},
    {OpRows42, RowsOp},
    {OpRows43, RowsOp},
    {OpScreenAlignment, ScreenAlignmentOp},
    {OpCsiX, RectangleOp},
    {OpCsiZ, RectangleOp},
    {OpScoReset, ScoResetOp},
    {OpEraseInMargins, EraseInMarginsOp},
    {OpReverseIndexReturn, ReverseIndexOp},
    {OpMarginsRow, MarginsOp},
    {OpMarginsFull, MarginsOp},
    {OpScoClearHome, MarginsOp},
    {OpSetOneMargin, MarginsOp},
    {OpScoMarginsFull, MarginsOp},
    {OpLinuxReset, ScoResetOp},
    {OpCsiVerticalBar, RowsOp},
};

}  // namespace

std::span<const TermOpBinding> ScreenOperationBindings() {
    return kBindings;
}

}  // namespace emulation
