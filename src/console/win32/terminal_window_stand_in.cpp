// A minimal terminal window until the full console window exists: created
// on first use, titled from the banner, closed through the save question.
#include <windows.h>

#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/exit_chain.h"
#include "console/program_launch.h"
#include "console/terminal_window.h"
#include "console/win32/terminal_window_win32.h"
#include "emulation/main_routine.h"
#include "emulation/session_services.h"

namespace console {
namespace {

struct TerminalWindowStandInState {
    HWND Window = nullptr;
    bool ClassRegistered = false;
};
TerminalWindowStandInState StandIn;

constexpr UINT MsgNotConnected = 505;

std::wstring OwnString(UINT id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

std::wstring WindowTitle() {
    std::wstring title = TitleBanner();
    if (!connections::CommIsOpen()) title += OwnString(MsgNotConnected);
    if (title.size() > 79) title.resize(79);
    return title;
}

LRESULT CALLBACK TerminalWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            // The main loop ends the run; the window goes with CloseTerminalWindow.
            if (emulation::Services.ConfirmSaveSettings(true))
                emulation::MainRoutine.ExitCode = emulation::ExitEnd;
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            if (StandIn.Window == window) StandIn.Window = nullptr;
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterTerminalClass() {
    if (StandIn.ClassRegistered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = TerminalWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszMenuName = L"MainMenu";
    wc.lpszClassName = TerminalWindowClass;
    StandIn.ClassRegistered = RegisterClassExW(&wc) != 0;
}

void EnsureWindow() {
    if (StandIn.Window) return;
    RegisterTerminalClass();
    DWORD style = commands::Settings.WindowStyle.Get();
    if (style == 0) style = WS_OVERLAPPEDWINDOW;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // A program without the "MainMenu" resource gets a window without a menu.
    HMENU menu = LoadMenuW(instance, L"MainMenu");
    StandIn.Window =
        CreateWindowExW(0, TerminalWindowClass, WindowTitle().c_str(), style, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 400, nullptr, menu, instance, nullptr);
    if (!StandIn.Window) {
        if (menu) DestroyMenu(menu);
        return;
    }
    ShowWindow(StandIn.Window, SW_SHOWNORMAL);
    UpdateWindow(StandIn.Window);
}

[[noreturn]] void EndProcess(int status) {
    RunExitChain(status);
    ExitProcess(static_cast<UINT>(status));
}

void CloseWindow() {
    if (StandIn.Window) {
        HWND window = StandIn.Window;
        StandIn.Window = nullptr;
        DestroyWindow(window);
    }
    EndProcess(0);
}

void PumpMessages() {
    EnsureWindow();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // Nothing here posts the quit message; one from outside ends the program
        // as a halt does.
        if (msg.message == WM_QUIT) EndProcess(255);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void UpdateTitle() {
    if (StandIn.Window) SetWindowTextW(StandIn.Window, WindowTitle().c_str());
}

}  // namespace

void InstallTerminalWindowStandIn() {
    TerminalWindowSeam seam;
    seam.EnsureTerminalWindow = EnsureWindow;
    seam.CloseTerminalWindow = CloseWindow;
    seam.PumpWindowMessages = PumpMessages;
    seam.UpdateWindowTitle = UpdateTitle;
    SetTerminalWindowSeam(seam);
    // A launched program is waited for with this window kept alive.
    programLaunch.pumpWindowMessages = PumpMessages;
}

HWND TerminalWindowHandle() {
    return StandIn.Window;
}

std::wstring TitleBanner() {
    std::wstring banner = OwnString(2);
    return banner.empty() ? std::wstring(L"VovuzIva  ") : banner.substr(0, 20);
}

}  // namespace console
