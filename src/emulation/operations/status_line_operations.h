#pragma once
// The host's side of the status line: its status text in every family's
// form, the Wyse function-key labels, the DEC status display type and the
// text collected between its opening and closing sequences.

#include <span>

#include "emulation/operations/screen_operations.h"

namespace emulation {

std::span<const TermOpBinding> StatusLineOperationBindings();
void RegisterStatusLineOperations();

}  // namespace emulation
