// The "Communication Debug" window shows the log's lines and turns the
// setting off when closed.

#include "connections/win32/comm_debug_window.h"

#include <gtest/gtest.h>

#include "commands/settings_record.h"
#include "connections/comm_interface.h"

namespace connections {
namespace {

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[4096] = {};
    GetWindowTextW(window, buffer, 4096);
    return buffer;
}

TEST(CommDebugWindow, ShowsTheLinesAndClosingTurnsTheSettingOff) {
    commands::ResetSettingsToDefaults();
    ResetCommLayer();
    ResetCommDebugLog();
    CommDebugState.Window = &commDebugWindow;
    commands::Settings.CommDebug = 0;
    CommLogSent("IAC DOTEL ECHO");  // logged before the window exists
    commands::Settings.CommDebug = 1;
    CommLogReceived("IAC WILLTEL ECHO");
    CommDebugLog("USER CANCEL");
    ASSERT_TRUE(commDebugWindow.IsOpen());
    Pump();

    HWND window = commDebugWindow.Window();
    EXPECT_EQ(TextOf(window), L"Communication Debug");
    EXPECT_EQ(GetDlgItem(window, 102), nullptr);  // "Turn off debug" is removed
    // A line logged while the setting was off is not kept.
    EXPECT_EQ(TextOf(GetDlgItem(window, kDebugTextId)),
              L"[R:IAC WILLTEL ECHO]\r\n[USER CANCEL]\r\n");

    // New lines are appended to what the control holds, not set as a whole
    // text again.
    SetWindowTextW(GetDlgItem(window, kDebugTextId), L"kept\r\n");
    CommDebugLog("one");
    CommDebugLog("two");
    Pump();
    EXPECT_EQ(TextOf(GetDlgItem(window, kDebugTextId)), L"kept\r\n[one]\r\n[two]\r\n");

    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(commDebugWindow.IsOpen());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(commands::Settings.CommDebug, 0);
    CommDebugState.Window = nullptr;
    ResetCommLayer();
    ResetCommDebugLog();
}

}  // namespace
}  // namespace connections
