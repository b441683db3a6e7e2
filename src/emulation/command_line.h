#pragma once

// The command line: options in the program's own file name, the switches and
// arguments (first pass, before the settings are loaded), key definitions
// (second pass, after), the host-argument grammar shared with the command
// language, and text-scanning helpers for command arguments.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Where the arguments come from: the process's wide command line and its own
// module file name, the system code page for their 8-bit form, and the file
// attribute query of the settings-file test. Native defaults give an empty
// command line; the Win32 side installs the real ones.
struct CommandLinePlatform {
    std::u16string (*CommandLine)();
    std::u16string (*ModuleFileName)();
    std::string (*WideToAnsi)(std::u16string_view text);
    // The file's attribute bits (0x10 directory, 0x08 volume label, 0x04
    // system, ...), or -1 when it does not exist.
    int64_t (*FileAttributes)(std::string_view name);
};
// Installs a source and forgets the arguments read from the one before (the
// arguments are split once per source, since a run never changes them).
void InstallCommandLineSource(const CommandLinePlatform& source);
const CommandLinePlatform& CommandLineSource();
// Back to the native defaults.
void ResetCommandLineSource();

}  // namespace platform

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

// What the command line decides for start-up. The first group is the main
// routine's start-up locals; the second group are values owned elsewhere (the
// settings file name and source, the window's kiosk level and menu name),
// which the main routine puts in before and takes back after the parse.
// HostName and PhoneNumber go straight into Settings, the /V switch into the
// connection layer's CommVerbose.
struct StartupArguments {
    std::string StartupKeyArg;  // at most one character
    uint16_t RingSizeArg = 0;   // /M:n; 0 = not given
    uint8_t MethodArg = 0;      // a CommMethod code; 0 = not given
    bool HostGiven = false;
    bool SettingsNamed = false;
    std::string UserArg;          // "user" or "user:password", at most 255
    std::string TermArg;          // at most 255
    std::string CharsetArg;       // the CHARSET option
    bool ChooseSettings = false;  // /C

    std::string SettingsFileName;
    uint8_t SettingsSource = SettingsSourceDefault;
    int32_t KioskLevel = 0;
    std::string WindowMenuName = "MainMenu";
};

// Calls into parts that the command line uses but does not own. The defaults
// do the least: no window title, no macros, the program folder from the
// module file name, the cursor at 1,1, message texts from the program's own
// table.
struct CommandLineServices {
    void (*UpdateWindowTitle)(const StartupArguments& args);
    std::string (*ProgramFolder)();  // ends with "\"
    std::u16string (*MessageText)(uint16_t id);
    // A key definition of the second pass: UTF-8 text, scope 1 (neither
    // saved with the keys file nor marking it changed).
    void (*DefineMacro)(uint8_t key, std::string_view text, bool utf8, uint8_t scope);
    // The cursor (column, row) that relative coordinates count from; in
    // status mode the one SaveCursorState kept.
    void (*CursorPosition)(int32_t& column, int32_t& row);
};
extern CommandLineServices CommandLineService;
void ResetCommandLineServices();

// The arguments: number 0 is the module file name, 1 on the tokens after the
// program path (blanks separate, a double quote opens a part that may hold
// blanks, quotes are not copied, a lone "" is skipped). Past the last: empty.
int ArgumentCount();
std::u16string ArgumentWide(int index);
std::string Argument(int index);  // the 8-bit form

// Splits a wide command line into its tokens, the program path first.
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

// Options "(NAME=VALUE)" in the program's file name as typed.
void ParseCommandKeywords(StartupArguments& args);

// The first pass: switches, NONE, NEW, a settings file, a host, a start-up key.
// Unknown switches show message 902 and parsing goes on.
void ParseArgumentsFirstPass(StartupArguments& args);

// After the first pass: the name "NONE" (any case) means no settings file and
// "NEW" (exactly) the defaults under the default name; both empty the name.
void ResolveSettingsChoice(StartupArguments& args);

// ParseCommandKeywords, ParseArgumentsFirstPass and ResolveSettingsChoice in
// this order: everything the command line decides before the settings load.
void ReadCommandLine(StartupArguments& args);

// The second pass: every /Dc definition becomes a key macro.
void DefineKeysFromArguments();

// Puts UserArg into the settings: the part before the first ":" into
// UserName, the part after it scrambled into Password; without ":" all of it
// into UserName. Nothing for an empty text.
void ApplyUserArgument(std::string_view userArg);

// The host grammar: [TELNET:// | RLOGIN:// | MODEM:// | SSH://][user@]host[/]
// and an all-digit next argument as the port; "TELNET:" alone takes the next
// argument as the host. index is the argument the text came from and advances
// past every argument consumed. A modem number goes into PhoneNumber, any
// other host into HostName.
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
// Four numbers: left column, right column, top row, bottom row. ".n" adds the
// cursor's column or row, "." alone is it. False when the text ends first.
bool ParseCoordinates(std::string_view text, std::size_t& pos, std::array<int32_t, 4>& coords);
std::string ByteDecimalText(uint8_t value);
// An existing file (not a folder, volume label or system file) with a name of
// 1 to 260 characters.
bool IsUsableFile(std::string_view name);

}  // namespace emulation
