#include "emulation/win32/command_line_win32.h"

#include <windows.h>

#include <string>

#include "emulation/command_line.h"

namespace emulation {
namespace {

std::u16string FromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

std::u16string ProcessCommandLine() {
    const wchar_t* line = GetCommandLineW();
    return line == nullptr ? std::u16string() : FromWide(line, wcslen(line));
}

std::u16string ProcessModuleFileName() {
    // Long paths can exceed MAX_PATH: grow until the name fits.
    std::wstring buffer(MAX_PATH, L'\0');
    while (buffer.size() <= 32768) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return FromWide(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

std::string AnsiFromWide(std::u16string_view text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), n, nullptr, nullptr);
    return out;
}

int64_t AnsiFileAttributes(std::string_view name) {
    const std::string path(name);
    // A name with a NUL inside cannot be handed to the system whole.
    if (path.find('\0') != std::string::npos) return -1;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int64_t>(attributes);
}

}  // namespace

void InstallWin32CommandLineSource() {
    platform::InstallCommandLineSource(
        {ProcessCommandLine, ProcessModuleFileName, AnsiFromWide, AnsiFileAttributes});
}

}  // namespace emulation
