#pragma once
// The start-up environment: the command shell and the program's own folder,
// which the settings-file search, the help file and program launching use.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// What the start-up environment reads from the system.
class EnvironmentSource {
  public:
    virtual ~EnvironmentSource() = default;
    // The variable's value; empty when it is not set.
    virtual std::string GetEnv(std::string_view name) = 0;
    // The running program's file name, expanded to a full path.
    virtual std::string ProgramFilePath() = 0;
    virtual std::string CurrentDirectory() = 0;
};

// The Windows build installs its own source at start; until one is set the
// environment reads empty (which native tests replace with a fake).
void SetEnvironmentSource(EnvironmentSource* source);
EnvironmentSource* CurrentEnvironmentSource();

}  // namespace platform

namespace commands {

// "\" is the separator the system writes; "/" is accepted as one too.
bool IsPathSeparator(char c);
// The folder part of a path: up to and including its last "\", "/" or ":".
std::string FolderPart(std::string_view path);
// The name part after the folder part.
std::string NamePart(std::string_view path);

// Fills comspec from COMSPEC, path from PATH and folder with the program's
// folder (the current directory when that is empty), each cut to its capacity;
// folder always ends in "\" (or another separator) when its capacity allows.
void CheckEnvironment(std::string& comspec, size_t comspecCapacity, std::string& path,
                      size_t pathCapacity, std::string& folder, size_t folderCapacity);

}  // namespace commands
