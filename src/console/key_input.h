#pragma once
// The window's key input: key messages become entries of the ConsoleKeyQueue (typed text as
// UTF-8 or code-page bytes, other keys as extended key words), dead keys and Alt+keypad codes
// build accented characters, the keyboard hook serves NumLock and Print Screen, and the waits
// for keys pump the window's messages. The Win32 side (console/win32/key_input_win32.h) feeds
// the handlers from the window's messages and fills in the hooks.

#include <cstdint>
#include <string_view>

namespace console {

// One key message as the handlers see it.
struct KeyMessage {
    uint16_t Code = 0;      // the virtual key of a key-down, the character of a character message
    uint8_t Scan = 0;       // the scan code from the key data
    bool Extended = false;  // the key data's extended-key flag (a grey key)
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
    bool NumLock = false;  // the NumLock toggle state when the message is handled
};

// Key state.
struct KeyInput {
    uint8_t DeadKeyPending = 0;   // 0, or the dead key 1-11 waiting for the next character
    uint8_t LeadBytePending = 0;  // 0, or the first byte of a double-byte character
    uint16_t AltCode = 0;         // the decimal code typed with Alt on the keypad, 0 when none
    bool AltCodeOem = true;       // AltCode is a byte of the OEM code page, else a UTF-16 value
    uint16_t LastKey = 0;         // the virtual key of the last key-down the pumps saw
    bool NumLockReplay = false;   // a NumLock press of our own is under way
    char16_t HighSurrogate = 0;   // the first half of a character that came as two UTF-16 units
};
extern KeyInput keyInput;
void ResetKeyInput();

// What the key input needs of the window, the platform and other units. The defaults do the
// least; the window and the Win32 side point them at the real operations, tests at fakes.
struct KeyInputHooks {
    // The terminal window.
    bool (*CheckBreak)();  // Ctrl+Break and the typed character 3 end the program
    void (*HaltProgram)();
    void (*KeyWaitStarted)();  // a key is being waited for (the caret calls start)
    void (*ClearIdleTick)();
    uint32_t (*KeyboardCodePage)();  // the input language's code page (initially the ANSI one)

    // The keyboard layout: the key that types a character as virtual key | Shift << 8 (bits 8
    // to 10: Shift, Ctrl, Alt), -1 when no key types it; and the scan code of a virtual key.
    int32_t (*KeyForChar)(char16_t ch);
    uint8_t (*ScanCodeForVirtualKey)(uint16_t virtualKey);
    // The character the key with this scan code types without Shift; 0 for none.
    char16_t (*ScanCodeChar)(uint8_t scanCode);

    // Messages: a character message posted to the window the key came for; one waiting
    // keyboard message handled; a sleep until the next message arrives.
    void (*PostCharMessage)(char16_t ch, uint8_t scan);
    void (*PumpKeyboardMessage)();
    void (*WaitForMessage)();

    // A launched program being waited for refuses typing: the warning asks OK or Cancel and
    // returns true for Cancel.
    bool (*LaunchedProgramWaiting)();
    bool (*WarnLaunchedProgram)();

    // Composition, key macros and screen printing (code pages go through platform::CodePages).
    char16_t (*ComposeChars)(std::u16string_view sequence, bool allowPrivate);  // 0xFFFF: none
    bool (*MacroExists)(uint16_t key);
    void (*PrintScreenText)();
    void (*PrintScreenPage)();
};
extern KeyInputHooks keyInputHooks;
void ResetKeyInputHooks();

// The combining mark of each dead key.
extern const char16_t DeadKeyMarks[12];

// Queues the UTF-8 bytes of a character (nothing while a launched program is waited for).
void PutCharKey(char16_t ch);

// WM_KEYDOWN: true when the key was handled (a key not handled becomes characters).
bool KeyDownHandler(const KeyMessage& key);
// WM_CHAR: key.Code is a byte of the keyboard code page, or with wide a UTF-16 unit.
void CharHandler(const KeyMessage& key, bool wide);
// WM_SYSKEYDOWN: false when the key goes to the default procedure (menus).
bool SysKeyDownHandler(const KeyMessage& key);
// WM_SYSCHAR: false when the default procedure runs (menu mnemonics).
bool SysCharHandler(const KeyMessage& key);
// WM_MENUCHAR: true when the key was queued and the menu is to close.
bool MenuCharHandler(const KeyMessage& key);
// WM_IME_COMPOSITION's result string.
void ImeResultString(std::u16string_view text);
// WM_IME_CHAR: a double-byte character of the code page is lead byte x 256 + trail byte.
void ImeCharHandler(const KeyMessage& key, bool wide);

// What the keyboard hook does with a key besides passing it on.
struct KeyboardHookAction {
    bool Swallow = false;  // the key goes no further
    bool RestoreNumLockState =
        false;                   // flip the NumLock toggle back (systems not of the NT family)
    bool ReplayNumLock = false;  // send a NumLock press and release of our own
};
KeyboardHookAction KeyboardHook(uint16_t virtualKey, bool keyUp, bool ntFamily);

// Handles at most one waiting keyboard message; true when a key waits.
bool KeyAvailable();
// Waits for a key, pumping the window's messages; removes and returns the first entry.
uint16_t WaitForKey();
// Checks for a key; when none and wait is set, sleeps until the next message.
bool KeyPressedOrWait(bool wait);
// Makes the window's key queue the source that the key reader (KeyPressed,
// ReadKeyCode) takes keys from.
void InstallWindowKeySource();

// Reads a line of typed text with echo, ended by CR (stored as CR LF); returns the bytes stored.
int32_t ReadLineInput(uint8_t* buffer, int32_t size);

}  // namespace console
