// Puts the screen and attribute operations into the executor's dispatch table.
#include "emulation/attribute_operations.h"
#include "emulation/host_mode_operations.h"
#include "emulation/mode_flag_operations.h"
#include "emulation/operation_catalogue.h"
#include "emulation/report_operations.h"
#include "emulation/screen_operations.h"
#include "emulation/shown_character_operations.h"

namespace emulation {
namespace {

void RegisterAll(std::span<const TermOpBinding> bindings) {
    for (const TermOpBinding& binding : bindings) RegisterTermOp(binding.Op, binding.Handler);
}

}  // namespace

void RegisterScreenOperations() { RegisterAll(ScreenOperationBindings()); }

void RegisterAttributeOperations() { RegisterAll(AttributeOperationBindings()); }

void RegisterHostModeOperations() { RegisterAll(HostModeOperationBindings()); }
void RegisterReportOperations() { RegisterAll(ReportOperationBindings()); }

void RegisterShownCharacterOperations() { RegisterAll(ShownCharacterOperationBindings()); }
void RegisterModeFlagOperations() { RegisterAll(ModeFlagOperationBindings()); }

}  // namespace emulation
