#include "console/console_settings.h"

#include "commands/settings_record.h"

namespace console {

using commands::Settings;

void SetScreenColumnsSetting(uint8_t value) {
    Settings.ScreenColumns = value;
}
uint8_t BackspaceCharSetting() {
    return Settings.BackspaceChar;
}
void SetAttrCursorSetting(bool value) {
    Settings.AttrCursor = value ? 1 : 0;
}
uint16_t JumpScrollSetting() {
    return Settings.JumpScroll.Get();
}
uint8_t AttrUnderlineModeSetting() {
    return Settings.AttrUnderlineMode;
}
void SetAttrUnderlineModeSetting(uint8_t value) {
    Settings.AttrUnderlineMode = value;
}
uint32_t CodePageSetting() {
    return Settings.CodePage.Get();
}
uint8_t CharsetKindSetting() {
    return Settings.CharsetKind;
}
uint8_t ScreenOption6860Setting() {
    return Settings.ScreenOption6860;
}

void SetBackspaceCharSetting(uint8_t value) {
    Settings.BackspaceChar = value;
}
void SetJumpScrollSetting(uint16_t value) {
    Settings.JumpScroll.Set(value);
}
void SetCodePageSetting(uint32_t value) {
    Settings.CodePage.Set(value);
}
void SetCharsetKindSetting(uint8_t value) {
    Settings.CharsetKind = value;
}
void SetScreenOption6860Setting(uint8_t value) {
    Settings.ScreenOption6860 = value;
}

void ResetConsoleSettings() {
    const commands::SettingsRecord& defaults = commands::DefaultSettings();
    Settings.ScreenColumns = defaults.ScreenColumns;
    Settings.BackspaceChar = defaults.BackspaceChar;
    Settings.AttrCursor = defaults.AttrCursor;
    Settings.JumpScroll = defaults.JumpScroll;
    Settings.AttrUnderlineMode = defaults.AttrUnderlineMode;
    Settings.CodePage = defaults.CodePage;
    Settings.CharsetKind = defaults.CharsetKind;
    Settings.ScreenOption6860 = defaults.ScreenOption6860;
}

}  // namespace console
