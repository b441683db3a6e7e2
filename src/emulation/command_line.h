#pragma once

// The command line: options in the program's own file name, the switches and
// arguments (first pass, before the settings are loaded), key definitions
// (second pass, after), the host-argument grammar shared with the command
// language, and text-scanning helpers for command arguments.
//
// The arguments are those of the system services (console/command_line_args.h):
// number 0 the module file name, then the tokens after the program path.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "emulation/main_routine.h"

namespace emulation {

// Settings-file sources as the main routine and the settings loader use them.
enum SettingsSourceCode : uint8_t {
    SettingsSourceNone = 0,      // "NONE": no settings file
    SettingsSourceDefault = 1,   // the default name
    SettingsSourceNamed = 2,     // named or chosen on the command line
    SettingsSourceUnopened = 3,  // set by the loader
    SettingsSourceNew = 4,       // "NEW": defaults under the default name
};

inline constexpr int32_t KioskLevelAll = 0x7FFFFFFF;

// Values the command line sets that other parts own: the settings file's name
// and source, the window's menu name and kiosk level. The caller puts the
// current values in and takes the results back. HostName and PhoneNumber go
// straight into Settings, the /V switch into the connection layer's
// CommVerbose.
struct CommandLineGlobals {
    std::string SettingsFileName;
    uint8_t SettingsSource = SettingsSourceDefault;
    std::string WindowMenuName = "MainMenu";
    std::optional<int32_t> KioskLevel;  // set only by KIOSK, /K
    bool TitleChanged = false;          // the window title shows the settings file name
};

// Calls into parts that the command line uses but does not own. The defaults
// do the least: no macros, no kiosk, the program folder from the module file
// name.
struct CommandLineServices {
    // A key definition of the second pass: UTF-8 text, scope 1 (neither
    // saved with the keys file nor marking it changed).
    void (*DefineMacro)(uint8_t key, std::string_view text, bool utf8, uint8_t scope);
    std::string (*ProgramFolder)();  // ends with "\"
    void (*SetKioskLevel)(int32_t level);
};
extern CommandLineServices CommandLineService;
void ResetCommandLineServices();

// Options "(NAME=VALUE)" in the program's file name as typed.
void ParseCommandKeywords(StartupLocals& locals, CommandLineGlobals& globals);

// The first pass: switches, NONE, NEW, a settings file, a host, a start-up key.
// Unknown switches show message 902 and parsing goes on.
void ParseArgumentsFirstPass(StartupLocals& locals, CommandLineGlobals& globals);

// After the first pass: the name "NONE" (message 924, any case) means no
// settings file and "NEW" (exactly) the defaults under the default name; both
// empty the name. (The main routine does the same in its own step.)
void ResolveSettingsChoice(CommandLineGlobals& globals);

// ParseCommandKeywords, ParseArgumentsFirstPass and ResolveSettingsChoice in
// this order: everything the command line decides before the settings load.
void ReadCommandLine(StartupLocals& locals, CommandLineGlobals& globals);

// The two first steps as the main routine's session services call them: the
// globals are read from and written back to the session, the window title
// is updated when the settings file name changed, a kiosk level is handed on.
void ParseCommandKeywordsForSession(StartupLocals& locals);
void FirstArgumentPassForSession(StartupLocals& locals);

// The second pass: every /Dc definition becomes a key macro.
void DefineKeysFromArguments();

// Puts a user argument into the settings: the part before the first ":" into
// UserName, the part after it scrambled into Password; without ":" all of it
// into UserName. Nothing for an empty text.
void ApplyUserArgument(std::string_view userArg);

// The host grammar: [TELNET:// | RLOGIN:// | MODEM:// | SSH://][user@]host[/]
// and an all-digit next argument as the port; "TELNET:" alone takes the next
// argument as the host. index is the argument the text came from and advances
// past every argument consumed (the CONNECT command passes one beyond all). A
// modem number goes into PhoneNumber, any other host into HostName.
void ParseHostArgument(std::string text, int& index, std::string& user, uint8_t& method);

// True when argument index (after "TELNET:", prefixes, ${NAME} expansion, one
// trailing "/" and the user part) names a usable file as given, under "..\"
// or in the program folder; then fileName and user are set.
bool FindSettingsArgument(int index, std::string& fileName, std::string& user);

// Replaces <F6>, <ESC> and <name> in a key definition text.
std::string ReplaceKeyNames(std::string text);

// Text-scanning helpers for command arguments; positions are 0-based.
// NextWordAt skips blanks, then takes the word up to the next blank; pos ends
// on that blank; word is empty at the end of the text.
void NextWordAt(std::string_view text, std::size_t& pos, std::string& word);
// Skips to the first digit ("-" on the way makes it negative), reads the
// digits; pos ends after them. Saturates at the 32-bit limits.
int32_t ParseIntAt(std::string_view text, std::size_t& pos);
// Four numbers: left column, right column, top row, bottom row. ".n" (".+n",
// ".-n") adds n to the cursor's column or row, "." alone is it. False when the
// text ends before the fourth number.
bool ParseCoordinates(std::string_view text, std::size_t& pos, int32_t cursorColumn,
                      int32_t cursorRow, std::array<int32_t, 4>& coords);
std::string ByteDecimalText(uint8_t value);
// An existing file (not a folder, volume label or system file) with a name of
// 1 to 260 characters.
bool IsUsableFile(std::string_view name);

}  // namespace emulation
