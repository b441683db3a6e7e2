// The terminal window: its class, its creation on the first console
// operation, the window procedure that routes every message to the unit that
// handles it, the title, the message pump, and the end of the program.
#include "console/win32/terminal_window_win32.h"

#include <algorithm>
#include <string>

#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/win32/socket_notify.h"
#include "console/console_neighbours.h"
#include "console/exit_chain.h"
#include "console/glyphs/screen_font_model.h"
#include "console/messages.h"
#include "console/program_launch.h"
#include "console/screen_buffer.h"
#include "console/terminal_window.h"
#include "console/win32/paint_win32.h"
#include "console/win32/screen_font_win32.h"
#include "console/window_paint.h"
#include "ui/language_module.h"
#include "ui/win32/language_module_handle.h"

#if __has_include("console/win32/key_input_win32.h")
#include "console/win32/key_input_win32.h"
#define VZ_HAVE_KEY_INPUT 1
#endif

namespace console {

TerminalWindowHandlers WindowHandlers;

LRESULT CALLBACK TerminalWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

struct Win32WindowState {
    HWND TerminalWindow = nullptr;
    bool WindowCreated = false;
    bool Creating = false;
    bool Installed = false;
    HACCEL Accelerators = nullptr;
    bool HelpOpened = false;
    ExitProcedure SavedExitProc = nullptr;
};
Win32WindowState W;

constexpr UINT kSocketEventRead = 1;
constexpr UINT kMenuIdle = 2;  // WM_ENTERIDLE from a menu
constexpr UINT kMediaNotify = 0x03B9;

std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring HelpFileWide() {
    const std::string& file = TerminalWindowUnit.HelpFile;
    return std::wstring(file.begin(), file.end());
}

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

void ShowTitle(std::u16string_view title) {
    if (W.TerminalWindow) SetWindowTextW(W.TerminalWindow, Wide(title).c_str());
}

bool MenuHasItem(HWND window, UINT id) {
    HMENU menu = GetMenu(window);
    return menu && GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

void RegisterTerminalClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = TerminalWindowProc;
    wc.hInstance = Instance();
    wc.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(1));
    if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    // No background brush: the paint handler fills everything itself.
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = L"MainMenu";
    wc.lpszClassName = TerminalWindowClass;
    RegisterClassExW(&wc);
}

// Another running copy: brought forward (and this one ends) or asked to close.
void HandleOtherInstance() {
    HWND other = FindWindowW(TerminalWindowClass, nullptr);
    if (!other) return;
    DWORD owner = 0;
    GetWindowThreadProcessId(other, &owner);
    if (owner == GetCurrentProcessId()) return;
    switch (commands::Settings.SingleInstance) {
        case 1: {
            HWND popup = GetLastActivePopup(other);
            BringWindowToTop(popup);
            if (IsIconic(popup)) {
                ShowWindow(popup, SW_RESTORE);
            } else {
                SetForegroundWindow(popup);
            }
            Neighbours.EndSession();
            break;
        }
        case 2:
            // Posted: the other copy's save question must not hold this one up.
            PostMessageW(other, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

int StartupShowCommand() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL;
}

UINT BlinkTime() {
    UINT time = GetCaretBlinkTime();
    // A system without caret blinking still blinks text at the usual rate.
    return (time == 0 || time == INFINITE) ? 530 : time;
}

void CreateTerminalWindow() {
    const auto& settings = commands::Settings;
    HandleOtherInstance();

    int32_t left = 0, top = 0, width = 0, height = 0;
    InitialWindowPlacement(left, top, width, height);
    auto place = [](int32_t v) { return v == kUseDefaultPosition ? CW_USEDEFAULT : v; };

    bool closeGreyed = false;
    DWORD style = TerminalWindowStyle(settings.WindowStyle.Get(), closeGreyed);

    HMENU menu = nullptr;
    if (ui::LoadLanguageDll(settings.LanguageId.Get()) && ui::LanguageModuleHandle())
        menu = LoadMenuW(ui::LanguageModuleHandle(), L"MainMenu");

    HWND window = CreateWindowExW(
        0, TerminalWindowClass, Wide(TerminalWindowUnit.CurrentWindowTitle).c_str(), style,
        place(left), place(top), place(width), place(height), nullptr, menu, Instance(), nullptr);
    if (!window) {
        if (menu) DestroyMenu(menu);
        return;
    }
    W.TerminalWindow = window;
#ifdef VZ_HAVE_KEY_INPUT
    // The pumps serve this window and translate its accelerators.
    SetKeyInputWindow(window, W.Accelerators);
#endif
    if (WindowHandlers.WindowCreated) WindowHandlers.WindowCreated(window);
    if (closeGreyed)
        EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);

    CreateScreenFont();
    FitWindowToScreen(window);
    ShowWindow(window, settings.Zoomed80 ? SW_SHOWMAXIMIZED : StartupShowCommand());
    UpdateWindow(window);

    SetTimer(window, kIdleTimer, std::max<UINT>(settings.MainTimerInterval.Get(), 1), nullptr);
    SetTimer(window, kCaretTimer, BlinkTime(), nullptr);
    SetTimer(window, kBlinkTimer, BlinkTime(), nullptr);
    if (WindowHandlers.InstallKeyboardHook) WindowHandlers.InstallKeyboardHook();
}

void EnsureWindow() {
    // Creation runs console work of its own (font, layout) that must not recurse.
    if (W.WindowCreated || W.Creating) return;
    W.Creating = true;
    CreateTerminalWindow();
    W.Creating = false;
}

[[noreturn]] void EndProcess(int status) {
    if (status != 0 && WindowPaint.HasFocus && WindowPaint.KeyWaitStarted) DestroySystemCaret();
    RunExitChain(status);
    ExitProcess(static_cast<UINT>(status));
}

void OnCreate(HWND window) {
    W.WindowCreated = true;
    W.TerminalWindow = window;
    const auto& settings = commands::Settings;
    HMODULE module = (ui::LoadLanguageDll(settings.LanguageId.Get()) && ui::LanguageModuleHandle())
                         ? ui::LanguageModuleHandle()
                         : Instance();
    W.Accelerators = LoadAcceleratorsW(module, L"ACC1");
    if (!W.Accelerators && module != Instance())
        W.Accelerators = LoadAcceleratorsW(Instance(), L"ACC1");
    AllocateConsoleScreen();
    EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
}

void OnDestroy(HWND window) {
    FreeConsoleScreen();
    Neighbours.DdeClientShutdown();
    if (!DeleteScreenFont()) Neighbours.MessageBox("Cannot delete font");
    FreeGlyphBitmaps();
    auto& s = ConsoleScreen;
    s.WindowCursorCol = s.WindowCursorRow = 0;
    s.ViewCol = s.ViewRow = 0;
    WindowPaint.CaretDrawn = false;
    if (W.HelpOpened) {
        WinHelpW(window, HelpFileWide().c_str(), HELP_QUIT, 0);
        W.HelpOpened = false;
    }
    PostQuitMessage(0);
#ifdef VZ_HAVE_KEY_INPUT
    SetKeyInputWindow(nullptr, nullptr);
#endif
    W.WindowCreated = false;
    W.TerminalWindow = nullptr;
}

void OnClose(HWND window) {
    // The run ends through the main loop so that the close-down (capture, files,
    // print job, connection) still happens before the window goes.
    if (WindowCloseRequested(MenuHasItem(window, kMenuItemExit))) Neighbours.EndSession();
}

void OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MenuCommandInput in;
    in.Id = LOWORD(wParam);
    in.FromAccelerator = HIWORD(wParam) == 1;
    in.AltHeld = GetKeyState(VK_MENU) < 0;
    in.CtrlHeld = GetKeyState(VK_CONTROL) < 0;
    in.ShiftHeld = GetKeyState(VK_SHIFT) < 0;
    uint16_t lastKey = WindowHandlers.LastKey ? WindowHandlers.LastKey() : 0;
    in.LastKeyScan = static_cast<uint8_t>(MapVirtualKeyW(lastKey, MAPVK_VK_TO_VSC));
    in.LastKeyInsert = lastKey == VK_INSERT;
    in.MenuHasItem = MenuHasItem(window, in.Id);
    in.MacroExists = Neighbours.MacroExists;
    MenuCommandDecision d = RouteMenuCommand(in);
    switch (d.Route) {
        case MenuCommandRoute::OpenHelp:
            WinHelpW(window, HelpFileWide().c_str(), HELP_CONTEXT, d.HelpContext);
            W.HelpOpened = true;
            break;
        case MenuCommandRoute::QueueKey:
            if (WindowHandlers.QueueExtendedKey)
                WindowHandlers.QueueExtendedKey(static_cast<uint8_t>(d.Key));
            break;
        case MenuCommandRoute::RunItem:
            if (WindowHandlers.MenuCommand)
                WindowHandlers.MenuCommand(window, message, wParam, lParam);
            break;
        case MenuCommandRoute::Ignore:
            break;
    }
}

LRESULT OnSysCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    UINT command = static_cast<UINT>(wParam & 0xFFF0);
    TerminalWindowUnit.Restoring = command == SC_RESTORE;
    if (command == SC_RESTORE && !(commands::Settings.WindowStyle.Get() & WS_MAXIMIZEBOX)) {
        TerminalWindowUnit.Restoring = false;
        return 0;
    }
    LRESULT result = DefWindowProcW(window, message, wParam, lParam);
    if (TerminalWindowUnit.Restoring && !IsZoomed(window)) FitWindowToScreen(window);
    TerminalWindowUnit.Restoring = false;
    return result;
}

void OnInputLanguageChange(WPARAM wParam, LPARAM lParam) {
    auto& unit = TerminalWindowUnit;
    unit.KeyboardCharset = static_cast<uint32_t>(wParam);
    CHARSETINFO info{};
    unit.KeyboardCodePage =
        TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(wParam)), &info,
                             TCI_SRCCHARSET)
            ? info.ciACP
            : 0;
    unit.KeyboardLayout = static_cast<uint64_t>(lParam);
    wchar_t codePage[8] = {};
    LCID locale = MAKELCID(LOWORD(lParam), SORT_DEFAULT);
    if (GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE, codePage, 8) > 0) {
        uint32_t number = static_cast<uint32_t>(_wtoi(codePage));
        if (number != 0) unit.KeyboardCodePage = number;
    }
}

void OnSocketNotify(UINT message, WPARAM wParam, LPARAM lParam) {
    if (connections::CommVerbose()) {
        UINT event = LOWORD(lParam);
        if (event != kSocketEventRead)
            Neighbours.MessageBox("Comm Event = " + std::to_string(event));
        if (HIWORD(lParam) != 0)
            Neighbours.MessageBox("Comm Event Error = " + std::to_string(HIWORD(lParam)));
    }
    connections::HandleSocketNotify(message, wParam, lParam);
}

bool IsKeyMessage(UINT message) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_SYSCHAR:
        case WM_MENUCHAR:
        case WM_IME_COMPOSITION:
        case WM_IME_CHAR:
            return true;
        default:
            return false;
    }
}

// The inactive window after a normal end: it stays up until it is closed.
void TerminalExitProc() {
    ExitChain.ExitProc = W.SavedExitProc;
    if (!W.WindowCreated || !W.TerminalWindow || ExitChain.ExitStatus != 0) return;
    HWND window = W.TerminalWindow;
    const FormatArg args[] = {TerminalWindowUnit.CurrentWindowTitle};
    ShowTitle(GetMessageFmt(kMsgInactiveTitle, args));
    GetSystemMenu(window, TRUE);
    TerminalWindowUnit.CheckBreak = false;
    Neighbours.ResumeSession();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!W.Accelerators || !TranslateAcceleratorW(window, W.Accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!Neighbours.SessionRunning()) CloseTerminalWindow();
    }
}

}  // namespace

LRESULT CALLBACK TerminalWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DESTROY && message != WM_NCDESTROY && W.WindowCreated)
        W.TerminalWindow = window;
    if (IsKeyMessage(message)) {
#ifdef VZ_HAVE_KEY_INPUT
        LRESULT result = 0;
        if (HandleKeyMessage(window, message, wParam, lParam, result)) return result;
#endif
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
        (message == WM_TIMER && wParam != kIdleTimer && wParam != kCaretTimer &&
         wParam != kBlinkTimer)) {
        LRESULT result = 0;
        if (WindowHandlers.Mouse && WindowHandlers.Mouse(window, message, wParam, lParam, result))
            return result;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_CREATE:
            OnCreate(window);
            return 0;
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
        case WM_SIZE:
            WindowSized(window, LOWORD(lParam), HIWORD(lParam), wParam == SIZE_MAXIMIZED);
            return 0;
        case WM_SETFOCUS:
            WindowPaint.HasFocus = true;
            if (WindowPaint.KeyWaitStarted) HideSystemCaret();
            return 0;
        case WM_KILLFOCUS:
            if (WindowPaint.KeyWaitStarted) DestroySystemCaret();
            WindowPaint.HasFocus = false;
            return 0;
        case WM_ERASEBKGND:
            // Left to the paint, which fills the background itself.
            return 0;
        case WM_PAINT:
            PaintWindow(window);
            return 0;
        case WM_CLOSE:
            OnClose(window);
            return 0;
        case WM_QUERYENDSESSION:
            return EndSessionAllowed() ? 1 : 0;
        case WM_WINDOWPOSCHANGED: {
            RECT r{};
            if (!IsIconic(window) && !IsZoomed(window) && GetWindowRect(window, &r))
                TrackWindowRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
            break;
        }
        case WM_INPUTLANGCHANGE:
            OnInputLanguageChange(wParam, lParam);
            break;
        case WM_COMMAND:
            OnCommand(window, message, wParam, lParam);
            return 0;
        case WM_SYSCOMMAND:
            return OnSysCommand(window, message, wParam, lParam);
        case WM_TIMER:
            if (wParam == kIdleTimer) {
                TerminalWindowUnit.IdleTick = true;
            } else if (wParam == kCaretTimer) {
                if (WindowPaint.HasFocus) ToggleSoftCaret();
            } else {
                BlinkTick();
            }
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL:
            ScrollBarMessage(window, message == WM_HSCROLL ? 0 : 1, LOWORD(wParam),
                             static_cast<int16_t>(HIWORD(wParam)));
            return 0;
        case WM_INITMENU:
            Neighbours.UpdateMenuState();
            return 0;
        case WM_ENTERIDLE:
            if (wParam == kMenuIdle && GetKeyState(VK_F1) < 0) {
                TerminalWindowUnit.HelpMode = true;
                PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
            }
            break;
        case WM_QUERYNEWPALETTE:
        case WM_PALETTECHANGED: {
            LRESULT result = 0;
            if (WindowHandlers.Palette &&
                WindowHandlers.Palette(window, message, wParam, lParam, result))
                return result;
            break;
        }
        case kMediaNotify:
            if (WindowHandlers.MediaNotify) WindowHandlers.MediaNotify(wParam, lParam);
            return 0;
        case WM_RELAYOUT:
            RelayoutWindow(window);
            return 0;
        case WM_CURSORMOVED:
            CaretFollowsCursor();
            return 0;
        case WM_SOCKETNOTIFY:
            OnSocketNotify(message, wParam, lParam);
            return 0;
        case WM_COMMREQUEST:
            return static_cast<LRESULT>(
                CommRequestMessage(static_cast<uint32_t>(wParam), static_cast<int64_t>(lParam)));
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void InstallTerminalWindow() {
    if (W.Installed) return;
    W.Installed = true;
    RegisterTerminalClass();
    SetDefaultPalette();
    SetScreenWindow(&Win32ConsoleWindowPort());

    TerminalWindowSeam seam;
    seam.EnsureTerminalWindow = EnsureWindow;
    seam.DestroyTerminalWindow = DestroyTerminalWindow;
    seam.EndProcess = EndProcess;
    seam.PumpWindowMessages = PumpTerminalMessages;
    seam.ShowWindowTitle = ShowTitle;
    SetTerminalWindowSeam(seam);
    // The FONT command reaches the window's font through its port.
    ScreenFontPort.SetTerminalFont = [](const std::string& w1, const std::string& w2,
                                        const std::string& w3, ScreenFontChange& change) {
        if (!SetTerminalFont(TerminalWindowHandle(), w1, w2, w3)) return false;
        change = {WindowPaint.CellHeight, WindowPaint.CellWidth, ScreenFontUnit.FontBold};
        return true;
    };

    programLaunch.windowTitle = [] { return TerminalWindowUnit.CurrentWindowTitle; };
    programLaunch.setWindowTitle = [](std::u16string_view title) { ShowTitle(title); };

    // The banner comes first so that the first title already carries it.
    InitTitleBanner();
    UpdateWindowTitle();
    W.SavedExitProc = ExitChain.ExitProc;
    ExitChain.ExitProc = TerminalExitProc;

    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string program;
    for (DWORD i = 0; i < n; ++i)
        program.push_back(path[i] < 0x80 ? static_cast<char>(path[i]) : '?');
    TerminalWindowUnit.HelpFile = HelpFilePath(program);

    auto& unit = TerminalWindowUnit;
    unit.AnsiCodePage = GetACP();
    unit.OemCodePage = GetOEMCP();
    unit.KeyboardLayout = reinterpret_cast<uintptr_t>(GetKeyboardLayout(0));
    unit.KeyboardCodePage = unit.AnsiCodePage;
}

HWND TerminalWindowHandle() {
    return W.TerminalWindow;
}

void DestroyTerminalWindow() {
    HWND window = W.TerminalWindow;
    if (!window) return;
    for (UINT_PTR timer : {kIdleTimer, kCaretTimer, kBlinkTimer}) KillTimer(window, timer);
    DestroyWindow(window);
    W.TerminalWindow = nullptr;
    // The quit message the destruction posted is this call's own, not a halt.
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    if (WindowHandlers.RemoveKeyboardHook) WindowHandlers.RemoveKeyboardHook();
}

std::wstring TitleBanner() {
    return Wide(TerminalWindowUnit.TitleBanner);
}

void PumpTerminalMessages() {
    EnsureTerminalWindow();
    FlushInvalidCells();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) HaltProgram();
        if (commands::Settings.AllowAccelerators && W.Accelerators && W.TerminalWindow &&
            TranslateAcceleratorW(W.TerminalWindow, W.Accelerators, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace console
