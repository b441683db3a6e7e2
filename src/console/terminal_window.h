#pragma once
// The terminal window as the rest of the program sees it: created on first
// use, its message pump and the end of the program. The
// platform installs the window behind these calls; without one they do
// nothing (and CloseTerminalWindow only ends the process).

namespace console {

struct TerminalWindowSeam {
    void (*EnsureTerminalWindow)() = nullptr;
    void (*CloseTerminalWindow)() = nullptr;
    void (*PumpWindowMessages)() = nullptr;
    void (*UpdateWindowTitle)() = nullptr;
};

// Installs the window's operations; returns the ones installed before.
TerminalWindowSeam SetTerminalWindowSeam(const TerminalWindowSeam& seam);

void EnsureTerminalWindow();
// Destroys the window and ends the process with status 0 (the exit chain runs).
[[noreturn]] void CloseTerminalWindow();
void PumpWindowMessages();
// Blanks the window's display buffer (defined with the buffer, console/screen_buffer.cpp).
void ClearWindowScreen();
void UpdateWindowTitle();

}  // namespace console
