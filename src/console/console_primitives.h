#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "console/console_settings.h"
#include "console/screen_buffer.h"

// The console layer: everything that puts text on the terminal screen goes through
// these primitives, which keep the terminal screen ring and the window's display
// buffer in step. Coordinates are 1-based (row 1 the top text row).
namespace console {

// A screen cell: the character in the low half, its attribute word in the high half.
constexpr uint32_t MakeCell(char16_t ch, CellAttribute attr) {
    return static_cast<uint32_t>(ch) | (static_cast<uint32_t>(attr) << 16);
}
constexpr char16_t CellChar(uint32_t cell) {
    return static_cast<char16_t>(cell & 0xFFFF);
}
constexpr CellAttribute CellAttr(uint32_t cell) {
    return static_cast<CellAttribute>(cell >> 16);
}

// Bits of the flags byte kept beside every ring cell.
constexpr uint8_t kCellProtected = 0x01;
constexpr uint8_t kCellFieldStart = 0x02;

constexpr int32_t kSelectionInherit = 254;
constexpr int32_t kSelectionDirect = 255;

// The ring of lines of cells whose lines before TopLine are the scroll-back.
struct TermScreenRingState {
    std::vector<uint32_t> Cells;
    std::vector<uint8_t> Flags;
    int32_t BufferBytes = 0;
    // Cells per line as the storage was laid out; equals the ScreenColumns setting
    // except while direct write or a re-flow changes the setting.
    int32_t Width = 80;
    int32_t LineCount = 0;
    int32_t TopLine = 0;
    int32_t ViewLeftColumn = 0;
    // A ring column c is shown when ViewLeftColumn < c < ViewRightLimit.
    int32_t ViewRightLimit = 81;
};

extern TermScreenRingState TermScreenRing;

struct CellRect {
    int32_t Left = 0;
    int32_t Right = 0;
    int32_t Top = 0;
    int32_t Bottom = 0;
};

// Calls into units that the console layer reads but does not own.
// The do-nothing answers the slots below start with: no input waits, and
// there is nothing to flush or leave.
bool NoCommInputReady(int32_t count);
void NoConsoleLayerWork();

// Every slot is filled from the start, so callers never test one for null.
struct ConsoleLayerHooks {
    // More than count received bytes are waiting.
    bool (*CommInputReady)(int32_t count) = NoCommInputReady;
    // The capture file's pending line is written out.
    void (*FlushCaptureLine)() = NoConsoleLayerWork;
    // Graphics mode is left when it is active.
    void (*GraphicsLeave)() = NoConsoleLayerWork;
};

struct MouseReportEvents {
    bool LeftPress = false;
    bool LeftRelease = false;
    bool RightPress = false;
    bool RightRelease = false;
    bool MiddlePress = false;
    bool MiddleRelease = false;
};

struct ConsoleLayerState {
    // Screen geometry, shared with the window buffer and the screen pages.
    int32_t ScreenRows = 24;
    int32_t StatusRow = 25;
    int32_t ScreenWidth = 80;
    int32_t LastRow = 25;

    int32_t CursorRow = 1;
    int32_t CursorCol = 1;  // may be Columns + 1, the pending-wrap position
    bool CursorVisible = true;
    int32_t AttrSelection = 0;
    std::array<CellAttribute, 16> AttrColorMap = {15, 7, 143, 135, 120, 1,   248, 240,
                                                  9,  1, 137, 129, 121, 113, 249, 241};
    CellAttribute DirectAttr = 15;
    uint8_t ProtectMode = 0;
    uint8_t ProtectAttrIndex = 0;
    // Protected fields: 0 off, 1 active, 2 active of the TV965 kind.
    uint8_t ProtectedFields = 0;
    bool EraseInCurrentAttr = false;
    uint8_t StatusAttr = 120;  // status line attribute byte (low byte of entry 4)
    bool StatusMode = false;
    // The host has taken the status line over.
    bool HostStatusActive = false;
    bool DirectWrite = false;
    bool CaretPending = false;
    int32_t CaretHold = 0;
    int32_t PendingScrollLines = 0;
    bool AttrCursorShown = false;
    int32_t AttrCursorRow = 0;  // window cell of the reverse-video cursor, 0-based
    int32_t AttrCursorCol = 0;
    CellAttribute AttrCursorSaved = 0;

    // The emulator's scrolling region and scrolling flags, read here.
    int32_t TopMargin = 1;
    int32_t BottomMargin = 24;
    int32_t LeftMargin = 1;
    int32_t RightMargin = 80;
    bool ScrollOn = true;
    bool ScrollBackOff = false;

    // Mouse reports the host asked for: 0 off, 1 short reports, 2 button reports.
    uint8_t MouseReporting = 0;

    // What direct write saved.
    int32_t SavedViewLeftColumn = 0;
    uint8_t SavedScreenColumns = 80;
    std::array<int32_t, 4> SavedMargins{};

    // The one saved cursor state.
    int32_t SavedCursorRow = 1;
    int32_t SavedCursorCol = 1;
    int32_t SavedAttrSelection = 0;
    bool SavedCursorVisible = true;

    // The events short mouse reports cover, and the cell of the last report.
    MouseReportEvents MouseEvents;
    uint8_t MouseLastCol = 0;
    uint8_t MouseLastRow = 0;

    ConsoleLayerHooks Hooks;
};

extern ConsoleLayerState ConsoleLayer;

// Back to the start-up state (the ring is freed).
void ResetConsoleLayer();

// Lays out a blank ring of at least bytes for lines of width cells, with room for
// at least every screen row; false when memory runs out (the old ring stays).
bool AllocTermScreenRing(int32_t bytes, int32_t width);
// The ring is laid out consistently and can be addressed.
inline bool TermScreenRingUsable() {
    const auto& r = TermScreenRing;
    if (r.Width < 1 || r.LineCount < 1) return false;
    auto cells = static_cast<size_t>(r.Width) * static_cast<size_t>(r.LineCount);
    return r.Cells.size() >= cells && r.Flags.size() >= cells;
}
// 0-based index of cell (row, column); rows and columns are brought into the ring.
int32_t CellIndex(int32_t row, int32_t column);
// The ring column count that cursor moves and wraps use (the ScreenColumns setting).
inline int32_t Columns() {
    return ScreenColumnsSetting() < 1 ? 1 : ScreenColumnsSetting();
}

void WriteString(std::string_view text);
void WriteCharCtl(uint8_t byte);
void WriteScreenStr(std::string_view bytes, uint32_t codePage);
void WriteScreenChar(char16_t ch);
// Characters already converted, one cell each, as WriteScreenChar would write
// them one by one outside the inherited colour selection (254), at once.
void WriteScreenUnits(std::u16string_view text);
void WriteWideAttr(std::u16string_view text, uint8_t attr);
void WriteWideCharAttr(char16_t ch, uint8_t attr);
void GotoRowCol(int32_t row, int32_t column);
void ClampCursor();
void PlaceCaret();
void LineFeed();
void WrapIfPastEnd();
void ScrollScreenUp();
int32_t AdvanceScreenRing();
void RedrawScreen();
void ScrollWindowUp();
uint32_t BlankCell();
CellAttribute CurrentAttr();
void ClrEol();
void ClrEolKeepCursor();
void ClrBol();
void EraseChars(int32_t n);
void ClrScr();
void ClrEos();
void ClrBos();
void FillCellRect(const CellRect& rect, uint32_t cell);
void InsertLines(int32_t n);
void DeleteLines(int32_t n);
void InsertLinesUnprotected(int32_t n);
void DeleteLinesUnprotected(int32_t n);
void InsertColumns(int32_t n);
void DeleteColumns(int32_t n);
// Moves ring cells c1..c2 of a row by n columns (the uncovered cells are the caller's).
void ShiftRowCells(int32_t row, int32_t c1, int32_t c2, int32_t n);
// Copies up to count cells of a row from column on; returns how many were copied
// (the rest of dest is filled with blank cells).
int32_t ReadCells(int32_t row, int32_t column, int32_t count, uint32_t* dest);
int32_t WriteCells(int32_t row, int32_t column, int32_t count, const uint32_t* source);
void BeginDirectWrite();
void EndDirectWrite();
void SaveCursorState();
void RestoreCursorState();
void SetAttrCursorMode(bool on);
void ShowAttrCursor(int32_t row, int32_t windowCol);
void HideAttrCursor();
void NextCellPos(int32_t& row, int32_t& column);
void BeepTone(uint32_t value);
// The next field mark in reading order from (row, column) to the end of the screen.
bool FindFieldMark(int32_t row, int32_t column, int32_t& foundRow, int32_t& foundColumn);
// A filler cell follows this character (double width by the settings).
bool NeedsFillerCell(char16_t ch);

}  // namespace console
