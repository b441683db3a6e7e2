#pragma once
// Names of received files: a name the host chose reduced to one that stays
// inside the download folder, folder and name joined, and an existing file
// moved out of the way of an incoming one.
#include <string>
#include <string_view>

namespace transfer {

// The name part of a host-chosen name, made safe to create: no folders, no
// drive, no "." or "..", no characters a file name cannot hold, no device
// name (CON, PRN, AUX, NUL, COM0-9, LPT0-9 get a "_" in front). Empty when
// nothing usable is left.
std::string SafeReceivedName(std::string_view hostName);

// The folder and the name joined with the folder's own delimiter.
std::string JoinFolder(std::string_view folder, std::string_view name);

// Moves an existing file aside to the first free name of name + "$",
// name + "$$", ... (at most 19 tries); false when none was free or the
// move failed.
bool RenameExistingFile(const std::string& name);

}  // namespace transfer
