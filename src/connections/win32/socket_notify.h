#pragma once
#include <windows.h>

namespace connections {

// The terminal window procedure's handler of WM_SOCKETNOTIFY (WM_USER+2):
// receives what the socket holds. True when the message was one of ours.
bool HandleSocketNotify(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace connections
