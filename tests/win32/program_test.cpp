// The program as a whole under Windows: it starts in a folder of its own,
// finds, loads or creates its settings file, shows its window, and ends
// cleanly when the window is closed or its run-time limit is reached.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "commands/settings_record.h"
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

struct WindowSearch {
    DWORD processId;
    const char* title;
    HWND found = nullptr;
    std::string titles;
};

// Visits the process's visible top-level windows: finds the one with the
// title and lists every title with its static texts.
WindowSearch SearchWindows(DWORD processId, const char* title) {
    WindowSearch search{processId, title};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<WindowSearch*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
            char text[200] = {};
            GetWindowTextA(window, text, sizeof text);
            if (s->title && std::string(text) == s->title) s->found = window;
            s->titles += std::string(" [") + text + "]";
            HWND child = nullptr;
            while ((child = FindWindowExA(window, child, "Static", nullptr)) != nullptr) {
                GetWindowTextA(child, text, sizeof text);
                if (text[0]) s->titles += std::string(" \"") + text + "\"";
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search;
}

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        folder = std::wstring(temp) + L"vz_program_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        // A copy of its own, so that the program folder is this folder too.
        exe = folder + L"\\VOVUZIVA.exe";
        ASSERT_TRUE(
            CopyFileW(WindowsPath(VZ_BUILD_DIR "/VOVUZIVA.exe").c_str(), exe.c_str(), FALSE))
            << GetLastError();
    }
    void TearDown() override {
        EndProcess();
        for (const wchar_t* name : {L"VOVUZIVA.exe", L"wendrosta.def", L"session.def"})
            DeleteFileW((folder + L"\\" + name).c_str());
        RemoveDirectoryW(folder.c_str());
    }

    void Start(const std::wstring& arguments) {
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, folder.c_str(), &startup, &process))
            << GetLastError();
    }

    void EndProcess() {
        if (!process.hProcess) return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        process = {};
    }

    // The program's terminal window, waiting for it to appear.
    void CancelStartDialog() {
        struct Search {
            DWORD processId;
        } search{process.dwProcessId};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t name[16] = {};
                GetClassNameW(window, name, 16);
                wchar_t title[64] = {};
                GetWindowTextW(window, title, 64);
                // The first start's terminal type is taken as offered; Cancel there would end
                // the program.
                const bool welcome = std::wstring(title).rfind(L"Welcome to", 0) == 0;
                if (owner == reinterpret_cast<Search*>(data)->processId &&
                    IsWindowVisible(window) && std::wstring(name) == L"#32770")
                    PostMessageW(window, WM_COMMAND, welcome ? IDOK : IDCANCEL, 0);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
    }

    HWND FindProgramWindow() {
        for (int waited = 0; waited < 60000; waited += 100) {
            HWND window = nullptr;
            while ((window = FindWindowExW(nullptr, window, console::TerminalWindowClass,
                                           nullptr)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == process.dwProcessId) return window;
            }
            // A first start asks for the terminal type, and a start without a host opens the
            // communication settings: take the one and cancel the other.
            CancelStartDialog();
            if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) return nullptr;
        }
        return nullptr;
    }

    // Answers the save question with its button: 102 Save, 103 Save As, IDNO (7) No.
    void AnswerSaveQuestion(int button) {
        for (int waited = 0; waited < 30000; waited += 100) {
            WindowSearch s = SearchWindows(process.dwProcessId, "Save Parameters?");
            if (s.found) {
                PostMessageW(s.found, WM_COMMAND, button, 0);
                return;
            }
            Sleep(100);
        }
        ADD_FAILURE() << "no save question; windows:"
                      << SearchWindows(process.dwProcessId, nullptr).titles;
    }

    // Waits for the end of the process; its exit status.
    DWORD WaitForEnd(DWORD timeoutMs) {
        if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "still running; windows:"
                          << SearchWindows(process.dwProcessId, nullptr).titles;
            return 99;
        }
        DWORD status = 99;
        GetExitCodeProcess(process.hProcess, &status);
        return status;
    }

    bool FileSize(const wchar_t* name, LARGE_INTEGER& size) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW((folder + L"\\" + name).c_str(), GetFileExInfoStandard, &data))
            return false;
        size.LowPart = data.nFileSizeLow;
        size.HighPart = static_cast<LONG>(data.nFileSizeHigh);
        return true;
    }

    std::wstring folder;
    std::wstring exe;
    PROCESS_INFORMATION process{};
};

TEST_F(ProgramTest, FirstStartCreatesTheSettingsFileWhenClosed) {
    Start(L"");
    HWND window = FindProgramWindow();
    ASSERT_NE(window, nullptr) << "no terminal window";
    wchar_t title[100] = {};
    GetWindowTextW(window, title, 100);
    EXPECT_EQ(std::wstring(title), L"Wendrosta -  NOT CONNECTED");

    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    AnswerSaveQuestion(102);
    EXPECT_EQ(WaitForEnd(30000), 0u);
    EXPECT_FALSE(IsWindow(window));
    LARGE_INTEGER size{};
    ASSERT_TRUE(FileSize(L"wendrosta.def", size)) << "no settings file";
    EXPECT_EQ(size.QuadPart, static_cast<LONGLONG>(sizeof(commands::SettingsRecord)));
}

// The program's own accelerator table, which the window loads when no
// language module has one.
TEST_F(ProgramTest, AcceleratorTableIsInTheProgram) {
    HMODULE program = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr) << GetLastError();
    HACCEL table = LoadAcceleratorsW(program, L"ACC1");
    ASSERT_NE(table, nullptr) << GetLastError();
    ACCEL entries[64] = {};
    const int count = CopyAcceleratorTableW(table, entries, 64);
    EXPECT_EQ(count, 29);
    auto id = [&](WORD key, BYTE flags) {
        for (int i = 0; i < count; ++i)
            if (entries[i].key == key && (entries[i].fVirt & ~FNOINVERT) == flags)
                return int(entries[i].cmd);
        return -1;
    };
    EXPECT_EQ(id('x', FALT), 115);
    EXPECT_EQ(id('X', FALT), 115);
    EXPECT_EQ(id('1', FALT), 3053);
    EXPECT_EQ(id('z', FALT), 309);
    EXPECT_EQ(id(VK_INSERT, FVIRTKEY | FCONTROL), 201);
    EXPECT_EQ(id(VK_INSERT, FVIRTKEY | FSHIFT), 204);
    DestroyAcceleratorTable(table);
    FreeLibrary(program);
}

// "/C" asks for a settings file; when none is chosen the program ends.
TEST_F(ProgramTest, ChoosingASettingsFileSaysWhyItCannot) {
    Start(L"/C");
    WindowSearch found{};
    for (int waited = 0; waited < 30000 && !found.found; waited += 100) {
        Sleep(100);
        found = SearchWindows(process.dwProcessId, nullptr);
        if (found.titles.find("Choose a settings file") == std::string::npos) continue;
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<WindowSearch*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == s->processId && IsWindowVisible(window)) s->found = window;
                return s->found == nullptr;
            },
            reinterpret_cast<LPARAM>(&found));
    }
    ASSERT_NE(found.found, nullptr)
        << "no message; windows:" << SearchWindows(process.dwProcessId, nullptr).titles;
    PostMessageW(found.found, WM_COMMAND, IDCANCEL, 0);
    EXPECT_NE(WaitForEnd(30000), 99u);
}

TEST_F(ProgramTest, WithoutASettingsFileNothingIsWritten) {
    Start(L"NONE");
    HWND window = FindProgramWindow();
    ASSERT_NE(window, nullptr) << "no terminal window";
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    AnswerSaveQuestion(IDNO);
    EXPECT_EQ(WaitForEnd(30000), 0u);
    LARGE_INTEGER size{};
    EXPECT_FALSE(FileSize(L"wendrosta.def", size));
}

TEST_F(ProgramTest, NamedSettingsFileIsLoadedAndItsRunTimeLimitEndsTheProgram) {
    // Defaults with a three-second limit on the run.
    commands::SettingsRecord record = commands::DefaultSettings();
    record.InactivityTimeout.Set(3);
    std::FILE* f = _wfopen((folder + L"\\session.def").c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(&record, 1, sizeof record, f), sizeof record);
    std::fclose(f);

    Start(L"session.def");
    ASSERT_NE(FindProgramWindow(), nullptr) << "no terminal window";
    // Unchanged settings end without a question.
    EXPECT_EQ(WaitForEnd(30000), 0u);
}

TEST_F(ProgramTest, LoadedSettingsCloseWithoutAQuestion) {
    commands::SettingsRecord record = commands::DefaultSettings();
    std::FILE* f = _wfopen((folder + L"\\session.def").c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(&record, 1, sizeof record, f), sizeof record);
    std::fclose(f);

    Start(L"session.def");
    HWND window = FindProgramWindow();
    ASSERT_NE(window, nullptr) << "no terminal window";
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    EXPECT_EQ(WaitForEnd(30000), 0u);
}

}  // namespace
