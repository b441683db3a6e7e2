#include "commands/startup_services.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace commands {

namespace {

struct MessageRow {
    uint16_t id;
    const char16_t* text;
};

constexpr MessageRow kMessageRows[] = {
#include "message_table.inc"
};

bool NoKeysFile(std::string_view) {
    return false;
}
bool NoKeysChanged() {
    return false;
}
void IgnoreKeysChanged(bool) {}
bool NoMacroPlaying() {
    return false;
}
bool NoErrorKey() {
    return false;
}
TermTypeKeys NoTermType(std::string_view) {
    return {};
}

bool PlainFileExists(std::string_view name) {
    if (name.empty() || name.size() >= 261) return false;
    const std::string path(name);
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Without a console the live map is only kept, so that saving writes back
// what was loaded; it starts as the record's compiled-in table.
constexpr uint16_t kCompiledColorMap[16] = {15, 7, 143, 135, 120, 1,   248, 240,
                                            9,  1, 137, 129, 121, 113, 249, 241};
uint16_t keptColorMap[16] = {15, 7, 143, 135, 120, 1, 248, 240, 9, 1, 137, 129, 121, 113, 249, 241};

void KeepColorMap() {}
void ReadKeptColorMap(uint16_t map[16]) {
    std::copy_n(keptColorMap, 16, map);
}
void KeepLoadedColors(const uint16_t map[16], const uint32_t*) {
    std::copy_n(map, 16, keptColorMap);
}
int PageZero() {
    return 0;
}
int EightyColumns() {
    return 80;
}
int TwentyFiveRows() {
    return 25;
}
void NoConsoleView() {}
void NoRuntimeGlobals(bool, std::string_view) {}

std::string OwnMessageText(uint16_t id) {
    const auto* row =
        std::lower_bound(std::begin(kMessageRows), std::end(kMessageRows), id,
                         [](const MessageRow& r, uint16_t wanted) { return r.id < wanted; });
    std::string text;
    if (row == std::end(kMessageRows) || row->id != id) return text;
    for (const char16_t* p = row->text; *p != 0 && text.size() < 255; ++p)
        text += *p < 256 ? static_cast<char>(*p) : '?';
    return text;
}

bool OpensForUpdate(std::string_view name) {
    if (name.empty()) return false;
    const std::string path(name);
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

constexpr StartupServiceTable kDefaultStartupServices{
    .LoadKeysFile = NoKeysFile,
    .SaveKeysFile = NoKeysFile,
    .KeysChanged = NoKeysChanged,
    .SetKeysChanged = IgnoreKeysChanged,
    .MacroPlaying = NoMacroPlaying,
    .RunErrorKeyMacro = NoErrorKey,
    .FindTermType = NoTermType,
    .IsUsableFile = PlainFileExists,
    .UseMonochromeColorMap = KeepColorMap,
    .ReadColorMap = ReadKeptColorMap,
    .ApplyLoadedColors = KeepLoadedColors,
    .CurrentScreenPage = PageZero,
    .ConsoleColumns = EightyColumns,
    .ConsoleRows = TwentyFiveRows,
    .ResetConsoleView = NoConsoleView,
    .InitRuntimeGlobals = NoRuntimeGlobals,
    .GetMessageText = OwnMessageText,
    .FileIsWritable = OpensForUpdate,
};

}  // namespace

// Constant-initialised, so the defaults hold before any start-up code runs.
StartupServiceTable StartupServices = kDefaultStartupServices;

void ResetStartupServices() {
    StartupServices = kDefaultStartupServices;
    std::copy_n(kCompiledColorMap, 16, keptColorMap);
}

}  // namespace commands
