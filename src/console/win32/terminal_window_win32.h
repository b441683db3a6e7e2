#pragma once
// The Win32 side of the terminal window, for the other Win32 code: the window
// itself, its class, and the handlers through which the window procedure
// reaches the units that own the mouse, the menus, the scroll position and
// the background picture.
#include <windows.h>

#include <cstdint>
#include <string>

namespace console {

// Registers the window class, sets the palette, the banner and the title, links the
// exit procedure, and puts the window behind the portable terminal-window calls and
// the screen buffer. The program calls it once before anything else; tests too.
void InstallTerminalWindow();

// The terminal window; nullptr before it is created and after it is gone.
HWND TerminalWindowHandle();
// Kills the timers, destroys the window and removes the keyboard hook, without
// ending the process (CloseTerminalWindow then ends it). The quit message that the
// destruction posts is taken back; a window destroyed any other way leaves it for
// the next pump, which takes it as a halt.
void DestroyTerminalWindow();
// The program's title prefix.
std::wstring TitleBanner();
// Every waiting message of the thread: the quit message halts the program,
// accelerators are translated, the rest dispatched.
void PumpTerminalMessages();

// The window class by which the window (and another running copy) is found.
inline constexpr wchar_t TerminalWindowClass[] = L"VovuzIvaTerminal";

// Handlers of other units for the messages they own; a handler that is not set
// leaves the message to the default handling. The message handlers return true
// when they handled the message, with its result.
using MessageHandler = bool (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT& result);
struct TerminalWindowHandlers {
    // The window was just created (socket notices and owned dialogs go to it).
    void (*WindowCreated)(HWND window) = nullptr;
    // Mouse messages and the click timers 5 and 6.
    MessageHandler Mouse = nullptr;
    // A shown mouse selection is inverted back before anything is written.
    void (*RemoveSelection)() = nullptr;
    // A shown selection is inverted again over the area a paint drew.
    void (*PaintSelection)(HDC dc, const RECT& painted) = nullptr;
    // WM_QUERYNEWPALETTE and WM_PALETTECHANGED.
    MessageHandler Palette = nullptr;
    // WM_COMMAND items that run (the menu dispatcher).
    void (*MenuCommand)(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;
    // MM_MCINOTIFY: the end of a media play.
    void (*MediaNotify)(WPARAM wParam, LPARAM lParam) = nullptr;
    // The keyboard hook, installed with the window and removed with it.
    void (*InstallKeyboardHook)() = nullptr;
    void (*RemoveKeyboardHook)() = nullptr;
    // The key-down filter's last virtual key, and the key queue for the keys whose
    // macros take accelerators over.
    uint16_t (*LastKey)() = nullptr;
    void (*QueueExtendedKey)(uint8_t scan) = nullptr;
};
extern TerminalWindowHandlers WindowHandlers;

}  // namespace console
