#pragma once
// The start-up environment: the command shell and the program's own folder,
// which the settings-file search, the help file and program launching use.

#include <cstddef>
#include <string>

namespace commands {

// "\" is the separator the system writes; "/" counts as one too.
bool IsPathSeparator(char c);

// Fills comspec from COMSPEC and path from PATH, and folder with the folder
// of the program's own file (the current folder when that is empty), each
// cut to its capacity. The folder always ends in a separator: "\" is appended
// when it has none, and a folder too long for its capacity is cut to leave
// room for it.
void CheckEnvironment(std::string& comspec, size_t comspecCapacity, std::string& path,
                      size_t pathCapacity, std::string& folder, size_t folderCapacity);

}  // namespace commands
