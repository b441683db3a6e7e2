#include "transfer/win32/transfer_windows_win32.h"

#include <algorithm>
#include <vector>

#include "transfer/status_window_model.h"
#include "transfer/transfer_dialog_ids.h"
#include "transfer/transfer_front_end.h"

namespace transfer {

namespace {

// ---- the segmented progress bar ----

constexpr wchar_t kMeterClass[] = L"VzMeter";

struct MeterState {
    int Position = 0;
    int Minimum = 0;
    int Maximum = 100;
    int Step = kMeterStep;
    int BevelStyle = 0;  // 0 lowered, 1 raised
};

MeterState* MeterOf(HWND meter) {
    return reinterpret_cast<MeterState*>(GetWindowLongPtrW(meter, GWLP_USERDATA));
}

MeterSegments SegmentsOf(HWND meter, const MeterState& m) {
    RECT r;
    GetClientRect(meter, &r);
    return MeterSegmentsFor(r.right - r.left, m.Step, m.Position, m.Minimum, m.Maximum);
}

void FillColour(HDC dc, const RECT& r, int sysColour) {
    FillRect(dc, &r, GetSysColorBrush(sysColour));
}

void PaintMeter(HWND meter, HDC dc, const MeterState& m) {
    RECT client;
    GetClientRect(meter, &client);
    const int width = client.right, height = client.bottom;
    FillColour(dc, client, COLOR_BTNFACE);
    // The one-pixel bevel: a lowered bar has its shadow at the top and left.
    const int topLeft = m.BevelStyle == 0 ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT;
    const int bottomRight = m.BevelStyle == 0 ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW;
    FillColour(dc, RECT{0, 0, width, 1}, topLeft);
    FillColour(dc, RECT{0, 0, 1, height}, topLeft);
    FillColour(dc, RECT{0, height - 1, width, height}, bottomRight);
    FillColour(dc, RECT{width - 1, 0, width, height}, bottomRight);
    const MeterSegments s = MeterSegmentsFor(width, m.Step, m.Position, m.Minimum, m.Maximum);
    for (int i = 1; i <= s.Whole; ++i) {
        const int x = (i - 1) * m.Step + 2;
        FillColour(dc, RECT{x, 2, x + m.Step - 2, height - 2}, COLOR_HIGHLIGHT);
    }
    if (s.PartialWidth > 0) {
        const int x = s.Whole * m.Step + 2;
        FillColour(dc, RECT{x, 2, x + s.PartialWidth, height - 2}, COLOR_HIGHLIGHT);
    }
}

LRESULT CALLBACK MeterProc(HWND meter, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrW(meter, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new MeterState));
            break;
        case WM_NCDESTROY:
            delete MeterOf(meter);
            SetWindowLongPtrW(meter, GWLP_USERDATA, 0);
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PRINTCLIENT:
            if (const MeterState* m = MeterOf(meter))
                PaintMeter(meter, reinterpret_cast<HDC>(wParam), *m);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(meter, &ps);
            if (const MeterState* m = MeterOf(meter)) PaintMeter(meter, dc, *m);
            EndPaint(meter, &ps);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(meter, message, wParam, lParam);
}

void SetItemText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextA(dialog, id, text.c_str());
}

Win32TransferWindows* WindowsOf(HWND dialog) {
    return reinterpret_cast<Win32TransferWindows*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

// ---- the protocol status window ----

constexpr UINT_PTR kRefreshTimer = 1;
constexpr DWORD kRefreshMs = 100;

INT_PTR CALLBACK StatusProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            return FALSE;
        case WM_TIMER:
            if (wParam == kRefreshTimer) {
                KillTimer(dialog, kRefreshTimer);
                if (Win32TransferWindows* w = WindowsOf(dialog)) w->ApplyPendingView();
            }
            return TRUE;
        case WM_COMMAND:
            // Cancel stops the engine at its next abort test; the window
            // stays until the transfer ends.
            if (LOWORD(wParam) == IDCANCEL) {
                RequestCancel();
                SetItemText(dialog, VZ_PS_VALUE_FIRST + 13, FrontEnd.StatusText);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

void RegisterMeterClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW c{};
    c.lpfnWndProc = MeterProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    c.lpszClassName = kMeterClass;
    registered = RegisterClassW(&c) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void SetMeterPosition(HWND meter, int position) {
    MeterState* m = meter ? MeterOf(meter) : nullptr;
    if (!m) return;
    position = std::clamp(position, m->Minimum, m->Maximum);
    if (position == m->Position) return;
    const MeterSegments before = SegmentsOf(meter, *m);
    m->Position = position;
    const MeterSegments after = SegmentsOf(meter, *m);
    if (before.Whole != after.Whole || before.PartialWidth != after.PartialWidth)
        InvalidateRect(meter, nullptr, FALSE);
}

int MeterPosition(HWND meter) {
    const MeterState* m = meter ? MeterOf(meter) : nullptr;
    return m ? m->Position : 0;
}

Win32TransferWindows::Win32TransferWindows(const TransferWindowServices& services)
    : services_(services) {}

Win32TransferWindows::~Win32TransferWindows() {
    CloseStatusWindow();
}

void Win32TransferWindows::OpenStatusWindow(const StatusView& view) {
    CloseStatusWindow();
    if (!services_.ModelessDialog) return;
    RegisterMeterClass();
    HWND owner = services_.Owner ? services_.Owner() : nullptr;
    status_ = services_.ModelessDialog("PROTOCOLSTATUS", owner, StatusProc,
                                       reinterpret_cast<LPARAM>(this));
    if (!status_) return;
    // The bar sits at its fixed place inside the progress panel.
    RECT panel{};
    if (HWND frame = GetDlgItem(status_, VZ_PS_PROGRESS_PANEL)) {
        GetWindowRect(frame, &panel);
        MapWindowPoints(nullptr, status_, reinterpret_cast<POINT*>(&panel), 2);
    }
    CreateWindowExW(0, kMeterClass, L"", WS_CHILD | WS_VISIBLE, panel.left + kMeterLeft,
                    panel.top + kMeterTop, kMeterWidth, kMeterHeight, status_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(VZ_PS_METER)),
                    GetModuleHandleW(nullptr), nullptr);
    // Nothing is shown yet: every value differs from a text no line has.
    for (std::string& s : shown_) s.assign(1, '\x01');
    ApplyView(view);
    // Shown without taking the keyboard from the terminal, whose abort key
    // must keep working.
    SetWindowPos(status_, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Win32TransferWindows::UpdateStatusWindow(const StatusView& view) {
    if (!status_ || view.ProtocolNumber == 0) return;
    pending_ = view;
    viewPending_ = true;
    // A new status shows at once; the figures at most every refresh period,
    // so a transfer of small blocks does not spend its time drawing them.
    const DWORD now = GetTickCount();
    if (view.StatusText != shown_[13] || now - lastApplied_ >= kRefreshMs) {
        ApplyPendingView();
    } else {
        SetTimer(status_, kRefreshTimer, kRefreshMs, nullptr);
    }
}

void Win32TransferWindows::ApplyPendingView() {
    if (!status_ || !viewPending_) return;
    viewPending_ = false;
    ApplyView(pending_);
}

void Win32TransferWindows::ApplyView(const StatusView& view) {
    lastApplied_ = GetTickCount();
    const std::vector<StatusLine> lines = StatusLines(view);
    for (size_t i = 0; i < lines.size() && i < std::size(shown_); ++i) {
        if (lines[i].Value == shown_[i]) continue;
        shown_[i] = lines[i].Value;
        SetItemText(status_, VZ_PS_VALUE_FIRST + int(i), shown_[i]);
    }
    SetMeterPosition(GetDlgItem(status_, VZ_PS_METER),
                     ProgressPosition(view.BytesTransferred, view.FileSize));
}

void Win32TransferWindows::CloseStatusWindow() {
    if (!status_) return;
    HWND window = status_;
    status_ = nullptr;
    viewPending_ = false;
    KillTimer(window, kRefreshTimer);
    DestroyWindow(window);
}

}  // namespace transfer
