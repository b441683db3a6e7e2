#pragma once
// The chain of procedures that run when the process ends. A unit links its
// procedure by saving ExitProc and putting its own in place; the procedure
// puts the saved one back, so the chain runs from the last linked to the
// first.

namespace console {

using ExitProcedure = void (*)();

struct ExitChainState {
    ExitProcedure ExitProc = nullptr;
    int ExitStatus = 0;  // the status the process ends with
};
extern ExitChainState ExitChain;
void ResetExitChain();

// Runs every linked procedure with ExitStatus := status; safe to call again.
void RunExitChain(int status);

}  // namespace console
