#pragma once
// The terminal window as the rest of the program sees it: created on first
// use, its title, its message pump, the requests other programs send it, and
// the end of the program. The platform installs the window behind these
// calls; without one they do nothing (and CloseTerminalWindow and HaltProgram
// only end the process).

#include <cstdint>
#include <string>
#include <string_view>

namespace console {

// Private window messages of the terminal window.
inline constexpr uint32_t WM_RELAYOUT = 0x0400;
inline constexpr uint32_t WM_CURSORMOVED = 0x0401;
inline constexpr uint32_t WM_SOCKETNOTIFY = 0x0402;
inline constexpr uint32_t WM_COMMREQUEST = 0x0464;

// Timers of the terminal window.
inline constexpr uintptr_t kIdleTimer = 1;
inline constexpr uintptr_t kCaretTimer = 2;
inline constexpr uintptr_t kBlinkTimer = 3;

// Menu item Exit: the window may be closed only when its menu has it.
inline constexpr uint16_t kMenuItemExit = 115;

// Message ids of the window unit.
inline constexpr uint16_t kMsgTitleBanner = 2;
inline constexpr uint16_t kMsgHelpFile = 3;
inline constexpr uint16_t kMsgFunctionDisabled = 503;
inline constexpr uint16_t kMsgInactiveTitle = 504;
inline constexpr uint16_t kMsgNotConnected = 505;

// A window position or size left to the system.
inline constexpr int32_t kUseDefaultPosition = INT32_MIN;

struct TerminalWindowUnitState {
    std::u16string CurrentWindowTitle;           // at most 79 units
    std::u16string TitleBanner = u"VovuzIva  ";  // at most 20 units
    std::string HelpFile;
    bool HelpMode = false;   // F1 in a menu: the next menu command opens help
    bool Restoring = false;  // a restore command is being handled
    bool IdleTick = false;   // set by the idle timer
    // Ctrl+Break and a typed Ctrl+C end the program while this is on.
    bool CheckBreak = true;
    // Another program drives the connection through WM_COMMREQUEST.
    bool CommRequestActive = false;
    uint32_t AnsiCodePage = 1252;
    uint32_t OemCodePage = 437;
    uint32_t KeyboardCodePage = 1252;
    uint32_t KeyboardCharset = 0;
    uint64_t KeyboardLayout = 0;
};
extern TerminalWindowUnitState TerminalWindowUnit;
void ResetTerminalWindowUnit();

struct TerminalWindowSeam {
    void (*EnsureTerminalWindow)() = nullptr;
    // Destroys the window, its timers and the keyboard hook.
    void (*DestroyTerminalWindow)() = nullptr;
    // Puts the system caret away and ends the process with the status.
    void (*EndProcess)(int status) = nullptr;
    void (*PumpWindowMessages)() = nullptr;
    // Shows the title on the window when it exists.
    void (*ShowWindowTitle)(std::u16string_view title) = nullptr;
};

// Installs the window's operations; returns the ones installed before.
TerminalWindowSeam SetTerminalWindowSeam(const TerminalWindowSeam& seam);

void EnsureTerminalWindow();
// Destroys the window and ends the process with status 0 (the exit chain runs).
[[noreturn]] void CloseTerminalWindow();
// Shuts the connection down and ends the process with status 255.
[[noreturn]] void HaltProgram();
void PumpWindowMessages();
// Blanks the window's display buffer (defined with the buffer, console/screen_buffer.cpp).
void ClearWindowScreen();

// The title from the settings and the connection, kept in CurrentWindowTitle and
// shown on the window.
void UpdateWindowTitle();
std::u16string BuildWindowTitle();
// TitleBanner from message 2 and HelpFile beside the program, at unit start-up.
void InitTitleBanner();
std::string HelpFilePath(std::string_view programPath);

// The answer to WM_COMMREQUEST function (wParam) with argument (lParam).
int64_t CommRequestMessage(uint32_t function, int64_t argument);

// WM_CLOSE: true when the run is to end. Without the Exit item in the window's
// menu, or with AllowQuit off, "Function disabled" is shown instead; else the
// save question decides (and can be cancelled).
bool WindowCloseRequested(bool menuHasExit);
// WM_QUERYENDSESSION: true when the save question lets the program end.
bool EndSessionAllowed();

// The window style from the WindowStyle setting: a minimise or maximise box brings
// the system menu along (whose Close is then greyed).
uint32_t TerminalWindowStyle(uint32_t setting, bool& closeGreyed);
// Position and size for creation: the remembered ones with TrackWindow, else
// kUseDefaultPosition.
void InitialWindowPlacement(int32_t& left, int32_t& top, int32_t& width, int32_t& height);
// Remembers the window's rectangle (with TrackWindow) for its column mode.
void TrackWindowRect(int32_t left, int32_t top, int32_t width, int32_t height);

// How WM_COMMAND goes on: run the menu item, queue a key whose macro takes the
// accelerator over, open help, or nothing.
enum class MenuCommandRoute : uint8_t { RunItem, QueueKey, OpenHelp, Ignore };
struct MenuCommandDecision {
    MenuCommandRoute Route = MenuCommandRoute::RunItem;
    uint16_t Key = 0;  // the extended key's scan code to queue
    uint32_t HelpContext = 0;
};
struct MenuCommandInput {
    uint16_t Id = 0;
    bool FromAccelerator = false;
    bool AltHeld = false;
    bool CtrlHeld = false;
    bool ShiftHeld = false;
    uint8_t LastKeyScan = 0;     // scan code of the last key the key-down filter saw
    bool LastKeyInsert = false;  // that key was Insert
    bool MenuHasItem = true;
    bool (*MacroExists)(uint16_t key) = nullptr;
};
MenuCommandDecision RouteMenuCommand(const MenuCommandInput& input);

}  // namespace console
