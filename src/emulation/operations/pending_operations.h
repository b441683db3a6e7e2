#pragma once
// The stand-in each terminal operation code runs until the executor or a
// unit handles it.

#include "emulation/operations/operation_catalogue.h"

namespace emulation {

// The entry points that codes of units not built yet run, named for the unit
// that fills them by registering its own handlers.
void ScreenPagesPending(TermOp op, const TermOpParams& params);
void PassthroughPrintPending(TermOp op, const TermOpParams& params);
void HostStringsPending(TermOp op, const TermOpParams& params);
void HostDataPending(TermOp op, const TermOpParams& params);
void GraphicsPending(TermOp op, const TermOpParams& params);
void AuxRelayPending(TermOp op, const TermOpParams& params);
void SoftFontsPending(TermOp op, const TermOpParams& params);
void RectangleOperationsPending(TermOp op, const TermOpParams& params);
void BlockTransferPending(TermOp op, const TermOpParams& params);
void FileTransferPending(TermOp op, const TermOpParams& params);
void ScreenPrintPending(TermOp op, const TermOpParams& params);

// The entry point a code runs when neither the executor nor a unit has a
// handler for it; nullptr for codes outside 0..324.
TermOpHandler PendingEntryPoint(TermOp op);

// Notes that handler, where it runs op, waits for unit (a name as the entry
// points have) while hookEmpty says the hook it reaches that unit through is
// empty.
void NoteHookWait(TermOp op, TermOpHandler handler, bool (*hookEmpty)(), const char* unit);

// The name of the entry point a code still runs ("ScreenPagesPending", ...),
// or of the unit a registered handler still waits for through a hook left
// empty (a frame box without the screen-pages unit draws nothing); nullptr
// when a real handler does all the code is for.
const char* PendingUnitOf(TermOp op);

}  // namespace emulation
