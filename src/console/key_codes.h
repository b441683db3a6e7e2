#pragma once
// Key numbers as the window's key input knows them: the virtual keys of the key messages, the
// class bytes of extended key words, the table of keys that become extended keys, and the
// KeyCode values the rest of the program works with.

#include <cstdint>

namespace console {

// A 16-bit key code: below 256 a character, from 256 on an extended key.
using KeyCode = uint16_t;

// Virtual-key numbers of the key messages (the platform's numbering).
namespace vk {
inline constexpr uint16_t Cancel = 0x03;  // Ctrl+Break
inline constexpr uint16_t Back = 0x08;
inline constexpr uint16_t Tab = 0x09;
inline constexpr uint16_t Clear = 0x0C;
inline constexpr uint16_t Return = 0x0D;
inline constexpr uint16_t Shift = 0x10;
inline constexpr uint16_t Control = 0x11;
inline constexpr uint16_t Menu = 0x12;  // Alt
inline constexpr uint16_t Escape = 0x1B;
inline constexpr uint16_t Space = 0x20;
inline constexpr uint16_t Prior = 0x21;  // Page Up
inline constexpr uint16_t Next = 0x22;   // Page Down
inline constexpr uint16_t End = 0x23;
inline constexpr uint16_t Home = 0x24;
inline constexpr uint16_t Left = 0x25;
inline constexpr uint16_t Up = 0x26;
inline constexpr uint16_t Right = 0x27;
inline constexpr uint16_t Down = 0x28;
inline constexpr uint16_t Snapshot = 0x2C;  // Print Screen
inline constexpr uint16_t Insert = 0x2D;
inline constexpr uint16_t Delete = 0x2E;
inline constexpr uint16_t Key0 = 0x30;  // '0'..'9' and 'A'..'Z' are their characters
inline constexpr uint16_t KeyA = 0x41;
inline constexpr uint16_t Numpad0 = 0x60;
inline constexpr uint16_t Numpad1 = 0x61;
inline constexpr uint16_t Numpad9 = 0x69;
inline constexpr uint16_t Multiply = 0x6A;
inline constexpr uint16_t Add = 0x6B;
inline constexpr uint16_t Separator = 0x6C;
inline constexpr uint16_t Subtract = 0x6D;
inline constexpr uint16_t Decimal = 0x6E;
inline constexpr uint16_t Divide = 0x6F;
inline constexpr uint16_t F1 = 0x70;
inline constexpr uint16_t F10 = 0x79;
inline constexpr uint16_t F11 = 0x7A;
inline constexpr uint16_t F12 = 0x7B;
inline constexpr uint16_t F13 = 0x7C;
inline constexpr uint16_t F20 = 0x83;
inline constexpr uint16_t NumLock = 0x90;
inline constexpr uint16_t Oem1 = 0xBA;  // ';:' on a US keyboard
inline constexpr uint16_t OemPlus = 0xBB;
inline constexpr uint16_t OemComma = 0xBC;
inline constexpr uint16_t OemMinus = 0xBD;
inline constexpr uint16_t OemPeriod = 0xBE;
inline constexpr uint16_t Oem2 = 0xBF;  // '/?'
inline constexpr uint16_t Oem3 = 0xC0;  // '`~'
inline constexpr uint16_t Oem4 = 0xDB;  // '[{'
inline constexpr uint16_t Oem5 = 0xDC;  // '\|'
inline constexpr uint16_t Oem6 = 0xDD;  // ']}'
inline constexpr uint16_t Oem7 = 0xDE;  // ''"'
}  // namespace vk

// Class bytes of an extended key word (scan code x 256 + class).
inline constexpr uint8_t kClassExtended = 0x00;
inline constexpr uint8_t kClassGrey = 0xE0;          // the key message had the extended-key flag
inline constexpr uint8_t kClassKeypadNumOff = 0xF0;  // a keypad key with NumLock off
inline constexpr uint8_t kClassKeypadNumOn = 0xD0;   // a keypad key with NumLock on

constexpr uint16_t ExtendedKeyWord(uint8_t scan, uint8_t keyClass) {
    return static_cast<uint16_t>(scan << 8 | keyClass);
}

// Which column of the extended-key table a modifier state reads.
enum class ModifierColumn : uint8_t { Plain, Shift, Ctrl, Alt };
// Alt, and Shift with Ctrl together, read the Alt column.
ModifierColumn ColumnForModifiers(bool shift, bool ctrl, bool alt);

// The DOS extended key code of a virtual key in a column; 0 when the key has none there.
uint8_t ExtendedKeyCode(uint16_t virtualKey, ModifierColumn column);

// Some KeyCode values by name.
inline constexpr KeyCode kKeyBackspace = 8;
inline constexpr KeyCode kKeyShiftTab = 271;
inline constexpr KeyCode kKeyF1 = 315;
inline constexpr KeyCode kKeyF2 = 316;
inline constexpr KeyCode kKeyF3 = 317;
inline constexpr KeyCode kKeyF4 = 318;
inline constexpr KeyCode kKeyF5 = 319;
inline constexpr KeyCode kKeyF6 = 320;
inline constexpr KeyCode kKeyF7 = 321;
inline constexpr KeyCode kKeyF8 = 322;
inline constexpr KeyCode kKeyF9 = 323;
inline constexpr KeyCode kKeyF10 = 324;
inline constexpr KeyCode kKeyF11 = 389;
inline constexpr KeyCode kKeyF12 = 390;
inline constexpr KeyCode kKeyHome = 327;
inline constexpr KeyCode kKeyUp = 328;
inline constexpr KeyCode kKeyPgUp = 329;
inline constexpr KeyCode kKeyLeft = 331;
inline constexpr KeyCode kKeyRight = 333;
inline constexpr KeyCode kKeyEnd = 335;
inline constexpr KeyCode kKeyDown = 336;
inline constexpr KeyCode kKeyPgDn = 337;
inline constexpr KeyCode kKeyIns = 338;
inline constexpr KeyCode kKeyDel = 339;
inline constexpr KeyCode kKeyCtrlHome = 375;
inline constexpr KeyCode kKeyAltA = 286;

// The KeyCode of a raw word of the key queue: a byte of typed text is itself, an extended key
// word is mapped by its class byte.
KeyCode KeyCodeFromRawKey(uint16_t raw);

}  // namespace console
