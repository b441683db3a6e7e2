#include "ui/win32/menus_win32.h"

#include <commdlg.h>
#include <shlobj.h>
#include <winspool.h>

#include <map>
#include <string>
#include <vector>

#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "console/messages.h"
#include "console/win32/screen_font_win32.h"
#include "console/win32/terminal_window_win32.h"
#include "console/window_paint.h"
#include "ui/clipboard/clipboard.h"
#include "ui/dialogs/dialog_model.h"
#include "ui/menus/menu_dispatcher.h"
#include "ui/menus/menu_services.h"
#include "ui/menus/menu_state.h"
#include "ui/message_box.h"
#include "ui/win32/font_dialogs_win32.h"
#include "ui/win32/language_dialogs.h"
#include "ui/win32/model_dialogs_win32.h"

namespace ui {
namespace {

std::map<std::string, NamedDialogRunner, std::less<>>& NamedDialogs() {
    static std::map<std::string, NamedDialogRunner, std::less<>> dialogs;
    return dialogs;
}

HWND Window() {
    return console::TerminalWindowHandle();
}

std::string Msg(uint16_t id) {
    return console::GetMessageText(id, true);
}

// Every item of the menu and its submenus, with where it sits.
struct FoundItem {
    HMENU Menu;
    UINT Position;
    MenuItem Item;
};
void CollectItems(HMENU menu, std::vector<FoundItem>& out) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            CollectItems(sub, out);
            continue;
        }
        const UINT id = GetMenuItemID(menu, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        MenuItem item{static_cast<uint16_t>(id), text};
        item.Enabled = (state & (MF_GRAYED | MF_DISABLED)) == 0;
        item.Checked = (state & MF_CHECKED) != 0;
        out.push_back({menu, static_cast<UINT>(i), item});
    }
}

void ApplyItems(const std::vector<FoundItem>& found, const std::vector<MenuItem>& items) {
    for (size_t i = 0; i < found.size(); ++i) {
        const FoundItem& f = found[i];
        const MenuItem& item = items[i];
        if (item.TextChanged)
            ModifyMenuA(f.Menu, f.Position, MF_BYPOSITION | MF_STRING, item.Id, item.Text.c_str());
        EnableMenuItem(f.Menu, f.Position, MF_BYPOSITION | (item.Enabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(f.Menu, f.Position,
                      MF_BYPOSITION | (item.Checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void UpdateMenuBar() {
    HWND window = Window();
    HMENU menu = window ? GetMenu(window) : nullptr;
    if (!menu) return;
    std::vector<FoundItem> found;
    CollectItems(menu, found);
    std::vector<MenuItem> items;
    for (const auto& f : found) items.push_back(f.Item);
    ComputeMenuState(items);
    ApplyItems(found, items);
    DrawMenuBar(window);
}

bool MenuBarHolds(uint16_t id) {
    HMENU menu = Window() ? GetMenu(Window()) : nullptr;
    return menu && GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

void SetupMenuBar() {
    HWND window = Window();
    if (!window) return;
    HMENU old = GetMenu(window);
    HMENU menu = nullptr;
    const int32_t kiosk = MenuServices.KioskLevel();
    if (kiosk != 0) {
        menu = LoadMenuInLanguage(MenuServices.WindowMenuName().c_str());
        if (menu) {
            for (uint16_t id : KioskRemovedItems(kiosk)) DeleteMenu(menu, id, MF_BYCOMMAND);
            for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
                HMENU sub = GetSubMenu(menu, i);
                if (sub && GetMenuItemCount(sub) == 0) DeleteMenu(menu, i, MF_BYPOSITION);
            }
        }
    }
    SetMenu(window, menu);
    if (old && old != menu) DestroyMenu(old);
}

void TrackPopup(int x, int y) {
    HWND window = Window();
    if (!window) return;
    HMENU bar = LoadMenuInLanguage("MOUSEMENU");
    if (!bar) return;
    HMENU popup = GetSubMenu(bar, 0);
    std::vector<FoundItem> found;
    CollectItems(popup, found);
    std::vector<MenuItem> items;
    for (const auto& f : found) items.push_back(f.Item);
    ComputePopupState(items, MenuBarHolds);
    ApplyItems(found, items);
    POINT at{x, y};
    ClientToScreen(window, &at);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    DestroyMenu(bar);
}

int RunNamedDialog(std::string_view name) {
    auto& dialogs = NamedDialogs();
    // A dialog opened from another one is owned by it.
    HWND owner = GetActiveWindow();
    if (!owner || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId())
        owner = Window();
    if (auto found = dialogs.find(name); found != dialogs.end()) return found->second(owner);
    if (auto sheet = MakeSheetModel(name)) return RunSheetModel(*sheet, owner);
    if (auto model = MakeDialogModel(name))
        return RunModelDialog(std::string(name).c_str(), *model, owner);
    return -1;
}

// The filter is the description and the pattern as one pair.
bool FileDialog(const FileDialogRequest& r, std::string& path) {
    const std::string description = Msg(r.FilterId);
    std::string filter = description + '\0' + r.Pattern + '\0' + '\0';
    const std::string title = Msg(r.TitleId);
    char file[MAX_PATH] = {};
    std::string folder = r.StartPath;
    const size_t slash = folder.find_last_of("\\/");
    std::string name;
    if (slash != std::string::npos) {
        name = folder.substr(slash + 1);
        folder.resize(slash + 1);
        // A drive's root keeps its backslash; other folders lose it.
        if (folder.size() > 3) folder.pop_back();
    } else {
        name = folder;
        folder.clear();
    }
    lstrcpynA(file, r.Save ? name.c_str() : r.Pattern.c_str(), MAX_PATH);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Window();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.c_str();
    if (r.Save) {
        ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        if (name.find('.') != std::string::npos && !r.DefaultExt.empty())
            ofn.lpstrDefExt = r.DefaultExt.c_str();
    } else {
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        if (!r.DefaultExt.empty()) ofn.lpstrDefExt = r.DefaultExt.c_str();
    }
    const BOOL ok = r.Save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!ok) {
        if (const DWORD error = CommDlgExtendedError())
            LangMessageBoxShort("Dialog error " + std::to_string(error));
        return false;
    }
    path = file;
    return true;
}

int CALLBACK BrowseStart(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

std::string BrowseForFolder(uint16_t titleId, const std::string& start) {
    const std::string title = Msg(titleId);
    char current[MAX_PATH] = {};
    if (start.empty()) GetCurrentDirectoryA(MAX_PATH, current);
    const std::string from = start.empty() ? std::string(current) : start;
    BROWSEINFOA info{};
    info.hwndOwner = Window();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseStart;
    info.lParam = reinterpret_cast<LPARAM>(from.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
    if (!chosen) return {};
    char path[MAX_PATH] = {};
    SHGetPathFromIDListA(chosen, path);
    CoTaskMemFree(chosen);
    return path;
}

int Ask(std::string_view text, std::string_view caption, AskButtons buttons) {
    UINT style = MB_OK;
    if (buttons == AskButtons::OkCancel) style = MB_OKCANCEL;
    if (buttons == AskButtons::YesNo) style = MB_YESNO;
    std::string title(caption);
    if (title.empty())
        title = platform::WideToBytes(
            platform::kAnsiCodePage,
            std::u16string(console::TitleBanner().begin(), console::TitleBanner().end()));
    return MessageBoxA(Window(), std::string(text).c_str(), title.c_str(),
                       style | MB_SETFOREGROUND);
}

std::string MenuItemText(uint16_t id) {
    HMENU menu = Window() ? GetMenu(Window()) : nullptr;
    char text[256] = {};
    if (menu) GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

void ZoomWindow() {
    HWND window = Window();
    if (!window) return;
    PostMessageA(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, 0);
}

void ShowHelp(bool helpOnHelp) {
    // The help file sits beside the program; the system's viewer shows it.
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string help = program;
    if (const size_t dot = help.find_last_of('.'); dot != std::string::npos) help.resize(dot);
    help += ".HLP";
    WinHelpA(Window(), help.c_str(), helpOnHelp ? HELP_HELPONHELP : HELP_CONTENTS, 0);
}

int ScreenBits() {
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    return bits;
}

// The display position of each character of a right-to-left row in the screen
// font, read right to left; when the system cannot place the wide text, the
// text is placed again in the Arabic or Hebrew code page.
bool VisualOrder(std::u16string_view text, uint32_t flags, bool arabic, std::vector<int>& order) {
    if (text.empty()) return false;
    HDC dc = GetDC(Window());
    HGDIOBJ oldFont = console::ScreenFontUnit.ScreenFont
                          ? SelectObject(dc, console::ScreenFontUnit.ScreenFont)
                          : nullptr;
    const UINT oldAlign = SetTextAlign(dc, TA_RTLREADING);
    std::vector<UINT> places(text.size());
    GCP_RESULTSW results{};
    results.lStructSize = sizeof results;
    results.lpOrder = places.data();
    results.nGlyphs = static_cast<UINT>(text.size());
    const std::wstring wide(text.begin(), text.end());
    bool placed = GetCharacterPlacementW(dc, wide.c_str(), static_cast<int>(wide.size()), 0,
                                         &results, flags) != 0;
    if (!placed && flags != 0) {
        const std::string bytes = platform::WideToBytes(arabic ? 1256 : 1255, std::u16string(text));
        if (bytes.size() == text.size()) {
            GCP_RESULTSA narrow{};
            narrow.lStructSize = sizeof narrow;
            narrow.lpOrder = places.data();
            narrow.nGlyphs = static_cast<UINT>(bytes.size());
            placed = GetCharacterPlacementA(dc, bytes.c_str(), static_cast<int>(bytes.size()), 0,
                                            &narrow, flags) != 0;
        }
    }
    SetTextAlign(dc, oldAlign);
    if (oldFont) SelectObject(dc, oldFont);
    ReleaseDC(Window(), dc);
    if (!placed) return false;
    // A placement that is no permutation of the positions (some systems count
    // each right-to-left run from 0) would name the wrong characters.
    std::vector<bool> taken(places.size(), false);
    for (UINT place : places) {
        if (place >= taken.size() || taken[place]) return false;
        taken[place] = true;
    }
    order.assign(places.begin(), places.end());
    return true;
}

bool CreateShortcut(std::string_view settingsFile, std::string_view name) {
    char desktop[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE)) return false;
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string folder = program;
    folder.resize(folder.find_last_of('\\') + 1);
    const bool started = SUCCEEDED(CoInitialize(nullptr));
    bool saved = false;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(program);
        link->SetArguments(std::string(settingsFile).c_str());
        link->SetWorkingDirectory(folder.c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            const std::string target = std::string(desktop) + "\\" + std::string(name) + ".lnk";
            std::wstring wide(target.begin(), target.end());
            saved = SUCCEEDED(file->Save(wide.c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    if (started) CoUninitialize();
    return saved;
}

bool ChooseColour(uint32_t& rgb) {
    static COLORREF custom[16] = {};
    CHOOSECOLORA choice{};
    choice.lStructSize = sizeof choice;
    HWND owner = GetActiveWindow();
    choice.hwndOwner = owner ? owner : Window();
    choice.rgbResult = RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
    choice.lpCustColors = custom;
    choice.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&choice)) return false;
    rgb = uint32_t{GetRValue(choice.rgbResult)} << 16 | uint32_t{GetGValue(choice.rgbResult)} << 8 |
          GetBValue(choice.rgbResult);
    return true;
}

std::vector<std::string> PrinterNames() {
    constexpr DWORD kWhich = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersA(kWhich, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<std::string> names;
    if (needed == 0) return names;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersA(kWhich, nullptr, 2, buffer.data(), needed, &needed, &count)) return names;
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (printers[i].pPrinterName) names.emplace_back(printers[i].pPrinterName);
    return names;
}

void MenuCommand(HWND, UINT, WPARAM wParam, LPARAM) {
    HandleMenuCommand(LOWORD(wParam));
}

// The system clipboard, owned by the terminal window while it is open.
class Win32Clipboard final : public platform::SystemClipboard {
  public:
    bool Open() override { return OpenClipboard(Window()) != 0; }
    void Close() override { CloseClipboard(); }
    void Empty() override { EmptyClipboard(); }
    bool SetAnsi(std::string_view text) override { return SetBytes(CF_TEXT, text); }
    bool SetOem(std::string_view text) override { return SetBytes(CF_OEMTEXT, text); }
    bool SetUnicode(std::u16string_view text) override {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
        if (!block) return false;
        auto* units = static_cast<char16_t*>(GlobalLock(block));
        std::copy(text.begin(), text.end(), units);
        units[text.size()] = 0;
        GlobalUnlock(block);
        return SetClipboardData(CF_UNICODETEXT, block) != nullptr || (GlobalFree(block), false);
    }
    void SetCellPicture(const ScreenCellRect& cells, bool inverted) override {
        HWND window = Window();
        if (!window) return;
        const console::PixelRect r = console::CellRectToPixels(cells.Left - 1, cells.Top - 1,
                                                               cells.Right - 1, cells.Bottom - 1);
        const int width = r.Right - r.Left;
        const int height = r.Bottom - r.Top;
        if (width <= 0 || height <= 0) return;
        HDC dc = GetDC(window);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP picture = CreateCompatibleBitmap(dc, width, height);
        HGDIOBJ old = SelectObject(memory, picture);
        BitBlt(memory, 0, 0, width, height, dc, r.Left, r.Top, inverted ? NOTSRCCOPY : SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(window, dc);
        if (!SetClipboardData(CF_BITMAP, picture)) DeleteObject(picture);
    }
    bool HasText() override {
        return IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_UNICODETEXT);
    }
    std::optional<std::u16string> GetUnicode() override {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const auto* units = data ? static_cast<const char16_t*>(GlobalLock(data)) : nullptr;
        if (!units) return std::nullopt;
        const size_t max = GlobalSize(data) / sizeof(char16_t);
        std::u16string text(units, std::find(units, units + max, u'\0'));
        GlobalUnlock(data);
        return text;
    }
    std::optional<std::u16string> GetAnsi() override {
        HANDLE data = GetClipboardData(CF_TEXT);
        const auto* bytes = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
        if (!bytes) return std::nullopt;
        const size_t max = GlobalSize(data);
        std::string text(bytes, std::find(bytes, bytes + max, '\0'));
        GlobalUnlock(data);
        return platform::BytesToWide(platform::kAnsiCodePage, text, MB_PRECOMPOSED);
    }
    void HideCaret(bool hide) override {
        if (hide)
            ::HideCaret(Window());
        else
            ::ShowCaret(Window());
    }

  private:
    static bool SetBytes(UINT format, std::string_view text) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (!block) return false;
        auto* bytes = static_cast<char*>(GlobalLock(block));
        std::copy(text.begin(), text.end(), bytes);
        bytes[text.size()] = 0;
        GlobalUnlock(block);
        return SetClipboardData(format, block) != nullptr || (GlobalFree(block), false);
    }
};

}  // namespace

void RegisterNamedDialog(std::string_view templateName, NamedDialogRunner run) {
    NamedDialogs()[std::string(templateName)] = run;
}

void InstallWin32Menus() {
    menuBarHooks.UpdateMenuState = UpdateMenuBar;
    menuBarHooks.SetupMainMenu = SetupMenuBar;
    menuBarHooks.ShowMousePopup = TrackPopup;
    auto& t = MenuServices;
    t.RunDialog = RunNamedDialog;
    t.FileDialog = FileDialog;
    t.BrowseForFolder = BrowseForFolder;
    t.ChooseFont = ChooseFontWin32;
    t.Ask = Ask;
    t.MenuItemText = MenuItemText;
    t.CaretShapeChanged = [] {
        DestroyCaret();
        ::HideCaret(Window());
    };
    t.ZoomWindow = ZoomWindow;
    t.ShowHelp = ShowHelp;
    t.InvalidateWindow = [] { InvalidateRect(Window(), nullptr, FALSE); };
    t.ScreenBitsPerPixel = ScreenBits;
    t.CreateDesktopShortcut = CreateShortcut;
    t.VisualOrder = VisualOrder;
    t.ChooseColour = ChooseColour;
    t.PrinterNames = PrinterNames;
    console::WindowHandlers.MenuCommand = MenuCommand;
    static Win32Clipboard clipboard;
    platform::SetSystemClipboard(&clipboard);
}

}  // namespace ui
