#pragma once
// The road from the keyboard, and from everything that types on the user's
// behalf, to the host: the type-ahead ring, the key poller with its hot keys,
// the keyboard processor that picks what to send next, and the transmit
// routine that converts, echoes and paces the bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "commands/settings_fields.h"

namespace emulation {

// Key codes the poller and the processor act on.
inline constexpr uint16_t kKeyF1 = 315;
inline constexpr uint16_t kKeyF3 = 317;
inline constexpr uint16_t kKeyF4 = 318;
inline constexpr uint16_t kKeyF5 = 319;
inline constexpr uint16_t kKeyF6 = 320;
inline constexpr uint16_t kKeyF9 = 323;
inline constexpr uint16_t kKeyF10 = 324;
inline constexpr uint16_t kKeyBreak = 325;
inline constexpr uint16_t kKeyAltA = 286;
inline constexpr uint16_t kKeyAltU = 278;
inline constexpr uint16_t kKeyAltM = 306;
inline constexpr uint16_t kKeyAltF = 289;

// F1..F10 and their Shift, Ctrl and Alt forms count as the same key.
bool SameKeyAnyShift(uint16_t functionKey, uint16_t key);

// The type-ahead ring: a character takes one entry, a key code of 256 or
// more two (0, then its low byte). One entry always stays free so that equal
// indexes mean empty; a key that does not fit is refused, never written over
// keys already queued.
struct KeyRingBuffer {
    static constexpr uint32_t kSize = 128;
    static constexpr uint32_t kMask = kSize - 1;
    uint8_t Bytes[kSize] = {};
    uint32_t Head = 0;  // next write
    uint32_t Tail = 0;  // next read

    uint32_t Count() const { return (Head - Tail) & kMask; }
    uint32_t Free() const { return kMask - Count(); }
    bool Empty() const { return Head == Tail; }
    void Clear() { Head = Tail = 0; }
    // False (nothing queued) when the key does not fit.
    bool Put(uint16_t key);
    // The next key (0 and a byte make 256 + byte); false when empty.
    bool Take(uint16_t& key);
};

// What the keyboard unit asks of units it does not own. An empty entry means
// "nothing", "no" or "not pending"; the defaults reach the units that exist.
struct KeyboardHooks {
    void (*PumpWindowMessages)() = nullptr;
    bool (*KeyPressed)() = nullptr;
    uint16_t (*ReadKeyCode)() = nullptr;
    uint16_t (*NormalizeKeyCode)(uint16_t key) = nullptr;
    // Key macros.
    bool (*MacroExists)(uint16_t key) = nullptr;
    void (*StartMacro)(uint16_t key, uint8_t mode) = nullptr;
    void (*StopMacros)() = nullptr;
    uint8_t (*MacroMode)() = nullptr;  // the top frame's Mode; 0 when none plays
    void (*SetMacroMode)(uint8_t mode) = nullptr;
    uint16_t (*NextMacroKey)(bool start) = nullptr;  // 0 when the macro has no key ready
    bool (*RunErrorKeyMacro)() = nullptr;
    // The connection.
    bool (*SendByte)(uint8_t b) = nullptr;
    bool (*SendString)(std::string_view bytes) = nullptr;
    bool (*FlowKeysLocal)() = nullptr;
    void (*SetXon)() = nullptr;
    void (*BreakCancel)() = nullptr;
    // Local echo of one sent byte in the given code page (0 ANSI, 1 OEM).
    void (*EchoByte)(uint8_t b, uint32_t codePage) = nullptr;
    // A message written at the cursor.
    void (*WriteMessage)(uint16_t id) = nullptr;
    // Commands and prompts.
    uint32_t (*ExecuteFunction)(std::string_view line, uint16_t key) = nullptr;
    bool (*FunctionSucceeded)() = nullptr;
    int32_t (*CurrentFunction)() = nullptr;
    bool (*EditLine)(std::string& line, bool echo) = nullptr;  // false: nothing entered
    uint16_t (*ReadCharKey)() = nullptr;
    uint8_t (*PromptFuncKey)(bool addForm) = nullptr;
    void (*ShowMessageBox)(std::string_view text) = nullptr;
    std::string (*SystemErrorText)(uint32_t code) = nullptr;
    // Paste: the next line, wide, and whether it ended with CR; false when no
    // paste is pending.
    bool (*NextPasteLine)(std::u16string& line, bool& endsWithCr) = nullptr;
    void (*FreePasteBuffer)() = nullptr;
    void (*HostTimeoutExpired)() = nullptr;
    void (*StopMedia)() = nullptr;
    void (*StopCapture)() = nullptr;  // CaptureMode := 0
    void (*Bell)() = nullptr;
    void (*Delay)(uint32_t milliseconds) = nullptr;
    uint32_t (*Milliseconds)() = nullptr;
    int32_t (*Ticks)() = nullptr;
};

struct KeyboardState {
    KeyRingBuffer KeyRing;
    bool AbortRequested = false;
    bool RetransmitPending = false;
    commands::PString<80> LastReplyLine;
    bool TransmitActive = false;
    bool TransmitSingle = false;
    uint32_t TransmitRecordLength = 80;
    bool OutputHold = false;
    uint32_t QuietWaitSeconds = 0;
    uint32_t QuietWaitStart = 0;
    int32_t KioskLevel = -1;       // -1: not in kiosk mode
    uint32_t KeyLockTimeout = 0;   // TIMEOUT, tenths of a second; 0 = none
    bool IdleBeepArmed = false;
    int32_t IdleBeepDeadline = 0;
    KeyboardHooks Hooks;
};
extern KeyboardState Keyboard;
// Everything back to its start value, with the default hooks.
void ResetKeyboard();
KeyboardHooks DefaultKeyboardHooks();

void PollKeyboard(bool fromMainLoop);
void ProcessKeyboard();
// mode: 0 ANSI text, 1 OEM text, 4 bytes already in the host's code.
bool TransmitString(std::string_view text, uint8_t mode);
// At most 5 bytes.
std::string KeyToHostCode(char16_t ch);
std::string ToEightBitControls(std::string_view text);
bool HandleHotKey(uint16_t key, bool flushRing, bool fromMacro);
void RunLocalCommand(bool flushRing);
void TransmitKeyPrompt();
std::string ErrorText(uint32_t code);
uint8_t NextTabStop();
std::string ExpandTab();

}  // namespace emulation
