#pragma once
// The operating system as the DOS-shaped code sees it: environment, paths, the clock of the day,
// directory search, file times, the command line, the ANSI code page and program launch.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// One directory entry as the system reports it.
struct DirEntry {
    std::string name;
    int64_t size = 0;
    uint8_t attributes = 0;  // DOS attribute bits: 0x01 read-only ... 0x10 folder, 0x20 archive
    int32_t time = 0;        // DOS packed date-time of the last write, local time
};

// The local date and time.
struct LocalTime {
    uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// A started program. Handles are opaque to the portable code.
struct StartedProcess {
    bool ok = false;
    int32_t error = 0;  // the system's error code when not ok; 0 when it gave none
    uint64_t handle = 0;
    uint32_t processId = 0;
};

class SystemServices {
  public:
    virtual ~SystemServices() = default;

    virtual std::optional<std::string> EnvironmentVariable(std::string_view name) = 0;
    // The full path of a possibly relative path, as the system completes it.
    virtual std::string FullPath(std::string_view path) = 0;
    // The current folder of a drive (0 the current drive, 1 A, ...), and the current folder in wide
    // text.
    virtual std::string CurrentDirectory(uint8_t drive) = 0;
    virtual std::u16string CurrentDirectoryW() = 0;
    virtual LocalTime Now() = 0;

    // Directory search over a pattern that may hold * and ?; the handle is 0 when nothing matched.
    virtual uint64_t FindFirstEntry(std::string_view pattern, DirEntry& entry) = 0;
    virtual bool FindNextEntry(uint64_t handle, DirEntry& entry) = 0;
    virtual void FindClose(uint64_t handle) = 0;

    // The last-write time of an open file as a DOS date-time; both give 0 or the system's error.
    virtual int32_t GetFileDosTime(std::FILE* file, int32_t& packed) = 0;
    virtual int32_t SetFileDosTime(std::FILE* file, int32_t packed) = 0;

    // The program's wide command line (program path first) and its module file name.
    virtual std::u16string CommandLineW() = 0;
    virtual std::u16string ModuleFileNameW() = 0;

    // Conversion between wide text and the ANSI code page (unmappable characters become "?").
    virtual std::string WideToAnsi(std::u16string_view text) = 0;
    virtual std::u16string AnsiToWide(std::string_view text) = 0;

    // Starts a program from a command line with a show-window value; no handles are inherited.
    virtual StartedProcess StartProcess(std::u16string_view commandLine, uint16_t show) = 0;
    // True while the process runs (the handle valid and its exit code STILL_ACTIVE, 259).
    virtual bool ProcessRunning(uint64_t handle) = 0;
    // The exit code once the process has ended; nullopt while it runs or when it cannot be read.
    virtual std::optional<uint32_t> ProcessExitCode(uint64_t handle) = 0;
    // Gives back a handle that is no longer needed.
    virtual void CloseProcessHandle(uint64_t handle) = 0;
    // Posts a close request to the first top-level window of the process.
    virtual void CloseProcessWindow(uint32_t processId) = 0;
    // Blocks until a window message arrives for the thread or the process ends.
    virtual void WaitForMessageOrProcess(uint64_t handle) = 0;

    virtual void Sleep(uint32_t milliseconds) = 0;
};

// The services in use: the ones installed with SetSystemServices, else the build's default.
SystemServices& CurrentSystem();
void SetSystemServices(SystemServices* services);

}  // namespace platform

namespace console {

// Results of the DOS-shaped services, shared by the directory search and the program launcher.
struct DosState {
    int32_t DosError = 0;  // 0 success, 18 no more files, else the system's error (-1: none given)
    int32_t DosExitCode = 0;  // exit code of the last program waited for
};
extern DosState dosState;
void ResetDosState();

// The variable's value cut to 255 characters; empty when it is not set.
std::string GetEnv(std::string_view name);
// The full path, cut to 255 characters.
std::string FExpand(std::string_view path);
// The current folder of a drive (0 current, 1 A ...).
std::string GetDirPChar(uint8_t drive);
std::u16string GetCurrentDirW();
void GetTime(uint16_t& hour, uint16_t& minute, uint16_t& second, uint16_t& millisecond);
void GetDate(uint16_t& year, uint16_t& month, uint16_t& day);

// Text in the ANSI code page and back.
std::string AnsiFromWide(std::u16string_view text);
std::u16string WideFromAnsi(std::string_view text);

// True when the file exists and opens for reading and writing; it is closed again.
bool FileIsWritable(const std::string& name);

// The number of serial ports the port lists offer.
inline constexpr int ComPortCount() {
    return 16;
}

struct WordRect {
    uint16_t left = 0, top = 0, right = 0, bottom = 0;
};
inline void SetWordRect(WordRect& rect, uint16_t left, uint16_t top, uint16_t right,
                        uint16_t bottom) {
    rect = WordRect{left, top, right, bottom};
}

}  // namespace console
