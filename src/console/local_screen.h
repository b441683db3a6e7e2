#pragma once
// Local screens: private rings the command language draws full-screen
// displays on without touching the host's screen. Host output meanwhile goes
// to the private ring.

#include <cstddef>
#include <cstdint>

#include "console/console_primitives.h"

namespace console {

// Switches the console to a private blank ring of at least minBytes (and a
// screen's worth); an open local screen is used again and counted, so that
// only the outermost close returns to the host's ring.
void OpenLocalScreen(int32_t minBytes);
// Returns to the ring the outermost open saved, and redraws the window.
void CloseLocalScreen();
bool LocalScreenActive();
// The width (ScreenColumns) the host's screen had when the local screen
// opened; 0 without one.
int32_t LocalScreenSavedColumns();
// Forgets every level and what it saved, saved areas too (the console's
// own reset).
void ResetLocalScreen();

// Saved areas of the screen, last in first out: the cells of a rectangle
// (1-based, clipped to the screen) are kept until PopScreenRect writes them
// back. A rectangle whose last row is above its first saves nothing and
// still counts. False when memory runs out.
bool PushScreenRect(const CellRect& rect);
// Puts the last saved area back and redraws (unless writing directly);
// nothing when none is saved.
void PopScreenRect();
// Saved areas not yet put back.
size_t SavedScreenRectCount();

}  // namespace console
