#pragma once
// The terminal operation executor: collects control sequences in SeqBuffer,
// asks the recogniser for an operation and runs it through the catalogue.

#include <cstdint>

#include "emulation/operation_catalogue.h"

namespace emulation {

// The handler a code runs when no unit has registered one: the operations the
// executor itself implements, and plainly named stand-ins for the rest.
TermOpHandler BuiltInTermOpHandler(TermOp op);

}  // namespace emulation
