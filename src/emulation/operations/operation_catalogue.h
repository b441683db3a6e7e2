#pragma once
// The terminal operation catalogue: the one dispatch table of handlers that
// the executor runs the recognised operations through. Units that implement a
// group of operations register their handlers here; every code starts with a
// built-in handler. The codes' names are in term_op_codes.h.

#include <cstddef>
#include <cstdint>

#include "emulation/types/family_tables.h"
#include "emulation/parser/recogniser.h"
#include "emulation/parser/term_op_codes.h"

namespace emulation {

using TermOpHandler = void (*)(TermOp op, const TermOpParams& params);

// Replaces the handler of one code; codes outside 0..324 and nullptr are
// ignored (use ResetTermOpHandlers to get the built-in handlers back).
void RegisterTermOp(TermOp op, TermOpHandler handler);
// The handler a code runs when no unit has registered one (term_executor).
TermOpHandler BuiltInTermOpHandler(TermOp op);

namespace catalogue_detail {
// Registered handlers; an empty slot runs the built-in one, so the table is
// usable before any unit registers and needs no start-up order.
struct OperationCatalogueData {
    TermOpHandler Registered[kTermOpCount] = {};
};
extern OperationCatalogueData OperationCatalogue;
}  // namespace catalogue_detail

// The current handler; nullptr for codes outside 0..324.
inline TermOpHandler TermOpHandlerFor(TermOp op) {
    if (op >= kTermOpCount) return nullptr;
    const TermOpHandler h = catalogue_detail::OperationCatalogue.Registered[op];
    return h != nullptr ? h : BuiltInTermOpHandler(op);
}
// Every code back to its built-in handler.
void ResetTermOpHandlers();

// The catalogue name of a code ("CursorUp"), "" outside 0..324.
const char* TermOpName(TermOp op);

}  // namespace emulation
