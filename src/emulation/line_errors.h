#pragma once
// Line errors of the connection on the status row ("OVERRUN", "COMM ERROR
// 10054", ...): written at once, then left there for about three seconds
// before the status row is drawn again.
#include <vector>

#include "connections/connection_host.h"

namespace emulation {

// Writes the words in the status colour at their columns of the status row;
// in monitor mode at the cursor instead, one after the other.
void WriteLineErrors(const std::vector<connections::StatusWord>& words);
// True while the last line error is still to be seen on the status row.
bool LineErrorsShown();
// True once when the last line error's time on the status row is over, so
// that the status row is drawn again.
bool TakeExpiredLineErrors();
void ResetLineErrors();

}  // namespace emulation
