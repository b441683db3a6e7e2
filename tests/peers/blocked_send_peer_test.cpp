// A send to a host that stops reading: the socket's buffers fill, and the
// layer must wait for room (and give up at its time-out) without asking the
// socket again and again in a tight loop.

#include <gtest/gtest.h>

#include <chrono>

#include "peer_support.h"

namespace peers {
namespace {

class CountingTransport : public connections::PosixTransport {
  public:
    int64_t sends = 0;
    int32_t Send(const uint8_t* bytes, int32_t count) override {
        ++sends;
        return PosixTransport::Send(bytes, count);
    }
};

TEST(BlockedSendPeer, WaitsForRoomAndTimesOutWithoutSpinning) {
    // A host that accepts the connection and never reads from it.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int small = 4096;
    ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    socklen_t len = sizeof a;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);

    PeerHost host;
    CountingTransport socket;
    connections::ConnectionLayer layer;
    layer.Attach(&socket, &host, nullptr);
    layer.settings.HostName = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    layer.settings.telnet.TelnetNegotiation = false;
    layer.settings.telnet.SrpAuthMode = 0;
    layer.settings.telnet.SrpEncryptMode = 0;
    ASSERT_EQ(layer.CommOpen(1), connections::kCommOk) << host.Log();
    const int accepted = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(accepted, 0);

    // Far more than both sides' buffers hold.
    const std::vector<uint8_t> block(32 << 20, 'x');
    const auto start = std::chrono::steady_clock::now();
    const int64_t sendsBefore = socket.sends;
    const bool sent = layer.CommSendBuffer(block.data(), int32_t(block.size()));
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_FALSE(sent);
    EXPECT_TRUE(host.Logged("BOX0 Timeout on Send")) << host.Log();
    EXPECT_GE(took, std::chrono::milliseconds(4900));
    EXPECT_LT(took, std::chrono::milliseconds(8000));
    // A wait for room between attempts keeps the count to a few per tick of
    // the wait; a spinning loop makes millions.
    EXPECT_LT(socket.sends - sendsBefore, 2000);

    layer.CommClose();
    ::close(accepted);
    ::close(listener);
}

}  // namespace
}  // namespace peers
