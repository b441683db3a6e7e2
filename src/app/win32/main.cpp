// The program entry: the Win32 services go in behind the portable seams,
// the terminal Kermit is initialised, the main routine runs, and the
// terminal window's close ends the process.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "app/composition.h"
#include "app/transfer_wiring.h"
#include "commands/command_services.h"
#include "commands/settings_record.h"
#include "commands/win32/settings_platform_win32.h"
#include "commands/win32/variables_win32.h"
#include "connections/comm_interface.h"
#include "connections/win32/connect_dialog.h"
#include "connections/win32/host_key_registry_win32.h"
#include "console/console_primitives.h"
#include "console/exit_chain.h"
#include "console/status_line.h"
#include "console/terminal_window.h"
#include "console/tick_clock.h"
#include "console/win32/code_pages_win32.h"
#include "console/win32/glyph_draw_win32.h"
#include "console/win32/install_services.h"
#include "console/win32/key_input_win32.h"
#include "console/win32/terminal_window_win32.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/macros.h"
#include "emulation/main_routine.h"
#include "emulation/operations/term_executor.h"
#include "emulation/session_services.h"
#include "transfer/transfer_interface.h"
#include "transfer/win32/transfer_windows_win32.h"
#include "ui/menus/menu_state.h"
#include "ui/win32/language_dialogs.h"
#include "ui/win32/menus_win32.h"
#include "ui/win32/message_box_win32.h"
#include "ui/win32/notice_window_win32.h"

namespace {

// Whether the program's menu resource of that name holds the item.
bool MenuHoldsItem(std::string_view menuName, uint16_t itemId) {
    std::wstring name(menuName.begin(), menuName.end());
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), name.c_str());
    if (!menu) return false;
    bool holds = GetMenuState(menu, itemId, MF_BYCOMMAND) != static_cast<UINT>(-1);
    DestroyMenu(menu);
    return holds;
}

// Socket notices go to the window once it exists; the window has named itself
// and its accelerators to the key pumps already.
void TerminalWindowCreated(HWND window) {
    connections::InstallWinsockConnection(window);
    ui::SetupMainMenu();
}

// What the commands ask of the terminal window and its glyph drawing.
void FillWindowCommandServices() {
    using commands::WindowMetric;
    auto& s = commands::CommandServices;
    s.GetWindowMetric = [](WindowMetric metric, int32_t& value) {
        if (metric == WindowMetric::MaxX || metric == WindowMetric::MaxY) {
            HDC dc = GetDC(nullptr);
            if (!dc) return false;
            value = GetDeviceCaps(dc, metric == WindowMetric::MaxX ? HORZRES : VERTRES);
            ReleaseDC(nullptr, dc);
            return true;
        }
        HWND window = console::TerminalWindowHandle();
        RECT r{};
        const bool outer = metric == WindowMetric::WindowX || metric == WindowMetric::WindowY;
        if (!window || !(outer ? GetWindowRect(window, &r) : GetClientRect(window, &r)))
            return false;
        const bool across = metric == WindowMetric::WindowX || metric == WindowMetric::ClientX;
        value = across ? r.right - r.left : r.bottom - r.top;
        return true;
    };
    s.RequestWindow = [](commands::WindowRequest request) {
        HWND window = console::TerminalWindowHandle();
        if (!window) return;
        const WPARAM command = request == commands::WindowRequest::Maximize  ? SC_MAXIMIZE
                               : request == commands::WindowRequest::Restore ? SC_RESTORE
                                                                             : SC_MINIMIZE;
        PostMessageW(window, WM_SYSCOMMAND, command, 0);
    };
    s.RebuildFontFallbackList = [] {
        console::ParseScreenFallbackFonts(commands::Settings.FontFallbackList.View());
    };
}

// The transfers' status window from the program's template (or the
// language's), owned by the terminal window.
transfer::TransferWindowServices TransferWindowServices() {
    transfer::TransferWindowServices s;
    s.ModelessDialog = [](const char* name, HWND parent, DLGPROC procedure, LPARAM parameter) {
        return ui::LangCreateDialog(GetModuleHandleW(nullptr), name, parent, procedure, parameter);
    };
    s.Owner = console::TerminalWindowHandle;
    return s;
}

// An end of the process through the C run-time still runs the exit chain.
void RunExitChainAtExit() {
    console::RunExitChain(console::ExitChain.ExitStatus);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::InstallWin32Services();
    console::InstallWin32CodePages();
    console::CalibrateDelayLoop();
    platform::InstallSettingsFilePlatform();
    commands::InstallWin32VariableSources();
    console::InstallTerminalWindow();
    console::InstallKeyInputWin32();
    // Sockets are polled until the window exists to take their notices.
    connections::InstallWinsockConnection(nullptr);
    connections::InstallRegistryHostKeyStore();
    console::WindowHandlers.WindowCreated = TerminalWindowCreated;
    ui::InstallWin32MessageBox();
    ui::InstallWin32NoticeWindow();
    ui::InstallWin32LanguageDialogs();
    std::atexit(RunExitChainAtExit);

    app::ComposeProgram();
    // The entries only the Windows side can answer.
    emulation::Services.MenuHoldsItem = MenuHoldsItem;
    console::StatusLinePort.LockKeyToggles = console::LockKeyToggles;
    emulation::Services.HoldScreenOn = console::HoldScreenOn;
    FillWindowCommandServices();
    ui::InstallWin32Menus();
    static transfer::Win32TransferWindows transferWindows(TransferWindowServices());
    app::SetTransferWindows(&transferWindows);
    transfer::InitKermit();
    emulation::RunSession();
    console::CloseTerminalWindow();
}
