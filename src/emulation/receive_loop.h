#pragma once
// The receive loop: brings received bytes from the receive ring to the
// screen, printable runs in one write and everything else through the
// executor, and serves the auto-login prompts and the wait-for text.

#include <cstdint>
#include <string_view>

#include "commands/settings_fields.h"

namespace emulation {

// What the loop asks of units it does not own. Every slot is filled:
// NullReceiveLoopHooks() answers "no" and keeps the tick clock, and the loop
// calls its slots without testing them.
struct ReceiveLoopHooks {
    // The 55 ms tick count.
    int32_t (*Ticks)();
    // Whether a key waits in the console queue.
    bool (*KeyPressed)();
    // Whether a playing macro has its next key ready.
    bool (*MacroKeyWaiting)();
};
ReceiveLoopHooks NullReceiveLoopHooks();

struct ReceiveLoopState {
    uint8_t AutoLoginState = 0;          // 0 off, 1 user-name prompt, 2 password prompt
    commands::PString<255> WaitForText;  // upper-cased; empty = none
    // The tick by which the wait-for text must have come; when it passes,
    // the wait ends and the error key's macro runs.
    int32_t WaitForDeadline = 0;
    bool MonitorMode = false;
    int32_t TimeoutDeadline = 0;
    uint8_t LastGraphicChar = 0;
    bool LastGraphicTranslated = false;
    uint32_t LastGraphicCodePage = 0;
    bool ReceiveOverflow = false;  // the host data receiver's buffer overflowed
    int32_t CaptureRow = 0;
    bool C1AsText = false;  // bytes 0x80 to 0x9F are graphic characters
    bool InsertMode = false;
    bool NcrMode = false;
    bool KeyboardEnabled = true;
    bool KeyboardLocked = false;
    bool HostXoff = false;
    bool StatusLineDirty = false;  // a wait ended; the status row is redrawn
    ReceiveLoopHooks Hooks = NullReceiveLoopHooks();
};
extern ReceiveLoopState ReceiveLoop;
void ResetReceiveLoop();

// One receive pass.
void ReceiveFromHost();
// The same pass with every printable byte taken singly: the plain path the
// run-gathering one is checked against.
void ReferenceReceiveFromHost();

bool MatchPromptList(std::string_view list);
void StartAutoLogin();
// Handles one byte as the plain pass handles a received byte; for bytes an
// operation hands back that the receive ring no longer holds.
void ReceiveByteAgain(uint8_t b);
void WriteRepeatedChar(uint8_t ch, uint8_t count, uint32_t codePage, bool translate, bool capture);

}  // namespace emulation
