// The program as a whole under Windows: it starts, shows its window, and
// ends cleanly when the window is closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "console/win32/terminal_window_win32.h"

namespace {

// A path of the build (a POSIX path under Wine) as Windows sees it.
std::wstring WindowsPath(const std::string& path) {
    std::wstring out(path.begin(), path.end());
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    if (!path.empty() && path[0] == '/') out = L"Z:" + out;
    return out;
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        folder = std::wstring(temp) + L"vz_program_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    void TearDown() override {
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        RemoveDirectoryW(folder.c_str());
    }

    void Start(const std::wstring& arguments) {
        std::wstring exe = WindowsPath(VZ_BUILD_DIR "/VOVUZIVA.exe");
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, folder.c_str(), &startup, &process))
            << GetLastError();
    }

    // The program's terminal window, waiting for it to appear.
    HWND FindProgramWindow(DWORD timeoutMs) {
        for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
            HWND window = nullptr;
            while ((window = FindWindowExW(nullptr, window, console::TerminalWindowClass,
                                           nullptr)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == process.dwProcessId) return window;
            }
            if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) return nullptr;
        }
        return nullptr;
    }

    std::wstring folder;
    PROCESS_INFORMATION process{};
};

TEST_F(ProgramTest, EndsCleanlyWhenItsWindowIsClosed) {
    for (const wchar_t* arguments : {L"NONE", L"session.def"}) {
        SCOPED_TRACE(std::string(arguments, arguments + wcslen(arguments)));
        Start(arguments);
        HWND window = FindProgramWindow(60000);
        ASSERT_NE(window, nullptr) << "no terminal window";
        wchar_t title[100] = {};
        GetWindowTextW(window, title, 100);
        EXPECT_EQ(std::wstring(title).rfind(L"Wendrosta ", 0), 0u);

        ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
        ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0)
            << "still running after WM_CLOSE";
        DWORD status = 1;
        GetExitCodeProcess(process.hProcess, &status);
        EXPECT_EQ(status, 0u);
        EXPECT_FALSE(IsWindow(window));
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        process = {};
    }
}

}  // namespace
