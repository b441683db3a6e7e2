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
#include "emulation/input/keyboard_hooks.h"

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
    int32_t KioskLevel = -1;      // -1: not in kiosk mode
    uint32_t KeyLockTimeout = 0;  // TIMEOUT, tenths of a second; 0 = none
    bool IdleBeepArmed = false;
    int32_t IdleBeepDeadline = 0;
    bool SlowBeepPending = false;  // the host's bell, sounded at BeepPitch when idle
    int32_t LastTick = -1;         // the tick of the last call (the idle wait's measure)
    KeyboardHooks Hooks = NullKeyboardHooks();
};
extern KeyboardState Keyboard;
// Everything back to its start value, with the default hooks.
void ResetKeyboard();

void PollKeyboard(bool fromMainLoop);
// The keyboard-lock time-out has passed: the bell, the keyboard released and
// the last reply line sent again.
void HostTimeoutExpired();
void ProcessKeyboard();
// Whether an idle call may sleep until the next message: not while the main
// loop has work at once, nor while macro keys or typed keys could be sent.
bool IdleWaitAllowed();
// Joins the keyboard to the units that read and feed it: the macros' view of
// the type-ahead ring, the receive loop's early end when a key or a macro key
// waits, and the main loop's keyboard processing.
void InstallKeyboardServices();
// mode: 0 ANSI text, 1 OEM text, 4 bytes already in the host's code.
[[nodiscard]] bool TransmitString(std::string_view text, uint8_t mode);
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
