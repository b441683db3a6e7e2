#include "console/win32/paint_win32.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/screen_buffer.h"
#include "console/terminal_window.h"
#include "console/win32/glyph_draw_win32.h"
#include "console/win32/screen_font_win32.h"
#include "console/win32/terminal_window_win32.h"
#include "console/window_paint.h"

namespace console {
namespace {

struct PaintWin32State {
    HGDIOBJ OldFonts[4] = {};
    int Depth = 0;
};
PaintWin32State PaintGdi;

COLORREF Rgb(ColorRef c) {
    return RGB(c.Red, c.Green, c.Blue);
}

RECT ToRect(const PixelRect& r) {
    return {r.Left, r.Top, r.Right, r.Bottom};
}

RGBQUAD Quad(ColorRef c) {
    return {c.Blue, c.Green, c.Red, 0};
}

// Draws through GDI on one device context.
class GdiCanvas final : public platform::PaintCanvas {
  public:
    explicit GdiCanvas(HDC dc) : dc_(dc) {}

    void Fill(const PixelRect& rect, ColorRef colour) override {
        RECT r = ToRect(rect);
        SetBkColor(dc_, Rgb(colour));
        ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    }

    void Text(const PixelRect& box, const char16_t* text, int32_t count, const int32_t* advances,
              ColorRef foreground, ColorRef background, bool opaque) override {
        // Characters the screen font lacks are drawn through the glyph fallback.
        DrawCellText(dc_, ToRect(box), text, count, advances, Rgb(foreground), Rgb(background),
                     opaque);
    }

    void Glyph(const PixelRect& box, const MonoGlyph& glyph, ColorRef foreground,
               ColorRef background, bool opaque) override {
        // A 1-bit DIB needs rows padded to 32 bits.
        size_t stride = (static_cast<size_t>(glyph.Width) + 7) / 8;
        size_t padded = (stride + 3) & ~size_t{3};
        bits_.assign(padded * glyph.Height, 0);
        for (int32_t y = 0; y < glyph.Height; ++y)
            std::copy_n(glyph.Bits.begin() + stride * y, stride, bits_.begin() + padded * y);
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[2];
        } info{};
        info.header.biSize = sizeof info.header;
        info.header.biWidth = glyph.Width;
        info.header.biHeight = -glyph.Height;  // rows from the top
        info.header.biPlanes = 1;
        info.header.biBitCount = 1;
        info.header.biCompression = BI_RGB;
        info.header.biClrUsed = 2;
        auto blit = [&](RGBQUAD paper, RGBQUAD ink, DWORD rop) {
            info.colours[0] = paper;
            info.colours[1] = ink;
            StretchDIBits(dc_, box.Left, box.Top, box.Right - box.Left, box.Bottom - box.Top, 0, 0,
                          glyph.Width, glyph.Height, bits_.data(),
                          reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, rop);
        };
        SetStretchBltMode(dc_, COLORONCOLOR);
        if (opaque) {
            blit(Quad(background), Quad(foreground), SRCCOPY);
        } else {
            // Ink cut out of what is there, then painted in.
            blit({255, 255, 255, 0}, {0, 0, 0, 0}, SRCAND);
            blit({0, 0, 0, 0}, Quad(foreground), SRCPAINT);
        }
    }

  private:
    HDC dc_;
    std::vector<uint8_t> bits_;
};

HWND Window() {
    return TerminalWindowHandle();
}

bool SystemCaretCallsAllowed() {
    return WindowPaint.HasFocus && WindowPaint.KeyWaitStarted;
}

void DrawCaret(HWND window) {
    PixelRect r =
        CaretRectangle(commands::Settings.BlockCursor != 0, GetSystemMetrics(SM_CYBORDER));
    if (r.Empty()) return;
    HDC dc = AcquireWindowDC(window, nullptr);
    RECT rect = ToRect(r);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseWindowDC(window, dc, nullptr);
    WindowPaint.CaretRect = r;
    WindowPaint.CaretDrawn = true;
}

// The window a cursor-move notice waits in, if one does: one notice answers
// every move made before it is handled, so the byte path posts no more.
HWND cursorMoveQueued = nullptr;

// Cells marked for painting but not yet handed to the window system.
struct PendingInvalid {
    HWND Window = nullptr;
    PixelRect Area;
};
PendingInvalid pendingInvalid;

// When the screen buffer last had the window painted at once.
DWORD lastForcedPaint = 0;

// The screen buffer's calls into the window.
class Win32Window final : public platform::ConsoleWindowPort {
  public:
    bool EnsureWindow() override {
        EnsureTerminalWindow();
        return WindowExists();
    }
    bool WindowExists() override { return Window() != nullptr && ConsoleScreenAllocated(); }
    void RemoveSelection() override {
        if (WindowHandlers.RemoveSelection) WindowHandlers.RemoveSelection();
    }
    void InvalidateCells(int32_t col1, int32_t col2, int32_t row1, int32_t row2) override {
        console::InvalidateCells(col1, col2, row1, row2);
    }
    void InvalidateWindow() override {
        pendingInvalid = PendingInvalid{};
        if (Window()) InvalidateRect(Window(), nullptr, TRUE);
    }
    void UpdateWindow() override {
        // A burst of host output asks for a paint every screenful; painting
        // more often than the eye follows only slows the burst down. What is
        // skipped stays gathered and is painted at the next message pump, and
        // every pixel scroll paints first, so nothing shows out of step.
        constexpr DWORD kPaintIntervalMs = 20;
        const DWORD now = GetTickCount();
        if (Window() && now - lastForcedPaint >= kPaintIntervalMs) {
            FlushInvalidCells();
            lastForcedPaint = now;
            ::UpdateWindow(Window());
        }
    }
    void ScrollCellPixels(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t dx,
                          int32_t dy) override {
        HWND window = Window();
        if (!window) return;
        FlushInvalidCells();
        PixelRect area = CellRectPixels(left, right, top, bottom);
        if (WindowPaint.PictureShown) {
            RECT r = ToRect(area);
            InvalidateRect(window, &r, TRUE);
            return;
        }
        // Pixels move only once they show what the buffer holds, and without the caret.
        RemoveCaretAndUpdate();
        RECT r = ToRect(area);
        ScrollWindowEx(window, dx * WindowPaint.CellWidth, dy * WindowPaint.CellHeight, &r, &r,
                       nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    }
    void DrawRowNow(int32_t row, int32_t col1, int32_t col2) override {
        HWND window = Window();
        if (!window) return;
        HDC dc = AcquireWindowDC(window, nullptr);
        GdiCanvas canvas(dc);
        DrawRowCells(canvas, row, col1, col2);
        ReleaseWindowDC(window, dc, nullptr);
    }
    void CursorMoved() override {
        HWND window = Window();
        if (!window || cursorMoveQueued == window) return;
        if (PostMessageW(window, WM_CURSORMOVED, 0, 0)) cursorMoveQueued = window;
    }
    void TrackCursorView() override { console::TrackCursorView(); }
    void ResetScrollBars() override {
        ShowScrollBars(Window(), WindowPaint.MaxViewCol, WindowPaint.MaxViewRow);
    }
    void ScreenSizeChanged(int32_t cols, int32_t textRows) override {
        connections::TelnetSendWindowSize(cols, textRows);
        HWND window = Window();
        if (!window) return;
        // A maximised window keeps its size and lays the new cells out in it.
        if (IsZoomed(window)) {
            RECT client{};
            GetClientRect(window, &client);
            WindowSized(window, client.right, client.bottom, true);
        } else {
            FitWindowToScreen(window);
        }
        InvalidateRect(window, nullptr, TRUE);
    }
    void MessageBeep(uint32_t type) override { ::MessageBeep(type); }
    void Tone(uint32_t hertz, uint32_t milliseconds) override { ::Beep(hertz, milliseconds); }
};

Win32Window Win32Port;

}  // namespace

platform::ConsoleWindowPort& Win32ConsoleWindowPort() {
    return Win32Port;
}

HDC AcquireWindowDC(HWND window, PAINTSTRUCT* paint) {
    HDC dc = paint ? BeginPaint(window, paint) : GetDC(window);
    HGDIOBJ old = nullptr;
    if (dc && ScreenFontUnit.ScreenFont) old = SelectObject(dc, ScreenFontUnit.ScreenFont);
    // A caret or a row drawn while a paint holds its DC nests one level deeper.
    if (PaintGdi.Depth < static_cast<int>(std::size(PaintGdi.OldFonts)))
        PaintGdi.OldFonts[PaintGdi.Depth] = old;
    ++PaintGdi.Depth;
    return dc;
}

void ReleaseWindowDC(HWND window, HDC dc, PAINTSTRUCT* paint) {
    if (PaintGdi.Depth > 0) --PaintGdi.Depth;
    if (dc && PaintGdi.Depth < static_cast<int>(std::size(PaintGdi.OldFonts)) &&
        PaintGdi.OldFonts[PaintGdi.Depth])
        SelectObject(dc, PaintGdi.OldFonts[PaintGdi.Depth]);
    if (paint) {
        EndPaint(window, paint);
    } else if (dc) {
        ReleaseDC(window, dc);
    }
}

namespace {

// The area about to be painted covers the whole caret.
bool PaintCoversCaret(HWND window) {
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    bool covered = false;
    if (GetUpdateRgn(window, update, FALSE) != ERROR) {
        RECT r = ToRect(WindowPaint.CaretRect);
        HRGN caret = CreateRectRgnIndirect(&r);
        covered = CombineRgn(caret, caret, update, RGN_DIFF) == NULLREGION;
        DeleteObject(caret);
    }
    DeleteObject(update);
    return covered;
}

}  // namespace

void PaintWindow(HWND window) {
    // A paint over the whole caret takes it away, so the next toggle draws it again;
    // one over a part of it leaves it drawn, so that the toggle erases the rest.
    if (WindowPaint.CaretDrawn && PaintCoversCaret(window)) WindowPaint.CaretDrawn = false;
    PAINTSTRUCT paint{};
    HDC dc = AcquireWindowDC(window, &paint);
    if (dc) {
        GdiCanvas canvas(dc);
        PixelRect rect{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right,
                       paint.rcPaint.bottom};
        PaintCells(canvas, rect, paint.fErase != FALSE);
        if (WindowHandlers.PaintSelection) WindowHandlers.PaintSelection(dc, paint.rcPaint);
    }
    ReleaseWindowDC(window, dc, &paint);
}

void InvalidateCells(int32_t col1, int32_t col2, int32_t row1, int32_t row2) {
    HWND window = Window();
    if (!window) return;
    if (WindowPaint.SystemCaretState == 0) DestroySystemCaret();
    PixelRect area = CellRectPixels(col1, col2, row1, row2);
    if (area.Empty()) return;
    // Each invalidation is a round trip to the window system; host output
    // marks many small areas between two pumps, so they are gathered into one.
    auto& p = pendingInvalid;
    if (p.Window != window) {
        FlushInvalidCells();
        p.Window = window;
        p.Area = area;
        return;
    }
    p.Area = PixelRect{std::min(p.Area.Left, area.Left), std::min(p.Area.Top, area.Top),
                       std::max(p.Area.Right, area.Right), std::max(p.Area.Bottom, area.Bottom)};
}

void FlushInvalidCells() {
    auto& p = pendingInvalid;
    if (!p.Window) return;
    HWND window = p.Window;
    RECT r = ToRect(p.Area);
    p = PendingInvalid{};
    if (IsWindow(window)) InvalidateRect(window, &r, TRUE);
}

void ToggleSoftCaret() {
    HWND window = Window();
    if (!window) return;
    auto& p = WindowPaint;
    if (p.CaretDrawn) {
        RECT r = ToRect(p.CaretRect);
        InvalidateRect(window, &r, TRUE);
        p.CaretDrawn = false;
        return;
    }
    // While the console layer shows the cursor itself, or hides it, no caret is drawn.
    if (CaretWanted()) DrawCaret(window);
}

void RemoveCaretAndUpdate() {
    HWND window = Window();
    if (!window) return;
    FlushInvalidCells();
    if (WindowPaint.CaretDrawn) ToggleSoftCaret();
    ::UpdateWindow(window);
}

void CaretFollowsCursor() {
    HWND window = Window();
    if (!window) {
        cursorMoveQueued = nullptr;
        return;
    }
    RemoveCaretAndUpdate();
    ToggleSoftCaret();
    // Moves that piled up meanwhile are all answered by this one.
    MSG pending;
    while (PeekMessageW(&pending, window, WM_CURSORMOVED, WM_CURSORMOVED, PM_REMOVE)) {
    }
    cursorMoveQueued = nullptr;
}

void HideSystemCaret() {
    HideCaret(Window());
    WindowPaint.SystemCaretState = 1;
}

void DestroySystemCaret() {
    DestroyCaret();
    WindowPaint.SystemCaretState = 2;
}

void ScrollViewTo(HWND window, int32_t col, int32_t row) {
    if (!window || !ConsoleScreenAllocated()) return;
    auto& s = ConsoleScreen;
    ClampViewPosition(col, row);
    if (col == s.ViewCol && row == s.ViewRow) return;
    RemoveCaretAndUpdate();
    SetScrollPos(window, SB_HORZ, col, TRUE);
    SetScrollPos(window, SB_VERT, row, TRUE);
    if (SystemCaretCallsAllowed()) DestroySystemCaret();
    RECT client{};
    GetClientRect(window, &client);
    RECT clip{WindowPaint.LeftPad, WindowPaint.TopPad, client.right, client.bottom};
    ScrollWindowEx(window, (s.ViewCol - col) * WindowPaint.CellWidth,
                   (s.ViewRow - row) * WindowPaint.CellHeight, nullptr, &clip, nullptr, nullptr,
                   SW_INVALIDATE | SW_ERASE);
    s.ViewCol = col;
    s.ViewRow = row;
    ::UpdateWindow(window);
    if (SystemCaretCallsAllowed()) HideSystemCaret();
}

void TrackCursorView() {
    int32_t col = 0;
    int32_t row = 0;
    CursorViewTarget(col, row);
    ScrollViewTo(Window(), col, row);
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
