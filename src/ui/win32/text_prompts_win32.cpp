// The dialog procedures of the text prompts; what they do with the typed text is in
// ui/text_prompts.cpp.
#include <windows.h>

#include <array>
#include <string>

#include "console/win32/terminal_window_win32.h"
#include "ui/text_prompts.h"
#include "ui/win32/language_dialogs.h"

namespace ui {
namespace {

constexpr int kLabel = 3;
constexpr int kEdit = 4;
constexpr int kHost = 5;
constexpr int kPassword = 6;

// Reads at most max characters of the control, wiping the work buffer afterwards since it may
// hold a password.
std::string ControlText(HWND dialog, int control, size_t max) {
    std::array<char, kPromptTypedMax + 1> buffer{};
    UINT n = GetDlgItemTextA(dialog, control, buffer.data(), static_cast<int>(max + 1));
    std::string text(buffer.data(), n < max ? n : max);
    SecureZeroMemory(buffer.data(), buffer.size());
    return text;
}

INT_PTR CALLBACK StringInDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowTextA(dialog, textPrompts.PromptCaption.c_str());
            SetDlgItemTextA(dialog, kLabel, textPrompts.PromptLabel.c_str());
            SetDlgItemTextA(dialog, kEdit, textPrompts.PromptText.c_str());
            SetFocus(GetDlgItem(dialog, kEdit));
            SendDlgItemMessageA(dialog, kEdit, EM_SETSEL, 0, -1);
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    std::string typed = ControlText(dialog, kEdit, kPromptTypedMax);
                    StringInAccept(typed);
                    WipeText(typed);
                    EndDialog(dialog, kPromptOk);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, kPromptCancel);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

bool LoginFieldsFilled(HWND dialog) {
    return GetWindowTextLengthA(GetDlgItem(dialog, kEdit)) > 0 &&
           GetWindowTextLengthA(GetDlgItem(dialog, kPassword)) > 0;
}

INT_PTR CALLBACK LoginPasswordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            SetDlgItemTextA(dialog, kEdit, textPrompts.PromptText.c_str());
            SetDlgItemTextA(dialog, kPassword, textPrompts.PromptPassword.c_str());
            SetDlgItemTextA(dialog, kHost, textPrompts.NoticeText.c_str());
            SendDlgItemMessageA(dialog, kEdit, EM_SETSEL, 0, -1);
            EnableWindow(GetDlgItem(dialog, kHost), FALSE);
            EnableWindow(GetDlgItem(dialog, kEdit), textPrompts.PromptUserEditable);
            SetFocus(GetDlgItem(dialog, textPrompts.PromptUserEditable ? kEdit : kPassword));
            EnableWindow(GetDlgItem(dialog, IDOK), LoginFieldsFilled(dialog));
            return FALSE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kEdit:
                case kPassword:
                    if (HIWORD(wParam) == EN_CHANGE)
                        EnableWindow(GetDlgItem(dialog, IDOK), LoginFieldsFilled(dialog));
                    return TRUE;
                case IDOK: {
                    // A disabled OK also refuses a confirmation that arrives as a message.
                    if (!LoginFieldsFilled(dialog)) return TRUE;
                    std::string user = ControlText(dialog, kEdit, kPromptTextMax);
                    std::string password = ControlText(dialog, kPassword, kPromptPasswordMax);
                    LoginPasswordAccept(user, password);
                    WipeText(password);
                    EndDialog(dialog, kPromptOk);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, kPromptCancel);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

class Win32PromptDialogs final : public platform::PromptDialogs {
  public:
    int StringIn(bool password) override {
        return static_cast<int>(
            LangDialogBox(GetModuleHandleA(nullptr), password ? "PASSWORD" : "STRINGIN",
                          console::TerminalWindowHandle(), StringInDialogProc, 0));
    }
    int LoginPassword() override {
        return static_cast<int>(LangDialogBox(GetModuleHandleA(nullptr), "LOGINPASSWORD",
                                              console::TerminalWindowHandle(),
                                              LoginPasswordDialogProc, 0));
    }
    bool OwnMenuHoldsItem(uint16_t itemId) override {
        HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), "MainMenu");
        if (!menu) return false;
        bool holds = GetMenuState(menu, itemId, MF_BYCOMMAND) != static_cast<UINT>(-1);
        DestroyMenu(menu);
        return holds;
    }
};

}  // namespace

void InstallWin32PromptDialogs() {
    static Win32PromptDialogs dialogs;
    platform::SetPromptDialogs(&dialogs);
}

}  // namespace ui
