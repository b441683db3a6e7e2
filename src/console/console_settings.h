#pragma once

#include <cstdint>

#include "commands/settings_record.h"

// The settings fields that the screen buffer and the console primitives read or
// change, read through the settings record in one place.
namespace console {

// Read on every write to the screen, so read in place.
inline uint8_t ScreenColumnsSetting() {  // +84, the width of every ring line
    return commands::Settings.ScreenColumns;
}
void SetScreenColumnsSetting(uint8_t value);
uint8_t BackspaceCharSetting();  // +87
inline bool AttrCursorSetting() {  // +89, the cursor is a reverse-video cell
    return commands::Settings.AttrCursor != 0;
}
void SetAttrCursorSetting(bool value);
uint16_t JumpScrollSetting();        // +864
uint8_t AttrUnderlineModeSetting();  // +3300
void SetAttrUnderlineModeSetting(uint8_t value);
uint32_t CodePageSetting();         // +3421
uint8_t CharsetKindSetting();       // +3425
uint8_t ScreenOption6860Setting();  // +6860, which double-width range set applies

// For tests: the values that only other units change.
void SetBackspaceCharSetting(uint8_t value);
void SetJumpScrollSetting(uint16_t value);
void SetCodePageSetting(uint32_t value);
void SetCharsetKindSetting(uint8_t value);
void SetScreenOption6860Setting(uint8_t value);
// These fields back to the compiled-in defaults.
void ResetConsoleSettings();

}  // namespace console
