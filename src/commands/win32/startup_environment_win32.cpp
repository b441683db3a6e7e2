#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commands/startup_environment.h"
#include "commands/win32/settings_platform_win32.h"

namespace {

// The settings texts are ANSI short strings, so the ANSI entry points serve.
std::string ReadAnsi(DWORD (*call)(char*, DWORD, const void*), const void* arg) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD got = call(buffer.data(), static_cast<DWORD>(buffer.size()), arg);
        if (got == 0) return {};
        if (got < buffer.size()) return std::string(buffer.data(), got);
        buffer.resize(std::max<size_t>(static_cast<size_t>(got) + 1, buffer.size() * 2));
    }
    return {};
}

class WindowsEnvironmentSource final : public platform::EnvironmentSource {
  public:
    std::string GetEnv(std::string_view name) override {
        const std::string key(name);
        return ReadAnsi(
            [](char* b, DWORD n, const void* k) {
                return GetEnvironmentVariableA(static_cast<const char*>(k), b, n);
            },
            key.c_str());
    }

    std::string ProgramFilePath() override {
        // GetModuleFileName reports a full buffer by returning its size.
        std::vector<char> buffer(MAX_PATH + 1);
        DWORD got = 0;
        while (true) {
            got = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (got == 0) return {};
            if (got < buffer.size() || buffer.size() >= 32768) break;
            buffer.resize(buffer.size() * 2);
        }
        const std::string module(buffer.data(), got);
        const std::string full = ReadAnsi(
            [](char* b, DWORD n, const void* p) {
                return GetFullPathNameA(static_cast<const char*>(p), n, b, nullptr);
            },
            module.c_str());
        return full.empty() ? module : full;
    }

    std::string CurrentDirectory() override {
        return ReadAnsi([](char* b, DWORD n, const void*) { return GetCurrentDirectoryA(n, b); },
                        nullptr);
    }
};

}  // namespace

namespace platform {

EnvironmentSource& Win32Environment() {
    static WindowsEnvironmentSource source;
    return source;
}

}  // namespace platform
