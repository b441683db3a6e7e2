#pragma once
// The Win32 side of the terminal window, for the other Win32 code.
#include <windows.h>

#include <string>

namespace console {

// Installs this window behind the portable terminal-window calls.
void InstallTerminalWindowStandIn();

// The terminal window; nullptr before it is created and after it is gone.
HWND TerminalWindowHandle();

// The program's title prefix: message 2 when the program has that text.
std::wstring TitleBanner();

// The window class by which the window (and another running copy) is found.
inline constexpr wchar_t TerminalWindowClass[] = L"VovuzIvaTerminal";

}  // namespace console
