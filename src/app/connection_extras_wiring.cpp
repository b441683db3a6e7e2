#include "app/connection_extras_wiring.h"

#include <algorithm>

#include "commands/interpreter.h"
#include "commands/variables.h"
#include "console/console_primitives.h"
#include "console/system_services.h"
#include "console/terminal_window.h"
#include "emulation/input/keyboard.h"
#include "emulation/line_errors.h"
#include "emulation/receive_loop.h"
#include "emulation/session_services.h"

namespace app {

namespace {

// The cursor as the command language counts it; the pending-wrap position
// past the last column is the last column.
int CursorColumn() {
    return std::clamp(console::ConsoleLayer.CursorCol, 1, console::Columns());
}
int CursorRow() {
    return console::ConsoleLayer.CursorRow;
}

std::string WindowTitle() {
    return console::AnsiFromWide(console::TerminalWindowUnit.CurrentWindowTitle);
}

}  // namespace

void WireConnectionExtras() {
    // At start-up and after a reconnect.
    emulation::Services.StartAutoLogin = emulation::StartAutoLogin;
    commands::InterpreterHooks.CursorColumn = CursorColumn;
    commands::InterpreterHooks.CursorRow = CursorRow;
    commands::VariableSource.CurrentWindowTitle = WindowTitle;
    // A line error keeps the status row until its time is over.
    emulation::Keyboard.Hooks.StatusMessageShown = emulation::LineErrorsShown;
    emulation::Keyboard.Hooks.TakeExpiredStatusMessage = emulation::TakeExpiredLineErrors;
}

}  // namespace app
