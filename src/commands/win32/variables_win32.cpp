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

std::string CurrentDirectory() {
    char buffer[MAX_PATH + 1];
    return FromBuffer(buffer, GetCurrentDirectoryA(sizeof buffer, buffer), sizeof buffer);
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

std::string GetEnv(std::string_view name) {
    const std::string key(name);
    if (key.empty() || key.find('\0') != std::string::npos) return {};
    char buffer[256];
    const DWORD n = GetEnvironmentVariableA(key.c_str(), buffer, sizeof buffer);
    if (n == 0) return {};
    if (n < sizeof buffer) return std::string(buffer, n);
    // Longer values are cut to 255 characters.
    std::string value(n, '\0');
    const DWORD m = GetEnvironmentVariableA(key.c_str(), value.data(), n);
    value.resize(m < n ? m : 0);
    return value.substr(0, MaxVariableText);
}

std::string WideToAnsi(std::u16string_view text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), n, nullptr, nullptr);
    return out;
}

std::u16string AnsiToWide(std::string_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, out.data(), n);
    return std::u16string(reinterpret_cast<const char16_t*>(out.data()), out.size());
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
    src.CurrentDirectory = CurrentDirectory;
    src.ComputerName = ComputerName;
    src.WinUserName = WinUserName;
    src.SpecialFolder = SpecialFolder;
    src.GetEnv = GetEnv;
    src.WideToAnsi = WideToAnsi;
    src.AnsiToWide = AnsiToWide;
    src.ShowVariablesBox = ShowVariablesBox;
}

}  // namespace commands
