#pragma once

// ${NAME} references in command arguments and settings: built-in OZM_ names,
// the variables of the SET command and the process environment.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace commands {

// Names and values are cut to this many characters.
inline constexpr std::size_t MaxVariableText = 255;

// The SET store never grows beyond this many slots; a SET of a new name
// beyond it is ignored (commands from the host must not exhaust memory).
inline constexpr std::size_t MaxSetVariables = 1024;

// Replaces every ${NAME} (name upper-cased, at most 255 characters; the first
// "}" ends it) by the value of a built-in name, else of the environment
// variable, else by nothing. Inserted values are not scanned again; an
// unterminated "${" stays. Does not consult the SET variables.
std::string ExpandVariables(std::string_view text);

// The same for wide text (the SEND commands); the lookup order is built-in
// name, SET variable, environment variable.
std::u16string ExpandVariablesWide(std::u16string_view text);

// The SET command: line is the whole command line beginning with "SET "
// (cut to 255 bytes). "SET NAME=VALUE" creates or changes a variable,
// "SET NAME=" deletes it, "SET SHOW" lists the variables in a message box.
void SetCommand(std::string_view line);

// The SET variables: parallel lists; a slot's index is its creation order and
// an empty name marks a free slot that the next new name takes.
struct SetVariableStoreState {
    std::vector<std::string> Names;   // upper-cased and trimmed
    std::vector<std::string> Values;  // trimmed, case kept
};
extern SetVariableStoreState SetVariableStore;
void ResetSetVariableStore();

// Where built-in values come from that no other service gives. The defaults
// give what the portable core knows; the Win32 side and the subsystems that
// own the state fill in the rest. A bool result of false means the query
// failed. (The environment, the current folder and the ANSI code page come
// from the system services.)
struct VariableSources {
    std::string (*HostIpText)();              // OZM_IP
    std::string (*LastReceivedFile)();        // OZM_LAST_RECD
    std::string (*CurrentWindowTitle)();      // OZM_TITLE
    std::string (*WindowsDirectory)();        // OZM_WINDIR
    std::string (*SystemDirectory)();         // OZM_SYSDIR
    bool (*ComputerName)(std::string& name);  // OZM_COMPUTERNAME
    bool (*WinUserName)(std::string& name);   // OZM_WINNAME
    std::string (*LocalHostName)();           // OZM_TCPNAME
    std::string (*LastLaunchStatus)();        // OZM_LAST_LAUNCH
    // A shell special folder by its number (5, 16, 38, 46), without creating it.
    bool (*SpecialFolder)(int folder, std::string& path);
    // The SET SHOW box: text and caption, an OK button, no owner window.
    void (*ShowVariablesBox)(std::string_view text, std::string_view caption);
};
extern VariableSources VariableSource;
void ResetVariableSources();

}  // namespace commands
