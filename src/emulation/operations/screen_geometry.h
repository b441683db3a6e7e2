#pragma once
// The screen's geometry as a whole: applying a geometry text ("132",
// "80x43") to the window and the terminal screen ring, re-flowing the ring to
// a new column count, and drawing frame boxes over the screen.

#include <cstdint>
#include <string_view>

#include "console/console_primitives.h"

namespace emulation {

// Applies "80", "132" or columns X text rows (any letter case): the window
// gets the columns and the text rows plus the status row, the ring the
// columns. False, with nothing changed, for a text of another form, fewer
// than 80 columns, or a size the window or the ring cannot hold.
bool SetScreenGeometry(std::string_view text);

// Lays the ring out in n columns: the lines that end at the screen's last
// row survive, newest last, each cut or padded with blanks; the screen is
// redrawn.
void SetScreenColumns(int32_t n);

// Draws a single-line frame on the rectangle's edges in the colour selection
// kept by the saved cursor state; the right edge only when it lies on the
// screen, the bottom edge only when it lies above the status row. False for
// a rectangle without inside.
bool DrawFrameBox(const console::CellRect& rect);

}  // namespace emulation
