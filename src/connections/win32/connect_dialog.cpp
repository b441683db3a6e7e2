#include "connections/win32/connect_dialog.h"

#include "connections/comm_interface.h"
#include "connections/win32/comm_debug_window.h"

namespace connections {

ConnectDialogState ConnectDialog;

namespace {

constexpr UINT kStepCommandFirst = 0x401;
constexpr UINT kStepCommandLast = 0x409;
constexpr UINT kTimerId = 1;

void Finish(HWND dialog, bool connected) {
    ConnectDialogState& d = ConnectDialog;
    if (d.Finished) return;
    if (d.Timer != 0) KillTimer(dialog, d.Timer);
    d.Timer = 0;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    d.Finished = true;
    d.Connected = connected;
}

void Step(HWND dialog) {
    ConnectDialogState& d = ConnectDialog;
    if (d.Finished) return;
    const platform::Progress r = d.Sequence->Poll(d.Host->Milliseconds());
    SetDlgItemTextW(dialog, kConnectStatusId,
                    reinterpret_cast<const wchar_t*>(d.Sequence->StatusText().c_str()));
    if (r == platform::Progress::Done) Finish(dialog, true);
    if (r == platform::Progress::Failed) Finish(dialog, false);
}

INT_PTR CALLBACK ConnectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    ConnectDialogState& d = ConnectDialog;
    switch (message) {
        case WM_INITDIALOG:
            d.Window = dialog;
            d.Sockets->SetDialogWindow(dialog);
            // The timer paces the SOCKS reply polls and the reply deadline.
            d.Timer = SetTimer(dialog, kTimerId, kSocksPollMs, nullptr);
            PostMessageW(dialog, WM_COMMAND, kStepCommandFirst, 0);
            return TRUE;
        case WM_COMMAND: {
            const UINT id = LOWORD(wParam);
            if (id == IDCANCEL) {
                d.Sequence->Cancel();
                Finish(dialog, false);
            } else if (id >= kStepCommandFirst && id <= kStepCommandLast) {
                Step(dialog);
            }
            return TRUE;
        }
        case WM_LOOKUPDONE:
        case WM_SOCKSLOOKUPDONE:
            d.Sockets->LookupFinished(lParam);
            Step(dialog);
            return TRUE;
        case WM_CONNECTDONE:
        case WM_SOCKSCONNECTDONE:
            d.Sockets->ConnectFinished(lParam);
            Step(dialog);
            return TRUE;
        case WM_TIMER:
            Step(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

bool RunWithDialog(ConnectSequence& sequence, platform::Transport&, ConnectionHost& host) {
    return RunConnectDialog(sequence, winsockTransport, host, nullptr);
}

}  // namespace

bool RunConnectDialog(ConnectSequence& sequence, WinsockTransport& sockets, ConnectionHost& host,
                      HWND owner) {
    ConnectDialogState& d = ConnectDialog;
    // One dialog at a time: a pumped message cannot start a second connect.
    if (d.Window != nullptr) return false;
    const auto onCreated = d.OnCreated;
    d = ConnectDialogState{};
    d.OnCreated = onCreated;
    d.Sequence = &sequence;
    d.Sockets = &sockets;
    d.Host = &host;
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), L"CONNECT", owner,
                                     ConnectDialogProc, 0);
    if (dialog == nullptr) {
        // Without the dialog the steps run by polling.
        d = ConnectDialogState{};
        d.OnCreated = onCreated;
        return RunConnectSequence(sequence, sockets, host);
    }
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (d.OnCreated != nullptr) d.OnCreated(dialog);
    MSG msg;
    while (!d.Finished && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    const bool connected = d.Connected;
    sockets.SetDialogWindow(nullptr);
    DestroyWindow(dialog);
    d.Window = nullptr;
    return connected;
}

void InstallWinsockConnection(HWND terminalWindow) {
    winsockTransport.SetNotifyWindow(terminalWindow);
    AttachProgramConnection(&winsockTransport);
    SetConnectRunner(RunWithDialog);
    commDebugWindow.SetOwner(terminalWindow);
    CommDebugState.Window = &commDebugWindow;
}

}  // namespace connections
