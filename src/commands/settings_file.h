#pragma once
// The settings file: the settings record written whole. Found and loaded at
// start (older, shorter files upgraded by their length), given first-run
// defaults when there is none, written by DEFAULTS and offered for saving at
// exit when the record differs from the copy taken at load.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "commands/settings_record.h"

namespace commands {

// The lengths of the record's stages; a file's length tells its stage.
inline constexpr size_t kSettingsStage1Size = 3985;
inline constexpr size_t kSettingsStage2Size = 4972;
inline constexpr size_t kSettingsStage3Size = 6862;
inline constexpr size_t kSettingsFileSize = sizeof(SettingsRecord);

// SettingsSource values.
inline constexpr uint8_t kSettingsSourceNone = 0;        // the command line said "NONE"
inline constexpr uint8_t kSettingsSourceDefault = 1;     // the default name
inline constexpr uint8_t kSettingsSourceNamed = 2;       // named or chosen on the command line
inline constexpr uint8_t kSettingsSourceOpenFailed = 3;  // the file did not open
inline constexpr uint8_t kSettingsSourceNew = 4;         // the command line said "NEW"

// Message ids used here.
inline constexpr uint16_t kMsgDefaultSettingsName = 4;
inline constexpr uint16_t kMsgNone = 924;
inline constexpr uint16_t kMsgDiskErrorOn = 603;
inline constexpr uint16_t kMsgUnableToReadKeyfile = 604;
inline constexpr uint16_t kMsgDiskOrDirectoryFull = 605;
inline constexpr uint16_t kMsgOldScoAnsiQuestion = 967;

struct SettingsFileState {
    // The record as last loaded or saved; compared with Settings at exit.
    SettingsRecord SavedSettings{};
    std::string SettingsFileName;
    bool SettingsLoaded = false;
    uint8_t SettingsSource = kSettingsSourceDefault;
    // From the start-up environment; ProgramFolder ends in "\".
    std::string ProgramFolder;
    std::string ComSpec;
    std::string HelpFileName;
    // The write step of a save; tests replace it to stand for a disk that
    // fills up. Returns the number of bytes written.
    size_t (*WriteBytes)(std::FILE* file, const uint8_t* data, size_t count) = nullptr;
};

extern SettingsFileState SettingsFile;
void ResetSettingsFileState();

// Start-up: environment, settings-file search and load, run-time globals and,
// without a loaded file, the first-run set-up. False when the first-run
// dialog was cancelled: the program then ends at once.
bool StartupInit(bool settingsNamed, bool hostGiven);

// Loads SettingsFileName into Settings and applies it.
void LoadSettingsFile();

// DEFAULTS: writes Settings to SettingsFileName. On failure the error-key
// macro runs or "DISK OR DIRECTORY FULL" is shown, and the result is false.
[[nodiscard]] bool SaveSettingsFile();

// The exit check: may ask about the keys and the settings and save them.
// False when the user cancelled or a macro is playing.
bool ConfirmSaveSettings(bool allowCancel);

// The live colour map into AttrColors (and the current page's entry of
// PageAttrColors), as every save does first.
void CopyColorTablesToSettings();

// Writes the record to a new file beside name and puts it in place of name
// only once it is complete, so a failed write leaves the old file whole.
[[nodiscard]] bool WriteSettingsRecordFile(const std::string& name, const SettingsRecord& record);

}  // namespace commands
