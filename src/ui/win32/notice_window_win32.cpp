#include "ui/win32/notice_window_win32.h"

#include <windows.h>

#include <string>

#include "console/win32/terminal_window_win32.h"
#include "ui/notice_window.h"
#include "ui/win32/language_dialogs.h"

namespace ui {
namespace {

constexpr int kTextControl = 101;

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            length);
    return wide;
}

// The user closes the notice with its button or the caption's close box.
INT_PTR CALLBACK NoticeProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
                DestroyWindow(window);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            DestroyWindow(window);
            return TRUE;
        default:
            return FALSE;
    }
}

NoticeWindowId OpenNotice(const NoticeContent& content) {
    HWND window = LangCreateDialog(GetModuleHandleW(nullptr), "CONNECT",
                                   console::TerminalWindowHandle(), NoticeProc, 0);
    if (window == nullptr) return 0;
    const std::wstring caption(content.Caption.begin(), content.Caption.end());
    SetWindowTextW(window, caption.c_str());
    SetDlgItemTextW(window, kTextControl, AnsiToWide(content.Text).c_str());
    // Shown without taking the keyboard from the terminal.
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return reinterpret_cast<NoticeWindowId>(window);
}

bool NoticeOpen(NoticeWindowId notice) {
    return IsWindow(reinterpret_cast<HWND>(notice)) != FALSE;
}

void CloseNotice(NoticeWindowId notice) {
    HWND window = reinterpret_cast<HWND>(notice);
    if (IsWindow(window)) DestroyWindow(window);
}

}  // namespace

void InstallWin32NoticeWindow() {
    SetNoticeWindowPlatform({OpenNotice, NoticeOpen, CloseNotice});
}

}  // namespace ui
