#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Error codes of the socket seam are the Winsock numbers on every platform,
// so that the connection layer's decisions and its logged codes are the same
// in both builds; a POSIX transport translates errno into them.
inline constexpr int32_t kSockWouldBlock = 10035;
inline constexpr int32_t kSockInvalidArgument = 10022;
inline constexpr int32_t kSockAddressInUse = 10048;
inline constexpr int32_t kSockNetworkUnreachable = 10051;
inline constexpr int32_t kSockConnectionAborted = 10053;
inline constexpr int32_t kSockConnectionReset = 10054;
inline constexpr int32_t kSockNotConnected = 10057;
inline constexpr int32_t kSockShutdown = 10058;
inline constexpr int32_t kSockTimedOut = 10060;
inline constexpr int32_t kSockConnectionRefused = 10061;
inline constexpr int32_t kSockHostUnreachable = 10065;
inline constexpr int32_t kSockHostNotFound = 11001;
inline constexpr int32_t kSockNoData = 11004;

// An IPv4 address as its four bytes in network order (a.b.c.d).
struct Ipv4Address {
    uint8_t octets[4] = {};
    bool operator==(const Ipv4Address&) const = default;
};

// State of an operation that may finish later.
enum class Progress : uint8_t {
    Pending,      // started; poll again
    Done,         // finished successfully
    Failed,       // finished with an error code
    Unavailable,  // could not be started this way (the caller falls back)
};

enum class SocketOption : uint8_t { ReceiveBuffer, SendBuffer, NoDelay, OobInline, KeepAlive };

// How received bytes announce themselves.
enum class NotifyResult : uint8_t {
    Registered,  // the platform posts a notice; the layer receives when told
    Failed,      // registration failed (error code in LastError)
    Polled,      // no notices on this platform: the layer receives itself
};

// One TCP connection to the host, as the connection layer needs it. All calls
// return at once; waiting is the caller's business (a dialog's message loop,
// or Wait below). Failures leave the code in LastError.
class Transport {
  public:
    virtual ~Transport() = default;

    // Loads the socket library; false when it is missing or unusable.
    virtual bool Startup() = 0;
    virtual void Shutdown() = 0;
    virtual int32_t LastError() = 0;

    [[nodiscard]] virtual bool Open() = 0;  // a new stream socket
    virtual bool Bind(uint16_t localPort) = 0;
    virtual void Close() = 0;

    // Name lookup. StartLookup may finish at once (Done/Failed), run on
    // (Pending, then PollLookup) or be Unavailable, after which the caller
    // uses the blocking LookupNow.
    virtual Progress StartLookup(std::string_view name, Ipv4Address& address, int32_t& error) = 0;
    virtual Progress PollLookup(Ipv4Address& address, int32_t& error) = 0;
    virtual Progress LookupNow(std::string_view name, Ipv4Address& address, int32_t& error) = 0;

    virtual Progress StartConnect(const Ipv4Address& address, uint16_t port, int32_t& error) = 0;
    virtual Progress PollConnect(int32_t& error) = 0;
    // Drops pending lookups and connection notices (the user cancelled).
    virtual void CancelPending() = 0;

    // Byte counts, or -1 with the code in LastError; Receive gives 0 when the
    // host has closed the connection.
    virtual int32_t Send(const uint8_t* bytes, int32_t count) = 0;
    virtual int32_t Receive(uint8_t* bytes, int32_t count) = 0;
    virtual int32_t Peek(uint8_t* bytes, int32_t count) = 0;
    // Bytes readable now, or -1.
    virtual int32_t BytesAvailable() = 0;
    // 1 when a read would not block, 0 when not, -1 on error.
    virtual int Readable() = 0;

    virtual bool SetNonBlocking() = 0;
    virtual bool SetOption(SocketOption option, int32_t value) = 0;
    virtual bool GetOption(SocketOption option, int32_t& value) = 0;
    virtual bool LocalAddress(Ipv4Address& address, uint16_t& port) = 0;
    // Reverse lookup of an address; false when it has no name.
    virtual bool NameOf(const Ipv4Address& address, std::string& name) = 0;

    // Asks for notices of received data (and of urgent data, and of the
    // close); done once per connection and window by the platform.
    virtual NotifyResult EnsureNotifications(bool urgent, bool close) = 0;
    virtual void ForgetNotifications() = 0;

    // Blocks up to milliseconds or until the socket has news; used only by
    // loops that have no message pump of their own.
    virtual void Wait(int32_t milliseconds) = 0;
    // Blocks up to milliseconds or until the socket can take more bytes; a
    // send that would block waits here instead of trying again at once.
    virtual void WaitWritable(int32_t milliseconds) = 0;
};

}  // namespace platform
