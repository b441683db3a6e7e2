#include "console/win32/key_input_win32.h"

#include <imm.h>

#include <string>

#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/exit_chain.h"
#include "console/key_codes.h"
#include "console/key_input.h"
#include "console/key_queue.h"
#include "console/messages.h"
#include "console/program_launch.h"
#include "console/terminal_window.h"
#include "console/win32/paint_win32.h"
#include "console/win32/terminal_window_win32.h"
#include "console/window_paint.h"

namespace console {
namespace {

constexpr UINT kMsgWaitingForProgram = 327;
constexpr UINT kMsgWarning = 328;

struct KeyInputWin32 {
    HWND Window = nullptr;
    HACCEL Accelerators = nullptr;
    HHOOK Hook = nullptr;
    HWND KeyWindow = nullptr;         // the window of the key being handled (for posted characters)
    bool PumpOfferedKeyDown = false;  // the key-down being dispatched went through our handler
};
KeyInputWin32 Win32Keys;

bool Down(int virtualKey) {
    return GetKeyState(virtualKey) < 0;
}

KeyMessage KeyMessageFrom(WPARAM wParam, LPARAM lParam) {
    KeyMessage key;
    key.Code = static_cast<uint16_t>(wParam);
    key.Scan = static_cast<uint8_t>(lParam >> 16);
    key.Extended = (lParam & (1 << 24)) != 0;
    key.Shift = Down(VK_SHIFT);
    key.Ctrl = Down(VK_CONTROL);
    key.Alt = Down(VK_MENU);
    key.NumLock = (GetKeyState(VK_NUMLOCK) & 1) != 0;
    return key;
}

bool RunKeyDown(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND saved = Win32Keys.KeyWindow;
    Win32Keys.KeyWindow = window;
    bool handled = KeyDownHandler(KeyMessageFrom(wParam, lParam));
    Win32Keys.KeyWindow = saved;
    return handled;
}

// The pumps' handling of one message.
void ProcessMessage(MSG& msg) {
    if (commands::Settings.AllowAccelerators != 0) {
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)
            keyInput.LastKey = static_cast<uint16_t>(msg.wParam);
        if (Win32Keys.Window && Win32Keys.Accelerators &&
            TranslateAcceleratorW(Win32Keys.Window, Win32Keys.Accelerators, &msg))
            return;
    }
    // Keys meant for another window (a dialog's control) are left to it.
    const bool ourKeyDown =
        msg.message == WM_KEYDOWN && Win32Keys.Window && msg.hwnd == Win32Keys.Window;
    if (ourKeyDown && RunKeyDown(msg.hwnd, msg.wParam, msg.lParam)) return;
    TranslateMessage(&msg);
    const bool saved = Win32Keys.PumpOfferedKeyDown;
    Win32Keys.PumpOfferedKeyDown = ourKeyDown;
    DispatchMessageW(&msg);
    Win32Keys.PumpOfferedKeyDown = saved;
}

// A key-down that reached the window procedure without passing our pump (another loop
// dispatched it, after translating it): a character made from a key the handler took is removed.
bool KeyDownFromOtherLoop(HWND window, WPARAM wParam, LPARAM lParam) {
    MSG pending;
    const bool charWaits =
        PeekMessageW(&pending, window, WM_CHAR, WM_CHAR, PM_NOREMOVE | PM_NOYIELD) &&
        ((pending.lParam >> 16) & 0xFF) == ((lParam >> 16) & 0xFF);
    if (!RunKeyDown(window, wParam, lParam)) return false;
    if (charWaits) PeekMessageW(&pending, window, WM_CHAR, WM_CHAR, PM_REMOVE | PM_NOYIELD);
    return true;
}

// Alt+keypad digits build the Alt code; the platform's menu characters for them are not keys.
bool KeypadDigitScan(LPARAM lParam) {
    const unsigned scan = (lParam >> 16) & 0xFF;
    const bool extended = (lParam & (1 << 24)) != 0;
    return !extended && scan >= 0x47 && scan <= 0x53 && scan != 0x4A && scan != 0x4E;
}

void ImeComposition(HWND window) {
    HIMC context = ImmGetContext(window);
    if (!context) return;
    LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
    if (bytes > 0) {
        std::u16string text(static_cast<size_t>(bytes) / sizeof(wchar_t), u'\0');
        ImmGetCompositionStringW(context, GCS_RESULTSTR, text.data(), static_cast<DWORD>(bytes));
        ImeResultString(text);
    }
    ImmReleaseContext(window, context);
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    // A message only peeked at comes again when it is removed; act then.
    if (code != HC_ACTION) return CallNextHookEx(Win32Keys.Hook, code, wParam, lParam);
    const bool keyUp = (lParam & 0x80000000u) != 0;
    // Every system this program runs on is of the NT family.
    KeyboardHookAction action = KeyboardHook(static_cast<uint16_t>(wParam), keyUp, true);
    if (action.RestoreNumLockState) {
        BYTE state[256];
        if (GetKeyboardState(state)) {
            state[VK_NUMLOCK] ^= 1;
            SetKeyboardState(state);
        }
    }
    if (action.ReplayNumLock) {
        INPUT input[2] = {};
        for (INPUT& in : input) {
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = VK_NUMLOCK;
            in.ki.wScan = 0x45;
            in.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
        }
        input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }
    if (action.Swallow) return 1;
    return CallNextHookEx(Win32Keys.Hook, code, wParam, lParam);
}

bool WarnLaunchedProgramBox() {
    std::u16string text = GetMessageW(kMsgWaitingForProgram, true);
    std::u16string caption = GetMessageW(kMsgWarning, true);
    int answer = MessageBoxW(Win32Keys.Window, reinterpret_cast<const wchar_t*>(text.c_str()),
                             reinterpret_cast<const wchar_t*>(caption.c_str()),
                             MB_OKCANCEL | MB_ICONWARNING);
    return answer == IDCANCEL;
}

[[noreturn]] void HaltProgramWin32() {
    connections::CommShutdown();
    RunExitChain(255);
    ExitProcess(255);
}

}  // namespace

bool HandleKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!Win32Keys.Window) Win32Keys.Window = window;
    result = 0;
    switch (message) {
        case WM_KEYDOWN:
            return !Win32Keys.PumpOfferedKeyDown && KeyDownFromOtherLoop(window, wParam, lParam);
        case WM_CHAR: {
            HWND saved = Win32Keys.KeyWindow;
            Win32Keys.KeyWindow = window;
            CharHandler(KeyMessageFrom(wParam, lParam), IsWindowUnicode(window) != FALSE);
            Win32Keys.KeyWindow = saved;
            return true;
        }
        case WM_SYSKEYDOWN: {
            HWND saved = Win32Keys.KeyWindow;
            Win32Keys.KeyWindow = window;
            bool handled = SysKeyDownHandler(KeyMessageFrom(wParam, lParam));
            Win32Keys.KeyWindow = saved;
            return handled;
        }
        case WM_SYSCHAR:
            if (keyInput.AltCode != 0 || KeypadDigitScan(lParam)) return true;
            return SysCharHandler(KeyMessageFrom(wParam, lParam));
        case WM_MENUCHAR: {
            KeyMessage key = KeyMessageFrom(LOWORD(wParam), 0);
            if (!MenuCharHandler(key)) return false;
            result = MAKELRESULT(0, MNC_CLOSE);
            return true;
        }
        case WM_IME_COMPOSITION:
            if ((lParam & GCS_RESULTSTR) == 0) return false;
            ImeComposition(window);
            return true;
        case WM_IME_CHAR:
            ImeCharHandler(KeyMessageFrom(wParam, lParam), IsWindowUnicode(window) != FALSE);
            return true;
        default:
            return false;
    }
}

void SetKeyInputWindow(HWND window, HACCEL accelerators) {
    Win32Keys.Window = window;
    Win32Keys.Accelerators = accelerators;
}

void PumpKeyInputMessages() {
    EnsureTerminalWindow();
    FlushInvalidCells();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) keyInputHooks.HaltProgram();
        ProcessMessage(msg);
    }
}

void PumpOneKeyboardMessage() {
    // Host output asks whether a key waits many times a second; the cells it
    // marked meanwhile stay gathered until a key is handled or the next full
    // pump, so that the question costs no repaint request.
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) return;
    FlushInvalidCells();
    // A system key other than these would open menus inside a wait: it waits for the next full
    // pump instead.
    if (msg.message == WM_SYSKEYDOWN && msg.wParam != VK_MENU && msg.wParam != 'A' &&
        msg.wParam != VK_NUMPAD1) {
        PostMessageW(Win32Keys.Window ? Win32Keys.Window : msg.hwnd, msg.message, msg.wParam,
                     msg.lParam);
        return;
    }
    ProcessMessage(msg);
}

void InstallKeyboardHook() {
    if (Win32Keys.Hook) return;
    Win32Keys.Hook =
        SetWindowsHookExW(WH_KEYBOARD, KeyboardHookProc, nullptr, GetCurrentThreadId());
}

void RemoveKeyboardHook() {
    if (!Win32Keys.Hook) return;
    UnhookWindowsHookEx(Win32Keys.Hook);
    Win32Keys.Hook = nullptr;
}

uint8_t LockKeyToggles() {
    uint8_t flags = 0;
    if ((GetKeyState(VK_CAPITAL) & 1) != 0) flags |= 64;
    if ((GetKeyState(VK_NUMLOCK) & 1) != 0) flags |= 32;
    if ((GetKeyState(VK_SCROLL) & 1) != 0) flags |= 16;
    return flags;
}

void InstallKeyInputWin32() {
    auto& h = keyInputHooks;
    h.HaltProgram = [] { HaltProgramWin32(); };
    h.KeyForChar = [](char16_t ch) -> int32_t {
        SHORT r = VkKeyScanExW(static_cast<wchar_t>(ch), GetKeyboardLayout(0));
        return r == -1 ? -1 : (r & 0xFFFF);
    };
    h.ScanCodeForVirtualKey = [](uint16_t virtualKey) -> uint8_t {
        return static_cast<uint8_t>(
            MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_VSC, GetKeyboardLayout(0)));
    };
    h.PostCharMessage = [](char16_t ch, uint8_t scan) {
        HWND target = Win32Keys.KeyWindow ? Win32Keys.KeyWindow : Win32Keys.Window;
        if (target) PostMessageW(target, WM_CHAR, ch, static_cast<LPARAM>(scan) << 16 | 1);
    };
    h.ScanCodeChar = [](uint8_t scanCode) -> char16_t {
        HKL layout = GetKeyboardLayout(0);
        UINT virtualKey = MapVirtualKeyExW(scanCode, MAPVK_VSC_TO_VK, layout);
        if (virtualKey == 0) return 0;
        // Dead keys carry their flag in the top bit.
        return static_cast<char16_t>(MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_CHAR, layout) &
                                     0x7FFFFFFF);
    };
    h.CheckBreak = [] { return TerminalWindowUnit.CheckBreak; };
    h.KeyboardCodePage = [] { return TerminalWindowUnit.KeyboardCodePage; };
    h.KeyWaitStarted = [] { WindowPaint.KeyWaitStarted = true; };
    h.ClearIdleTick = [] { TerminalWindowUnit.IdleTick = false; };
    h.PumpKeyboardMessage = PumpOneKeyboardMessage;
    // Returns when a message waits, seen before or not. The window's idle timer
    // sends one within a tick; the bound keeps a program whose window is gone
    // from sleeping for ever.
    h.WaitForMessage = [] {
        constexpr DWORD kOneTickMs = 55;
        FlushInvalidCells();
        MsgWaitForMultipleObjectsEx(0, nullptr, kOneTickMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    };
    h.WarnLaunchedProgram = WarnLaunchedProgramBox;

    // The terminal window installs the hook when it is made and removes it when it goes, and
    // reads the last key and queues keys for accelerators whose key has a macro.
    WindowHandlers.InstallKeyboardHook = InstallKeyboardHook;
    WindowHandlers.RemoveKeyboardHook = RemoveKeyboardHook;
    WindowHandlers.LastKey = [] { return keyInput.LastKey; };
    WindowHandlers.QueueExtendedKey = [](uint8_t scan) {
        PutExtendedKey(scan, false, false, false);
    };

    TerminalWindowSeam seam = SetTerminalWindowSeam(TerminalWindowSeam{});
    seam.PumpWindowMessages = PumpKeyInputMessages;
    SetTerminalWindowSeam(seam);
    programLaunch.pumpWindowMessages = PumpKeyInputMessages;

    InstallWindowKeySource();
}

}  // namespace console
