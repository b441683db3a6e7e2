#pragma once
// The terminal operations that answer the host: cursor position reports,
// device attributes, keyboard and printer status, the mouse position, the
// answerback, the text of the cursor line and the margins.

#include <span>

#include "emulation/screen_operations.h"

namespace emulation {

// The operations of this unit with their codes.
std::span<const TermOpBinding> ReportOperationBindings();
// Registers every binding with the executor.
void RegisterReportOperations();

}  // namespace emulation
