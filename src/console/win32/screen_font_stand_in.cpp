// A plain screen font and layout until the font sizing and window layout
// work lands: the settings' face at the settings' cell size when the system
// has it as a fixed-pitch face, else a fixed-pitch face every system here has;
// the window fitted around the cells with frame-sized margins.
#include <algorithm>
#include <array>
#include <string>

#include "commands/settings_record.h"
#include "console/screen_buffer.h"
#include "console/terminal_window.h"
#include "console/win32/paint_win32.h"
#include "console/win32/screen_font_win32.h"
#include "console/window_paint.h"

namespace console {

ScreenFontUnitState ScreenFontUnit;

namespace {

constexpr int32_t kDefaultFontHeight = 16;

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

HFONT MakeFont(const std::wstring& face, int32_t height, int32_t width) {
    const auto& s = commands::Settings;
    bool bold = s.FontOption[0] != 0;
    DWORD pitch = s.VariableFonts ? DEFAULT_PITCH : FIXED_PITCH;
    return CreateFontW(height, width, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       s.ScreenFontCharset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       NONANTIALIASED_QUALITY, pitch | FF_MODERN, face.c_str());
}

// The font's face and metrics; true when the system gave the face asked for and
// it is fixed pitch.
bool ExamineFont(HFONT font, const std::wstring& face, TEXTMETRICW& metrics, std::wstring& got) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t name[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, name);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    got = name;
    // TMPF_FIXED_PITCH set means a variable-pitch font.
    bool fixed = (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
    return fixed && lstrcmpiW(name, face.c_str()) == 0;
}

}  // namespace

bool CreateScreenFont() {
    const auto& s = commands::Settings;
    int32_t height = s.FontCellSize[0].Get();
    int32_t width = s.FontCellSize[1].Get();
    if (height < 4 || height > 200) height = kDefaultFontHeight;
    if (width > height) width = 0;
    const std::array<std::wstring, 3> faces = {AnsiToWide(s.ScreenFontName.View()), L"Courier New",
                                               L"DejaVu Sans Mono"};
    HFONT chosen = nullptr;
    TEXTMETRICW metrics{};
    std::wstring chosenFace;
    for (const std::wstring& face : faces) {
        if (face.empty()) continue;
        HFONT font = MakeFont(face, height, width);
        if (!font) continue;
        std::wstring got;
        TEXTMETRICW m{};
        bool exact = ExamineFont(font, face, m, got);
        if (chosen) DeleteObject(chosen);
        chosen = font;
        metrics = m;
        chosenFace = got;
        if (exact) break;
    }
    if (!chosen) return false;
    DeleteScreenFont();
    ScreenFontUnit.ScreenFont = chosen;
    ScreenFontUnit.FontFace = chosenFace;
    auto& p = WindowPaint;
    p.CellWidth = std::max<int32_t>(metrics.tmAveCharWidth, 1);
    p.FontHeight = std::max<int32_t>(metrics.tmHeight, 1);
    p.CellHeight = p.FontHeight;
    return true;
}

bool DeleteScreenFont() {
    if (!ScreenFontUnit.ScreenFont) return true;
    bool deleted = DeleteObject(ScreenFontUnit.ScreenFont) != 0;
    ScreenFontUnit.ScreenFont = nullptr;
    return deleted;
}

void FitWindowToScreen(HWND window) {
    if (!window) return;
    auto& p = WindowPaint;
    const auto& s = ConsoleScreen;
    if (IsZoomed(window)) ShowWindow(window, SW_RESTORE);
    int32_t fx = GetSystemMetrics(SM_CXSIZEFRAME);
    int32_t fy = GetSystemMetrics(SM_CYSIZEFRAME);
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    p.LeftPad = fx;
    p.TopPad = p.BottomPad = fy;
    int32_t cellsWidth = s.Cols * p.CellWidth;
    int32_t cellsHeight = s.Rows * p.CellHeight;
    if (cellsWidth + 2 * p.LeftPad > area.right - area.left && cellsWidth <= area.right - area.left)
        p.LeftPad = 0;
    if (cellsHeight + 2 * p.TopPad > area.bottom - area.top &&
        cellsHeight <= area.bottom - area.top)
        p.TopPad = p.BottomPad = 0;
    RECT frame{0, 0, cellsWidth + 2 * p.LeftPad, cellsHeight + p.TopPad + p.BottomPad};
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    AdjustWindowRectEx(&frame, style, GetMenu(window) != nullptr, exStyle);
    int32_t width = frame.right - frame.left;
    int32_t height = frame.bottom - frame.top;
    RECT now{};
    GetWindowRect(window, &now);
    int32_t left = std::max<int32_t>(now.left, area.left);
    int32_t top = std::max<int32_t>(now.top, area.top);
    if (left + width > area.right) left = std::max<int32_t>(area.left - fx, area.right - width);
    if (top + height > area.bottom) top = std::max<int32_t>(area.top - fy, area.bottom - height);
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wrapped takes client height: correct once.
    RECT client{};
    GetClientRect(window, &client);
    int32_t wanted = cellsHeight + p.TopPad + p.BottomPad;
    if (client.bottom != wanted && client.bottom > 0)
        SetWindowPos(window, nullptr, 0, 0, width, height + wanted - client.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    InvalidateRect(window, nullptr, TRUE);
}

void WindowSized(HWND window, int32_t width, int32_t height, bool maximised) {
    auto& p = WindowPaint;
    auto& s = ConsoleScreen;
    p.ClientWidth = width;
    p.ClientHeight = height;
    int32_t cellsWidth = s.Cols * p.CellWidth;
    int32_t cellsHeight = s.Rows * p.CellHeight;
    int32_t fx = GetSystemMetrics(SM_CXSIZEFRAME);
    int32_t fy = GetSystemMetrics(SM_CYSIZEFRAME);
    // Leftover room is shared equally on both sides, up to the frame's size.
    p.LeftPad = std::clamp((width - cellsWidth) / 2, 0, maximised ? INT32_MAX : fx);
    p.TopPad = p.BottomPad = std::clamp((height - cellsHeight) / 2, 0, maximised ? INT32_MAX : fy);
    p.VisibleCols = std::max(0, (width - 2 * p.LeftPad) / std::max(p.CellWidth, 1));
    p.VisibleRows = std::max(0, (height - 2 * p.TopPad) / std::max(p.CellHeight, 1));
    p.MaxViewCol = std::max(0, s.Cols - p.VisibleCols);
    p.MaxViewRow = std::max(0, s.Rows - p.VisibleRows);
    s.ViewCol = std::min(s.ViewCol, p.MaxViewCol);
    s.ViewRow = std::min(s.ViewRow, p.MaxViewRow);
    if (!IsIconic(window)) PostMessageW(window, WM_RELAYOUT, p.MaxViewCol, p.MaxViewRow);
}

void RelayoutWindow(HWND window) {
    ShowScrollBars(window, WindowPaint.MaxViewCol, WindowPaint.MaxViewRow);
}

void ShowScrollBars(HWND window, int32_t maxCol, int32_t maxRow) {
    if (!window) return;
    const int32_t maxima[2] = {maxCol, maxRow};
    const int32_t positions[2] = {ConsoleScreen.ViewCol, ConsoleScreen.ViewRow};
    for (int bar = 0; bar < 2; ++bar) {
        int kind = bar == 0 ? SB_HORZ : SB_VERT;
        if (maxima[bar] > 0) {
            SetScrollRange(window, kind, 0, maxima[bar], FALSE);
            SetScrollPos(window, kind, positions[bar], TRUE);
            ShowScrollBar(window, kind, TRUE);
        } else {
            ShowScrollBar(window, kind, FALSE);
        }
    }
}

void ScrollBarMessage(HWND window, int bar, int code, int position) {
    const auto& p = WindowPaint;
    int32_t col = ConsoleScreen.ViewCol;
    int32_t row = ConsoleScreen.ViewRow;
    int32_t& value = bar == 0 ? col : row;
    int32_t page = bar == 0 ? p.VisibleCols / 2 : p.VisibleRows;
    int32_t maximum = bar == 0 ? p.MaxViewCol : p.MaxViewRow;
    switch (code) {
        case SB_LINEUP:
            value -= 1;
            break;
        case SB_LINEDOWN:
            value += 1;
            break;
        case SB_PAGEUP:
            value -= page;
            break;
        case SB_PAGEDOWN:
            value += page;
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            value = position;
            break;
        case SB_TOP:
            value = 0;
            break;
        case SB_BOTTOM:
            value = maximum;
            break;
        default:
            break;
    }
    ScrollViewTo(window, col, row);
}

}  // namespace console
