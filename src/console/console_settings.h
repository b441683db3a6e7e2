#pragma once

#include <cstdint>

// The settings fields that the screen buffer and the console primitives read or
// change, read through the settings record in one place.
namespace console {

uint8_t ScreenColumnsSetting();  // +84, the width of every ring line
void SetScreenColumnsSetting(uint8_t value);
uint8_t BackspaceCharSetting();  // +87
bool AttrCursorSetting();        // +89, the cursor is a reverse-video cell
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
