// Puts the operation groups into the executor's dispatch table.
#include "emulation/operations/attribute_operations.h"
#include "emulation/operations/field_and_reset_operations.h"
#include "emulation/operations/host_mode_operations.h"
#include "emulation/operations/keyboard_operations.h"
#include "emulation/operations/mode_flag_operations.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/pending_operations.h"
#include "emulation/operations/report_operations.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/screen_pages.h"
#include "emulation/operations/shown_character_operations.h"
#include "emulation/operations/status_line_operations.h"
#include "emulation/operations/term_executor.h"
#include "emulation/operations/transfer_operations.h"

namespace emulation {
namespace {

void RegisterAll(std::span<const TermOpBinding> bindings) {
    for (const TermOpBinding& binding : bindings) RegisterTermOp(binding.Op, binding.Handler);
}

// Codes whose handler does what it is for only through a hook that a unit
// still to come fills; while the hook is empty the code waits for that unit.
struct HookedCode {
    TermOp Op;
    std::span<const TermOpBinding> (*Bindings)();
    bool (*HookEmpty)();
    const char* Unit;
};

bool NoGeometry() {
    return ScreenOperations.Hooks.SetScreenGeometry == NoGeometryChange;
}
bool NoFrameBox() {
    return ScreenOperations.Hooks.DrawFrameBox == NoFrameBoxDrawing;
}
bool NoTitleLine() {
    return FieldAndResetOperations.Hooks.RebuildTitleLine == NoTitleLineRebuild;
}

constexpr HookedCode kHookedCodes[] = {
    {OpCtrlXPrint, ShownCharacterOperationBindings,
     [] { return ShownCharacterOperations.Hooks.StartPassthroughPrint == NoPassthroughPrinter; },
     "PassthroughPrintPending"},
    {OpDc1Received, HostModeOperationBindings,
     [] { return HostModeOperations.Hooks.ReceiveHostCommand == NoHostCommand; },
     "HostDataPending"},
    {OpHostCommandFsRs, HostModeOperationBindings,
     [] { return HostModeOperations.Hooks.ReceiveHostCommand == NoHostCommand; },
     "HostDataPending"},
    {OpHostStatusOff, FieldAndResetOperationBindings, NoTitleLine, "ScreenPagesPending"},
    {OpC332ClearAll, FieldAndResetOperationBindings, NoTitleLine, "ScreenPagesPending"},
    {134, ScreenOperationBindings, NoGeometry, "ScreenPagesPending"},
    {135, ScreenOperationBindings, NoGeometry, "ScreenPagesPending"},
    {249, ScreenOperationBindings, NoGeometry, "ScreenPagesPending"},
    {250, ScreenOperationBindings, NoGeometry, "ScreenPagesPending"},
    {251, ScreenOperationBindings, NoGeometry, "ScreenPagesPending"},
    {252, ScreenOperationBindings, NoGeometry, "ScreenPagesPending"},
    {320, ScreenOperationBindings, NoGeometry, "ScreenPagesPending"},
    {152, ScreenOperationBindings, NoFrameBox, "ScreenPagesPending"},
    {153, ScreenOperationBindings, NoFrameBox, "ScreenPagesPending"},
    {154, ScreenOperationBindings, NoFrameBox, "ScreenPagesPending"},
    {155, ScreenOperationBindings, NoFrameBox, "ScreenPagesPending"},
};

void NoteHookedCodes() {
    for (const HookedCode& code : kHookedCodes)
        for (const TermOpBinding& binding : code.Bindings())
            if (binding.Op == code.Op)
                NoteHookWait(code.Op, binding.Handler, code.HookEmpty, code.Unit);
}

}  // namespace

void RegisterScreenOperations() {
    RegisterAll(ScreenOperationBindings());
    NoteHookedCodes();
}

void RegisterAttributeOperations() {
    RegisterAll(AttributeOperationBindings());
}

void RegisterHostModeOperations() {
    RegisterAll(HostModeOperationBindings());
}
void RegisterReportOperations() {
    RegisterAll(ReportOperationBindings());
}

void RegisterShownCharacterOperations() {
    RegisterAll(ShownCharacterOperationBindings());
}
void RegisterModeFlagOperations() {
    RegisterAll(ModeFlagOperationBindings());
}

void InstallTermOperations() {
    ResetTermOpHandlers();
    RegisterScreenOperations();
    RegisterAttributeOperations();
    RegisterKeyboardOperations();
    RegisterHostModeOperations();
    RegisterReportOperations();
    RegisterShownCharacterOperations();
    RegisterFieldAndResetOperations();
    RegisterModeFlagOperations();
    RegisterScreenPageOperations();
    RegisterStatusLineOperations();
    RegisterTransferOperations();
}

}  // namespace emulation
