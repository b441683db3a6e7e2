#pragma once
// The terminal operations that belong to the keys and the keyboard: the
// host's key sets and the colour query whose answer the keyboard sends.

#include <span>
#include <string_view>

#include "emulation/operations/screen_operations.h"

namespace emulation {

// The keys file a C332 host asks for, in the folder of the user's keys file.
inline constexpr std::string_view C332KeysFileName = "C332E.KYS";

std::span<const TermOpBinding> KeyboardOperationBindings();
// Registers every binding with the executor.
void RegisterKeyboardOperations();

// 226: the C332 keys file becomes the host's key set.
void LoadC332KeysOp(TermOp op, const TermOpParams& p);
// 245: every key definition the host made is removed.
void ClearHostKeysOp(TermOp op, const TermOpParams& p);
// 295: the foreground and background numbers of colour-map entry 0 (p1 = 0)
// or entry 4 as the reply the keyboard sends as a line.
void ScoColourQueryOp(TermOp op, const TermOpParams& p);

}  // namespace emulation
