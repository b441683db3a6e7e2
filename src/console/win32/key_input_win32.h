#pragma once
// The Win32 side of the key input: the key messages of the terminal window, the message pumps
// and the thread's keyboard hook.
#include <windows.h>

#include <cstdint>

namespace console {

// The terminal window's procedure calls this first for WM_KEYDOWN, WM_KEYUP, WM_CHAR,
// WM_SYSKEYDOWN, WM_SYSCHAR, WM_MENUCHAR, WM_IME_COMPOSITION and WM_IME_CHAR. True when the
// message was handled, with the procedure's answer in result; false when the procedure passes
// it on to the default procedure.
bool HandleKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The window the pumps serve and its "ACC1" accelerators (nullptr for none). The terminal
// window sets them when it is created and clears them when it goes; HandleKeyMessage also
// takes the window it is called for.
void SetKeyInputWindow(HWND window, HACCEL accelerators);

// PumpWindowMessages: every waiting message of the thread.
void PumpKeyInputMessages();
// KeyAvailable's pump: at most one waiting message of the keyboard range.
void PumpOneKeyboardMessage();

// The keyboard hook of this thread: installed with the window, removed by its close.
void InstallKeyboardHook();
void RemoveKeyboardHook();

// Caps Lock 64, Num Lock 32 and Scroll Lock 16 for each key whose toggle is on,
// for the status line's indicators.
uint8_t LockKeyToggles();

// Puts the Win32 key input behind the portable calls: the key input's platform hooks, the pump
// behind PumpWindowMessages (call it after the terminal window installed its seam) and behind
// the launched-program wait.
void InstallKeyInputWin32();

}  // namespace console
