#pragma once
// What loading and saving the settings call of other units, as one table of
// function pointers. The program's composition fills it; tests replace
// entries with fakes.

#include <cstdint>
#include <string>
#include <string_view>

namespace commands {

// What the terminal-type table says about a type's keys file.
struct TermTypeKeys {
    bool found = false;               // the type is in the table
    bool hasDefaultKeysFile = false;  // the entry names its own keys file
    std::string defaultKeysFile;      // that name (possibly empty)
};

struct StartupServiceTable {
    // Keys component: read or write a keys file (replacing the definitions);
    // false when it cannot be read or written.
    bool (*LoadKeysFile)(std::string_view name);
    bool (*SaveKeysFile)(std::string_view name);
    // Keys component: the permanent key definitions differ from the keys file.
    bool (*KeysChanged)();
    void (*SetKeysChanged)(bool changed);
    // Macros: a key macro is playing (the top frame's mode is not 0).
    bool (*MacroPlaying)();
    // Macros: starts the error-key macro when one is defined.
    bool (*RunErrorKeyMacro)();
    // Terminal types: the keys-file entry of a type name.
    TermTypeKeys (*FindTermType)(std::string_view name);
    // Command line: an existing plain file whose name is shorter than 261.
    bool (*IsUsableFile)(std::string_view name);
    // Console colours: the monochrome default table into the live map, the
    // live map read back, and a loaded map and palette made live; setting the
    // map also refreshes the status line's three attributes.
    void (*UseMonochromeColorMap)();
    void (*ReadColorMap)(uint16_t map[16]);
    void (*ApplyLoadedColors)(const uint16_t map[16], const uint32_t palette[16]);
    // Screen pages: the page now shown (0 to 7).
    int (*CurrentScreenPage)();
    // Console: its current size, and the caret hold and horizontal view
    // position cleared before the exit questions.
    int (*ConsoleColumns)();
    int (*ConsoleRows)();
    void (*ResetConsoleView)();
    // The run-time globals of the emulator, connection and commands to their
    // start state (receive ring, key ring, keyboard, capture, auto-login, AUX,
    // error key, replies, sequence buffer, first macro frame, status line,
    // current-folder text, wait-for deadline).
    void (*InitRuntimeGlobals)(bool gauge, std::string_view currentFolder);
};

// Every entry does nothing: no file, no change, no type, size zero.
StartupServiceTable NullStartupServices();

// The table in use; the null table until the composition fills it.
extern StartupServiceTable StartupServices;
void ResetStartupServices();  // back to the null table

}  // namespace commands
