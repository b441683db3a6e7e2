#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "connections/connection_host.h"
#include "connections/transport.h"

namespace connections {

// Results the connect steps leave in `CommLastError` besides socket codes.
inline constexpr uint32_t kConnectSocksTimeout = 12007;
inline constexpr uint32_t kConnectResolveFailed = 12008;
inline constexpr uint32_t kConnectCancelled = 12009;
inline constexpr uint32_t kConnectSocksRefused = 12010;
inline constexpr uint32_t kConnectSocksMalformed = 12011;

inline constexpr uint32_t kSocksReplyWaitMs = 120000;
inline constexpr uint32_t kSocksPollMs = 100;

inline constexpr uint16_t kMessageResolving = 401;
inline constexpr uint16_t kMessageConnectingTo = 402;

struct HostAndPort {
    std::string name;
    uint16_t port = 0;
};

// "name" or "name:digits"; the digits replace the default port when they give
// a port from 1 to 65535.
HostAndPort SplitHostPort(std::string_view text, uint16_t defaultPort);

// A dotted IPv4 address "a.b.c.d" (each 0-255); false for anything else.
bool ParseDottedAddress(std::string_view text, platform::Ipv4Address& address);
std::string FormatAddress(const platform::Ipv4Address& address);

// The CommError code of a failed connect, from the code the steps left; for
// code 17 the socket number to show with it.
uint8_t ConnectErrorToCommError(uint32_t lastError, int32_t& winsockErrorNumber);

struct ConnectTarget {
    HostAndPort host;
    HostAndPort socks;  // empty name: a direct connection
    // Rlogin connects from a bound local port and moves to the next lower
    // one when the address is in use.
    bool rlogin = false;
    uint16_t localPort = 0;
    // How long the SOCKS server may take to answer the request.
    uint32_t socksReplyWaitMs = kSocksReplyWaitMs;
};

// The steps of a socket connection: look up the host (and the SOCKS server),
// connect, and pass the SOCKS4 request. Driven by Poll from a dialog's
// messages and timer, or by RunConnectSequence.
class ConnectSequence {
  public:
    ConnectSequence(platform::Transport& transport, ConnectionHost& host, ConnectTarget target);

    // Runs what can run now: Pending while waiting, then Done or Failed.
    platform::Progress Poll(uint32_t nowMs);
    void Cancel();

    // What `CommLastError` holds after a failure.
    uint32_t LastError() const { return lastError_; }
    // The text the CONNECT dialog shows.
    const std::u16string& StatusText() const { return status_; }
    // True from the SOCKS request on (the connection is usable for it).
    bool SocksRequestSent() const { return socksSent_; }
    const platform::Ipv4Address& HostAddress() const { return hostAddress_; }

  private:
    enum class Step : uint8_t {
        ResolveHost,
        WaitHostLookup,
        ResolveSocks,
        WaitSocksLookup,
        ConnectHost,
        ConnectSocks,
        WaitConnect,
        SendSocks,
        WaitSocksReply,
        Done,
        Failed,
    };

    const std::string& CurrentName() const;
    void StartResolve();
    void LookupResult(platform::Progress result, const platform::Ipv4Address& address,
                      int32_t error);
    void LookupBlocking();
    void Resolved(const platform::Ipv4Address& address);
    void StartConnect();
    void ConnectStarted(platform::Progress result, int32_t error);
    bool Rebind(int32_t& error);
    void Connected();
    void SendSocksRequest(uint32_t now);
    void PollSocksReply(uint32_t now);
    void Fail(uint32_t code);
    void Show(uint16_t messageId, std::string_view name);

    platform::Transport& transport_;
    ConnectionHost& host_;
    ConnectTarget target_;
    Step step_ = Step::ResolveHost;
    bool lookingUpSocks_ = false;
    bool connectingSocks_ = false;
    bool socksSent_ = false;
    platform::Ipv4Address hostAddress_;
    platform::Ipv4Address socksAddress_;
    uint32_t lastError_ = 0;
    uint32_t socksDeadline_ = 0;
    uint32_t nextSocksPoll_ = 0;
    std::u16string status_;
};

// Polls the sequence to its end, waiting on the transport in between; for
// callers without a message loop of their own.
bool RunConnectSequence(ConnectSequence& sequence, platform::Transport& transport,
                        ConnectionHost& host);

}  // namespace connections
