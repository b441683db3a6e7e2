// The terminal window's life under Windows: made on the first console
// operation, titled, closed only through the save question, answering other
// programs' connection requests, and meeting another running copy.
#include "console/terminal_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "connections/connection_layer.h"
#include "console/console_primitives.h"
#include "console/key_input.h"
#include "console/screen_buffer.h"
#include "console/win32/screen_font_win32.h"
#include "console/win32/terminal_window_win32.h"
#include "terminal_window_fixture.h"
#include "ui/message_box.h"
#include "ui/settings_dialogs.h"

namespace {

using window_test::Pump;
using window_test::WindowsPath;

std::vector<std::string> boxes;

class AnsweringDialogs final : public platform::SettingsDialogs {
  public:
    std::vector<std::string> Asked;
    std::deque<char> Answers;
    char Ask(std::string_view, std::string_view text, bool) override {
        Asked.emplace_back(text);
        char a = Answers.empty() ? ui::kAnswerNo : Answers.front();
        if (!Answers.empty()) Answers.pop_front();
        return a;
    }
    bool FirstRunDialog(ui::FirstRunChoice&) override { return true; }
    bool ChooseSettingsSaveName(std::string&) override { return false; }
    void DisplaySize(int& w, int& h) override { w = h = 0; }
};

class TerminalWindowWin32Test : public window_test::TerminalWindowFixture {
  protected:
    void SetUp() override {
        TerminalWindowFixture::SetUp();
        boxes.clear();
        ui::SetMessageBoxFunction([](std::string_view text) {
            boxes.emplace_back(text);
            return int{ui::MessageBoxOk};
        });
        platform::SetSettingsDialogs(&dialogs);
    }
    void TearDown() override {
        ui::SetMessageBoxFunction(nullptr);
        platform::SetSettingsDialogs(nullptr);
        for (PROCESS_INFORMATION& p : processes) {
            if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(p.hProcess, 99);
            CloseHandle(p.hProcess);
            CloseHandle(p.hThread);
        }
        TerminalWindowFixture::TearDown();
    }

    static std::wstring Title(HWND window) {
        wchar_t text[128] = {};
        GetWindowTextW(window, text, 128);
        return text;
    }

    // Starts a program (in a folder of its own when one is given).
    PROCESS_INFORMATION Start(const std::string& exe, const std::string& arguments,
                              const std::string& folder = {}) {
        std::string line = "\"" + exe + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.empty() ? nullptr : folder.c_str(), &startup, &process))
            << GetLastError();
        processes.push_back(process);
        return process;
    }
    bool WaitPumping(HANDLE process, DWORD timeoutMs) {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT);
            if (r == WAIT_OBJECT_0) return true;
            Pump();
        }
        return false;
    }

    AnsweringDialogs dialogs;
    std::vector<PROCESS_INFORMATION> processes;
};

TEST_F(TerminalWindowWin32Test, CreatedByTheFirstConsoleOperationAndTitledFromTheSettings) {
    EXPECT_EQ(console::TerminalWindowHandle(), nullptr);
    console::PumpWindowMessages();  // the first console operation of the main loop
    HWND window = console::TerminalWindowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, console::TerminalWindowClass);
    EXPECT_TRUE(console::ConsoleScreenAllocated());
    EXPECT_EQ(console::ConsoleScreen.Cols, 80);
    EXPECT_EQ(console::ConsoleScreen.Rows, 25);
    // The window fits its cells.
    RECT client{};
    GetClientRect(window, &client);
    const auto& p = console::WindowPaint;
    EXPECT_GE(client.right, 80 * p.CellWidth);
    EXPECT_GE(client.bottom, 25 * p.CellHeight);
    EXPECT_EQ(p.MaxViewCol, 0);
    EXPECT_EQ(p.MaxViewRow, 0);

    console::UpdateWindowTitle();
    EXPECT_EQ(Title(window), L"Wendrosta -  NOT CONNECTED");
    commands::Settings.WindowTitle = "Session A";
    console::UpdateWindowTitle();
    EXPECT_EQ(Title(window), L"Session A");
    commands::Settings.WindowTitle = "";
    connections::connectionLayer.settings.CommMethod = connections::CommMethodTelnet;
    connections::connectionLayer.CommState[connections::CommMethodTelnet] = connections::kStateOpen;
    connections::connectionLayer.ConnectedHostName = "host.example";
    commands::Settings.CommMethod = connections::CommMethodTelnet;
    console::UpdateWindowTitle();
    EXPECT_EQ(Title(window), L"Wendrosta -  host.example");
}

TEST_F(TerminalWindowWin32Test, AnyConsoleOperationThatCanComeFirstMakesTheWindow) {
    struct Case {
        const char* What;
        void (*Operation)();
    };
    const Case cases[] = {
        {"a key wait", [] { console::KeyAvailable(); }},
        {"a clear", [] { console::WriteCharCtl(12); }},
        {"teletype output",
         [] { console::TeletypeWrite(reinterpret_cast<const uint8_t*>("hi"), 2); }},
        {"a scroll", [] { console::ScrollTextRowsUp(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        ASSERT_EQ(console::TerminalWindowHandle(), nullptr);
        c.Operation();
        HWND window = console::TerminalWindowHandle();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsWindowVisible(window));
        console::DestroyTerminalWindow();
        Pump();
    }
}

TEST_F(TerminalWindowWin32Test, ScreenFontIsFixedPitchEvenForAFaceTheSystemLacks) {
    for (const char* face : {"Courier New", "No Such Face Anywhere"}) {
        SCOPED_TRACE(face);
        commands::Settings.ScreenFontName = face;
        HWND window = QuietWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_NE(console::ScreenFontUnit.ScreenFont, nullptr);
        EXPECT_NE(console::ScreenFontUnit.FontFace, L"No Such Face Anywhere");
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, console::ScreenFontUnit.ScreenFont);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        SIZE narrow{}, wide{};
        GetTextExtentPoint32W(dc, L"iiii", 4, &narrow);
        GetTextExtentPoint32W(dc, L"MMMM", 4, &wide);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        // The flag set means variable pitch.
        EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
        EXPECT_EQ(narrow.cx, wide.cx);
        EXPECT_EQ(wide.cx, 4 * console::WindowPaint.CellWidth);
        EXPECT_EQ(console::WindowPaint.CellHeight, metrics.tmHeight);
        console::DestroyTerminalWindow();
        Pump();
    }
}

TEST_F(TerminalWindowWin32Test, CloseAsksTheSaveQuestionAndEndsTheRunOnlyWhenItLetsIt) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    commands::SettingsFile.SavedSettings = commands::Settings;
    commands::Settings.BeepMode ^= 1;

    dialogs.Answers = {ui::kAnswerCancel};
    SendMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(dialogs.Asked.size(), 1u);
    EXPECT_EQ(emulation::MainRoutine.ExitCode, emulation::ExitRun);
    EXPECT_TRUE(IsWindow(window));
    dialogs.Answers = {ui::kAnswerCancel};
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 0);

    commands::Settings.AllowQuit = 0;
    SendMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Function disabled");
    EXPECT_EQ(dialogs.Asked.size(), 2u);
    EXPECT_EQ(emulation::MainRoutine.ExitCode, emulation::ExitRun);

    commands::Settings.AllowQuit = 1;
    dialogs.Answers = {ui::kAnswerNo};
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(dialogs.Asked.size(), 3u);
    // The main loop ends the run; the close-down destroys the window.
    EXPECT_EQ(emulation::MainRoutine.ExitCode, emulation::ExitEnd);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(TerminalWindowWin32Test, AnswersConnectionRequestsOfAnotherProgram) {
    HWND window = QuietWindow();
    ASSERT_NE(window, nullptr);
    const uint8_t received[] = {'A', 0xFF, 'Z'};
    // A serial line: 0xFF is data there, not a Telnet command.
    connections::connectionLayer.settings.CommMethod = connections::CommMethodSerial;
    connections::StoreReceivedBytes(received, sizeof received);
    connections::connectionLayer.CommLastError = 0x1234;

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string out = std::string(temp) + "vz_comm_requests.txt";
    DeleteFileA(out.c_str());
    std::string client =
        WindowsPath(VZ_BUILD_DIR "/tests/comm_request_client/comm_request_client.exe");
    PROCESS_INFORMATION p = Start(client, std::to_string(reinterpret_cast<uintptr_t>(window)) +
                                              " \"" + out + "\" 5 6:2 6:3 4 9 2 8 7 9 1:65 3 99");
    ASSERT_TRUE(WaitPumping(p.hProcess, 30000)) << "the client did not finish";
    std::ifstream in(out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    const std::vector<std::string> expected = {
        "3",                                        // bytes waiting
        "1",                                        // more than 2 wait
        "0",                                        // not more than 3
        "65",                                       // 'A'
        std::to_string(0x12340000 | 0x100 | 0xFF),  // the 0xFF, flagged, error above
        "-1",                                       // no function 2
        std::to_string(0x1234),                     // the error, then cleared
        "0",                                        // cleared
        std::to_string(0x100 | 'Z'),
        "0",  // sending fails while closed
        "1",  // break
        "1",  // released
    };
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(console::TerminalWindowUnit.CommRequestActive);
    DeleteFileA(out.c_str());
}

TEST_F(TerminalWindowWin32Test, AnotherRunningCopyIsBroughtForwardOrClosed) {
    // The program itself is the other copy, with settings it loaded unchanged, so
    // that it closes without asking.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "vz_other_copy";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string settings = folder + "\\session.def";
    {
        commands::SettingsRecord record = commands::DefaultSettings();
        std::ofstream file(settings, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(&record), sizeof record);
    }
    PROCESS_INFORMATION program =
        Start(WindowsPath(VZ_BUILD_DIR "/VOVUZIVA.exe"), "session.def", folder);
    HWND other = nullptr;
    for (int i = 0; i < 600 && !other; ++i) {
        other = FindWindowW(console::TerminalWindowClass, nullptr);
        if (other) break;
        // Settings without a host open the communication settings first: cancel them.
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t name[16] = {};
                GetClassNameW(window, name, 16);
                if (owner == static_cast<DWORD>(data) && IsWindowVisible(window) &&
                    std::wstring(name) == L"#32770")
                    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                return TRUE;
            },
            static_cast<LPARAM>(program.dwProcessId));
        Sleep(100);
    }
    ASSERT_NE(other, nullptr) << "the program showed no window";

    commands::Settings.SingleInstance = 1;
    console::EnsureTerminalWindow();
    EXPECT_EQ(emulation::MainRoutine.ExitCode, emulation::ExitEnd);
    EXPECT_EQ(WaitForSingleObject(program.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    console::DestroyTerminalWindow();
    Pump();

    emulation::ResetMainRoutine();
    commands::Settings.SingleInstance = 2;
    console::EnsureTerminalWindow();
    EXPECT_EQ(emulation::MainRoutine.ExitCode, emulation::ExitRun);
    ASSERT_TRUE(WaitPumping(program.hProcess, 30000)) << "the other copy did not close";
    DWORD status = 1;
    GetExitCodeProcess(program.hProcess, &status);
    EXPECT_EQ(status, 0u);
    DeleteFileA(settings.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
