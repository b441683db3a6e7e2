#include "emulation/term_executor.h"

namespace emulation {
namespace {
void IgnoreOperation(TermOp, const TermOpParams&) {}
}  // namespace

TermOpHandler BuiltInTermOpHandler(TermOp op) {
    (void)op;
    return IgnoreOperation;
}

}  // namespace emulation
