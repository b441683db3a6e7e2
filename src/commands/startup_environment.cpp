#include "commands/startup_environment.h"

namespace platform {

namespace {
EnvironmentSource* currentEnvironmentSource = nullptr;
}

void SetEnvironmentSource(EnvironmentSource* source) {
    currentEnvironmentSource = source;
}
EnvironmentSource* CurrentEnvironmentSource() {
    return currentEnvironmentSource;
}

}  // namespace platform

namespace commands {

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string FolderPart(std::string_view path) {
    const size_t last = path.find_last_of("\\/:");
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

std::string NamePart(std::string_view path) {
    const size_t last = path.find_last_of("\\/:");
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

namespace {

std::string CutTo(std::string text, size_t capacity) {
    if (text.size() > capacity) text.resize(capacity);
    return text;
}

}  // namespace

void CheckEnvironment(std::string& comspec, size_t comspecCapacity, std::string& path,
                      size_t pathCapacity, std::string& folder, size_t folderCapacity) {
    platform::EnvironmentSource* source = platform::CurrentEnvironmentSource();
    comspec = source ? CutTo(source->GetEnv("COMSPEC"), comspecCapacity) : std::string();
    path = source ? CutTo(source->GetEnv("PATH"), pathCapacity) : std::string();

    folder = source ? FolderPart(source->ProgramFilePath()) : std::string();
    if (folder.empty() && source != nullptr) folder = source->CurrentDirectory();
    if (folderCapacity == 0) {
        folder.clear();
        return;
    }
    // The separator is kept even when the folder has to be cut: every user
    // appends a bare file name to it.
    if (folder.empty() || !IsPathSeparator(folder.back())) {
        folder = CutTo(std::move(folder), folderCapacity - 1);
        folder += '\\';
    } else if (folder.size() > folderCapacity) {
        folder.resize(folderCapacity - 1);
        folder += '\\';
    }
}

}  // namespace commands
