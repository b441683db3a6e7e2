// The menus in the real terminal window: the menu bar's marks and greyed items
// when it opens, a chosen item's command, and copy and paste through the
// system clipboard.
#include <windows.h>

#include <string>

#include "app/menu_wiring.h"
#include "terminal_window_fixture.h"
#include "ui/dialog_interface.h"
#include "ui/win32/menus_win32.h"

namespace {

using window_test::Pump;

class MenusWin32 : public window_test::TerminalWindowFixture {
  protected:
    void SetUp() override {
        TerminalWindowFixture::SetUp();
        app::ComposeMenus();
        ui::InstallWin32Menus();
        ui::ResetMenuDispatch();
        ui::ResetClipboard();
        window = QuietWindow();
        ASSERT_NE(window, nullptr);
        // The program's own menu bar, from the program file.
        program = LoadLibraryExA(window_test::WindowsPath(VZ_BUILD_DIR "/VOVUZIVA.exe").c_str(),
                                 nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program, nullptr);
        HMENU bar = LoadMenuW(program, L"MainMenu");
        ASSERT_NE(bar, nullptr);
        HMENU old = GetMenu(window);
        SetMenu(window, bar);
        if (old) DestroyMenu(old);
    }
    void TearDown() override {
        ui::FreePasteBuffer();
        ui::ResetMenuDispatch();
        if (program) FreeLibrary(program);
        TerminalWindowFixture::TearDown();
    }
    UINT State(UINT id) { return GetMenuState(GetMenu(window), id, MF_BYCOMMAND); }
    static void SetClipboardText(const std::wstring& text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        auto* p = static_cast<wchar_t*>(GlobalLock(block));
        std::copy(text.begin(), text.end(), p);
        p[text.size()] = 0;
        GlobalUnlock(block);
        SetClipboardData(CF_UNICODETEXT, block);
        CloseClipboard();
    }
    static std::wstring ClipboardText() {
        std::wstring text;
        if (!OpenClipboard(nullptr)) return text;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
    HWND window = nullptr;
    HMODULE program = nullptr;
};

TEST_F(MenusWin32, TheMenuBarShowsTheStateWhenItOpens) {
    auto& s = commands::Settings;
    s.BeepMode = 1;
    s.JumpScroll.Set(100);
    s.AllowQuit = 0;
    s.KeyFileName = "";
    emulation::MainRoutine.MainLoopIdle = true;
    SendMessageW(window, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(window)), 0);
    EXPECT_TRUE(State(301) & MF_CHECKED);
    EXPECT_FALSE(State(3071) & MF_CHECKED);
    EXPECT_TRUE(State(3073) & MF_CHECKED);
    EXPECT_TRUE(State(115) & MF_GRAYED);
    EXPECT_TRUE(State(111) & MF_GRAYED);
    EXPECT_FALSE(State(576) & MF_GRAYED);

    // Opened outside the main loop: only the print and clipboard items stay.
    emulation::MainRoutine.MainLoopIdle = false;
    SendMessageW(window, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(window)), 0);
    EXPECT_TRUE(State(576) & MF_GRAYED);
    EXPECT_FALSE(State(114) & MF_GRAYED);
    emulation::MainRoutine.MainLoopIdle = true;
}

TEST_F(MenusWin32, AChosenItemQueuesItsCommand) {
    commands::Settings.BeepMode = 0;
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(301, 0), 0);
    EXPECT_EQ(ui::MenuDispatch.PendingCommand, "BEEP ON");
    // The screen size items take their argument from the menu text.
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(3053, 1), 0);
    EXPECT_EQ(ui::MenuDispatch.PendingCommand, "Screenmode 132x24");
}

TEST_F(MenusWin32, CopyPutsTheScreenOnTheSystemClipboard) {
    const std::u16string text = u"copied \u00e9 text";
    for (size_t i = 0; i < text.size(); ++i)
        console::PutCellChar(text[i], 7, static_cast<int32_t>(i), 0);
    SetClipboardText(L"before");
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(201, 1), 0);
    const std::wstring copied = ClipboardText();
    ASSERT_GE(copied.size(), text.size());
    EXPECT_EQ(copied.substr(0, text.size()), std::wstring(text.begin(), text.end()));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
}

TEST_F(MenusWin32, PasteTakesTheWholeClipboardTextLineByLine) {
    commands::Settings.PasteUnicode = 1;
    std::wstring big;
    for (int i = 0; big.size() < 1000000; ++i)
        big += L"line " + std::to_wstring(i) + std::wstring(i % 300, L'x') + L"\r\n";
    SetClipboardText(big);
    SendMessageW(window, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(window)), 0);
    EXPECT_FALSE(State(204) & MF_GRAYED) << "the clipboard holds text";
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(204, 0), 0);
    ASSERT_TRUE(ui::PastePending());
    std::wstring again;
    std::u16string line;
    bool cr = false;
    size_t longest = 0;
    while (ui::NextPasteLine(line, cr)) {
        longest = std::max(longest, line.size());
        again.append(line.begin(), line.end());
        if (cr) again += L"\r\n";
    }
    EXPECT_LE(longest, 254u);
    EXPECT_TRUE(again == big) << "the paste lost or reordered text";
}

}  // namespace
