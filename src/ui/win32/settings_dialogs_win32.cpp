#include <windows.h>
// commdlg.h needs windows.h first.
#include <commdlg.h>

#include <string>
#include <vector>

#include "commands/win32/settings_platform_win32.h"
#include "console/messages.h"

namespace {

constexpr uint16_t kMsgBanner = 2;
constexpr uint16_t kMsgDefaultsFilter = 307;
constexpr uint16_t kMsgSaveDefaultsTitle = 308;

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

    // The first-run dialog itself comes with the other dialogs; until then
    // the first start takes the working values as a quiet start does.
    bool FirstRunDialog(ui::FirstRunChoice&) override { return true; }

    bool ChooseSettingsSaveName(std::string& name) override {
        // The filter is "description NUL pattern NUL NUL".
        std::string filter = console::GetMessageText(kMsgDefaultsFilter, false);
        filter += std::string("\0*.def\0", 7);
        filter += '\0';
        const std::string title = console::GetMessageText(kMsgSaveDefaultsTitle, false);
        std::vector<char> buffer(MAX_PATH + 1, 0);
        name.copy(buffer.data(), std::min(name.size(), static_cast<size_t>(MAX_PATH)));
        OPENFILENAMEA dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = GetActiveWindow();
        dialog.lpstrFilter = filter.c_str();
        dialog.lpstrFile = buffer.data();
        dialog.nMaxFile = MAX_PATH;
        dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
        dialog.lpstrDefExt = "def";
        dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
        if (!GetSaveFileNameA(&dialog)) return false;
        name = buffer.data();
        return true;
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
