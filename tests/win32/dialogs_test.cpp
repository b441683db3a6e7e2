// The dialogs in the real terminal window, each opened from its menu item: the
// values shown come from the settings and go back on OK, Cancel changes
// nothing, a save puts the change in the settings file, and the communication
// settings reopen the connection to a telnet server on loopback
// (tests/win32/with_telnet_peer.sh names its port in VZ_TELNET_PORT). A
// picture of each dialog is kept in the build's artifacts folder.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "../common/peer_required.h"
#include "app/connection_wiring.h"
#include "app/menu_wiring.h"
#include "commands/win32/settings_platform_win32.h"
#include "connections/comm_interface.h"
#include "connections/win32/socket_notify.h"
#include "connections/win32/winsock_transport.h"
#include "console/globals.h"
#include "console/win32/install_services.h"
#include "terminal_window_fixture.h"
#include "ui/dialog_interface.h"
#include "ui/win32/language_dialogs.h"
#include "ui/win32/menus_win32.h"

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
