#include "emulation/operations/transfer_operations.h"

#include <string>

#include "commands/settings_record.h"
#include "emulation/operations/operation_catalogue.h"
#include "transfer/transfer_interface.h"

namespace emulation {

void ZmodemAutoStartOp(TermOp, const TermOpParams&) {
    if (commands::Settings.ZmodemAutoReceive == 0) return;
    // The cursor is saved around the transfer without losing what the host
    // saved itself.
    const SavedCursorRecord hostSaved = ScreenOperations.SavedCursor;
    SaveCursorOp(OpSaveCursor, {});
    std::string reply;
    transfer::ZmodemReceiveCommand("", reply);
    RestoreCursorOp(OpRestoreCursor, {});
    ScreenOperations.SavedCursor = hostSaved;
}

std::span<const TermOpBinding> TransferOperationBindings() {
    static const TermOpBinding kBindings[] = {
        {OpZmodemAutoStart, ZmodemAutoStartOp},
    };
    return kBindings;
}

void RegisterTransferOperations() {
    for (const TermOpBinding& binding : TransferOperationBindings())
        RegisterTermOp(binding.Op, binding.Handler);
}

}  // namespace emulation
