// The program's connection over Winsock against a real telnet server on
// loopback (tests/win32/with_telnet_peer.sh starts it and names its port in
// VZ_TELNET_PORT): negotiation, escaping both ways, line ends and the host's
// close, with received data arriving through socket notices to a window.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "../common/peer_required.h"
#include "app/connection_wiring.h"
#include "commands/settings_record.h"
#include "connections/comm_debug_log.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "connections/receive_ring.h"
#include "connections/win32/socket_notify.h"
#include "connections/win32/winsock_transport.h"
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

// Real Winsock, with every byte that crosses the wire kept.
class RecordingWinsock : public WinsockTransport {
  public:
    std::string sent, received;
    int32_t Send(const uint8_t* bytes, int32_t count) override {
        const int32_t n = WinsockTransport::Send(bytes, count);
        if (n > 0) sent.append(bytes, bytes + n);
        return n;
    }
    int32_t Receive(uint8_t* bytes, int32_t count) override {
        const int32_t n = WinsockTransport::Receive(bytes, count);
        if (n > 0) received.append(bytes, bytes + n);
        return n;
    }
};

std::string Wire(std::initializer_list<int> bytes) {
    std::string out;
    for (int b : bytes) out += char(b);
    return out;
}

bool Holds(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

constexpr int IAC = 255, WILL = 251, DO = 253, SB = 250, SE = 240;

// A hidden window standing in for the terminal window.
HWND MakeNoticeWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = NoticeWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VzSocketNoticeTest";
    RegisterClassW(&wc);
    return CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                         nullptr);
}

class WinsockTelnet : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* port = std::getenv("VZ_TELNET_PORT");
        if (port == nullptr || *port == 0) VZ_SKIP_WITHOUT_PEER("VZ_TELNET_PORT is not set");
        commands::ResetSettingsToDefaults();
        emulation::ResetMainRoutine();
        console::ResetConsoleScreen();
        app::ComposeConnection();
        AttachProgramConnection(&sockets_);
        ResetCommLayer();
        ResetCommDebugLog();
        window_ = MakeNoticeWindow();
        sockets_.SetNotifyWindow(window_);
        notices = 0;
        commands::Settings.CommMethod = CommMethodTelnet;
        commands::Settings.HostName = std::string("127.0.0.1:") + port;
        commands::Settings.TelnetNegotiation = 1;
        commands::Settings.SendWindowSize = 1;
        commands::Settings.SrpAuthMode = 0;
        commands::Settings.SrpEncryptMode = 0;
        commands::Settings.TerminalType = "VT220";
        commands::Settings.CommDebug = 1;  // the checks read the negotiation's log
    }
    void TearDown() override {
        if (window_ == nullptr) return;
        CommClose();
        CommShutdown();
        sockets_.SetNotifyWindow(nullptr);
        DestroyWindow(window_);
        AttachProgramConnection(nullptr);
        SetProgramConnectionHost(nullptr);
        ResetCommLayer();
        ResetCommDebugLog();
    }

    // Pumps messages and reads as the emulator does, until the text holds
    // needle or the deadline passes. Without poll only the socket notices
    // bring bytes in.
    bool ReadUntil(const std::string& needle, DWORD milliseconds = 10000, bool poll = true) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < milliseconds) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (poll) CommPoll();
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
    bool Ask(const std::string& line, const std::string& answer, bool poll = true) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            EXPECT_TRUE(CommSendString(line + "\r"));
            if (ReadUntil(answer, 4000, poll)) return true;
        }
        return false;
    }
    // Reads until the connection is no longer open or the deadline passes.
    void ReadUntilClosed() {
        const DWORD start = GetTickCount();
        while (CommIsOpen() && emulation::MainRoutine.ExitCode == 0 &&
               GetTickCount() - start < 20000) {
            ReadUntil("\x01never", 100);
        }
    }

    RecordingWinsock sockets_;
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
    EXPECT_GT(notices, 0);
    const std::string& log = CommDebugState.CommDebugText;
    EXPECT_TRUE(Holds(log, "[S:IAC SB TERMTYP 0 VT220 IAC SE]")) << log;
    // The host's ECHO and SUPPRESS-GO-AHEAD are accepted; its echo makes the
    // line full duplex.
    EXPECT_TRUE(Holds(sockets_.received, Wire({IAC, WILL, 1}))) << log;
    EXPECT_TRUE(Holds(sockets_.sent, Wire({IAC, DO, 1})));
    EXPECT_TRUE(Holds(sockets_.received, Wire({IAC, WILL, 3}))) << log;
    EXPECT_TRUE(Holds(sockets_.sent, Wire({IAC, DO, 3})));
    EXPECT_EQ(commands::Settings.FullDuplex, 1);
    EXPECT_TRUE(Holds(sockets_.sent, Wire({IAC, SB, 31, 0, 80, 0, 24, IAC, SE})));
    EXPECT_TRUE(Ask("size", "SIZE 24 80")) << text_;
    TelnetSendWindowSize(132, 43);
    EXPECT_TRUE(Ask("size", "SIZE 43 132")) << text_;

    // With no periodic check and no reader at all, the socket notices alone
    // bring the answer into the ring.
    ReadUntil("\x01never", 200);  // whatever was still on its way
    ASSERT_TRUE(CommReceiveRing().Empty());
    const int before = notices;
    ASSERT_TRUE(CommSendString("hello\r"));
    const DWORD start = GetTickCount();
    while (CommReceiveRing().Empty() && GetTickCount() - start < 10000) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    EXPECT_GT(notices, before);
    EXPECT_FALSE(CommReceiveRing().Empty());
    EXPECT_TRUE(ReadUntil("GOT[hello]", 4000, false)) << text_;
    EXPECT_EQ(std::count(text_.begin(), text_.end(), char(IAC)), 0);

    // The host's bare CR comes as CR NUL (this line is not binary) and reads
    // as CR alone; its line end CR LF reads as both. Our CR goes out as CR NUL.
    text_.clear();
    ASSERT_TRUE(Ask("cr", "B\r\n")) << text_;
    EXPECT_TRUE(Holds(sockets_.received, Wire({'A', 13, 0, 'B', 13, 10})));
    EXPECT_EQ(text_, "A\rB\r\n");
    EXPECT_TRUE(Holds(sockets_.sent, Wire({'c', 'r', 13, 0})));

    // The host ends the session: without reconnecting the program ends.
    ASSERT_TRUE(Ask("quit", "BYE")) << text_;
    ReadUntilClosed();
    EXPECT_EQ(emulation::MainRoutine.ExitCode, 4) << CommDebugState.CommDebugText;
    EXPECT_TRUE(Holds(log, "[WINSOCK recv returned 0, Error = ")) << log;
}

TEST_F(WinsockTelnet, DoublesIacBothWaysAndStaysClosedAfterTheHostCloses) {
    commands::Settings.TelnetBinary = 1;  // so that the host's 0xFF is not an NVT byte
    commands::Settings.ReconnectMode = 2;
    ASSERT_EQ(CommOpen(true), 0u) << CommDebugState.CommDebugText;
    ASSERT_TRUE(ReadUntil("READY TERM=")) << text_ << CommDebugState.CommDebugText;
    ASSERT_TRUE(ReadUntil("\n")) << text_;
    EXPECT_TRUE(Holds(sockets_.sent, Wire({IAC, DO, 0})));
    EXPECT_TRUE(Holds(sockets_.received, Wire({IAC, WILL, 0})));

    // A 0xFF from the host comes doubled and reads as one byte.
    ASSERT_TRUE(Ask("ff", "]\r\n")) << text_;
    EXPECT_TRUE(Holds(sockets_.received, Wire({'[', IAC, IAC, ']'})));
    EXPECT_TRUE(Holds(text_, "FF[\xFF]")) << text_;
    // Ours goes out doubled: the host gets one byte between x and z (seven
    // bits of it, since our side is NVT ASCII to it).
    ASSERT_TRUE(Ask(std::string("hex") + char(0xFF) + "z", "HEX[")) << text_;
    EXPECT_TRUE(Holds(sockets_.sent, Wire({'x', IAC, IAC, 'z', 13, 0})));
    EXPECT_TRUE(ReadUntil("HEX[6865787f7a]")) << text_;

    // The host ends the session: the connection closes and the program stays.
    ASSERT_TRUE(Ask("quit", "BYE")) << text_;
    ReadUntilClosed();
    EXPECT_FALSE(CommIsOpen()) << CommDebugState.CommDebugText;
    EXPECT_EQ(connectionLayer.CommState[CommMethodTelnet], kStateClosed);
    EXPECT_EQ(emulation::MainRoutine.ExitCode, 0);
    EXPECT_FALSE(CommSendByte('x'));
}

}  // namespace
}  // namespace connections
