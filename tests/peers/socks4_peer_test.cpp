// Connecting through a SOCKS4 proxy on loopback: a small proxy of the test's
// own answers each request with the status it is told to and, when it grants
// one, relays to the requested address.

#include <gtest/gtest.h>
#include <poll.h>

#include <cstring>
#include <thread>

#include "peer_support.h"

namespace peers {
namespace {

using connections::kCommOk;

int ListenOn(uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd, 4);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}

// Waits up to milliseconds for fd to become readable.
bool Readable(int fd, int milliseconds) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, milliseconds) > 0;
}

// A host that greets whoever connects and then echoes lines back.
class GreetingHost {
  public:
    GreetingHost() {
        fd_ = ListenOn(port_);
        thread_ = std::thread([this] {
            if (!Readable(fd_, 10000)) return;
            const int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0) return;
            ::send(c, "HELLO\r\n", 7, MSG_NOSIGNAL);
            char buf[256];
            while (Readable(c, 5000)) {
                const ssize_t n = ::recv(c, buf, sizeof buf, 0);
                if (n <= 0) break;
                ::send(c, buf, size_t(n), MSG_NOSIGNAL);
            }
            ::close(c);
        });
    }
    ~GreetingHost() {
        ::shutdown(fd_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
    }
    uint16_t port() const { return port_; }

  private:
    int fd_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
};

class Socks4Proxy {
  public:
    // A reply shorter than its 8 bytes is malformed.
    explicit Socks4Proxy(uint8_t status, size_t replyLength = 8)
        : status_(status), replyLength_(replyLength) {
        fd_ = ListenOn(port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~Socks4Proxy() { Stop(); }
    uint16_t port() const { return port_; }
    // What the client asked; the proxy is stopped first.
    Bytes Request() {
        Stop();
        return request_;
    }

  private:
    void Stop() {
        if (!thread_.joinable()) return;
        ::shutdown(fd_, SHUT_RDWR);
        thread_.join();
        ::close(fd_);
    }

    Bytes request_;

    void Serve() {
        if (!Readable(fd_, 10000)) return;
        const int c = ::accept(fd_, nullptr, nullptr);
        if (c < 0) return;
        // Version, command, port, address, then the user id up to its NUL.
        uint8_t b = 0;
        while (Readable(c, 5000) && ::recv(c, &b, 1, 0) == 1) {
            request_.push_back(b);
            if (request_.size() >= 9 && b == 0) break;
        }
        const uint8_t reply[8] = {0, status_, 0, 0, 0, 0, 0, 0};
        ::send(c, reply, replyLength_, MSG_NOSIGNAL);
        if (status_ == 90 && request_.size() >= 9) Relay(c);
        ::close(c);
    }

    void Relay(int client) {
        const int up = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        std::memcpy(&to.sin_port, &request_[2], 2);
        std::memcpy(&to.sin_addr, &request_[4], 4);
        if (::connect(up, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
            pollfd p[2] = {{client, POLLIN, 0}, {up, POLLIN, 0}};
            char buf[4096];
            while (::poll(p, 2, 5000) > 0) {
                const int from = (p[0].revents & (POLLIN | POLLHUP)) ? 0 : 1;
                const ssize_t n = ::recv(p[from].fd, buf, sizeof buf, 0);
                if (n <= 0) break;
                ::send(p[1 - from].fd, buf, size_t(n), MSG_NOSIGNAL);
            }
        }
        ::close(up);
    }

    uint8_t status_;
    size_t replyLength_;
    int fd_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
};

std::unique_ptr<PeerClient> ClientVia(const Socks4Proxy& proxy, const std::string& hostName) {
    auto client = std::make_unique<PeerClient>(hostName);
    client->layer->settings.SocksHost = "127.0.0.1:" + std::to_string(proxy.port());
    client->layer->settings.telnet.TelnetNegotiation = false;
    return client;
}

TEST(Socks4Peer, GrantedRequestCarriesTheResolvedHostAndRelays) {
    GreetingHost host;
    auto proxy = std::make_unique<Socks4Proxy>(90);
    // A name, looked up here: the request carries its address.
    auto c = ClientVia(*proxy, "localhost:" + std::to_string(host.port()));
    ASSERT_EQ(c->layer->CommOpen(1), kCommOk) << c->host.Log();
    ASSERT_TRUE(c->ReadUntil("HELLO\r\n")) << c->host.Log();
    EXPECT_TRUE(c->layer->CommSendString("ping\r"));
    EXPECT_TRUE(c->ReadUntil("ping\r")) << c->Text();
    c.reset();
    const Bytes request = proxy->Request();
    ASSERT_EQ(request.size(), 9u);
    EXPECT_EQ(Bytes(request.begin() + 4, request.begin() + 8), (Bytes{127, 0, 0, 1}));
    EXPECT_EQ(request[2] * 256 + request[3], host.port());
}

TEST(Socks4Peer, RequestBytes) {
    auto proxy = std::make_unique<Socks4Proxy>(91);
    auto c = ClientVia(*proxy, "127.0.0.1:2323");
    c->layer->CommOpen(1);
    EXPECT_EQ(proxy->Request(), (Bytes{4, 1, 0x09, 0x13, 127, 0, 0, 1, 0}));
}

TEST(Socks4Peer, RefusalsAreReported) {
    struct Case {
        uint8_t status;
        size_t replyLength;
        uint8_t result;
        std::u16string text;
        std::string logged;
    } cases[] = {
        {91, 8, 14, u"SOCKS server refused connection", "[SOCKS server refused: 91]"},
        {92, 8, 14, u"SOCKS server refused connection", "[SOCKS server refused: 92]"},
        {93, 8, 14, u"SOCKS server refused connection", "[SOCKS server refused: 93]"},
        {90, 3, 15, u"SOCKS receive error", "[recv error: i=3]"},
    };
    for (const Case& k : cases) {
        Socks4Proxy proxy(k.status, k.replyLength);
        auto c = ClientVia(proxy, "127.0.0.1:23");
        const uint8_t result = c->layer->CommOpen(1);
        EXPECT_EQ(result, k.result) << int(k.status);
        EXPECT_EQ(c->layer->CommErrorText(result), k.text);
        EXPECT_TRUE(c->host.Logged(k.logged)) << c->host.Log();
        EXPECT_FALSE(c->layer->CommIsOpen());
        EXPECT_EQ(c->layer->CommState[connections::kMethodTelnet], connections::kStateClosed);
    }
}

TEST(Socks4Peer, NoProxyListening) {
    auto c = std::make_unique<PeerClient>("127.0.0.1:23");
    c->layer->settings.SocksHost = "127.0.0.1:" + std::to_string(FreePort());
    const uint8_t result = c->layer->CommOpen(1);
    EXPECT_EQ(result, 16);
    EXPECT_EQ(c->layer->CommErrorText(result), u"Connection refused");
}

}  // namespace
}  // namespace peers
