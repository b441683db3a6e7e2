#include "console/console_settings.h"

namespace console {
namespace {

// Stand-in storage with the record's default values until the settings record is wired in.
struct ConsoleSettingsFields {
    uint8_t ScreenColumns = 80;
    uint8_t BackspaceChar = 8;
    bool AttrCursor = false;
    uint16_t JumpScroll = 100;
    uint8_t AttrUnderlineMode = 5;
    uint32_t CodePage = 1252;
    uint8_t CharsetKind = 8;
    uint8_t ScreenOption6860 = 1;
};

ConsoleSettingsFields fields;

}  // namespace

uint8_t ScreenColumnsSetting() {
    return fields.ScreenColumns;
}
void SetScreenColumnsSetting(uint8_t value) {
    fields.ScreenColumns = value;
}
uint8_t BackspaceCharSetting() {
    return fields.BackspaceChar;
}
bool AttrCursorSetting() {
    return fields.AttrCursor;
}
void SetAttrCursorSetting(bool value) {
    fields.AttrCursor = value;
}
uint16_t JumpScrollSetting() {
    return fields.JumpScroll;
}
uint8_t AttrUnderlineModeSetting() {
    return fields.AttrUnderlineMode;
}
void SetAttrUnderlineModeSetting(uint8_t value) {
    fields.AttrUnderlineMode = value;
}
uint32_t CodePageSetting() {
    return fields.CodePage;
}
uint8_t CharsetKindSetting() {
    return fields.CharsetKind;
}
uint8_t ScreenOption6860Setting() {
    return fields.ScreenOption6860;
}

void SetBackspaceCharSetting(uint8_t value) {
    fields.BackspaceChar = value;
}
void SetJumpScrollSetting(uint16_t value) {
    fields.JumpScroll = value;
}
void SetCodePageSetting(uint32_t value) {
    fields.CodePage = value;
}
void SetCharsetKindSetting(uint8_t value) {
    fields.CharsetKind = value;
}
void SetScreenOption6860Setting(uint8_t value) {
    fields.ScreenOption6860 = value;
}
void ResetConsoleSettings() {
    fields = ConsoleSettingsFields{};
}

}  // namespace console
