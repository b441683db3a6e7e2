#pragma once
// The terminal operations that move the cursor, erase, insert and delete,
// scroll, set margins and tab stops, change the screen size and fill
// rectangles. Every screen change goes through the console primitives.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "console/console_primitives.h"
#include "emulation/parser/recogniser.h"
#include "emulation/types/family_tables.h"

namespace emulation {

// One operation code and the function that runs it.
struct TermOpBinding {
    TermOp Op;
    void (*Handler)(TermOp op, const TermOpParams& params);
};

// What these operations need from units they do not own. Every hook may be
// left empty; the comment says what happens then.
// What the screen operations do while no unit fills a hook: each answers as
// the operations did before that unit existed.
std::string_view NoSequenceText();
bool NoGraphicsHandled(TermOp op);
bool NoGeometryChange(std::string_view text);
bool NoFrameBoxDrawing(const console::CellRect& rect);
void ConsoleWriteRepeatedChar(uint8_t ch, int32_t count);
uint8_t NoLastGraphicChar();
char16_t Latin1ByteToUnicode(uint8_t byte);
uint8_t ConsoleProtectedFields();
void ConsoleSkipProtected(bool backward);
void ConsoleEraseUnprotected(uint8_t mode, bool reset, char16_t ch);
void NoCaptureControl(uint8_t control);
bool NoCaptureTab();

struct ScreenOperationHooks {
    // The recognised sequence of the running operation (for the byte before
    // the final byte); null: no such byte.
    std::string_view (*SequenceText)() = NoSequenceText;
    // Graphics mode is on and has handled the operation itself (0 clears the
    // graphics screen, 7 resets the graphics text cursor); null: never.
    bool (*GraphicsHandled)(TermOp op) = NoGraphicsHandled;
    // Applies a screen geometry text ("132", "80x43"); null: never applies.
    bool (*SetScreenGeometry)(std::string_view text) = NoGeometryChange;
    // Draws a frame box over the rectangle; null: nothing drawn.
    bool (*DrawFrameBox)(const console::CellRect& rect) = NoFrameBoxDrawing;
    // Writes a received byte count times with the emulator's margin, insert,
    // protect and wrap handling; null: the console writer.
    void (*WriteRepeatedChar)(uint8_t ch, int32_t count) = ConsoleWriteRepeatedChar;
    // The last graphic character written; null: a blank.
    uint8_t (*LastGraphicChar)() = NoLastGraphicChar;
    // The character a byte shows in the current GL (byte < 128) or GR;
    // null: the byte's own Latin-1 character.
    char16_t (*ByteToUnicode)(uint8_t byte) = Latin1ByteToUnicode;
    // Protected fields: 0 off, 1 active, 2 active of the TV965 kind; null:
    // the console layer's ProtectedFields.
    uint8_t (*ProtectedFields)() = ConsoleProtectedFields;
    // Moves the cursor off protected cells; null: console::SkipProtected.
    void (*SkipProtected)(bool backward) = ConsoleSkipProtected;
    // Erases the unprotected cells of an area (console EraseUnprotected modes
    // 0-6) to ch, with entry 0 when reset; null: console::EraseUnprotected.
    void (*EraseUnprotected)(uint8_t mode, bool reset, char16_t ch) = ConsoleEraseUnprotected;
    // The capture unit sees a CR, LF or line end (its settings decide what is
    // stored); null: nothing captured.
    void (*CaptureControl)(uint8_t control) = NoCaptureControl;
    // The capture unit takes a single HT itself when capturing (true);
    // null: never.
    bool (*CaptureTab)() = NoCaptureTab;
};

// The one saved cursor record (operations 65 and 66).
struct SavedCursorRecord {
    uint32_t Column = 1;
    uint32_t Row = 1;
    uint8_t AttrSelection = 0;
    uint16_t DirectAttr = 0;
    uint8_t GL = 0;
    uint8_t GSlots[4] = {};
    uint8_t NationalSlots[4] = {};
    uint32_t GlSlot = 0;
    uint32_t GRSlot = 2;
    uint8_t WrapStyle = 0;
    uint8_t OriginMode = 0;
};

struct ScreenOperationsState {
    bool OriginMode = false;
    SavedCursorRecord SavedCursor;
    ScreenOperationHooks Hooks;
};

extern ScreenOperationsState ScreenOperations;
// Back to the start-up state; the hooks are kept.
void ResetScreenOperations();

// The operations of this unit with their codes.
std::span<const TermOpBinding> ScreenOperationBindings();
// Registers every binding with the executor.
void RegisterScreenOperations();

// A loop count that leaves the screen as count iterations would, but at most
// floor + period - 1: past floor iterations the screen repeats with period.
int32_t BoundedRepeat(int64_t count, int64_t floor, int64_t period);

// The operations (each takes the recogniser's parameters).
void ClearScreenOp(TermOp op, const TermOpParams& p);
void ClearUnprotectedOp(TermOp op, const TermOpParams& p);
void ClearToCharOp(TermOp op, const TermOpParams& p);
void InsertLinesOp(TermOp op, const TermOpParams& p);
void InsertLineHomeOp(TermOp op, const TermOpParams& p);
void DeleteLinesOp(TermOp op, const TermOpParams& p);
void DeleteLineHomeOp(TermOp op, const TermOpParams& p);
void CursorPositionOp(TermOp op, const TermOpParams& p);
void CursorColumnRowOp(TermOp op, const TermOpParams& p);
void CursorRowOp(TermOp op, const TermOpParams& p);
void CursorColumnOp(TermOp op, const TermOpParams& p);
void EraseScreenOp(TermOp op, const TermOpParams& p);
void EraseLineOp(TermOp op, const TermOpParams& p);
void CursorRightWrapOp(TermOp op, const TermOpParams& p);
void CursorForwardOp(TermOp op, const TermOpParams& p);
void ForwardIndexOp(TermOp op, const TermOpParams& p);
void BackspaceOp(TermOp op, const TermOpParams& p);
void CursorBackwardOp(TermOp op, const TermOpParams& p);
void BackIndexOp(TermOp op, const TermOpParams& p);
void CursorUpOp(TermOp op, const TermOpParams& p);
void CursorUpWrapOp(TermOp op, const TermOpParams& p);
void CursorDownOp(TermOp op, const TermOpParams& p);
void LineFeedOp(TermOp op, const TermOpParams& p);
void CursorHomeOp(TermOp op, const TermOpParams& p);
void CarriageReturnOp(TermOp op, const TermOpParams& p);
void NextLineOp(TermOp op, const TermOpParams& p);
void SaveCursorOp(TermOp op, const TermOpParams& p);
void RestoreCursorOp(TermOp op, const TermOpParams& p);
void SetScrollRegionOp(TermOp op, const TermOpParams& p);
void ScrollOp(TermOp op, const TermOpParams& p);
void TabOp(TermOp op, const TermOpParams& p);
void ReverseIndexOp(TermOp op, const TermOpParams& p);
void ColumnsOp(TermOp op, const TermOpParams& p);
void InsertCharactersOp(TermOp op, const TermOpParams& p);
void ColumnOp(TermOp op, const TermOpParams& p);
void DeleteCharactersOp(TermOp op, const TermOpParams& p);
void BoxOp(TermOp op, const TermOpParams& p);
void EraseCharactersOp(TermOp op, const TermOpParams& p);
void RepeatCharacterOp(TermOp op, const TermOpParams& p);
void OriginModeOp(TermOp op, const TermOpParams& p);
void RowsOp(TermOp op, const TermOpParams& p);
void ScreenAlignmentOp(TermOp op, const TermOpParams& p);
void RectangleOp(TermOp op, const TermOpParams& p);
void ScoResetOp(TermOp op, const TermOpParams& p);
void EraseInMarginsOp(TermOp op, const TermOpParams& p);
void MarginsOp(TermOp op, const TermOpParams& p);

}  // namespace emulation
