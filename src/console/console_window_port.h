#pragma once

#include <cstdint>

namespace platform {

// What the screen buffer and the console primitives need from the terminal window.
// Coordinates are 0-based buffer cells (column, row) of the window's display buffer;
// rectangles are inclusive. The Win32 window implements it; native tests use a
// recording fake.
class ConsoleWindowPort {
  public:
    virtual ~ConsoleWindowPort() = default;

    // Creates the window on first use; true when it exists afterwards.
    virtual bool EnsureWindow() = 0;
    virtual bool WindowExists() = 0;

    // A shown mouse selection is inverted back and forgotten before any write.
    virtual void RemoveSelection() = 0;

    // Marks cells for the next paint. A col2 at or past the last column means
    // "to the right edge of the client area" (the widths of the row changed).
    virtual void InvalidateCells(int32_t col1, int32_t col2, int32_t row1, int32_t row2) = 0;
    virtual void InvalidateWindow() = 0;
    // Paints whatever is invalid now.
    virtual void UpdateWindow() = 0;

    // The pixels of the area move by dx columns and dy rows (clipped to the area);
    // with a background picture the window only invalidates the area instead.
    virtual void ScrollCellPixels(int32_t left, int32_t right, int32_t top, int32_t bottom,
                                  int32_t dx, int32_t dy) = 0;

    // Draws cells col1..col2 of a row at once instead of waiting for a paint.
    virtual void DrawRowNow(int32_t row, int32_t col1, int32_t col2) = 0;

    // The window cursor moved: the caret follows.
    virtual void CursorMoved() = 0;
    // The view scrolls so that the window cursor is visible.
    virtual void TrackCursorView() = 0;
    // The scroll bars are set again for the current maxima.
    virtual void ResetScrollBars() = 0;

    // The buffer took a new size; the window lays itself out again and reports the
    // text area (the rows above the status row) to the connection.
    virtual void ScreenSizeChanged(int32_t cols, int32_t textRows) = 0;

    // The system message beep of a type, or a tone of a frequency for a time.
    virtual void MessageBeep(uint32_t type) = 0;
    virtual void Tone(uint32_t hertz, uint32_t milliseconds) = 0;
};

}  // namespace platform
