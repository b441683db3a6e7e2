#include "commands/startup_environment.h"

#include "console/file_search.h"
#include "console/system_services.h"

namespace commands {

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

namespace {

std::string CutTo(std::string text, size_t capacity) {
    if (text.size() > capacity) text.resize(capacity);
    return text;
}

}  // namespace

void CheckEnvironment(std::string& comspec, size_t comspecCapacity, std::string& path,
                      size_t pathCapacity, std::string& folder, size_t folderCapacity) {
    comspec = CutTo(console::GetEnv("COMSPEC"), comspecCapacity);
    path = CutTo(console::GetEnv("PATH"), pathCapacity);

    const std::string program = console::AnsiFromWide(platform::CurrentSystem().ModuleFileNameW());
    std::string name, ext;
    folder.clear();
    if (!program.empty()) console::FSplit(console::FExpand(program), folder, name, ext);
    if (folder.empty()) folder = console::GetDirPChar(0);

    if (folderCapacity == 0) {
        folder.clear();
        return;
    }
    // Every user appends a bare file name, so the separator survives a cut.
    if (folder.empty() || !IsPathSeparator(folder.back())) {
        folder = CutTo(std::move(folder), folderCapacity - 1) + '\\';
    } else if (folder.size() > folderCapacity) {
        folder = CutTo(std::move(folder), folderCapacity - 1) + '\\';
    }
}

}  // namespace commands
