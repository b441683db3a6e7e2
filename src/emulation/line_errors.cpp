#include "emulation/line_errors.h"

#include "console/console_primitives.h"
#include "console/messages.h"
#include "console/tick_clock.h"
#include "emulation/receive_loop.h"

namespace emulation {

namespace {

// About three seconds of 55 ms ticks.
constexpr int32_t kShownTicks = 54;
constexpr int32_t kErrorAttrSelection = 7;

// The tick at which the shown error may be drawn over; 0 when none is shown.
int32_t shownUntil = 0;

}  // namespace

void WriteLineErrors(const std::vector<connections::StatusWord>& words) {
    auto& l = console::ConsoleLayer;
    const bool monitor = ReceiveLoop.MonitorMode;
    const int32_t attr = l.AttrSelection;
    const int32_t row = l.CursorRow;
    const int32_t col = l.CursorCol;
    l.AttrSelection = kErrorAttrSelection;
    if (!monitor) l.StatusMode = true;
    for (const connections::StatusWord& word : words) {
        if (!monitor) console::GotoRowCol(l.StatusRow, word.column);
        console::WriteString(console::GetMessageText(word.messageId, true) + word.suffix);
    }
    l.AttrSelection = attr;
    if (!monitor) {
        l.CursorRow = row;
        l.CursorCol = col;
        console::PlaceCaret();
    }
    l.StatusMode = false;
    shownUntil = (console::BiosTicks() + kShownTicks) % console::TicksPerDay;
    if (shownUntil == 0) shownUntil = console::TicksPerDay;
}

bool LineErrorsShown() {
    return shownUntil != 0 && !console::DeadlinePassed(shownUntil);
}

bool TakeExpiredLineErrors() {
    if (shownUntil == 0 || !console::DeadlinePassed(shownUntil)) return false;
    shownUntil = 0;
    return true;
}

void ResetLineErrors() {
    shownUntil = 0;
}

}  // namespace emulation
