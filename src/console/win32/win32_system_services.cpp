#include <io.h>
#include <windows.h>

#include <vector>

#include "console/system_services.h"
#include "console/win32/install_services.h"

namespace console {

// CreateProcessW with a wide command line; the NT platform is the only one the program runs on.
BOOL CreateProcessCompat(LPCWSTR applicationName, std::u16string_view commandLine,
                         LPSECURITY_ATTRIBUTES processAttributes,
                         LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                         DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                         LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION processInformation) {
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::wstring line(commandLine.begin(), commandLine.end());
    return CreateProcessW(applicationName, line.data(), processAttributes, threadAttributes,
                          inheritHandles, creationFlags, environment, currentDirectory, startupInfo,
                          processInformation);
}

}  // namespace console

namespace platform {
namespace {

std::u16string FromWide(const wchar_t* text, size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

int32_t PackedLocal(const FILETIME& utc) {
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(date) << 16 | time);
}

DirEntry Describe(const WIN32_FIND_DATAA& data) {
    DirEntry e;
    e.name = data.cFileName;
    e.size =
        static_cast<int64_t>(static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
    e.attributes = static_cast<uint8_t>(data.dwFileAttributes & 0x3F);
    e.time = PackedLocal(data.ftLastWriteTime);
    return e;
}

HANDLE OsHandle(std::FILE* file) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
}

BOOL CALLBACK CloseWindowIfProcess(HWND window, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != static_cast<DWORD>(processId)) return TRUE;
    PostMessageW(window, WM_CLOSE, 0, 0);
    return FALSE;
}

class Win32SystemServices final : public SystemServices {
  public:
    std::optional<std::string> EnvironmentVariable(std::string_view name) override {
        std::string key(name);
        SetLastError(0);
        DWORD needed = GetEnvironmentVariableA(key.c_str(), nullptr, 0);
        if (needed == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::string();
        }
        std::string value(needed, '\0');
        DWORD n = GetEnvironmentVariableA(key.c_str(), value.data(), needed);
        value.resize(n < needed ? n : 0);
        return value;
    }

    std::string FullPath(std::string_view path) override {
        std::string input(path);
        DWORD needed = GetFullPathNameA(input.c_str(), 0, nullptr, nullptr);
        if (needed == 0) return input;
        std::string full(needed, '\0');
        DWORD n = GetFullPathNameA(input.c_str(), needed, full.data(), nullptr);
        full.resize(n < needed ? n : 0);
        return full;
    }

    std::string CurrentDirectory(uint8_t drive) override {
        if (drive == 0 || drive > 26) {
            char buffer[MAX_PATH + 1] = {};
            DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
            return std::string(buffer, n <= MAX_PATH ? n : 0);
        }
        // The drive's own current folder, as the system keeps it for "X:".
        std::string relative = std::string(1, static_cast<char>('A' + drive - 1)) + ":.";
        return FullPath(relative);
    }

    std::u16string CurrentDirectoryW() override {
        DWORD needed = GetCurrentDirectoryW(0, nullptr);
        if (needed == 0) return {};
        std::vector<wchar_t> buffer(needed);
        DWORD n = GetCurrentDirectoryW(needed, buffer.data());
        return n < needed ? FromWide(buffer.data(), n) : std::u16string();
    }

    LocalTime Now() override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    }

    uint64_t FindFirstEntry(std::string_view pattern, DirEntry& entry) override {
        WIN32_FIND_DATAA data;
        HANDLE handle = FindFirstFileA(std::string(pattern).c_str(), &data);
        if (handle == INVALID_HANDLE_VALUE) return 0;
        entry = Describe(data);
        return reinterpret_cast<uint64_t>(handle);
    }

    bool FindNextEntry(uint64_t handle, DirEntry& entry) override {
        WIN32_FIND_DATAA data;
        if (!FindNextFileA(reinterpret_cast<HANDLE>(handle), &data)) return false;
        entry = Describe(data);
        return true;
    }

    void FindClose(uint64_t handle) override { ::FindClose(reinterpret_cast<HANDLE>(handle)); }

    int32_t GetFileDosTime(std::FILE* file, int32_t& packed) override {
        FILETIME written;
        if (!GetFileTime(OsHandle(file), nullptr, nullptr, &written))
            return static_cast<int32_t>(GetLastError());
        packed = PackedLocal(written);
        return 0;
    }

    int32_t SetFileDosTime(std::FILE* file, int32_t packed) override {
        uint32_t value = static_cast<uint32_t>(packed);
        FILETIME local, utc;
        if (!DosDateTimeToFileTime(static_cast<WORD>(value >> 16), static_cast<WORD>(value),
                                   &local) ||
            !LocalFileTimeToFileTime(&local, &utc) ||
            !SetFileTime(OsHandle(file), nullptr, nullptr, &utc))
            return static_cast<int32_t>(GetLastError());
        return 0;
    }

    std::u16string CommandLineW() override {
        const wchar_t* line = GetCommandLineW();
        return line ? FromWide(line, wcslen(line)) : std::u16string();
    }

    std::u16string ModuleFileNameW() override {
        std::vector<wchar_t> buffer(MAX_PATH);
        for (;;) {
            DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n == 0) return {};
            if (n < buffer.size()) return FromWide(buffer.data(), n);
            if (buffer.size() >= 32768) return FromWide(buffer.data(), n);
            buffer.resize(buffer.size() * 2);
        }
    }

    std::string WideToAnsi(std::u16string_view text) override {
        if (text.empty()) return {};
        const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
        int length = static_cast<int>(text.size());
        int needed = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
        if (needed <= 0) return {};
        std::string out(static_cast<size_t>(needed), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), needed, nullptr, nullptr);
        return out;
    }

    std::u16string AnsiToWide(std::string_view text) override {
        if (text.empty()) return {};
        int length = static_cast<int>(text.size());
        int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
        if (needed <= 0) return {};
        std::vector<wchar_t> out(static_cast<size_t>(needed));
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, out.data(), needed);
        return FromWide(out.data(), out.size());
    }

    StartedProcess StartProcess(std::u16string_view commandLine, uint16_t show) override {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = show;
        PROCESS_INFORMATION info = {};
        if (!console::CreateProcessCompat(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                                          nullptr, &startup, &info))
            return StartedProcess{false, static_cast<int32_t>(GetLastError()), 0, 0};
        CloseHandle(info.hThread);
        return StartedProcess{true, 0, reinterpret_cast<uint64_t>(info.hProcess), info.dwProcessId};
    }

    // Decided by the process object rather than by the exit code STILL_ACTIVE, so that a program
    // that ends with the code 259 is not taken as still running.
    bool ProcessRunning(uint64_t handle) override {
        return handle != 0 &&
               WaitForSingleObject(reinterpret_cast<HANDLE>(handle), 0) == WAIT_TIMEOUT;
    }

    std::optional<uint32_t> ProcessExitCode(uint64_t handle) override {
        HANDLE process = reinterpret_cast<HANDLE>(handle);
        DWORD code = 0;
        if (handle == 0 || WaitForSingleObject(process, 0) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process, &code))
            return std::nullopt;
        return code;
    }

    void CloseProcessHandle(uint64_t handle) override {
        if (handle != 0) CloseHandle(reinterpret_cast<HANDLE>(handle));
    }

    void CloseProcessWindow(uint32_t processId) override {
        EnumWindows(CloseWindowIfProcess, static_cast<LPARAM>(processId));
    }

    void WaitForMessageOrProcess(uint64_t handle) override {
        HANDLE process = reinterpret_cast<HANDLE>(handle);
        // Every wait is followed by a pump that empties the queue, so new input is what wakes it.
        MsgWaitForMultipleObjects(handle != 0 ? 1 : 0, handle != 0 ? &process : nullptr, FALSE,
                                  INFINITE, QS_ALLINPUT);
    }

    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

SystemServices& Win32SystemServicesInstance() {
    static Win32SystemServices services;
    return services;
}

}  // namespace platform
