#pragma once
// The terminal operations that answer the host: cursor position reports,
// device attributes, keyboard and printer status, the mouse position, the
// answerback, the text of the cursor line and the margins.

#include <cstdint>
#include <span>

#include "emulation/operations/screen_operations.h"

namespace emulation {

// The cursor as the host addresses it: a cursor waiting past the last column
// to wrap still stands on that column.
int32_t ReportRow();
int32_t ReportColumn();

// Puts the unit identification (ESC P ! | and eight hex digits, ESC \\) into
// the reply, the DEC types' answer to ESC [ = c.
void TertiaryDeviceAttributes();

// The operations of this unit with their codes.
std::span<const TermOpBinding> ReportOperationBindings();
// Registers every binding with the executor.
void RegisterReportOperations();

}  // namespace emulation
