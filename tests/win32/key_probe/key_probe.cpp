// Key probe: a window whose keys go through the key input into the key queue; every entry read
// is written to the file named by the first argument as "RAW KEYCODE" (hexadecimal, decimal),
// and "focus" each time the window gets the keyboard focus.
// The second argument is the window title. Escape (the typed byte 0x1B) ends the probe; so does
// a minute and a half without it.
#include <windows.h>
// Needs the window types first.
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "commands/settings_record.h"
#include "console/key_codes.h"
#include "console/key_input.h"
#include "console/win32/code_pages_win32.h"
#include "console/win32/key_input_win32.h"

namespace {

FILE* out = nullptr;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    // The script types only once the window says it has the keyboard.
    if (message == WM_SETFOCUS && out) {
        std::fputs("focus\n", out);
        std::fflush(out);
    }
    if (console::HandleKeyMessage(window, message, wParam, lParam, result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

void CALLBACK LifetimeOver(HWND, UINT, UINT_PTR, DWORD) {
    ExitProcess(2);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 1;
    out = _wfopen(argv[1], L"w");
    if (!out) return 1;

    commands::ResetSettingsToDefaults();
    commands::Settings.KeyFlag3972 = 1;
    commands::Settings.AllowAccelerators = 0;

    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeWindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"VzKeyProbe";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, L"VzKeyProbe", argv[2], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  320, 200, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    console::InstallWin32CodePages();
    console::InstallKeyInputWin32();
    console::SetKeyInputWindow(window, nullptr);
    SetTimer(nullptr, 0, 90000, LifetimeOver);

    for (;;) {
        uint16_t raw = console::WaitForKey();
        std::fprintf(out, "%04X %u\n", raw, console::KeyCodeFromRawKey(raw));
        std::fflush(out);
        if (raw == 0x1B) break;
    }
    std::fclose(out);
    DestroyWindow(window);
    return 0;
}
