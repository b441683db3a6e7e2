// The CONNECT dialog under Wine: asynchronous lookup of "localhost", Cancel
// and the SOCKS reply deadline, against a listening socket of the test.

#include "connections/win32/connect_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/messages.h"

namespace connections {
namespace {

class RecordingHost : public ConnectionHost {
  public:
    std::vector<std::string> log;
    void CommDebugLog(std::string_view t) override { log.push_back(std::string(t)); }
    std::u16string GetMessageText(uint16_t id) override { return console::GetMessageW(id, true); }
    bool Logged(std::string_view line) const {
        for (const auto& l : log) {
            if (l == line) return true;
        }
        return false;
    }
    std::string Log() const {
        std::string all;
        for (const auto& l : log) all += l + "\n";
        return all;
    }
};

// A server that accepts connections (through the backlog) and never answers.
class SilentListener {
  public:
    SilentListener() {
        s_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(s_, 4);
        int len = sizeof a;
        ::getsockname(s_, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~SilentListener() { ::closesocket(s_); }
    uint16_t port = 0;

  private:
    SOCKET s_ = INVALID_SOCKET;
};

class ConnectDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sockets.Startup());
        ASSERT_TRUE(sockets.Open());
        ConnectDialog.OnCreated = nullptr;
    }
    void TearDown() override {
        ConnectDialog.OnCreated = nullptr;
        sockets.Close();
        sockets.Shutdown();
    }
    WinsockTransport sockets;
    RecordingHost host;
};

TEST_F(ConnectDialogTest, ResolvesANameAsynchronouslyAndConnects) {
    SilentListener server;
    ConnectTarget target;
    target.host = {"localhost", server.port};
    ConnectSequence sequence(sockets, host, target);
    ASSERT_TRUE(RunConnectDialog(sequence, sockets, host, nullptr)) << host.Log();
    EXPECT_TRUE(host.Logged("WSAAsyncgethostbyname gives 127.0.0.1")) << host.Log();
    EXPECT_EQ(sequence.StatusText(), u"Connecting to localhost");
    platform::Ipv4Address local;
    uint16_t port = 0;
    EXPECT_TRUE(sockets.LocalAddress(local, port));
    EXPECT_NE(port, 0);
}

TEST_F(ConnectDialogTest, CancelDuringTheLookup) {
    ConnectDialog.OnCreated = [](HWND dialog) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    ConnectTarget target;
    target.host = {"localhost", 23};
    ConnectSequence sequence(sockets, host, target);
    EXPECT_FALSE(RunConnectDialog(sequence, sockets, host, nullptr));
    EXPECT_EQ(sequence.LastError(), kConnectCancelled);
    EXPECT_TRUE(host.Logged("USER CANCEL")) << host.Log();
    // The lookup had started and its answer was never taken.
    EXPECT_EQ(sequence.StatusText(), u"Resolving localhost");
    EXPECT_FALSE(host.Logged("WSAAsyncgethostbyname gives 127.0.0.1")) << host.Log();
    int32_t winsock = 0;
    EXPECT_EQ(ConnectErrorToCommError(sequence.LastError(), winsock), 13);
    // A late lookup message finds the dialog gone and changes nothing.
    EXPECT_EQ(ConnectDialog.Window, nullptr);
}

TEST_F(ConnectDialogTest, SilentSocksServerRunsIntoTheDeadline) {
    SilentListener socks;
    ConnectTarget target;
    target.host = {"127.0.0.1", 23};
    target.socks = {"127.0.0.1", socks.port};
    target.socksReplyWaitMs = 300;
    ConnectSequence sequence(sockets, host, target);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(RunConnectDialog(sequence, sockets, host, nullptr));
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(sequence.LastError(), kConnectSocksTimeout) << host.Log();
    int32_t winsock = 0;
    EXPECT_EQ(ConnectErrorToCommError(sequence.LastError(), winsock), 11);
}

}  // namespace
}  // namespace connections
