#pragma once
// The terminal operations that switch modes and state flags: the wrap style,
// write protection and protected fields, insert and scroll modes, the cursor
// keys, the cursor's visibility and shape, duplex, answerback and ENQ replies,
// mouse tracking, the Wyse character banks and the 8-bit control replies.

#include <cstdint>
#include <span>

#include "emulation/parser/recogniser.h"
#include "emulation/operations/screen_operations.h"

namespace emulation {

// Shows or hides the cursor; a reverse-video cell cursor leaves its cell at
// once when hidden, and the caret follows.
void SetCursorVisible(bool visible);
// A bank byte names bank 0 to 3 by its digit; false for any other byte.
bool BankFromByte(int32_t byte, uint8_t& bank);

// The operations of this unit with their codes.
std::span<const TermOpBinding> ModeFlagOperationBindings();
// Registers every binding with the executor.
void RegisterModeFlagOperations();

void WrapStyleOp(TermOp op, const TermOpParams& p);
void ProtectOp(TermOp op, const TermOpParams& p);
void CharBankOp(TermOp op, const TermOpParams& p);
void TerminalModeOp(TermOp op, const TermOpParams& p);
void EnquiryFlagOp(TermOp op, const TermOpParams& p);
void SetAnswerBackOp(TermOp op, const TermOpParams& p);
void CursorLookOp(TermOp op, const TermOpParams& p);

}  // namespace emulation
