#include "console/terminal_window.h"

#include <cstdlib>

#include "console/exit_chain.h"

namespace console {
namespace {
TerminalWindowSeam WindowSeam;
}

TerminalWindowSeam SetTerminalWindowSeam(const TerminalWindowSeam& seam) {
    TerminalWindowSeam previous = WindowSeam;
    WindowSeam = seam;
    return previous;
}

void EnsureTerminalWindow() {
    if (WindowSeam.EnsureTerminalWindow) WindowSeam.EnsureTerminalWindow();
}

void CloseTerminalWindow() {
    if (WindowSeam.CloseTerminalWindow) WindowSeam.CloseTerminalWindow();
    // The window's own close ends the process; without a window end it here.
    RunExitChain(0);
    std::exit(0);
}

void PumpWindowMessages() {
    if (WindowSeam.PumpWindowMessages) WindowSeam.PumpWindowMessages();
}

void UpdateWindowTitle() {
    if (WindowSeam.UpdateWindowTitle) WindowSeam.UpdateWindowTitle();
}

}  // namespace console
