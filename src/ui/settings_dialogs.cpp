#include "ui/settings_dialogs.h"

#include <cmath>

#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "console/messages.h"
#include "ui/message_box.h"

namespace platform {

namespace {
SettingsDialogs* currentSettingsDialogs = nullptr;
}

void SetSettingsDialogs(SettingsDialogs* dialogs) {
    currentSettingsDialogs = dialogs;
}
SettingsDialogs* CurrentSettingsDialogs() {
    return currentSettingsDialogs;
}

}  // namespace platform

namespace ui {

namespace {

constexpr uint16_t kMsgKeysChangedText = 301;
constexpr uint16_t kMsgSaveKeysCaption = 302;
constexpr uint16_t kMsgSettingsChangedText = 303;
constexpr uint16_t kMsgSaveParametersCaption = 304;

std::string Message(uint16_t id) {
    return console::GetMessageText(id, false);
}

char Ask(uint16_t caption, uint16_t text, bool allowCancel) {
    platform::SettingsDialogs* dialogs = platform::CurrentSettingsDialogs();
    if (dialogs == nullptr) return kAnswerNo;
    const char answer = dialogs->Ask(Message(caption), Message(text), allowCancel);
    if (answer == kAnswerCancel && !allowCancel) return kAnswerNo;
    return answer;
}

// Cell sizes for the first start, from the display and the screen's size.
void StoreFontCellSizes() {
    platform::SettingsDialogs* dialogs = platform::CurrentSettingsDialogs();
    int width = 0;
    int height = 0;
    if (dialogs != nullptr) dialogs->DisplaySize(width, height);
    const int rows = commands::StartupServices.ConsoleRows();
    const int columns = commands::Settings.ScreenColumns;
    if (width <= 0 || height <= 0 || rows <= 0 || columns <= 0) return;
    auto& cells = commands::Settings.FontCellSize;
    cells[0].SetSigned(static_cast<int16_t>(height / rows * 3 / 4));
    if (width >= 800)
        cells[1].SetSigned(
            static_cast<int16_t>(std::lround(static_cast<double>(width) / columns * 0.8)));
    cells[2] = cells[0];
    cells[3] = cells[1];
    if (width > 640) cells[3].SetSigned(static_cast<int16_t>(width / 132));
}

}  // namespace

bool FirstRunTermSetup(bool quiet, FirstRunChoice& choice) {
    commands::SettingsRecord& s = commands::Settings;
    choice.hostKind = "UNIX";
    choice.terminalType = "VT220";
    choice.port = s.SerialPort;
    const uint16_t stored = s.SerialBaud.Get();
    choice.baudRate = (stored == 1152 || stored == 1280 || stored == 2560) ? stored * 100u : stored;

    if (!quiet) {
        platform::SettingsDialogs* dialogs = platform::CurrentSettingsDialogs();
        if (dialogs != nullptr && !dialogs->FirstRunDialog(choice)) return false;
    }

    commands::AssignZeroFilled(s.ScreenFontName, "Courier New");
    s.ScreenFontCharset = 0;
    s.PrintFontCharset = 0;
    StoreFontCellSizes();
    return true;
}

char AskSaveKeys(bool allowCancel) {
    const char answer = Ask(kMsgSaveKeysCaption, kMsgKeysChangedText, allowCancel);
    if (answer == kAnswerYes)
        commands::StartupServices.SaveKeysFile(commands::Settings.KeyFileName.View());
    return answer;
}

char AskSaveSettings(bool allowCancel) {
    const char answer = Ask(kMsgSaveParametersCaption, kMsgSettingsChangedText, allowCancel);
    if (answer == kAnswerYes) SaveParameters(false);
    return answer;
}

bool SaveParameters(bool askName) {
    commands::SettingsFileState& st = commands::SettingsFile;
    if (askName) {
        platform::SettingsDialogs* dialogs = platform::CurrentSettingsDialogs();
        std::string name = st.SettingsFileName;
        if (dialogs == nullptr || !dialogs->ChooseSettingsSaveName(name)) return false;
        st.SettingsFileName = name;
    }
    commands::CopyColorTablesToSettings();
    if (!commands::WriteSettingsRecordFile(st.SettingsFileName, commands::Settings)) {
        LangMessageBoxShort(Message(commands::kMsgDiskOrDirectoryFull));
        return false;
    }
    st.SavedSettings = commands::Settings;
    return true;
}

}  // namespace ui
