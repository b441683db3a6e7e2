#pragma once
// GDI painting of the terminal window: WM_PAINT, cells drawn at once, the
// program's own caret, view scrolling, and the window as the screen buffer's
// ConsoleWindowPort.
#include <windows.h>

#include <cstdint>

#include "console/console_window_port.h"

namespace console {

// WM_PAINT.
void PaintWindow(HWND window);
// Marks cells col1..col2, row1..row2 (0-based) for the next paint.
void InvalidateCells(int32_t col1, int32_t col2, int32_t row1, int32_t row2);
// Hands the cells marked since the last call to the window system; every
// message pump calls it first, so a paint always sees them.
void FlushInvalidCells();
// Timer 2 and WM_CURSORMOVED: draws the caret, or erases a drawn one.
void ToggleSoftCaret();
void RemoveCaretAndUpdate();
// WM_CURSORMOVED: the caret goes to the window cursor.
void CaretFollowsCursor();
void HideSystemCaret();
void DestroySystemCaret();
// Moves the view (clamped) and scrolls the client area with it.
void ScrollViewTo(HWND window, int32_t col, int32_t row);
void TrackCursorView();

// A device context of the window with the screen font selected; inside WM_PAINT
// it comes from BeginPaint.
HDC AcquireWindowDC(HWND window, PAINTSTRUCT* paint);
void ReleaseWindowDC(HWND window, HDC dc, PAINTSTRUCT* paint);

// The terminal window behind the screen buffer's calls.
platform::ConsoleWindowPort& Win32ConsoleWindowPort();

}  // namespace console
