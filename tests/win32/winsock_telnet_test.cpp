// The program's connection over Winsock against a real telnet server on
// loopback (tests/win32/with_telnet_peer.sh starts it and names its port in
// VZ_TELNET_PORT): received data arrives through socket notices to a window.

#include <gtest/gtest.h>

#include "connections/win32/winsock_transport.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include "commands/settings_record.h"
#include "connections/comm_debug_log.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "connections/win32/socket_notify.h"
#include "console/screen_buffer.h"
#include "emulation/main_routine.h"

namespace connections {
namespace {

int notices = 0;

LRESULT CALLBACK NoticeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (HandleSocketNotify(message, wParam, lParam)) {
        ++notices;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A hidden window standing in for the terminal window.
HWND MakeNoticeWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = NoticeWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VzSocketNoticeTest";
    RegisterClassW(&wc);
    return CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         wc.hInstance, nullptr);
}

class WinsockTelnet : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* port = std::getenv("VZ_TELNET_PORT");
        if (port == nullptr || *port == 0) GTEST_SKIP() << "VZ_TELNET_PORT is not set";
        commands::ResetSettingsToDefaults();
        emulation::ResetMainRoutine();
        console::ResetConsoleScreen();
        AttachProgramConnection(&winsockTransport);
        ResetCommLayer();
        window_ = MakeNoticeWindow();
        winsockTransport.SetNotifyWindow(window_);
        notices = 0;
        commands::Settings.CommMethod = CommMethodTelnet;
        commands::Settings.HostName = std::string("127.0.0.1:") + port;
        commands::Settings.TelnetNegotiation = 1;
        commands::Settings.SendWindowSize = 1;
        commands::Settings.SrpAuthMode = 0;
        commands::Settings.SrpEncryptMode = 0;
        commands::Settings.TerminalType = "VT220";
    }
    void TearDown() override {
        if (window_ == nullptr) return;
        CommClose();
        CommShutdown();
        winsockTransport.SetNotifyWindow(nullptr);
        DestroyWindow(window_);
        AttachProgramConnection(nullptr);
        ResetCommLayer();
    }

    // Pumps messages and reads as the emulator does, until the text holds
    // needle or the deadline passes.
    bool ReadUntil(const std::string& needle, DWORD milliseconds = 10000) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            CommPoll();
            while (CommInputReady(0)) {
                uint8_t run[245];
                const uint32_t n = CommReadRun(run, 245, 32, 126);
                text_.append(run, run + n);
                if (n > 0) continue;
                const int b = CommReadChar(false, false);
                if (b == CommNothingReceived) break;
                text_ += char(b);
            }
            if (text_.find(needle) != std::string::npos) return true;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return false;
    }
    bool Ask(const std::string& line, const std::string& answer) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            EXPECT_TRUE(CommSendString(line + "\r"));
            if (ReadUntil(answer, 4000)) return true;
        }
        return false;
    }

    HWND window_ = nullptr;
    std::string text_;
};

TEST_F(WinsockTelnet, NegotiatesReadsThroughNoticesAndSeesTheClose) {
    ASSERT_EQ(CommOpen(true), 0u) << CommDebugState.CommDebugText;
    EXPECT_TRUE(CommIsOpen());
    EXPECT_EQ(connectionLayer.LocalIpAddress, "127.0.0.1");
    ASSERT_TRUE(ReadUntil("READY TERM=")) << text_ << CommDebugState.CommDebugText;
    ASSERT_TRUE(ReadUntil("\n")) << text_;
    std::string ready = text_;
    for (char& ch : ready) ch = char(toupper(uint8_t(ch)));
    EXPECT_NE(ready.find("READY TERM=VT220"), std::string::npos) << text_;
    // Bytes came through WM_SOCKETNOTIFY to the window, not by polling.
    EXPECT_GT(notices, 0);
    const std::string& log = CommDebugState.CommDebugText;
    EXPECT_NE(log.find("[S:IAC SB TERMTYP 0 VT220 IAC SE]"), std::string::npos) << log;
    EXPECT_TRUE(Ask("size", "SIZE 24 80")) << text_;
    EXPECT_TRUE(Ask("hello", "GOT[hello]")) << text_;

    // The host ends the session: without reconnecting the program ends.
    ASSERT_TRUE(Ask("quit", "BYE")) << text_;
    const DWORD start = GetTickCount();
    while (emulation::MainRoutine.ExitCode != 4 && GetTickCount() - start < 20000) {
        ReadUntil("\x01never", 100);
    }
    EXPECT_EQ(emulation::MainRoutine.ExitCode, 4) << CommDebugState.CommDebugText;
    EXPECT_NE(log.find("[WINSOCK recv returned 0, Error = "), std::string::npos) << log;
}

}  // namespace
}  // namespace connections
