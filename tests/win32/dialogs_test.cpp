// The dialogs in the real terminal window, each opened from its menu item: the
// values shown come from the settings and go back on OK, Cancel changes
// nothing, a save puts the change in the settings file, and the communication
// settings reopen the connection to a telnet server on loopback
// (tests/win32/with_telnet_peer.sh names its port in VZ_TELNET_PORT). A
// picture of each dialog is kept in the build's artifacts folder.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <vector>

#include "../common/peer_required.h"
#include "app/connection_wiring.h"
#include "app/menu_wiring.h"
#include "commands/win32/settings_platform_win32.h"
#include "connections/comm_interface.h"
#include "connections/win32/socket_notify.h"
#include "connections/win32/winsock_transport.h"
#include "console/globals.h"
#include "console/win32/install_services.h"
#include "console/win32/screen_font_win32.h"
#include "terminal_window_fixture.h"
#include "ui/dialog_interface.h"
#include "ui/message_box.h"
#include "ui/win32/language_dialogs.h"
#include "ui/win32/menus_win32.h"
#include "ui/win32/message_box_win32.h"

namespace {

using commands::Settings;
using window_test::Pump;

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// What the user does once the dialog is up; runs from a timer inside the dialog's own loop.
struct Driver {
    std::function<void(HWND)> Act;
    std::string Shot;  // the artefact's name
    bool Ok = true;
    HWND Seen = nullptr;
    std::string Caption;
    std::function<void(HWND)> Check;  // after the dialog has painted
};
Driver driver;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    driver.Seen = dialog;
    driver.Caption = TextOf(dialog);
    if (driver.Act) driver.Act(dialog);
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_INVALIDATE);
    MSG msg;
    while (PeekMessageA(&msg, dialog, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (driver.Check) driver.Check(dialog);
    if (!driver.Shot.empty()) window_test::TakeShot(dialog, true).Save("dialog_" + driver.Shot);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(driver.Ok ? IDOK : IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, driver.Ok ? IDOK : IDCANCEL)));
}

void Type(HWND dialog, int control, const std::string& text) {
    SetDlgItemTextA(dialog, control, text.c_str());
}

std::string Field(HWND dialog, int control) {
    return TextOf(GetDlgItem(dialog, control));
}

class DialogsWin32 : public window_test::TerminalWindowFixture {
  protected:
    void SetUp() override {
        TerminalWindowFixture::SetUp();
        app::ComposeMenus();
        ui::InstallWin32Menus();
        ui::InstallWin32LanguageDialogs();
        ui::ResetMenuDispatch();
        ui::ResetLanguageModule();
        Settings.LanguageId.Set(0);
        window = QuietWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        Settings.LanguageId.Set(0);
        ui::ResetLanguageModule();
        ui::ResetMenuDispatch();
        TerminalWindowFixture::TearDown();
    }
    // Chooses the menu item with the driver armed; the fields it saw are returned.
    void Choose(uint16_t item, Driver d) {
        driver = std::move(d);
        SetTimer(nullptr, 0, 50, DriveDialog);
        ui::MenuDispatch.PendingCommand.clear();
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(item, 0), 0);
        ASSERT_NE(driver.Seen, nullptr) << "no dialog for item " << item;
        Pump();
    }
    HWND window = nullptr;
};

TEST_F(DialogsWin32, ItemsOpenTheirDialogsAndOkQueuesTheirCommand) {
    struct Case {
        uint16_t Item;
        const char* Shot;
        std::map<int, std::string> Shown;
        std::map<int, std::string> Typed;
        const char* Queued;
    };
    Settings.PhoneNumber = "555";
    Settings.DialRetryWait.Set(50);
    Settings.DialRetryCount.Set(3);
    Settings.ScreenColumns = 80;
    console::ConsoleLayer.ScreenRows = 24;
    Settings.KeyFileName = "";
    console::globals.VersionText = "Version 12.6f";
    const Case cases[] = {
        {580, "dial", {{4, "555"}, {5, "50"}, {6, "3"}}, {{4, "5551234"}}, "Dial \"5551234\" 50 3"},
        {3055, "screensize", {{4, "80"}, {5, "24"}}, {{4, "132"}, {5, "27"}}, "SCREENMODE 132x27"},
        {902, "about", {{111, "No Keys file in use"}}, {}, ""},
    };
    for (const auto& c : cases) {
        static std::map<int, std::string> seen;
        seen.clear();
        Choose(c.Item, {[&](HWND d) {
                            for (const auto& [id, text] : c.Shown) seen[id] = Field(d, id);
                            for (const auto& [id, text] : c.Typed) Type(d, id, text);
                        },
                        c.Shot});
        for (const auto& [id, text] : c.Shown) EXPECT_EQ(seen[id], text) << c.Shot << " " << id;
        EXPECT_EQ(ui::MenuDispatch.PendingCommand, c.Queued) << c.Shot;
    }
    const std::u16string& banner = console::TerminalWindowUnit.TitleBanner;
    EXPECT_EQ(driver.Caption, std::string(banner.begin(), banner.end()))
        << "the about box's caption";
}

TEST_F(DialogsWin32, DelaysGoToTheSettingsAndTheFileOnlyOnOk) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "vzdelays.def";
    app::ComposeStartupServices();
    platform::InstallSettingsFilePlatform();
    commands::SettingsFile.SettingsFileName = file;
    Settings.AsciiCharDelay.Set(5);
    Settings.AsciiLineDelay.Set(6);

    Choose(620, {[](HWND d) {
                     Type(d, 4, "99");
                     Type(d, 5, "77");
                 },
                 "", false});
    EXPECT_EQ(Settings.AsciiCharDelay.Get(), 5) << "Cancel stored";
    EXPECT_EQ(Settings.AsciiLineDelay.Get(), 6);

    static std::string shown;
    Choose(620, {[](HWND d) {
                     shown = Field(d, 4);
                     Type(d, 4, "25");
                     Type(d, 5, "300");
                 },
                 "delays"});
    EXPECT_EQ(shown, "5");
    EXPECT_EQ(Settings.AsciiCharDelay.Get(), 25);
    EXPECT_EQ(Settings.AsciiLineDelay.Get(), 300);

    ASSERT_TRUE(commands::SaveSettingsFile());
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> saved{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(saved.size(), sizeof(commands::SettingsRecord));
    const size_t at = offsetof(commands::SettingsRecord, AsciiCharDelay);
    EXPECT_EQ(saved[at] | saved[at + 1] << 8, 25);
    in.close();
    DeleteFileA(file.c_str());
}

TEST_F(DialogsWin32, TheGermanModuleReplacesOneDialogAndTheProgramKeepsTheRest) {
    platform::InstallWin32Services();
    ASSERT_TRUE(ui::SetMenuLanguage(0x0407));
    Choose(620, {nullptr, "delays_german", false});
    EXPECT_EQ(driver.Caption, "Verz\xF6gerungen");
    Choose(580, {nullptr, "", false});
    EXPECT_EQ(driver.Caption, "Dial A Number");
}

TEST_F(DialogsWin32, CharacterInformationDescribesTheCellAtTheCursor) {
    console::AllocTermScreenRing(100 * 80 * 4, 80);
    const uint32_t cell = console::MakeCell(u'\u00e9', 7);
    ASSERT_EQ(console::WriteCells(3, 5, 1, &cell), 1);
    console::ConsoleLayer.CursorRow = 3;
    console::ConsoleLayer.CursorCol = 5;
    static std::string text;
    Driver d{nullptr, "charinfo"};
    d.Check = [](HWND dialog) { text = Field(dialog, 102); };
    Choose(587, d);
    EXPECT_EQ(driver.Caption, "Character information");
    EXPECT_NE(text.find("Unicode = E9 (hex), 233 (decimal)"), std::string::npos) << text;
    EXPECT_NE(text.find("LATIN SMALL LETTER E WITH ACUTE"), std::string::npos) << text;
    EXPECT_NE(text.find("Line 3, position 5"), std::string::npos) << text;
    EXPECT_NE(text.find("Displayed in Courier New"), std::string::npos) << text;
}

// The system's font dialog from View > Screen font: Cancel keeps the settings
// and the window's font; OK stores the face and the larger size picked and
// remakes the window's font with them.
TEST_F(DialogsWin32, TheScreenFontDialogStoresAndAppliesTheChosenFont) {
    Settings.ScreenFontName = "Courier New";
    Settings.VariableFonts = 0;
    Settings.FontCellSize[0].Set(16);
    Settings.FontCellSize[1].Set(0);
    Settings.FontOption = {0, 0};
    console::ConsoleLayer.ScreenWidth = 80;
    ui::MenuServices.SetTerminalFont();
    const HFONT font = console::ScreenFontUnit.ScreenFont;
    const commands::SettingsRecord before = Settings;
    static std::string face;
    auto largest = [](HWND d) {
        face = Field(d, 1136);
        HWND sizes = GetDlgItem(d, 1138);
        const LRESULT count = SendMessageA(sizes, CB_GETCOUNT, 0, 0);
        SendMessageA(sizes, CB_SETCURSEL, count - 1, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(1138, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(sizes));
    };
    Choose(315, {largest, "", false});
    EXPECT_EQ(std::memcmp(&before, &Settings, sizeof before), 0) << "Cancel stored";
    EXPECT_EQ(console::ScreenFontUnit.ScreenFont, font);

    // OK as shown keeps the cell size: the dialog showed the size the cell holds.
    const uint16_t cell = Settings.FontCellSize[0].Get();
    Choose(315, {nullptr, ""});
    EXPECT_LE(std::abs(Settings.FontCellSize[0].Get() - cell), 1)
        << "from " << cell << " to " << Settings.FontCellSize[0].Get();

    Choose(315, {largest, "screen_font"});
    EXPECT_EQ(driver.Caption, "Font");
    ASSERT_FALSE(face.empty());
    EXPECT_EQ(Settings.ScreenFontName.Str(), face);
    EXPECT_GT(Settings.FontCellSize[0].Get(), cell + 20) << "the largest size of the list";
    EXPECT_EQ(Settings.FontCellSize[0].Get(), console::WindowPaint.CellHeight);
    EXPECT_NE(console::ScreenFontUnit.ScreenFont, font);
    EXPECT_EQ(std::string(console::ScreenFontUnit.FontFace.begin(),
                          console::ScreenFontUnit.FontFace.end()),
              face);
}

// File > Printer font needs a printer; without one the printer error is shown
// and nothing changes, and with one the font dialog is cancelled.
TEST_F(DialogsWin32, ThePrinterFontItemKeepsTheSettingsWithoutAChoice) {
    const commands::SettingsRecord before = Settings;
    const ui::MessageBoxFunction silent = ui::SetMessageBoxFunction(nullptr);
    ui::InstallWin32MessageBox();
    static std::string text;
    text.clear();
    Driver d{nullptr, "printer_font", false};
    d.Check = [](HWND dialog) { text = Field(dialog, 0xFFFF); };
    Choose(117, d);
    ui::SetMessageBoxFunction(silent);
    EXPECT_EQ(std::memcmp(&before, &Settings, sizeof before), 0);
    DWORD size = 0;
    GetDefaultPrinterA(nullptr, &size);
    if (size == 0) EXPECT_EQ(text, "Windows Printer Error 5002: Can't open device");
}

// Dialogs that follow one another: each step acts in the next dialog that
// appears, then presses its button.
struct Step {
    std::function<void(HWND)> Act;
    int Button = IDOK;
};
std::vector<Step> steps;
size_t stepsDone = 0;
std::vector<HWND> stepDialogs;

BOOL CALLBACK FindNewDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window) &&
        std::find(stepDialogs.begin(), stepDialogs.end(), window) == stepDialogs.end()) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK DriveSteps(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindNewDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || stepsDone >= steps.size()) return;
    stepDialogs.push_back(dialog);
    const Step& step = steps[stepsDone++];
    if (stepsDone == steps.size()) KillTimer(nullptr, timer);
    if (step.Act) step.Act(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(step.Button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, step.Button)));
}

// File > Save Settings As, then the offered desktop link: the link on the
// desktop starts this program with the new settings file in its folder.
TEST_F(DialogsWin32, SaveSettingsAsOffersADesktopLinkToTheNewFile) {
    app::ComposeStartupServices();
    platform::InstallSettingsFilePlatform();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static std::string file;
    file = std::string(temp) + "vzlink.def";
    DeleteFileA(file.c_str());
    char desktop[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, TRUE));
    std::string banner(console::TerminalWindowUnit.TitleBanner.begin(),
                       console::TerminalWindowUnit.TitleBanner.end());
    while (!banner.empty() && banner.back() == ' ') banner.pop_back();
    const std::string link = std::string(desktop) + "\\" + banner + " to vzlink.lnk";
    DeleteFileA(link.c_str());
    static std::string proposed, prompt;
    steps = {{[](HWND d) {
                 SetDlgItemTextA(d, 1148, file.c_str());
                 SetDlgItemTextA(d, 1152, file.c_str());
             }},
             {[](HWND d) {
                 proposed = Field(d, 4);
                 prompt = Field(d, 3);
                 window_test::TakeShot(d, true).Save("dialog_desktop_link");
             }}};
    stepsDone = 0;
    stepDialogs.clear();
    SetTimer(nullptr, 0, 50, DriveSteps);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(125, 0), 0);
    Pump();
    ASSERT_EQ(stepsDone, 2u) << "the save dialog and the link prompt";
    EXPECT_EQ(commands::SettingsFile.SettingsFileName, file);
    EXPECT_EQ(GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES, true) << "saved";
    EXPECT_EQ(prompt, "Create desktop icon named:");
    EXPECT_EQ(proposed, banner + " to vzlink");

    const HRESULT com = CoInitialize(nullptr);
    IShellLinkA* shell = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, reinterpret_cast<void**>(&shell))));
    IPersistFile* stored = nullptr;
    ASSERT_TRUE(
        SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&stored))));
    const std::wstring wide(link.begin(), link.end());
    EXPECT_TRUE(SUCCEEDED(stored->Load(wide.c_str(), STGM_READ))) << link;
    char target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {};
    shell->GetPath(target, MAX_PATH, nullptr, 0);
    shell->GetArguments(arguments, MAX_PATH);
    shell->GetWorkingDirectory(folder, MAX_PATH);
    stored->Release();
    shell->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string programFolder = program;
    programFolder.resize(programFolder.find_last_of('\\') + 1);
    EXPECT_EQ(lstrcmpiA(target, program), 0) << target;
    EXPECT_EQ(std::string(arguments), file);
    std::string linkFolder = folder;
    if (!linkFolder.empty() && linkFolder.back() != '\\') linkFolder += '\\';
    EXPECT_EQ(lstrcmpiA(linkFolder.c_str(), programFolder.c_str()), 0) << folder;
    DeleteFileA(link.c_str());
    DeleteFileA(file.c_str());
}

TEST_F(DialogsWin32, TheColourEditorKeepsDefaultsOnlyOnOk) {
    console::SetAttributeMode(5);
    auto& map = console::ConsoleLayer.AttrColorMap;
    map[0] = 0x1E;
    auto mono = [](HWND d) {
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(411, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, 411)));
    };
    driver = {mono, "", false};
    SetTimer(nullptr, 0, 50, DriveDialog);
    EXPECT_FALSE(ui::EditColors());
    ASSERT_NE(driver.Seen, nullptr);
    EXPECT_EQ(map[0], 0x1E) << "Cancel kept the defaults";
    driver = {mono, "color_editor"};
    SetTimer(nullptr, 0, 50, DriveDialog);
    EXPECT_TRUE(ui::EditColors());
    EXPECT_EQ(driver.Caption, "Edit Colors");
    EXPECT_EQ(map[0], 0x07);
    EXPECT_EQ(map[4], 0x70);
}

TEST_F(DialogsWin32, AdvancedOptionsStoreTheShownPageOnOkOnly) {
    Settings.DebugPrinting = 0;
    Settings.PromptSeparator = '|';
    ui::MenuDispatch.AdvancedOptionsPage = 4;
    auto edit = [](HWND sheet) {
        HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        ASSERT_NE(page, nullptr);
        CheckDlgButton(page, 138, BST_CHECKED);
        Type(page, 125, ";");
    };
    Choose(205, {edit, "", false});
    EXPECT_EQ(Settings.DebugPrinting, 0) << "Cancel stored";
    EXPECT_EQ(Settings.PromptSeparator, '|');
    Choose(205, {edit, "advanced_options"});
    EXPECT_EQ(driver.Caption, "Advanced Options");
    EXPECT_EQ(Settings.DebugPrinting, 1);
    EXPECT_EQ(Settings.PromptSeparator, ';');
}

// Dialogs opened from other dialogs: one step per dialog as it comes up, matched by the start of
// its caption in the dialog that has the input (the dialogs under it are disabled). A step that
// opens another dialog posts its click, so that the new dialog's own loop runs the next step.
struct ChainStep {
    std::string Caption;
    std::function<void(HWND)> Act;
    std::string Shot;
    // Clicked in turn after the picture; none: the step's action ends or leaves the dialog.
    std::vector<int> Buttons = {IDOK};
};
std::vector<ChainStep> chain;
size_t nextStep = 0;
std::vector<std::string> stepCaptions;

BOOL CALLBACK FindActiveDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK RunChainStep(HWND, UINT, UINT_PTR timer, DWORD) {
    if (nextStep >= chain.size()) {
        KillTimer(nullptr, timer);
        return;
    }
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindActiveDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || TextOf(dialog).rfind(chain[nextStep].Caption, 0) != 0) return;
    const ChainStep step = chain[nextStep++];
    stepCaptions.push_back(TextOf(dialog));
    if (step.Act) step.Act(dialog);
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_INVALIDATE);
    MSG msg;
    while (PeekMessageA(&msg, dialog, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (!step.Shot.empty()) window_test::TakeShot(dialog, true).Save("dialog_" + step.Shot);
    for (int button : step.Buttons)
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

void Arm(std::vector<ChainStep> s) {
    chain = std::move(s);
    nextStep = 0;
    stepCaptions.clear();
    SetTimer(nullptr, 0, 50, RunChainStep);
}

void Press(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

std::string ComboText(HWND dialog, int control) {
    const auto at = SendDlgItemMessageA(dialog, control, CB_GETCURSEL, 0, 0);
    if (at < 0) return "(none)";
    char text[256] = {};
    SendDlgItemMessageA(dialog, control, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::string> ListEntries(HWND dialog, int control) {
    std::vector<std::string> entries;
    const auto count = SendDlgItemMessageA(dialog, control, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[256] = {};
        SendDlgItemMessageA(dialog, control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

// The palette editor from the colour editor's button, a panel recoloured through the system's
// colour dialog; only OK on both keeps it.
TEST_F(DialogsWin32, ThePaletteEditorRecoloursThroughTheSystemsColourDialog) {
    auto& palette = console::ConsoleScreen.ScreenPalette;
    const auto before = palette;
    palette[4] = {0xAA, 0, 0};
    Settings.Palette[4].Set(0xAA);
    static COLORREF panelShown;
    auto plan = [](int last, const char* shot) {
        return std::vector<ChainStep>{
            {"Edit Colors", [](HWND d) { Press(d, 412); }, "", {}},
            {"Color Map", [](HWND d) { Press(d, 604); }, "", {}},
            {"Col",  // the system's colour dialog
             [](HWND d) {
                 Type(d, 706, "18");
                 Type(d, 707, "52");
                 Type(d, 708, "86");
             }},
            {"Color Map",
             [](HWND d) {
                 // The panel is painted in the chosen colour.
                 RECT r{};
                 GetWindowRect(GetDlgItem(d, 604), &r);
                 HDC screen = GetDC(nullptr);
                 panelShown = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
                 ReleaseDC(nullptr, screen);
             },
             shot,
             {last}},
            {"Edit Colors", nullptr, "", {last}},
        };
    };
    Arm(plan(IDCANCEL, ""));
    EXPECT_FALSE(ui::EditColors());
    EXPECT_EQ(nextStep, chain.size()) << "dialogs seen: " << stepCaptions.size();
    EXPECT_EQ(palette[4], (console::ColorRef{0xAA, 0, 0})) << "Cancel kept the colour";
    Arm(plan(IDOK, "color_map"));
    EXPECT_TRUE(ui::EditColors());
    ASSERT_EQ(nextStep, chain.size()) << "dialogs seen: " << stepCaptions.size();
    EXPECT_EQ(palette[4], (console::ColorRef{18, 52, 86}));
    EXPECT_EQ(panelShown, RGB(18, 52, 86)) << "the panel was not painted in the choice";
    EXPECT_EQ(Settings.Palette[4].Get(), 18u | 52u << 8 | 86u << 16);
    palette = before;
}

// The character sets from their menu item: shown from the settings, changed by OK only, and the
// change in the saved settings file.
TEST_F(DialogsWin32, CharacterSetsChangeOnlyOnOkAndReachTheFile) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "vzcharset.def";
    app::ComposeStartupServices();
    platform::InstallSettingsFilePlatform();
    commands::SettingsFile.SettingsFileName = file;
    Settings.CharsetMode = 0;
    Settings.CharsetKind = 8;
    Settings.PassthroughCharset = 1;
    static std::map<int, std::string> shown;
    auto pick = [](HWND d) {
        for (int id : {201, 202, 203, 204}) shown[id] = ComboText(d, id);
        const auto at =
            SendDlgItemMessageA(d, 201, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("GERMAN"));
        SendDlgItemMessageA(d, 201, CB_SETCURSEL, at, 0);
    };
    Choose(562, {pick, "", false});
    EXPECT_EQ(Settings.CharsetMode, 0) << "Cancel changed the set";
    Choose(562, {pick, "charset"});
    EXPECT_EQ(driver.Caption, "Character Set");
    EXPECT_EQ(shown[201], "INTERNATIONAL");
    EXPECT_EQ(shown[202], "ISO");
    EXPECT_EQ(shown[203], "UK");
    EXPECT_EQ(shown[204], "NONE");
    EXPECT_EQ(Settings.CharsetMode, 5);
    EXPECT_EQ(Settings.CharsetKind, 8) << "the unchanged 8-bit list ran nothing";

    ASSERT_TRUE(commands::SaveSettingsFile());
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> saved{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(saved.size(), sizeof(commands::SettingsRecord));
    EXPECT_EQ(saved[offsetof(commands::SettingsRecord, CharsetMode)], 5);
    in.close();
    DeleteFileA(file.c_str());
}

// The spooler's printer from its menu item: "(same)" first, then whatever printers the system
// lists; the choice stored on OK only.
TEST_F(DialogsWin32, SpoolerSetupOffersTheSystemsPrintersAfterSame) {
    Settings.SpoolerPrinter = "Old Printer";
    static std::vector<std::string> entries;
    static int selected;
    auto choose = [](int index) {
        return [index](HWND d) {
            entries = ListEntries(d, 201);
            selected = static_cast<int>(SendDlgItemMessageA(d, 201, LB_GETCURSEL, 0, 0));
            SendDlgItemMessageA(d, 201, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        };
    };
    Choose(1211, {choose(0), "", false});
    EXPECT_EQ(Settings.SpoolerPrinter.Str(), "Old Printer") << "Cancel stored";
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0], "(same)");
    EXPECT_EQ(selected, -1) << "a printer the system lacks is not shown chosen";
    std::vector<std::string> printers(entries.begin() + 1, entries.end());
    std::cout << "printers listed: " << printers.size() << "\n";
    if (!printers.empty()) {
        Choose(1211, {choose(1), ""});
        EXPECT_EQ(Settings.SpoolerPrinter.Str(), printers[0]);
    }
    Choose(1211, {choose(0), "spoolsetup"});
    EXPECT_EQ(driver.Caption, "Spooler Setup");
    EXPECT_EQ(Settings.SpoolerPrinter.Str(), "") << "(same) empties the choice";
}

// The save question the exit check asks: Save greyed without a file name, each button's answer,
// and Save writing the file.
TEST_F(DialogsWin32, TheExitsSaveQuestionSavesLeavesOrStops) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "vzsaveparam.def";
    DeleteFileA(file.c_str());
    app::ComposeStartupServices();
    platform::InstallSettingsFilePlatform();
    auto& st = commands::SettingsFile;
    Settings.SaveMode = 0;
    // A menu bar that offers Save Settings, as the program's does.
    HMENU full = CreateMenu();
    AppendMenuA(full, MF_STRING, 104, "Save Settings");
    HMENU old = GetMenu(window);
    SetMenu(window, full);
    static bool saveEnabled = false;
    auto ask = [&](const std::string& name, int button, const char* shot) {
        st.SettingsFileName = name;
        st.SavedSettings = Settings;
        Settings.AsciiCharDelay.Set(
            static_cast<uint16_t>(st.SavedSettings.AsciiCharDelay.Get() + 1));
        // A greyed Save refuses even a posted click, so the second button ends the question.
        Arm({{"Save Parameters?",
              [](HWND d) { saveEnabled = IsWindowEnabled(GetDlgItem(d, 102)) != 0; },
              shot,
              {102, button}}});
        const bool goOn = commands::ConfirmSaveSettings(true);
        EXPECT_EQ(nextStep, 1u) << "no save question";
        return goOn;
    };
    EXPECT_FALSE(ask("", IDCANCEL, "")) << "Cancel stops the exit";
    EXPECT_FALSE(saveEnabled) << "Save without a file name";
    EXPECT_TRUE(ask("", 7, "saveparam_unnamed")) << "No lets the exit go on";
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(ask(file, 102, "saveparam"));
    EXPECT_TRUE(saveEnabled);
    EXPECT_EQ(stepCaptions.at(0), "Save Parameters?");
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> saved{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(saved.size(), sizeof(commands::SettingsRecord));
    const size_t at = offsetof(commands::SettingsRecord, AsciiCharDelay);
    EXPECT_EQ(saved[at] | saved[at + 1] << 8, Settings.AsciiCharDelay.Get());
    in.close();
    DeleteFileA(file.c_str());

    // A kiosk's menu bar without Save Settings: the exit saves without asking.
    HMENU kiosk = CreateMenu();
    AppendMenuA(kiosk, MF_STRING, 101, "Exit");
    SetMenu(window, kiosk);
    st.SettingsFileName = file;
    st.SavedSettings = Settings;
    Settings.AsciiCharDelay.Set(static_cast<uint16_t>(Settings.AsciiCharDelay.Get() + 1));
    Arm({{"Save Parameters?", nullptr, "", {IDCANCEL}}});
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    EXPECT_EQ(nextStep, 0u) << "the kiosk was asked";
    chain.clear();
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << "not saved";
    SetMenu(window, old);
    DestroyMenu(kiosk);
    DestroyMenu(full);
    DeleteFileA(file.c_str());
}

// The first start's terminal type: offered with the working type chosen, the choice handed back
// on OK, Abort ending the first start.
TEST_F(DialogsWin32, TheFirstStartAsksForTheTerminalType) {
    app::ComposeStartupServices();
    platform::InstallSettingsFilePlatform();
    static std::vector<std::string> types;
    static std::string shown;
    auto pick = [](HWND d) {
        types = ListEntries(d, 117);
        const auto at = SendDlgItemMessageA(d, 117, LB_GETCURSEL, 0, 0);
        char text[64] = {};
        SendDlgItemMessageA(d, 117, LB_GETTEXT, at, reinterpret_cast<LPARAM>(text));
        shown = text;
        SendDlgItemMessageA(d, 117, LB_SETCURSEL, 8, 0);  // Wyse60
    };
    ui::FirstRunChoice choice;
    Arm({{"Welcome to", pick, "", {IDCANCEL}}});
    EXPECT_FALSE(ui::FirstRunTermSetup(false, choice)) << "Abort ends the first start";
    EXPECT_EQ(choice.terminalType, "VT220");
    Arm({{"Welcome to", pick, "inittermtype"}});
    EXPECT_TRUE(ui::FirstRunTermSetup(false, choice));
    ASSERT_EQ(nextStep, 1u);
    std::u16string banner = console::TerminalWindowUnit.TitleBanner;
    EXPECT_EQ(stepCaptions.at(0), "Welcome to " + std::string(banner.begin(), banner.end()));
    EXPECT_EQ(shown, "VT220");
    EXPECT_EQ(types.size(), 14u);
    EXPECT_EQ(choice.terminalType, "Wyse60");
    EXPECT_EQ(Settings.ScreenFontName.View(), "Courier New");
}

// Real Winsock for the composed connection, its notices going to the terminal window.
class DialogsTelnet : public DialogsWin32 {
  protected:
    void SetUp() override {
        const char* port = std::getenv("VZ_TELNET_PORT");
        if (port == nullptr || *port == 0) VZ_SKIP_WITHOUT_PEER("VZ_TELNET_PORT is not set");
        port_ = port;
        DialogsWin32::SetUp();
        app::ComposeConnection();
        connections::AttachProgramConnection(&sockets_);
        connections::ResetCommLayer();
        sockets_.SetNotifyWindow(window);
        Settings.CommMethod = 2;
        Settings.HostName = "127.0.0.1:1";
        Settings.TelnetNegotiation = 1;
        Settings.TerminalType = "VT220";
        Settings.LoginWizard = 0;
    }
    void TearDown() override {
        if (port_.empty()) return;
        connections::CommClose();
        connections::CommShutdown();
        sockets_.SetNotifyWindow(nullptr);
        connections::AttachProgramConnection(nullptr);
        connections::ResetCommLayer();
        DialogsWin32::TearDown();
    }
    std::string Received(const std::string& needle) {
        std::string text;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 8000 && text.find(needle) == std::string::npos) {
            Pump();
            connections::CommPoll();
            while (connections::CommInputReady(0)) {
                const int b = connections::CommReadChar(false, false);
                if (b == connections::CommNothingReceived) break;
                text += static_cast<char>(b);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return text;
    }
    connections::WinsockTransport sockets_;
    std::string port_;
};

TEST_F(DialogsTelnet, OkReopensTheConnectionWithTheNewHost) {
    // Cancel leaves the connection closed and the host as it was.
    Choose(576, {[this](HWND d) { Type(d, 110, "127.0.0.1:" + port_); }, "", false});
    EXPECT_FALSE(connections::CommIsOpen());
    EXPECT_EQ(Settings.HostName.Str(), "127.0.0.1:1");

    static std::string shownHost;
    static bool serialEnabled = true;
    Choose(576, {[this](HWND d) {
                     shownHost = Field(d, 110);
                     serialEnabled = IsWindowEnabled(GetDlgItem(d, 122)) != 0;
                     Type(d, 110, "127.0.0.1:" + port_);
                 },
                 "commsettings"});
    EXPECT_EQ(shownHost, "127.0.0.1:1");
    EXPECT_FALSE(serialEnabled) << "the baud list belongs to the serial method";
    EXPECT_EQ(Settings.HostName.Str(), "127.0.0.1:" + port_);
    ASSERT_TRUE(connections::CommIsOpen());
    const std::string text = Received("READY");
    EXPECT_NE(text.find("READY"), std::string::npos) << text;
}

}  // namespace
