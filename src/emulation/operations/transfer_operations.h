#pragma once
// Transfers the host starts from its output: a ZMODEM sender's start seen on
// the byte path runs the ZMODEM receive, and the session goes on after it.

#include <span>

#include "emulation/operations/screen_operations.h"

namespace emulation {

// With automatic ZMODEM receive on, receives what the host sends into the
// download folder, the cursor kept where it was.
void ZmodemAutoStartOp(TermOp op, const TermOpParams& params);

std::span<const TermOpBinding> TransferOperationBindings();
void RegisterTransferOperations();

}  // namespace emulation
