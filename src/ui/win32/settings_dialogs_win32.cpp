#include <windows.h>
// commdlg.h needs windows.h first.
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commands/win32/settings_platform_win32.h"
#include "console/messages.h"
#include "console/win32/terminal_window_win32.h"
#include "ui/dialogs/dialog_entries.h"
#include "ui/dialogs/setup_dialogs.h"
#include "ui/win32/model_dialogs_win32.h"

namespace {

constexpr uint16_t kMsgBanner = 2;
constexpr uint16_t kMsgDefaultsFilter = 307;
constexpr uint16_t kMsgSaveDefaultsTitle = 308;
constexpr uint16_t kMsgKeysFilter = 309;
constexpr uint16_t kMsgSaveKeysTitle = 310;

// The system's Save As dialog for one kind of file, starting from name.
bool ChooseSaveName(uint16_t filterId, const char* pattern, const char* extension, uint16_t titleId,
                    std::string& name) {
    // The filter is "description NUL pattern NUL NUL".
    std::string filter = console::GetMessageText(filterId, false);
    filter += '\0';
    filter += pattern;
    filter += '\0';
    filter += '\0';
    const std::string title = console::GetMessageText(titleId, false);
    std::vector<char> buffer(MAX_PATH + 1, 0);
    name.copy(buffer.data(), std::min(name.size(), static_cast<size_t>(MAX_PATH)));
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetSaveFileNameA(&dialog)) return false;
    name = buffer.data();
    return true;
}

class WindowsSettingsDialogs final : public platform::SettingsDialogs {
  public:
    char Ask(std::string_view caption, std::string_view text, bool allowCancel) override {
        std::string title(caption);
        if (title.empty()) title = console::GetMessageText(kMsgBanner, false);
        if (title.empty()) title = "VovuzIva";
        const std::string body(text);
        const UINT buttons = allowCancel ? MB_YESNOCANCEL : MB_YESNO;
        switch (MessageBoxA(GetActiveWindow(), body.c_str(), title.c_str(),
                            buttons | MB_ICONQUESTION | MB_SETFOREGROUND)) {
            case IDYES:
                return ui::kAnswerYes;
            case IDCANCEL:
                return allowCancel ? ui::kAnswerCancel : ui::kAnswerNo;
            default:
                return ui::kAnswerNo;
        }
    }

    // Abort ends the first start; a program without the template goes on with the working
    // values, as a quiet start does.
    bool FirstRunDialog(ui::FirstRunChoice& choice) override {
        auto model = ui::MakeDialogModel("INITTERMTYPE");
        if (!model) return true;
        ui::FirstRunWork = &choice;
        const int result = ui::RunModelDialog("INITTERMTYPE", *model, GetActiveWindow());
        ui::FirstRunWork = nullptr;
        return result != 0;
    }

    ui::SaveChoice AskSave(std::string_view caption, std::string_view text, bool saveAllowed,
                           bool allowCancel) override {
        ui::SaveQuestion = {std::string(caption), std::string(text), saveAllowed, allowCancel};
        auto model = ui::MakeDialogModel("SAVEPARAM");
        const int button = model ? ui::RunModelDialog("SAVEPARAM", *model, GetActiveWindow()) : -1;
        switch (button) {
            case -1:
                return SettingsDialogs::AskSave(caption, text, saveAllowed, allowCancel);
            case ui::kSaveButton:
                return ui::SaveChoice::Save;
            case ui::kSaveAsButton:
                return ui::SaveChoice::SaveAs;
            case ui::kNoButton:
                return ui::SaveChoice::No;
            default:
                return ui::SaveChoice::Cancel;
        }
    }

    bool ChooseSettingsSaveName(std::string& name) override {
        return ChooseSaveName(kMsgDefaultsFilter, "*.def", "def", kMsgSaveDefaultsTitle, name);
    }
    bool ChooseKeysSaveName(std::string& name) override {
        return ChooseSaveName(kMsgKeysFilter, "*.kys", "kys", kMsgSaveKeysTitle, name);
    }
    void SavedAs() override { ui::OfferDesktopShortcut(); }
    // A window without a menu bar has not lost the item to a kiosk.
    bool MenuOffers(uint16_t item) override {
        HWND window = console::TerminalWindowHandle();
        HMENU menu = window ? GetMenu(window) : nullptr;
        return !menu || GetMenuState(menu, item, MF_BYCOMMAND) != static_cast<UINT>(-1);
    }

    void DisplaySize(int& width, int& height) override {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
};

}  // namespace

namespace platform {

SettingsDialogs& Win32SettingsDialogs() {
    static WindowsSettingsDialogs dialogs;
    return dialogs;
}

}  // namespace platform
