#include "connections/win32/comm_debug_window.h"

#include <string>

namespace connections {

Win32CommDebugWindow commDebugWindow;

namespace {

constexpr int kTurnOffDebugId = 102;

std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

}  // namespace

void Win32CommDebugWindow::Open() {
    if (window_ != nullptr) return;
    showWhole_ = true;
    refreshPosted_ = false;
    window_ = CreateDialogParamW(GetModuleHandleW(nullptr), L"BIGTEXT", owner_, Proc,
                                 reinterpret_cast<LPARAM>(this));
    if (window_ != nullptr) ShowWindow(window_, SW_SHOWNORMAL);
}

void Win32CommDebugWindow::Close() {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
}

void Win32CommDebugWindow::Refresh() {
    // One notice waits at a time; it shows everything logged until it runs.
    if (window_ == nullptr || refreshPosted_) return;
    refreshPosted_ = PostMessageW(window_, WM_DEBUGREFRESH, 0, 0) != FALSE;
}

void Win32CommDebugWindow::ShowNewLines(HWND dialog) {
    refreshPosted_ = false;
    const std::string& text = CommDebugState.CommDebugText;
    if (text.empty()) return;
    HWND edit = GetDlgItem(dialog, kDebugTextId);
    const uint64_t fresh = CommDebugState.AppendedTotal - shownTotal_;
    if (showWhole_ || shownTrims_ != CommDebugState.Trims || fresh > text.size()) {
        SetWindowTextW(edit, Wide(text).c_str());
    } else if (fresh == 0) {
        return;
    } else {
        const LRESULT end = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
        SendMessageW(edit, EM_SETSEL, WPARAM(end), LPARAM(end));
        const std::wstring tail = Wide(std::string_view(text).substr(text.size() - size_t(fresh)));
        SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(tail.c_str()));
    }
    showWhole_ = false;
    shownTotal_ = CommDebugState.AppendedTotal;
    shownTrims_ = CommDebugState.Trims;
    const LRESULT end = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(edit, EM_SETSEL, WPARAM(end), LPARAM(end));
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    UpdateWindow(dialog);
}

void Win32CommDebugWindow::ErrorBox(std::string_view text, std::string_view caption) {
    MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(),
                MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}

INT_PTR CALLBACK Win32CommDebugWindow::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowTextW(dialog, L"Communication Debug");
            DestroyWindow(GetDlgItem(dialog, kTurnOffDebugId));
            // Appended lines are held to the control's limit: lift it to
            // what the edit control can hold, the log keeps its own cap.
            SendDlgItemMessageW(dialog, kDebugTextId, EM_SETLIMITTEXT, 0, 0);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                commDebugWindow.window_ = nullptr;
                DestroyWindow(dialog);
                CommDebugWindowClosed();
            }
            return TRUE;
        case WM_DEBUGREFRESH:
            commDebugWindow.ShowNewLines(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace connections
