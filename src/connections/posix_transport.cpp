#ifndef _WIN32

#include "connections/posix_transport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace connections {

using platform::Ipv4Address;
using platform::Progress;

int32_t SocketErrorFromErrno(int error) {
    switch (error) {
        case 0:
            return 0;
        case EWOULDBLOCK:
            return platform::kSockWouldBlock;
        case EINPROGRESS:
            return 10036;
        case EALREADY:
            return 10037;
        case EBADF:
            return 10009;
        case EINVAL:
            return platform::kSockInvalidArgument;
        case EADDRINUSE:
            return platform::kSockAddressInUse;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETUNREACH:
            return platform::kSockNetworkUnreachable;
        case ECONNABORTED:
            return platform::kSockConnectionAborted;
        case ECONNRESET:
            return platform::kSockConnectionReset;
        case ENOTCONN:
            return platform::kSockNotConnected;
        case EPIPE:
            return platform::kSockShutdown;
        case ETIMEDOUT:
            return platform::kSockTimedOut;
        case ECONNREFUSED:
            return platform::kSockConnectionRefused;
        case EHOSTUNREACH:
            return platform::kSockHostUnreachable;
        case EACCES:
            return 10013;
        default:
            return 10000 + error;
    }
}

PosixTransport::~PosixTransport() {
    Close();
}

int32_t PosixTransport::Fail() {
    lastError_ = SocketErrorFromErrno(errno);
    return -1;
}

bool PosixTransport::Open() {
    Close();
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return Fail(), false;
    return true;
}

bool PosixTransport::Bind(uint16_t localPort) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(localPort);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) return Fail(), false;
    return true;
}

void PosixTransport::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    connecting_ = false;
}

Progress PosixTransport::StartLookup(std::string_view name, Ipv4Address& address, int32_t& error) {
    return LookupNow(name, address, error);
}

Progress PosixTransport::PollLookup(Ipv4Address& address, int32_t& error) {
    error = platform::kSockNoData;
    return Progress::Failed;
}

Progress PosixTransport::LookupNow(std::string_view name, Ipv4Address& address, int32_t& error) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(std::string(name).c_str(), nullptr, &hints, &found);
    if (rc != 0 || found == nullptr) {
        error = rc == EAI_NONAME ? platform::kSockHostNotFound : platform::kSockNoData;
        lastError_ = error;
        return Progress::Failed;
    }
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    std::memcpy(address.octets, &in->sin_addr, 4);
    ::freeaddrinfo(found);
    return Progress::Done;
}

Progress PosixTransport::StartConnect(const Ipv4Address& address, uint16_t port, int32_t& error) {
    if (!SetNonBlocking()) {
        error = lastError_;
        return Progress::Failed;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    std::memcpy(&to.sin_addr, address.octets, 4);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return Progress::Done;
    if (errno == EINPROGRESS) {
        connecting_ = true;
        return Progress::Pending;
    }
    Fail();
    error = lastError_;
    return Progress::Failed;
}

Progress PosixTransport::PollConnect(int32_t& error) {
    if (!connecting_) {
        error = platform::kSockNotConnected;
        return Progress::Failed;
    }
    pollfd p{fd_, POLLOUT, 0};
    if (::poll(&p, 1, 0) == 0) return Progress::Pending;
    connecting_ = false;
    int soError = 0;
    socklen_t len = sizeof soError;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) soError = errno;
    if (soError == 0) return Progress::Done;
    error = lastError_ = SocketErrorFromErrno(soError);
    return Progress::Failed;
}

int32_t PosixTransport::Send(const uint8_t* bytes, int32_t count) {
    const ssize_t n = ::send(fd_, bytes, size_t(count), MSG_NOSIGNAL);
    return n < 0 ? Fail() : int32_t(n);
}

int32_t PosixTransport::Receive(uint8_t* bytes, int32_t count) {
    const ssize_t n = ::recv(fd_, bytes, size_t(count), 0);
    return n < 0 ? Fail() : int32_t(n);
}

int32_t PosixTransport::Peek(uint8_t* bytes, int32_t count) {
    const ssize_t n = ::recv(fd_, bytes, size_t(count), MSG_PEEK);
    return n < 0 ? Fail() : int32_t(n);
}

int32_t PosixTransport::BytesAvailable() {
    int available = 0;
    if (::ioctl(fd_, FIONREAD, &available) != 0) return Fail();
    return available;
}

int PosixTransport::Readable() {
    pollfd p{fd_, POLLIN, 0};
    const int rc = ::poll(&p, 1, 0);
    if (rc < 0) return Fail();
    return rc > 0 ? 1 : 0;
}

bool PosixTransport::SetNonBlocking() {
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) != 0) return Fail(), false;
    return true;
}

namespace {

void OptionLevel(platform::SocketOption option, int& level, int& name) {
    switch (option) {
        case platform::SocketOption::ReceiveBuffer:
            level = SOL_SOCKET, name = SO_RCVBUF;
            break;
        case platform::SocketOption::SendBuffer:
            level = SOL_SOCKET, name = SO_SNDBUF;
            break;
        case platform::SocketOption::NoDelay:
            level = IPPROTO_TCP, name = TCP_NODELAY;
            break;
        case platform::SocketOption::OobInline:
            level = SOL_SOCKET, name = SO_OOBINLINE;
            break;
        case platform::SocketOption::KeepAlive:
            level = SOL_SOCKET, name = SO_KEEPALIVE;
            break;
    }
}

}  // namespace

bool PosixTransport::SetOption(platform::SocketOption option, int32_t value) {
    int level = 0, name = 0;
    OptionLevel(option, level, name);
    const int v = value;
    if (::setsockopt(fd_, level, name, &v, sizeof v) != 0) return Fail(), false;
    return true;
}

bool PosixTransport::GetOption(platform::SocketOption option, int32_t& value) {
    int level = 0, name = 0;
    OptionLevel(option, level, name);
    int v = 0;
    socklen_t len = sizeof v;
    if (::getsockopt(fd_, level, name, &v, &len) != 0) return Fail(), false;
    value = v;
    return true;
}

bool PosixTransport::LocalAddress(Ipv4Address& address, uint16_t& port) {
    sockaddr_in local{};
    socklen_t len = sizeof local;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &len) != 0) return Fail(), false;
    std::memcpy(address.octets, &local.sin_addr, 4);
    port = ntohs(local.sin_port);
    return true;
}

bool PosixTransport::NameOf(const Ipv4Address& address, std::string& name) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    std::memcpy(&a.sin_addr, address.octets, 4);
    char host[NI_MAXHOST];
    if (::getnameinfo(reinterpret_cast<sockaddr*>(&a), sizeof a, host, sizeof host, nullptr, 0,
                      NI_NAMEREQD) != 0) {
        return false;
    }
    name = host;
    return true;
}

void PosixTransport::Wait(int32_t milliseconds) {
    if (fd_ < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    pollfd p{fd_, short(connecting_ ? POLLOUT : POLLIN), 0};
    ::poll(&p, 1, milliseconds);
}

void PosixTransport::WaitWritable(int32_t milliseconds) {
    if (fd_ < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    pollfd p{fd_, POLLOUT, 0};
    ::poll(&p, 1, milliseconds);
}

}  // namespace connections

#endif
