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
constexpr uint16_t kItemSaveSettings = 104;
constexpr uint16_t kItemSaveKeys = 111;

std::string Message(uint16_t id) {
    return console::GetMessageText(id, false);
}

// Not saved: the exit stops where it may.
char NotSaved(bool allowCancel) {
    return allowCancel ? kAnswerCancel : kAnswerNo;
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
    platform::SettingsDialogs* dialogs = platform::CurrentSettingsDialogs();
    if (dialogs == nullptr) return kAnswerNo;
    std::string name = commands::Settings.KeyFileName.Str();
    if (!dialogs->MenuOffers(kItemSaveKeys)) {
        commands::StartupServices.SaveKeysFile(name);
        return kAnswerYes;
    }
    switch (dialogs->AskSave(Message(kMsgSaveKeysCaption), Message(kMsgKeysChangedText),
                             !name.empty(), allowCancel)) {
        case SaveChoice::No:
            return kAnswerNo;
        case SaveChoice::Cancel:
            return NotSaved(allowCancel);
        case SaveChoice::SaveAs:
            if (!dialogs->ChooseKeysSaveName(name)) return NotSaved(allowCancel);
            commands::Settings.KeyFileName = name;
            break;
        case SaveChoice::Save:
            break;
    }
    commands::StartupServices.SaveKeysFile(commands::Settings.KeyFileName.View());
    return kAnswerYes;
}

char AskSaveSettings(bool allowCancel) {
    platform::SettingsDialogs* dialogs = platform::CurrentSettingsDialogs();
    if (dialogs == nullptr) return kAnswerNo;
    const bool named = !commands::SettingsFile.SettingsFileName.empty();
    if (!dialogs->MenuOffers(kItemSaveSettings)) {
        SaveParameters(false);
        return kAnswerYes;
    }
    switch (dialogs->AskSave(Message(kMsgSaveParametersCaption), Message(kMsgSettingsChangedText),
                             named, allowCancel)) {
        case SaveChoice::No:
            return kAnswerNo;
        case SaveChoice::Cancel:
            return NotSaved(allowCancel);
        case SaveChoice::SaveAs:
            if (!SaveParameters(true)) return NotSaved(allowCancel);
            dialogs->SavedAs();
            return kAnswerYes;
        case SaveChoice::Save:
            break;
    }
    SaveParameters(false);
    return kAnswerYes;
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
