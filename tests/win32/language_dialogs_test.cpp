// Menus, dialogs, accelerators and prompts from the German test module (OZMELDEU.DLL) with the
// program's own resources behind it, and the language list that leaves out OZMELITA.DLL, whose
// menu carries French. The prompts are driven by messages, as a user would type into them.

#include "ui/win32/language_dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "commands/settings_record.h"
#include "console/terminal_window.h"
#include "console/win32/install_services.h"
#include "console/win32/terminal_window_win32.h"
#include "ui/dialog_interface.h"
#include "ui/win32/language_module_handle.h"

namespace {

constexpr WORD kGerman = 0x0407;

std::string WindowTextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string MenuText(HMENU menu, UINT position) {
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

// What the user does once the dialog is up; runs from a timer inside the dialog's own loop.
struct DialogDriver {
    std::function<void(HWND)> act;
    HWND seen = nullptr;
    std::string caption;
};
DialogDriver driver;

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
    driver.seen = dialog;
    driver.caption = WindowTextOf(dialog);
    driver.act(dialog);
}

// Arms the driver for the next dialog; a dialog that never appears leaves seen null.
void WhenDialogOpens(std::function<void(HWND)> act) {
    driver = DialogDriver{};
    driver.act = std::move(act);
    SetTimer(nullptr, 0, 30, DriveDialog);
}

void Type(HWND dialog, int control, const std::string& text) {
    SendDlgItemMessageA(dialog, control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Press(HWND dialog, int button) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

class LanguageDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::InstallWin32Services();
        ui::InstallWin32LanguageDialogs();
        ui::ResetLanguageModule();
        ui::ResetTextPrompts();
        ui::ResetMenuDispatch();
        commands::Settings.LanguageId.Set(0);
    }
    void TearDown() override {
        commands::Settings.LanguageId.Set(0);
        ui::ResetLanguageModule();
        ui::ResetTextPrompts();
        ui::ResetMenuDispatch();
    }
};

TEST_F(LanguageDialogs, GermanModuleReplacesMenusAcceleratorsAndDialogs) {
    commands::Settings.LanguageId.Set(kGerman);
    HMENU menu = ui::LoadMenuInLanguage("MainMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuText(menu, 0), "&Verbindung");
    DestroyMenu(menu);

    ASSERT_TRUE(ui::SetMenuLanguage(kGerman));
    ACCEL german[4];
    ASSERT_EQ(CopyAcceleratorTableA(ui::LanguageAccelerators(), german, 4), 1);
    EXPECT_EQ(german[0].key, 'G');

    // "STRINGIN" comes from the module, "PASSWORD" (which it lacks) from the program.
    static std::string cancelText;
    auto cancel = [](HWND dialog) {
        cancelText = WindowTextOf(GetDlgItem(dialog, IDCANCEL));
        Press(dialog, IDCANCEL);
    };
    WhenDialogOpens(cancel);
    std::u16string result;
    EXPECT_FALSE(ui::StringInputPrompt(u"Titel", u"Text", result, u""));
    EXPECT_EQ(driver.caption, "Titel");
    EXPECT_EQ(cancelText, "Abbrechen");

    WhenDialogOpens(cancel);
    std::string password;
    ui::PasswordPrompt(password);
    ASSERT_NE(driver.seen, nullptr);
    EXPECT_EQ(cancelText, "Cancel");
}

TEST_F(LanguageDialogs, WithoutAModuleEverythingIsTheProgramsOwn) {
    ASSERT_FALSE(ui::SetMenuLanguage(0x0413)) << "no module for Dutch";
    EXPECT_EQ(commands::Settings.LanguageId.Get(), 0);
    HMENU menu = ui::LoadMenuInLanguage("MainMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuText(menu, 0), "&Communicate");
    DestroyMenu(menu);
    ACCEL own[4];
    ASSERT_EQ(CopyAcceleratorTableA(ui::LanguageAccelerators(), own, 4), 1);
    EXPECT_EQ(own[0].key, 'E');
    EXPECT_EQ(ui::DialogBoxInLanguage(GetModuleHandleA(nullptr), "NOSUCHDIALOG", nullptr, nullptr,
                                      kGerman, 0),
              -1);
}

TEST_F(LanguageDialogs, SwitchingReplacesTheTerminalWindowsMenuBar) {
    console::InstallTerminalWindow();
    console::EnsureTerminalWindow();
    HWND window = console::TerminalWindowHandle();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(ui::SetMenuLanguage(kGerman));
    EXPECT_EQ(MenuText(GetMenu(window), 0), "&Verbindung");
    EXPECT_TRUE(ui::SetMenuLanguage(0));
    EXPECT_EQ(MenuText(GetMenu(window), 0), "&Communicate");
    console::DestroyTerminalWindow();
}

TEST_F(LanguageDialogs, ModuleWithTheWrongMenuLanguageIsNotListed) {
    commands::Settings.LanguageId.Set(kGerman);
    ui::MenuLanguageList list = ui::ListMenuLanguages(kGerman);
    ASSERT_EQ(list.languageIds, (std::vector<uint16_t>{0, kGerman}));
    EXPECT_EQ(list.nativeNames[1], u"Deutsch");
    EXPECT_EQ(list.preselected, 1u);
    EXPECT_EQ(ui::ChooseMenuLanguage("deutsch"), kGerman);
    EXPECT_EQ(ui::ChooseMenuLanguage("French"), ui::kNoSuchLanguage);
    EXPECT_EQ(ui::ChooseMenuLanguage("Italiano"), ui::kNoSuchLanguage);
}

TEST_F(LanguageDialogs, StringPromptsReturnWhatWasTypedWithinTheirCapacity) {
    WhenDialogOpens([](HWND dialog) {
        EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, 3)), "Label");
        EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, 4)), "start");
        Type(dialog, 4, std::string(300, 'x'));
        Press(dialog, IDOK);
    });
    std::u16string result;
    ASSERT_TRUE(ui::StringInputPrompt(u"Caption", u"Label", result, u"start"));
    EXPECT_EQ(driver.caption, "Caption");
    EXPECT_EQ(result, std::u16string(250, u'x'));
    EXPECT_TRUE(ui::MenuDispatch.PendingCommand.empty());

    WhenDialogOpens([](HWND dialog) {
        Type(dialog, 4, "alice");
        Press(dialog, IDOK);
    });
    std::string name;
    ui::UsernamePrompt(name);
    EXPECT_EQ(driver.caption, "Username");
    EXPECT_EQ(name, "alice");

    WhenDialogOpens([](HWND dialog) {
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, 4), GWL_STYLE) & ES_PASSWORD);
        Type(dialog, 4, "s3cret");
        Press(dialog, IDOK);
    });
    std::string password;
    ui::PasswordPrompt(password);
    EXPECT_EQ(driver.caption, "Password");
    EXPECT_EQ(password, "s3cret");
    EXPECT_TRUE(ui::MenuDispatch.PendingCommand.empty());

    commands::Settings.HostName = "old.example";
    WhenDialogOpens([](HWND dialog) {
        EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, 4)), "old.example");
        Type(dialog, 4, "new.example:23");
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(ui::HostNamePrompt());
    EXPECT_EQ(driver.caption, "Host Name");
    EXPECT_EQ(commands::Settings.HostName.Str(), "new.example:23");
    commands::Settings.HostName = "";
}

TEST_F(LanguageDialogs, LoginPromptReturnsWhatWasTypedWithinTheMaximums) {
    static bool okEnabledWhileEmpty;
    WhenDialogOpens([](HWND dialog) {
        EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, 5)), "host.example");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 5)));
        EXPECT_EQ(WindowTextOf(GetDlgItem(dialog, 4)), "carol");
        Type(dialog, 6, "");
        okEnabledWhileEmpty = IsWindowEnabled(GetDlgItem(dialog, IDOK));
        Press(dialog, IDOK);  // refused: the password is empty
        Type(dialog, 4, "bob-the-builder");
        Type(dialog, 6, std::string(150, 'w'));
        Press(dialog, IDOK);
    });
    std::string user = "carol", password = "old";
    ASSERT_TRUE(ui::LoginPasswordPrompt("host.example", true, user, 7, password, 120));
    EXPECT_EQ(driver.caption, "Login and Password");
    EXPECT_FALSE(okEnabledWhileEmpty);
    EXPECT_EQ(user, "bob-the");
    EXPECT_EQ(password, std::string(100, 'w'));

    WhenDialogOpens([](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 4)));
        Type(dialog, 6, "pw");
        Press(dialog, IDOK);
    });
    user = "fixed";
    ASSERT_TRUE(ui::LoginPasswordPrompt("h", false, user, 60, password, 60));
    EXPECT_EQ(user, "fixed");
    EXPECT_EQ(password, "pw");

    WhenDialogOpens([](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_FALSE(ui::LoginPasswordPrompt("h", true, user, 60, password, 60));
    EXPECT_EQ(password, "pw");
}

}  // namespace
