#pragma once
// The terminal window's screen font and layout as the window uses them: the
// font selected into every device context of the window, its sizes and the
// FONT command, fitting the window around the cells, the layout after a resize
// or when maximised, and what glyph drawing keeps of the font.
#include <windows.h>

#include <cstdint>
#include <string>

namespace console {

struct ScreenFontUnitState {
    HFONT ScreenFont = nullptr;
    std::wstring FontFace;  // the face actually made
    bool FontBold = false;
    bool TrueTypeFont = false;
    int32_t LineHeight = 0;
    int32_t ZoomCellHeight = 12;
    int32_t FontAscent = 0;
    int32_t FontCharset = 0;
    bool Maximised = false;  // as the last WM_SIZE said
};
extern ScreenFontUnitState ScreenFontUnit;

// Makes the screen font from the settings (face ScreenFontName, FontCellSize of
// the mode, bold from FontOption) and measures it into the cell metrics; false
// when no font could be made.
bool CreateScreenFont();
// Deletes the screen font and the fallback fonts made from it; false when the
// system refused.
bool DeleteScreenFont();
// The FONT command: up to three words (a size "H" or "HxW", LARGER, SMALLER,
// BOLD, a face); false when a size does not parse or no font could be made.
bool SetTerminalFont(HWND window, const std::string& word1, const std::string& word2,
                     const std::string& word3);
// Fills FontSizeTable for the current face.
void BuildFontSizeTable();
// Reads the selected font's metrics into the cell size.
void MeasureScreenFont();
// Sizes the window around Cols x Rows cells with the margins.
void FitWindowToScreen(HWND window);
// WM_SIZE.
void WindowSized(HWND window, int32_t width, int32_t height, bool maximised);
// WM_RELAYOUT: the view limits and the scroll bars.
void RelayoutWindow(HWND window);
// Each bar shown with range 0..max and the view position when max is above 0.
void ShowScrollBars(HWND window, int32_t maxCol, int32_t maxRow);
// WM_HSCROLL (bar 0) and WM_VSCROLL (bar 1); beside the view scrolling it ends in
// (paint_win32.cpp).
void ScrollBarMessage(HWND window, int bar, int code, int position);

}  // namespace console
