// The screen font and the window's layout around the cells: the font is made
// from the settings' face and cell size (or a fixed-pitch face every system
// has when the system would give another face), its sizes are enumerated for
// the FONT command, and the window is fitted, resized and maximised around it.
#include "console/win32/screen_font_win32.h"

#include <algorithm>
#include <array>
#include <string>

#include "commands/settings_record.h"
#include "console/console_neighbours.h"
#include "console/glyphs/screen_font_model.h"
#include "console/screen_buffer.h"
#include "console/terminal_window.h"
#include "console/win32/glyph_draw_win32.h"
#include "console/window_paint.h"

namespace console {

ScreenFontUnitState ScreenFontUnit;

namespace {

constexpr int32_t kDefaultFontHeight = 16;
// Faces tried when the system has no fixed-pitch font of the settings' face.
constexpr std::array<const wchar_t*, 2> kFallbackFaces = {L"Courier New", L"DejaVu Sans Mono"};

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// The face cut to what the font API takes.
std::wstring ApiFace(const std::wstring& face) {
    std::u16string cut = CutFaceName(
        std::u16string_view(reinterpret_cast<const char16_t*>(face.data()), face.size()));
    return std::wstring(cut.begin(), cut.end());
}

HFONT MakeFont(const std::wstring& face, int32_t height, int32_t width, bool underline = false) {
    const auto& s = commands::Settings;
    DWORD pitch = s.VariableFonts ? DEFAULT_PITCH : FIXED_PITCH;
    return CreateFontW(height, width, 0, 0, ScreenFontUnit.FontBold ? FW_BOLD : FW_NORMAL, FALSE,
                       underline, FALSE, s.ScreenFontCharset, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, pitch | FF_MODERN,
                       ApiFace(face).c_str());
}

// Selects font into a screen DC for the callback.
template <typename F>
auto WithScreenDC(HFONT font, F&& f) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    auto result = f(dc);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return result;
}

// True when the system gave the face asked for, and (unless variable fonts are
// allowed) it is fixed pitch.
bool FaceAsAskedFor(HFONT font, const std::wstring& face, std::wstring& got) {
    TEXTMETRICW metrics{};
    got = WithScreenDC(font, [&](HDC dc) {
        wchar_t name[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, name);
        GetTextMetricsW(dc, &metrics);
        return std::wstring(name);
    });
    // TMPF_FIXED_PITCH set means a variable-pitch font.
    bool fixed = (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
    return (fixed || commands::Settings.VariableFonts) && lstrcmpiW(got.c_str(), face.c_str()) == 0;
}

// A font of the face, or of a face every system has when the system would
// substitute another; the face made goes to ScreenFontUnit.FontFace.
HFONT MakeScreenFont(const std::wstring& face, int32_t height, int32_t width) {
    HFONT chosen = nullptr;
    std::wstring chosenFace;
    std::array<std::wstring, 3> faces = {face, kFallbackFaces[0], kFallbackFaces[1]};
    for (const std::wstring& f : faces) {
        if (f.empty()) continue;
        HFONT font = MakeFont(f, height, width);
        if (!font) continue;
        std::wstring got;
        bool exact = FaceAsAskedFor(font, f, got);
        if (chosen) DeleteObject(chosen);
        chosen = font;
        chosenFace = got;
        if (exact) break;
    }
    if (chosen) ScreenFontUnit.FontFace = chosenFace;
    return chosen;
}

// Replaces the screen font; the old one and the fallback fonts made from it go.
bool ReplaceScreenFont(HFONT font) {
    if (!font) return false;
    FreeFallbackFonts();
    HFONT old = ScreenFontUnit.ScreenFont;
    ScreenFontUnit.ScreenFont = font;
    ForgetScreenFontRanges();
    if (old && !DeleteObject(old)) Neighbours.MessageBox("Cannot delete font");
    MeasureScreenFont();
    return true;
}

bool ModeZoomed() {
    const auto& s = commands::Settings;
    return (ConsoleScreen.Cols <= 80 ? s.Zoomed80 : s.Zoomed132) != 0;
}

// The mode's cell size from the settings: height and width for 80 columns, then the wide mode.
void ModeCellSize(int32_t& height, int32_t& width) {
    const auto& s = commands::Settings;
    size_t at = ConsoleScreen.Cols <= 80 ? 0 : 2;
    height = s.FontCellSize[at].Get();
    width = s.FontCellSize[at + 1].Get();
    if (at == 2 && height == 0) {
        height = s.FontCellSize[0].Get();
        width = s.FontCellSize[1].Get();
    }
    if (height < 4 || height > 200) height = kDefaultFontHeight;
    if (width < 0 || width > height) width = 0;
}

RECT WorkArea() {
    RECT area{};
    if (GetSystemMetrics(SM_CMONITORS) > 1) {
        area.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        area.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        area.right = area.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
        area.bottom = area.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    } else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return area;
}

bool BarShown(HWND window, LONG style) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & style) != 0;
}

FontMeasure Measurer(const std::wstring& face) {
    return [face](int32_t height, int32_t width, FontMetrics& m) {
        HFONT font = MakeFont(face, height, width);
        if (!font) return false;
        TEXTMETRICW tm = WithScreenDC(font, [](HDC dc) {
            TEXTMETRICW t{};
            GetTextMetricsW(dc, &t);
            return t;
        });
        DeleteObject(font);
        m = {tm.tmHeight, tm.tmExternalLeading, tm.tmAveCharWidth, tm.tmAscent};
        return true;
    };
}

struct SizeEnumeration {
    FontSizeTableState* Table;
    bool TrueType = false;
};

int CALLBACK AddFontSize(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM param) {
    auto& e = *reinterpret_cast<SizeEnumeration*>(param);
    e.TrueType = (type & TRUETYPE_FONTTYPE) != 0;
    InsertFontSize(*e.Table, lf->lfHeight, lf->lfWidth);
    return e.Table->Count < kMaxFontSizes - 1 ? 1 : 0;
}

}  // namespace

void MeasureScreenFont() {
    auto& u = ScreenFontUnit;
    if (!u.ScreenFont) return;
    TEXTMETRICW tm = WithScreenDC(u.ScreenFont, [](HDC dc) {
        TEXTMETRICW t{};
        GetTextMetricsW(dc, &t);
        return t;
    });
    CellSize cell = MeasureCell({tm.tmHeight, tm.tmExternalLeading, tm.tmAveCharWidth, tm.tmAscent},
                                u.Maximised, u.ZoomCellHeight);
    auto& p = WindowPaint;
    p.CellWidth = cell.CellWidth;
    p.FontHeight = cell.FontHeight;
    p.CellHeight = cell.CellHeight;
    u.LineHeight = cell.LineHeight;
    u.FontAscent = tm.tmAscent;
    u.FontCharset = tm.tmCharSet;
}

bool CreateScreenFont() {
    auto& u = ScreenFontUnit;
    const auto& s = commands::Settings;
    u.FontBold = s.FontOption[0] != 0;
    if (ScreenGlyphs.Fallbacks.Items.empty()) ParseScreenFallbackFonts(s.FontFallbackList.View());
    int32_t height = 0;
    int32_t width = 0;
    ModeCellSize(height, width);
    return ReplaceScreenFont(MakeScreenFont(AnsiToWide(s.ScreenFontName.View()), height, width));
}

bool DeleteScreenFont() {
    FreeFallbackFonts();
    ForgetScreenFontRanges();
    if (!ScreenFontUnit.ScreenFont) return true;
    bool deleted = DeleteObject(ScreenFontUnit.ScreenFont) != 0;
    ScreenFontUnit.ScreenFont = nullptr;
    return deleted;
}

void BuildFontSizeTable() {
    auto& table = FontSizeTable;
    table.Count = 0;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    std::wstring face = ApiFace(ScreenFontUnit.FontFace);
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    SizeEnumeration e{&table};
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &lf, AddFontSize, reinterpret_cast<LPARAM>(&e), 0);
    ReleaseDC(nullptr, dc);
    ScreenFontUnit.TrueTypeFont = e.TrueType;
    // A scalable face reports one size: its sizes are found by making them.
    if (table.Count <= 1) BuildScalableSizes(table, Measurer(ScreenFontUnit.FontFace));
}

bool SetTerminalFont(HWND window, const std::string& word1, const std::string& word2,
                     const std::string& word3) {
    auto& u = ScreenFontUnit;
    auto& s = commands::Settings;
    ForgetScreenFontRanges();
    std::wstring face = AnsiToWide(s.ScreenFontName.View());
    if (!face.empty()) u.FontFace = face;
    BuildFontSizeTable();
    const std::string words[] = {word1, word2, word3};
    FontRequest request;
    bool parsed = ApplyFontWords(FontSizeTable, u.TrueTypeFont, WindowPaint.CellWidth,
                                 WindowPaint.FontHeight, words, request);
    u.FontBold = request.Bold;
    if (!parsed) return false;
    if (!request.Face.empty()) {
        s.ScreenFontName = request.Face;
        s.ScreenFontCharset = 1;
        u.FontFace = AnsiToWide(request.Face);
    }
    if (!ReplaceScreenFont(MakeScreenFont(u.FontFace, request.Height, request.Width))) return false;
    if (!window) return true;
    if (!ModeZoomed()) {
        FitWindowToScreen(window);
    } else if (!IsZoomed(window)) {
        ShowWindow(window, SW_MAXIMIZE);
    } else {
        RECT client{};
        GetClientRect(window, &client);
        WindowSized(window, client.right, client.bottom, true);
        InvalidateRect(window, nullptr, TRUE);
    }
    return true;
}

void FitWindowToScreen(HWND window) {
    if (!window) return;
    auto& p = WindowPaint;
    const auto& s = ConsoleScreen;
    const auto& settings = commands::Settings;
    int32_t fx = GetSystemMetrics(SM_CXSIZEFRAME);
    int32_t fy = GetSystemMetrics(SM_CYSIZEFRAME);
    RECT area = WorkArea();
    if (IsZoomed(window)) ShowWindow(window, SW_RESTORE);
    ScreenFontUnit.Maximised = false;
    MeasureScreenFont();
    p.CellHeight = p.FontHeight;
    CellSize cell{p.CellWidth, p.CellHeight, p.FontHeight, ScreenFontUnit.LineHeight};
    FitPlan plan =
        PlanFitWindow(s.Cols, s.Rows, cell, fx, fy, area.right - area.left, area.bottom - area.top);
    p.LeftPad = plan.LeftPad;
    p.TopPad = p.BottomPad = plan.VerticalPad;
    RECT frame{0, 0, plan.ClientWidth, plan.ClientHeight};
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    // The frame without scroll bars: the layout shows them when the cells need them.
    AdjustWindowRectEx(&frame, style & ~(WS_HSCROLL | WS_VSCROLL), GetMenu(window) != nullptr,
                       exStyle);
    int32_t width = frame.right - frame.left;
    int32_t height = frame.bottom - frame.top;
    RECT now{};
    GetWindowRect(window, &now);
    int32_t left = now.left;
    int32_t top = now.top;
    const auto& saved = s.Cols <= 80 ? settings.WindowRect80 : settings.WindowRectWide;
    if (settings.TrackWindow && saved[0].Get() != 0x8000) {
        left = static_cast<int16_t>(saved[0].Get());
        top = static_cast<int16_t>(saved[1].Get());
    }
    left = std::max<int32_t>(left, area.left);
    top = std::max<int32_t>(top, area.top);
    if (left + width > area.right) left = std::max<int32_t>(area.left - fx, area.right - width);
    if (top + height > area.bottom) top = std::max<int32_t>(area.top - fy, area.bottom - height);
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wrapped takes client height: corrected once.
    RECT client{};
    GetClientRect(window, &client);
    if (client.bottom != plan.ClientHeight && client.bottom > 0)
        SetWindowPos(window, nullptr, 0, 0, width, height + plan.ClientHeight - client.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    InvalidateRect(window, nullptr, TRUE);
}

void WindowSized(HWND window, int32_t width, int32_t height, bool maximised) {
    auto& p = WindowPaint;
    auto& s = ConsoleScreen;
    auto& u = ScreenFontUnit;
    auto& settings = commands::Settings;
    p.ClientWidth = width;
    p.ClientHeight = height;
    if (IsIconic(window)) return;
    u.Maximised = maximised;
    (s.Cols <= 80 ? settings.Zoomed80 : settings.Zoomed132) = maximised ? 1 : 0;
    int32_t fx = GetSystemMetrics(SM_CXSIZEFRAME);
    int32_t fy = GetSystemMetrics(SM_CYSIZEFRAME);
    const int32_t cols = std::max(s.Cols, 1);
    const int32_t rows = std::max(s.Rows, 1);
    if (maximised) {
        int32_t fitW =
            (width + (BarShown(window, WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0)) / cols;
        int32_t fitH =
            (height + (BarShown(window, WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0)) / rows;
        u.ZoomCellHeight = std::max(fitH, 1);
        BuildFontSizeTable();
        int32_t startHeight = fitH;
        int32_t startWidth = 0;
        if (!u.TrueTypeFont && FontSizeTable.Count > 0) {
            FontSize size = LargestSizeWithin(FontSizeTable, fitW, fitH);
            startHeight = size.Height;
            startWidth = size.Width;
        }
        FittedFont fitted;
        if (fitW > 0 && fitH > 0 &&
            FitFontToCells(fitW, fitH, startHeight, startWidth, u.ZoomCellHeight,
                           Measurer(u.FontFace), fitted))
            ReplaceScreenFont(MakeFont(u.FontFace, fitted.Height, fitted.Width));
        MeasureScreenFont();
        p.LeftPad = std::max(0, (width - cols * p.CellWidth) / 2);
        p.TopPad = p.BottomPad = std::max(0, (height - rows * p.CellHeight) / 2);
    } else {
        if (TerminalWindowUnit.Restoring) {
            int32_t h = 0;
            int32_t w = 0;
            ModeCellSize(h, w);
            ReplaceScreenFont(MakeScreenFont(u.FontFace, h, w));
        }
        MeasureScreenFont();
        // Leftover room is shared equally on both sides, up to the frame's size.
        p.LeftPad = CentredMargin(width, cols * p.CellWidth, fx);
        p.TopPad = p.BottomPad = CentredMargin(height, rows * p.CellHeight, fy);
    }
    CellSize cell{p.CellWidth, p.CellHeight, p.FontHeight, u.LineHeight};
    VisibleCells v = CountVisibleCells(width, height, p.LeftPad, p.TopPad, cell, s.Cols, s.Rows);
    p.VisibleCols = v.Cols;
    p.VisibleRows = v.Rows;
    p.MaxViewCol = v.MaxViewCol;
    p.MaxViewRow = v.MaxViewRow;
    s.ViewCol = std::min(s.ViewCol, p.MaxViewCol);
    s.ViewRow = std::min(s.ViewRow, p.MaxViewRow);
    PostMessageW(window, WM_RELAYOUT, p.MaxViewCol, p.MaxViewRow);
}

void RelayoutWindow(HWND window) {
    if (!window) return;
    auto& p = WindowPaint;
    const auto& s = ConsoleScreen;
    MeasureScreenFont();
    RECT client{};
    GetClientRect(window, &client);
    const int32_t barW = GetSystemMetrics(SM_CXVSCROLL);
    const int32_t barH = GetSystemMetrics(SM_CYHSCROLL);
    // The client size without either bar.
    const int32_t bareW = client.right + (BarShown(window, WS_VSCROLL) ? barW : 0);
    const int32_t bareH = client.bottom + (BarShown(window, WS_HSCROLL) ? barH : 0);
    auto colsIn = [&](int32_t w) { return (w - 2 * p.LeftPad) / std::max(p.CellWidth, 1); };
    auto rowsIn = [&](int32_t h) { return (h - 2 * p.TopPad) / std::max(p.CellHeight, 1); };
    bool needH = colsIn(bareW) < s.Cols;
    bool needV = rowsIn(needH ? bareH - barH : bareH) < s.Rows;
    if (needV && !needH && colsIn(bareW - barW) < s.Cols) {
        needH = true;
        needV = rowsIn(bareH - barH) < s.Rows;
    }
    int32_t w = needV ? bareW - barW : bareW;
    int32_t h = needH ? bareH - barH : bareH;
    p.MaxViewCol = needH ? std::max(0, s.Cols - std::max(colsIn(w), 0)) : 0;
    p.MaxViewRow = needV ? std::max(0, s.Rows - std::max(rowsIn(h), 0)) : 0;
    ShowScrollBars(window, p.MaxViewCol, p.MaxViewRow);
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

}  // namespace console
