#pragma once
// What the console asks of the units above it (the emulator, the key macros,
// the dialogs), as one table of function pointers. The composition fills it;
// the null table answers as if none of them were there.
#include <cstdint>
#include <string>
#include <string_view>

namespace console {

struct ConsoleNeighbourTable {
    // The colour dialect of the terminal type in use (kSgrDialect...).
    uint8_t (*SgrDialect)();
    // Whether a key macro is defined for the key code.
    bool (*MacroExists)(uint16_t key);
    // Shows a message box with the text and an OK button; its answer.
    int (*MessageBox)(std::string_view text);
    // Asks the main loop to end the session.
    void (*EndSession)();
    // Lets the session run again (the inactive window after a normal end).
    void (*ResumeSession)();
    // Whether the session is running (nothing asked it to end).
    bool (*SessionRunning)();
    // Ends the links of the DDE client as the window goes.
    void (*DdeClientShutdown)();
    // Brings the menu items up to date before the menu opens.
    void (*UpdateMenuState)();
    // A composite character's base and marks (the character itself when it
    // has none), for text read back from the screen.
    std::u16string (*DecomposeChar)(char16_t ch);
    // Turns the emulator's auto-wrap off and returns how it was, for a local
    // screen; RestoreAutoWrap puts that back.
    uint8_t (*AutoWrapOff)();
    void (*RestoreAutoWrap)(uint8_t saved);
};

// Dialect 0, no macro, box answer 0, the session never ends by itself, no
// character decomposes, and the rest does nothing.
ConsoleNeighbourTable NullConsoleNeighbours();

// The table in use; the null table until the composition fills it.
extern ConsoleNeighbourTable Neighbours;

}  // namespace console
