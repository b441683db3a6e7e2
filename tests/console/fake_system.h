#pragma once
// A system services double for tests: command line, environment and program starts are scripted;
// everything else goes to the build's default services.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "console/system_services.h"

namespace testing_support {

class FakeSystem : public platform::SystemServices {
  public:
    FakeSystem() : real_(platform::CurrentSystem()) { platform::SetSystemServices(this); }
    ~FakeSystem() override { platform::SetSystemServices(nullptr); }

    // Scripted parts.
    std::u16string commandLine;
    std::u16string moduleFileName = u"C:\\VZ\\VOVUZIVA.EXE";
    std::map<std::string, std::string> environment;
    // Starts: the command lines in order, answered by startResult.
    std::vector<std::u16string> started;
    std::function<platform::StartedProcess(std::u16string_view)> startResult;
    // Processes: running while the count of polls left is above 0.
    std::map<uint64_t, int> pollsLeft;
    std::map<uint64_t, uint32_t> exitCodes;
    std::vector<uint64_t> closedHandles;
    int waits = 0;

    std::optional<std::string> EnvironmentVariable(std::string_view name) override {
        auto it = environment.find(std::string(name));
        if (it == environment.end()) return std::nullopt;
        return it->second;
    }
    std::string FullPath(std::string_view path) override { return real_.FullPath(path); }
    std::string CurrentDirectory(uint8_t drive) override { return real_.CurrentDirectory(drive); }
    std::u16string CurrentDirectoryW() override { return real_.CurrentDirectoryW(); }
    platform::LocalTime Now() override { return real_.Now(); }
    uint64_t FindFirstEntry(std::string_view pattern, platform::DirEntry& entry) override {
        return real_.FindFirstEntry(pattern, entry);
    }
    bool FindNextEntry(uint64_t handle, platform::DirEntry& entry) override {
        return real_.FindNextEntry(handle, entry);
    }
    void FindClose(uint64_t handle) override { real_.FindClose(handle); }
    int32_t GetFileDosTime(std::FILE* file, int32_t& packed) override {
        return real_.GetFileDosTime(file, packed);
    }
    int32_t SetFileDosTime(std::FILE* file, int32_t packed) override {
        return real_.SetFileDosTime(file, packed);
    }
    std::u16string CommandLineW() override { return commandLine; }
    std::u16string ModuleFileNameW() override { return moduleFileName; }
    std::string WideToAnsi(std::u16string_view text) override { return real_.WideToAnsi(text); }
    std::u16string AnsiToWide(std::string_view text) override { return real_.AnsiToWide(text); }
    platform::StartedProcess StartProcess(std::u16string_view commandLine, uint16_t) override {
        started.emplace_back(commandLine);
        return startResult ? startResult(commandLine) : platform::StartedProcess{false, 2, 0, 0};
    }
    bool ProcessRunning(uint64_t handle) override {
        auto it = pollsLeft.find(handle);
        return it != pollsLeft.end() && it->second > 0;
    }
    std::optional<uint32_t> ProcessExitCode(uint64_t handle) override {
        if (ProcessRunning(handle)) return std::nullopt;
        auto it = exitCodes.find(handle);
        if (it == exitCodes.end()) return std::nullopt;
        return it->second;
    }
    void CloseProcessHandle(uint64_t handle) override { closedHandles.push_back(handle); }
    void CloseProcessWindow(uint32_t) override {}
    void WaitForMessageOrProcess(uint64_t handle) override {
        ++waits;
        if (pollsLeft.count(handle)) --pollsLeft[handle];
    }
    void Sleep(uint32_t) override {}

  private:
    platform::SystemServices& real_;
};

}  // namespace testing_support
