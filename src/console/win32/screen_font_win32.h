#pragma once
// The terminal window's screen font and layout as the window uses them: the
// font selected into every device context of the window, fitting the window
// around the cells, and the layout after a resize.
#include <windows.h>

#include <cstdint>
#include <string>

namespace console {

struct ScreenFontUnitState {
    HFONT ScreenFont = nullptr;
    std::wstring FontFace;  // the face actually made
};
extern ScreenFontUnitState ScreenFontUnit;

// Makes the screen font from the settings (face ScreenFontName, FontCellSize entry 0)
// and measures it into the cell metrics; false when no font could be made.
bool CreateScreenFont();
// Deletes the screen font; false when the system refused.
bool DeleteScreenFont();
// Sizes the window around Cols x Rows cells with the margins.
void FitWindowToScreen(HWND window);
// WM_SIZE.
void WindowSized(HWND window, int32_t width, int32_t height, bool maximised);
// WM_RELAYOUT: the view limits and the scroll bars.
void RelayoutWindow(HWND window);
// Each bar shown with range 0..max and the view position when max is above 0.
void ShowScrollBars(HWND window, int32_t maxCol, int32_t maxRow);
// WM_HSCROLL (bar 0) and WM_VSCROLL (bar 1).
void ScrollBarMessage(HWND window, int bar, int code, int position);

}  // namespace console
