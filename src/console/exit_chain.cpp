#include "console/exit_chain.h"

namespace console {

ExitChainState ExitChain;

void ResetExitChain() {
    ExitChain = ExitChainState{};
}

void RunExitChain(int status) {
    ExitChain.ExitStatus = status;
    // Each procedure restores the one it replaced; a procedure that does not
    // still cannot run twice because the slot is emptied before the call.
    while (ExitProcedure proc = ExitChain.ExitProc) {
        ExitChain.ExitProc = nullptr;
        proc();
    }
}

}  // namespace console
