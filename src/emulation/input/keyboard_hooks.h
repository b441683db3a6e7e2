#pragma once
// The keyboard's port: what the keyboard unit asks of the units it does not
// own. Apart from keyboard.h so that the main routine, which reaches commands,
// macros and keys through the same slots, need not include the keyboard.

#include <cstdint>
#include <string>
#include <string_view>

namespace emulation {

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
    // Reads a command line on the cursor row to the screen's right edge,
    // from the macro player too when useMacro is set; Esc gives the text
    // ESC. defineKey: the key a DEFINE line names, 0 for none. False:
    // nothing entered.
    bool (*EditLine)(std::string& line, bool useMacro, uint16_t& defineKey);
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

KeyboardHooks DefaultKeyboardHooks();
// The table the keyboard calls through now (the keyboard state's own).
KeyboardHooks& ActiveKeyboardHooks();

}  // namespace emulation
