#pragma once
// The real terminal window in the test process: made fresh for each test with
// known settings, pumped, photographed into a bitmap, and destroyed again.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/console_wiring.h"
#include "app/startup_wiring.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "connections/comm_interface.h"
#include "console/console_primitives.h"
#include "console/screen_buffer.h"
#include "console/terminal_window.h"
#include "console/win32/paint_win32.h"
#include "console/win32/terminal_window_win32.h"
#include "console/window_paint.h"
#include "emulation/main_routine.h"
#include "ui/menus/menu_services.h"

namespace window_test {

// A path of the build (a POSIX path under Wine) as Windows sees it.
inline std::string WindowsPath(const std::string& path) {
    std::string out = path;
    for (char& c : out)
        if (c == '/') c = '\\';
    if (!path.empty() && path[0] == '/') out = "Z:" + out;
    return out;
}

// Paints what output marked, as the program's pumps do before a paint.
inline void Repaint(HWND window) {
    console::FlushInvalidCells();
    UpdateWindow(window);
}

// Handles every waiting message, for about the given time.
inline void Pump(DWORD milliseconds = 0) {
    console::FlushInvalidCells();
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;  // the destroyed window's, not a halt here
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

// The client area as 32-bit pixels, copied from the window's device context.
struct Shot {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;  // 0x00RRGGBB, rows from the top

    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
    static uint32_t Rgb(const console::ColorRef& c) {
        return (uint32_t{c.Red} << 16) | (uint32_t{c.Green} << 8) | c.Blue;
    }
    // How many pixels of the rectangle have the colour.
    int Count(const console::PixelRect& r, uint32_t colour) const {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) n += At(x, y) == colour;
        return n;
    }
    static int Area(const console::PixelRect& r) { return (r.Right - r.Left) * (r.Bottom - r.Top); }

    // Kept as a bitmap file in the build's artifacts folder.
    void Save(const std::string& name) const {
        std::string folder = WindowsPath(VZ_BUILD_DIR "/artifacts");
        CreateDirectoryA(folder.c_str(), nullptr);
        std::FILE* f = std::fopen((folder + "\\" + name + ".bmp").c_str(), "wb");
        if (!f) return;
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER info{};
        info.biSize = sizeof info;
        info.biWidth = Width;
        info.biHeight = -Height;
        info.biPlanes = 1;
        info.biBitCount = 32;
        info.biCompression = BI_RGB;
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + static_cast<DWORD>(Pixels.size() * 4);
        std::fwrite(&file, sizeof file, 1, f);
        std::fwrite(&info, sizeof info, 1, f);
        std::fwrite(Pixels.data(), 4, Pixels.size(), f);
        std::fclose(f);
    }
};

// The client area as the window's device context holds it, or, with fromScreen, as the
// display shows it (read from the screen at the client area's place).
inline Shot TakeShot(HWND window, bool fromScreen = false) {
    Shot shot;
    RECT client{};
    GetClientRect(window, &client);
    shot.Width = client.right;
    shot.Height = client.bottom;
    POINT origin{0, 0};
    if (fromScreen) ClientToScreen(window, &origin);
    HDC dc = GetDC(fromScreen ? nullptr : window);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shot.Width;
    info.bmiHeader.biHeight = -shot.Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.Width, shot.Height, dc, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    shot.Pixels.assign(p, p + static_cast<size_t>(shot.Width) * shot.Height);
    for (uint32_t& px : shot.Pixels) px &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(fromScreen ? nullptr : window, dc);
    return shot;
}

class TerminalWindowFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        console::InstallTerminalWindow();
        commands::ResetSettingsToDefaults();
        commands::ResetSettingsFileState();
        app::ComposeStartupServices();
        app::ComposeConsole();
        connections::ResetCommLayer();
        console::ResetConsoleLayer();
        console::ResetWindowPaint();
        console::SetDefaultPalette();
        emulation::ResetMainRoutine();
        auto& s = commands::Settings;
        s.ScreenFontName = "Courier New";
        s.FontCellSize[0].Set(16);
        s.FontCellSize[1].Set(0);
        s.AttrCursor = 0;
        s.BlockCursor = 0;
        ASSERT_EQ(console::TerminalWindowHandle(), nullptr) << "a window was left over";
    }
    void TearDown() override {
        // The menus' window side goes with the window, so that later tests ask through their own.
        ui::MenuServices = ui::NullMenuServices();
        console::DestroyTerminalWindow();
        Pump();
        console::SetAttributeMode(5);
        console::ConsoleScreen.BlinkPhase = false;
        console::FreeGlyphBitmaps();
        emulation::ResetMainRoutine();
    }

    // The window with the caret and text blink timers stopped, so that only the
    // test changes what is shown.
    HWND QuietWindow() {
        console::ClearWindowScreen();
        HWND window = console::TerminalWindowHandle();
        if (!window) return nullptr;
        KillTimer(window, console::kCaretTimer);
        KillTimer(window, console::kBlinkTimer);
        Pump(200);
        return window;
    }

    // The pixels of a cell (0-based, no view scrolling).
    static console::PixelRect CellPixels(int32_t col, int32_t row) {
        const auto& p = console::WindowPaint;
        return {p.LeftPad + col * p.CellWidth, p.TopPad + row * p.CellHeight,
                p.LeftPad + (col + 1) * p.CellWidth, p.TopPad + (row + 1) * p.CellHeight};
    }
};

}  // namespace window_test
