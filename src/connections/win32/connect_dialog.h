#pragma once
// The CONNECT dialog: a modeless dialog with its own message loop that drives
// a ConnectSequence from the Winsock lookup and connect messages, its 100 ms
// timer and Cancel.
#include <windows.h>

#include "connections/connect_sequence.h"
#include "connections/win32/winsock_transport.h"

namespace connections {

inline constexpr int kConnectStatusId = 101;

struct ConnectDialogState {
    HWND Window = nullptr;
    ConnectSequence* Sequence = nullptr;
    WinsockTransport* Sockets = nullptr;
    ConnectionHost* Host = nullptr;
    UINT_PTR Timer = 0;
    bool Finished = false;
    bool Connected = false;
    // Called once the dialog exists (tests use it to press Cancel).
    void (*OnCreated)(HWND dialog) = nullptr;
};
extern ConnectDialogState ConnectDialog;

// Runs the steps to their end in the dialog; true when connected.
bool RunConnectDialog(ConnectSequence& sequence, WinsockTransport& sockets, ConnectionHost& host,
                      HWND owner);

// Joins the Winsock transport, the CONNECT dialog and the debug window to
// the program's connection; socket notices go to terminalWindow.
void InstallWinsockConnection(HWND terminalWindow);

}  // namespace connections
