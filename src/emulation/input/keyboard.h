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

// What the keyboard unit asks of units it does not own. Every slot is
// filled: NullKeyboardHooks() gives each one a do-nothing answer ("nothing",
// "no", "not pending"), and DefaultKeyboardHooks() reaches the units that
// exist. Call sites never test a slot for null.
struct KeyboardHooks {
    // Lets the window handle its queued messages.
    void (*PumpWindowMessages)();
    // Whether a key waits in the console's key queue.
    bool (*KeyPressed)();
    // Takes the next key from the console's key queue (0 when none).
    uint16_t (*ReadKeyCode)();
    // The key code a raw key stands for once its shift forms are folded.
    uint16_t (*NormalizeKeyCode)(uint16_t key);
    // Whether the key has a key macro.
    bool (*MacroExists)(uint16_t key);
    // Starts the key's macro in the given mode.
    void (*StartMacro)(uint16_t key, uint8_t mode);
    // Ends every playing macro.
    void (*StopMacros)();
    // The top frame's Mode; 0 when none plays.
    uint8_t (*MacroMode)();
    // Sets the top frame's Mode.
    void (*SetMacroMode)(uint8_t mode);
    // The playing macro's next key: a character (isChar, up to U+FFFF) or a
    // key code. False when the macro has no key ready.
    bool (*NextMacroKey)(bool start, uint16_t& code, bool& isChar);
    // Sends one byte to the connection; false when it did not go.
    bool (*SendByte)(uint8_t b);
    // Sends the bytes to the connection; false when they did not go.
    bool (*SendString)(std::string_view bytes);
    // Whether flow-control keys act locally (no connection takes them).
    bool (*FlowKeysLocal)();
    // Releases the connection's output held by XOFF.
    void (*SetXon)();
    // Ends a break signal in progress.
    void (*BreakCancel)();
    // Local echo of one sent byte in the given code page (0 ANSI, 1 OEM); a
    // national set's character comes decoded, in the set's code page.
    void (*EchoByte)(uint8_t b, uint32_t codePage);
    // Writes the message of the id at the cursor.
    void (*WriteMessage)(uint16_t id);
    // Runs a command line; its status (0 on success).
    uint32_t (*ExecuteFunction)(std::string_view line, uint16_t key);
    // Whether the last command succeeded.
    bool (*FunctionSucceeded)();
    // The code of the last command run.
    int32_t (*CurrentFunction)();
    // Reads a line from the user; false: nothing entered.
    bool (*EditLine)(std::string& line, bool echo);
    // Waits for one character key and returns it (0 when none).
    uint16_t (*ReadCharKey)();
    // Asks for a function key; its code, 0 when cancelled.
    uint8_t (*PromptFuncKey)(bool addForm);
    // Shows the text in a message box.
    void (*ShowMessageBox)(std::string_view text);
    // The system's text for an error code; empty when unknown.
    std::string (*SystemErrorText)(uint32_t code);
    // Paste: the next line, wide, and whether it ended with CR; false when no
    // paste is pending.
    bool (*NextPasteLine)(std::u16string& line, bool& endsWithCr);
    // Drops what is left of the paste.
    void (*FreePasteBuffer)();
    // The keyboard lock's time-out has passed.
    void (*HostTimeoutExpired)();
    // Stops sound or video that is playing.
    void (*StopMedia)();
    // CaptureMode := 0.
    void (*StopCapture)();
    // Sounds the bell.
    void (*Bell)();
    // Waits the given time.
    void (*Delay)(uint32_t milliseconds);
    // Sounds a tone of the given pitch.
    void (*BeepTone)(uint32_t pitch);
    // A millisecond clock.
    uint32_t (*Milliseconds)();
    // The 55 ms tick count of the day.
    int32_t (*Ticks)();
    // The idle call: finishes print output whose idle time has passed.
    void (*PrinterIdle)();
    // Takes a status message whose time is up (true once).
    bool (*TakeExpiredStatusMessage)();
    // Whether a status message is still shown.
    bool (*StatusMessageShown)();
    // Redraws the status row.
    void (*UpdateStatusLine)();
    // Refreshes the status row's indicators.
    void (*StatusIdleUpdate)();
    // Work that the main loop would do at once (received bytes its receive
    // pass takes, a queued command): the idle call must not wait then.
    bool (*WorkWaiting)();
    // Sleeps until the next window message; the window's idle timer ends it
    // within a tick.
    void (*WaitForMessage)();
};
// Every slot with its do-nothing answer; the headless start of the table.
KeyboardHooks NullKeyboardHooks();

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
KeyboardHooks DefaultKeyboardHooks();

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
