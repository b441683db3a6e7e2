#include "commands/win32/variables_win32.h"

#include <windows.h>

#include <string>

#include "commands/variables.h"

namespace commands {
namespace {

// The Windows and system directory queries use a buffer of 254 characters.
constexpr UINT DirectoryBuffer = 254;

std::string FromBuffer(const char* buffer, DWORD n, std::size_t size) {
    return n == 0 || n >= size ? std::string() : std::string(buffer, n);
}

std::string WindowsDirectory() {
    char buffer[DirectoryBuffer];
    return FromBuffer(buffer, GetWindowsDirectoryA(buffer, DirectoryBuffer), DirectoryBuffer);
}

std::string SystemDirectory() {
    char buffer[DirectoryBuffer];
    return FromBuffer(buffer, GetSystemDirectoryA(buffer, DirectoryBuffer), DirectoryBuffer);
}

bool ComputerName(std::string& name) {
    char buffer[256];
    DWORD size = sizeof buffer;
    if (!GetComputerNameA(buffer, &size)) return false;
    name.assign(buffer, size);
    return true;
}

bool WinUserName(std::string& name) {
    char buffer[256];
    DWORD size = sizeof buffer;
    if (!GetUserNameA(buffer, &size) || size == 0) return false;
    name.assign(buffer, size - 1);  // the count includes the ending zero
    return true;
}

// SHGetSpecialFolderPathA, looked up at each call as the shell library may
// lack it; the folder is not created.
bool SpecialFolder(int folder, std::string& path) {
    using Query = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (shell == nullptr) return false;
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSpecialFolderPathA")));
    char buffer[MAX_PATH + 1] = {};
    const bool found = query != nullptr && query(nullptr, buffer, folder, FALSE) != FALSE;
    FreeLibrary(shell);
    if (found) path = buffer;
    return found;
}

void ShowVariablesBox(std::string_view text, std::string_view caption) {
    const std::string t(text);
    const std::string c(caption);
    MessageBoxA(nullptr, t.c_str(), c.c_str(), MB_OK);
}

}  // namespace

void InstallWin32VariableSources() {
    VariableSources& src = VariableSource;
    src.WindowsDirectory = WindowsDirectory;
    src.SystemDirectory = SystemDirectory;
    src.ComputerName = ComputerName;
    src.WinUserName = WinUserName;
    src.SpecialFolder = SpecialFolder;
    src.ShowVariablesBox = ShowVariablesBox;
}

}  // namespace commands
