#pragma once
#include <span>
// The terminal operation executor: collects control sequences in SeqBuffer,
// asks the recogniser for an operation and runs it through the catalogue.

#include <cstddef>
#include <cstdint>

#include "emulation/types/emulator_state.h"
#include "emulation/types/family_tables.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/pending_operations.h"
#include "emulation/parser/recogniser.h"

namespace emulation {

struct TermExecutorState {
    // The recognised sequence, kept while its operation runs.
    SeqBufferText SequenceText;
    // What the running operation answers; sent to the host after it.
    ByteText<255> Reply;
    bool QuietLine = false;
    bool QuietLineEnd = false;
    // Replies that begin with ESC [, ESC P or ESC \ go out in their C1 forms.
    bool EightBitControls = false;
};
extern TermExecutorState TermExecutor;
void ResetTermExecutor();

// Hands one received byte to the sequence collection and runs what the
// recogniser makes of it.
void ExecuteTermOp(uint8_t byte);
// The same, where waiting holds bytes that wait as plain data right after
// byte, as a peek of the receive ring just found them: text (0x20-0x7E), or,
// with waitingEndsSequence, "[", parameter and intermediate bytes and the
// byte that ends them. A control sequence that ends among them is taken
// without another look at the ring.
void ExecuteTermOp(uint8_t byte, std::span<const uint8_t> waiting, bool waitingEndsSequence);

// An ESC with SeqBuffer empty, where waiting holds "[", decimal parameters
// and separators, and the final byte, as plain data right after the ESC
// (escWaiting: the ESC itself still waits in the ring ahead of them). Runs
// the operation ExecuteTermOp(kEsc, waiting, true) would run after the ESC,
// taking the bytes from the ring, when the recogniser already knows the entry
// such a sequence matches; false, with nothing done, otherwise.
bool ExecuteWholeControlSequence(std::span<const uint8_t> waiting, bool escWaiting);
// Whole multibyte characters of the received text may be written as a run
// (the built-in display of operation 262 is in place).
bool MultibyteCharactersShowPlainly();
// What the executor keeps after such a run, as if it had recognised the
// run's last multibyte character itself.
void MultibyteCharactersShown(const uint8_t* lastBytes, size_t length);

// Runs one operation with its parameters (codes above 324 do nothing),
// including the hand-overs from one code to another.
void RunTermOp(TermOp op, const TermOpParams& params);

// The handler a code runs when no unit has registered one: the operations the
// executor itself implements, and the entry points of pending_operations.h
// for the rest.
TermOpHandler BuiltInTermOpHandler(TermOp op);

// Registers the operation groups that other units build, where they exist.
void InstallTermOperations();

// The read-ahead of the recogniser served from the host input.
void UseHostRecogniserSource();

// 7-bit reading: unless the family reads eight bits outside C332 mode.
inline bool SevenBitReading() {
    const TermFamilyTable* family = EmulatorState.CurrentTermFamily;
    return !(family != nullptr && family->EightBit != 0 && !EmulatorState.C332Mode);
}

}  // namespace emulation
