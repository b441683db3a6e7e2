#include "connections/win32/winsock_transport.h"

#include <algorithm>
#include <cstring>

#include "connections/comm_interface.h"
#include "connections/win32/socket_notify.h"

namespace connections {

WinsockTransport winsockTransport;

using platform::Ipv4Address;
using platform::Progress;

namespace {

bool FirstAddress(const hostent* entry, Ipv4Address& address) {
    if (entry == nullptr || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr ||
        entry->h_length < 4) {
        address = {};
        return false;
    }
    std::memcpy(address.octets, entry->h_addr_list[0], 4);
    return true;
}

bool OptionName(platform::SocketOption option, int& level, int& name) {
    level = SOL_SOCKET;
    switch (option) {
        case platform::SocketOption::ReceiveBuffer:
            name = SO_RCVBUF;
            return true;
        case platform::SocketOption::SendBuffer:
            name = SO_SNDBUF;
            return true;
        case platform::SocketOption::NoDelay:
            level = IPPROTO_TCP;
            name = TCP_NODELAY;
            return true;
        case platform::SocketOption::OobInline:
            name = SO_OOBINLINE;
            return true;
        case platform::SocketOption::KeepAlive:
            name = SO_KEEPALIVE;
            return true;
    }
    return false;
}

}  // namespace

bool HandleSocketNotify(UINT message, WPARAM, LPARAM) {
    if (message != WM_SOCKETNOTIFY) return false;
    CommPollReceive();
    return true;
}

WinsockTransport::~WinsockTransport() {
    Close();
    Shutdown();
}

int32_t WinsockTransport::Fail() {
    lastError_ = WSAGetLastError();
    return -1;
}

void WinsockTransport::SetNotifyWindow(HWND window) {
    notifyWindow_ = window;
}

void WinsockTransport::SetDialogWindow(HWND window) {
    dialogWindow_ = window;
}

bool WinsockTransport::Startup() {
    if (started_) return true;
    WSADATA data{};
    const int r = WSAStartup(MAKEWORD(1, 1), &data);
    if (r != 0) {
        lastError_ = r;
        return false;
    }
    // Only version 1.1 is what the layer was made for.
    if (data.wVersion != MAKEWORD(1, 1)) {
        WSACleanup();
        return false;
    }
    started_ = true;
    return true;
}

void WinsockTransport::Shutdown() {
    if (!started_) return;
    CancelLookup();
    WSACleanup();
    started_ = false;
}

bool WinsockTransport::Open() {
    Close();
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket_ == INVALID_SOCKET) {
        Fail();
        return false;
    }
    return true;
}

bool WinsockTransport::Bind(uint16_t localPort) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(localPort);
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return Fail(), false;
    return true;
}

void WinsockTransport::Close() {
    CancelLookup();
    if (socket_ != INVALID_SOCKET) ::closesocket(socket_);
    socket_ = INVALID_SOCKET;
    stagedAt_ = stagedEnd_ = 0;
    registeredWindow_ = nullptr;
    connecting_ = false;
    connectState_ = Progress::Unavailable;
}

void WinsockTransport::CancelLookup() {
    if (lookupTask_ != nullptr) WSACancelAsyncRequest(lookupTask_);
    lookupTask_ = nullptr;
}

Progress WinsockTransport::StartLookup(std::string_view name, Ipv4Address&, int32_t&) {
    if (dialogWindow_ == nullptr) return Progress::Unavailable;
    CancelLookup();
    const std::string text(name);
    lookupState_ = Progress::Pending;
    lookupTask_ = WSAAsyncGetHostByName(dialogWindow_, WM_LOOKUPDONE, text.c_str(), lookupBuffer_,
                                        sizeof lookupBuffer_);
    if (lookupTask_ == nullptr) {
        Fail();
        lookupState_ = Progress::Unavailable;
        return Progress::Unavailable;
    }
    return Progress::Pending;
}

void WinsockTransport::LookupFinished(LPARAM lParam) {
    if (lookupTask_ == nullptr) return;  // cancelled meanwhile
    lookupTask_ = nullptr;
    lookupError_ = WSAGETASYNCERROR(lParam);
    lookupState_ = lookupError_ == 0 ? Progress::Done : Progress::Failed;
}

Progress WinsockTransport::PollLookup(Ipv4Address& address, int32_t& error) {
    if (lookupState_ == Progress::Done) {
        FirstAddress(reinterpret_cast<const hostent*>(lookupBuffer_), address);
    } else if (lookupState_ == Progress::Failed) {
        error = lastError_ = lookupError_;
    }
    return lookupState_;
}

Progress WinsockTransport::LookupNow(std::string_view name, Ipv4Address& address, int32_t& error) {
    const std::string text(name);
    const hostent* entry = ::gethostbyname(text.c_str());
    if (entry == nullptr) {
        Fail();
        error = lastError_;
        return Progress::Failed;
    }
    FirstAddress(entry, address);
    return Progress::Done;
}

Progress WinsockTransport::StartConnect(const Ipv4Address& address, uint16_t port, int32_t& error) {
    connecting_ = true;
    connectState_ = Progress::Pending;
    if (dialogWindow_ != nullptr) {
        if (WSAAsyncSelect(socket_, dialogWindow_, WM_CONNECTDONE, FD_CONNECT) != 0) Fail();
    } else {
        u_long on = 1;
        ::ioctlsocket(socket_, FIONBIO, &on);
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    std::memcpy(&to.sin_addr, address.octets, 4);
    if (::connect(socket_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
        // The event still comes for a socket under asynchronous selection.
        if (dialogWindow_ == nullptr) connectState_ = Progress::Done;
        return Progress::Pending;
    }
    if (WSAGetLastError() == WSAEWOULDBLOCK) return Progress::Pending;
    Fail();
    error = lastError_;
    connecting_ = false;
    if (dialogWindow_ != nullptr) WSAAsyncSelect(socket_, dialogWindow_, 0, 0);
    return Progress::Failed;
}

void WinsockTransport::ConnectFinished(LPARAM lParam) {
    if (!connecting_) return;
    connectError_ = WSAGETSELECTERROR(lParam);
    connectState_ = connectError_ == 0 ? Progress::Done : Progress::Failed;
}

Progress WinsockTransport::PollConnect(int32_t& error) {
    if (!connecting_) {
        error = WSAENOTCONN;
        return Progress::Failed;
    }
    if (connectState_ == Progress::Pending && dialogWindow_ == nullptr) {
        // Polled: writable means connected, an exception set means failed.
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket_, &writable);
        FD_SET(socket_, &failed);
        timeval zero{0, 0};
        if (::select(0, nullptr, &writable, &failed, &zero) > 0) {
            if (FD_ISSET(socket_, &failed)) {
                int soError = 0;
                int len = sizeof soError;
                ::getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError),
                             &len);
                connectError_ = soError != 0 ? soError : WSAECONNREFUSED;
                connectState_ = Progress::Failed;
            } else {
                connectState_ = Progress::Done;
            }
        }
    }
    if (connectState_ == Progress::Pending) return Progress::Pending;
    connecting_ = false;
    // The connect event is no longer wanted.
    if (dialogWindow_ != nullptr) WSAAsyncSelect(socket_, dialogWindow_, 0, 0);
    if (connectState_ == Progress::Failed) {
        error = lastError_ = connectError_;
        return Progress::Failed;
    }
    return Progress::Done;
}

void WinsockTransport::CancelPending() {
    CancelLookup();
    lookupState_ = Progress::Unavailable;
    if (socket_ != INVALID_SOCKET && dialogWindow_ != nullptr) {
        WSAAsyncSelect(socket_, dialogWindow_, 0, 0);
    }
    connecting_ = false;
}

int32_t WinsockTransport::Send(const uint8_t* bytes, int32_t count) {
    const int n = ::send(socket_, reinterpret_cast<const char*>(bytes), count, 0);
    return n == SOCKET_ERROR ? Fail() : n;
}

int32_t WinsockTransport::Receive(uint8_t* bytes, int32_t count) {
    if (count <= 0) return 0;
    if (Staged() == 0) {
        if (!staging_) staging_ = std::make_unique<uint8_t[]>(kStagingSize);
        const int n = ::recv(socket_, reinterpret_cast<char*>(staging_.get()), kStagingSize, 0);
        if (n == SOCKET_ERROR) return Fail();
        if (n == 0) {
            lastError_ = WSAGetLastError();
            return 0;
        }
        stagedAt_ = 0;
        stagedEnd_ = n;
    }
    const int32_t n = std::min(count, Staged());
    std::memcpy(bytes, staging_.get() + stagedAt_, size_t(n));
    stagedAt_ += n;
    if (stagedAt_ == stagedEnd_) stagedAt_ = stagedEnd_ = 0;
    return n;
}

int32_t WinsockTransport::Peek(uint8_t* bytes, int32_t count) {
    if (Staged() > 0) {
        const int32_t n = std::clamp(count, 0, Staged());
        std::memcpy(bytes, staging_.get() + stagedAt_, size_t(n));
        return n;
    }
    const int n = ::recv(socket_, reinterpret_cast<char*>(bytes), count, MSG_PEEK);
    return n == SOCKET_ERROR ? Fail() : n;
}

int32_t WinsockTransport::BytesAvailable() {
    if (Staged() > 0) return Staged();
    u_long n = 0;
    if (::ioctlsocket(socket_, FIONREAD, &n) != 0) return Fail();
    return n > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(n);
}

int WinsockTransport::Readable() {
    if (Staged() > 0) return 1;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval zero{0, 0};
    const int r = ::select(0, &readable, nullptr, nullptr, &zero);
    if (r == SOCKET_ERROR) return Fail();
    return r > 0 ? 1 : 0;
}

bool WinsockTransport::SetNonBlocking() {
    u_long on = 1;
    if (::ioctlsocket(socket_, FIONBIO, &on) != 0) return Fail(), false;
    return true;
}

bool WinsockTransport::SetOption(platform::SocketOption option, int32_t value) {
    int level = 0, name = 0;
    if (!OptionName(option, level, name)) return false;
    BOOL v = value;
    if (::setsockopt(socket_, level, name, reinterpret_cast<const char*>(&v), sizeof v) != 0)
        return Fail(), false;
    return true;
}

bool WinsockTransport::GetOption(platform::SocketOption option, int32_t& value) {
    int level = 0, name = 0;
    if (!OptionName(option, level, name)) return false;
    int v = 0;
    int len = sizeof v;
    if (::getsockopt(socket_, level, name, reinterpret_cast<char*>(&v), &len) != 0)
        return Fail(), false;
    value = v;
    return true;
}

bool WinsockTransport::LocalAddress(Ipv4Address& address, uint16_t& port) {
    sockaddr_in a{};
    int len = sizeof a;
    if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&a), &len) != 0) return Fail(), false;
    std::memcpy(address.octets, &a.sin_addr, 4);
    port = ntohs(a.sin_port);
    return true;
}

bool WinsockTransport::NameOf(const Ipv4Address& address, std::string& name) {
    const hostent* entry =
        ::gethostbyaddr(reinterpret_cast<const char*>(address.octets), 4, AF_INET);
    if (entry == nullptr || entry->h_name == nullptr) return false;
    name = entry->h_name;
    return true;
}

platform::NotifyResult WinsockTransport::EnsureNotifications(bool urgent, bool close) {
    if (notifyWindow_ == nullptr || !IsWindow(notifyWindow_)) return platform::NotifyResult::Polled;
    if (registeredWindow_ == notifyWindow_) return platform::NotifyResult::Registered;
    long events = FD_READ;
    if (urgent) events |= FD_OOB;
    if (close) events |= FD_CLOSE;
    if (WSAAsyncSelect(socket_, notifyWindow_, WM_SOCKETNOTIFY, events) != 0) {
        Fail();
        return platform::NotifyResult::Failed;
    }
    lastError_ = 0;
    registeredWindow_ = notifyWindow_;
    return platform::NotifyResult::Registered;
}

void WinsockTransport::ForgetNotifications() {
    if (registeredWindow_ != nullptr && socket_ != INVALID_SOCKET) {
        WSAAsyncSelect(socket_, registeredWindow_, 0, 0);
    }
    registeredWindow_ = nullptr;
}

void WinsockTransport::Wait(int32_t milliseconds) {
    if (Staged() > 0) return;
    if (socket_ == INVALID_SOCKET) {
        Sleep(DWORD(milliseconds > 0 ? milliseconds : 0));
        return;
    }
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval t{milliseconds / 1000, (milliseconds % 1000) * 1000};
    ::select(0, &readable, nullptr, nullptr, &t);
}

void WinsockTransport::WaitWritable(int32_t milliseconds) {
    if (socket_ == INVALID_SOCKET) {
        Sleep(DWORD(milliseconds > 0 ? milliseconds : 0));
        return;
    }
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(socket_, &writable);
    timeval t{milliseconds / 1000, (milliseconds % 1000) * 1000};
    ::select(0, nullptr, &writable, nullptr, &t);
}

}  // namespace connections
