#include "connections/connect_sequence.h"

#include "connections/socks4.h"

namespace connections {

using platform::Ipv4Address;
using platform::Progress;

namespace {

bool Passed(uint32_t now, uint32_t deadline) {
    return static_cast<int32_t>(now - deadline) >= 0;
}

std::string Num(int64_t value) {
    return std::to_string(value);
}

}  // namespace

HostAndPort SplitHostPort(std::string_view text, uint16_t defaultPort) {
    HostAndPort result{std::string(text.substr(0, text.find(':'))), defaultPort};
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) return result;
    uint32_t port = 0;
    size_t i = colon + 1;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && port <= 65535; ++i) {
        port = port * 10 + uint32_t(text[i] - '0');
        digits = true;
    }
    if (digits && port >= 1 && port <= 65535) result.port = uint16_t(port);
    return result;
}

bool ParseDottedAddress(std::string_view text, Ipv4Address& address) {
    Ipv4Address parsed;
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != '.') return false;
            ++p;
        }
        unsigned value = 0;
        const char* start = p;
        while (p != end && *p >= '0' && *p <= '9' && p - start < 3)
            value = value * 10 + unsigned(*p++ - '0');
        if (p == start || value > 255) return false;
        parsed.octets[i] = uint8_t(value);
    }
    if (p != end) return false;
    address = parsed;
    return true;
}

std::string FormatAddress(const Ipv4Address& a) {
    return Num(a.octets[0]) + "." + Num(a.octets[1]) + "." + Num(a.octets[2]) + "." +
           Num(a.octets[3]);
}

uint8_t ConnectErrorToCommError(uint32_t lastError, int32_t& winsockErrorNumber) {
    switch (lastError) {
        case kConnectSocksTimeout:
        case platform::kSockTimedOut:
            return 11;
        case kConnectResolveFailed:
            return 12;
        case kConnectCancelled:
            return 13;
        case kConnectSocksRefused:
            return 14;
        case kConnectSocksMalformed:
            return 15;
        case platform::kSockConnectionRefused:
            return 16;
        case platform::kSockHostNotFound:
        case platform::kSockNoData:
            return 8;
        default:
            break;
    }
    if (lastError >= 10000) {
        winsockErrorNumber = static_cast<int32_t>(lastError);
        return 17;
    }
    return 8;
}

ConnectSequence::ConnectSequence(platform::Transport& transport, ConnectionHost& host,
                                 ConnectTarget target)
    : transport_(transport), host_(host), target_(std::move(target)) {
    status_ = u"Connecting...";
}

const std::string& ConnectSequence::CurrentName() const {
    return lookingUpSocks_ ? target_.socks.name : target_.host.name;
}

void ConnectSequence::Show(uint16_t messageId, std::string_view name) {
    status_ = host_.GetMessageText(messageId);
    for (char ch : name) status_ += char16_t(uint8_t(ch));
}

Progress ConnectSequence::Poll(uint32_t now) {
    // Each pass either moves to a later step or waits, so this ends.
    for (;;) {
        switch (step_) {
            case Step::ResolveHost:
                lookingUpSocks_ = false;
                StartResolve();
                break;
            case Step::ResolveSocks:
                lookingUpSocks_ = true;
                StartResolve();
                break;
            case Step::WaitHostLookup:
            case Step::WaitSocksLookup: {
                Ipv4Address address;
                int32_t error = 0;
                const Progress r = transport_.PollLookup(address, error);
                if (r == Progress::Pending) return Progress::Pending;
                LookupResult(r, address, error);
                break;
            }
            case Step::ConnectHost:
            case Step::ConnectSocks:
                StartConnect();
                break;
            case Step::WaitConnect: {
                int32_t error = 0;
                const Progress r = transport_.PollConnect(error);
                if (r == Progress::Pending) return Progress::Pending;
                if (r == Progress::Done) {
                    Connected();
                } else {
                    host_.CommDebugLog("Select error: " + Num(error));
                    Fail(uint32_t(error));
                }
                break;
            }
            case Step::SendSocks:
                SendSocksRequest(now);
                break;
            case Step::WaitSocksReply:
                if (!Passed(now, nextSocksPoll_)) return Progress::Pending;
                nextSocksPoll_ = now + kSocksPollMs;
                PollSocksReply(now);
                if (step_ == Step::WaitSocksReply) return Progress::Pending;
                break;
            case Step::Done:
                return Progress::Done;
            case Step::Failed:
                return Progress::Failed;
        }
    }
}

void ConnectSequence::Cancel() {
    if (step_ == Step::Done || step_ == Step::Failed) return;
    transport_.CancelPending();
    host_.CommDebugLog("USER CANCEL");
    Fail(kConnectCancelled);
}

void ConnectSequence::StartResolve() {
    const std::string& name = CurrentName();
    Ipv4Address address;
    const bool dotted = ParseDottedAddress(name, address);
    host_.CommDebugLog("inet_addr gives " + (dotted ? FormatAddress(address) : "255.255.255.255"));
    if (dotted) {
        Resolved(address);
        return;
    }
    Show(kMessageResolving, name);
    int32_t error = 0;
    const Progress r = transport_.StartLookup(name, address, error);
    if (r == Progress::Pending) {
        step_ = lookingUpSocks_ ? Step::WaitSocksLookup : Step::WaitHostLookup;
    } else if (r == Progress::Unavailable) {
        host_.CommDebugLog("WSAAsyncGetHostByName: " + Num(transport_.LastError()));
        LookupBlocking();
    } else {
        LookupResult(r, address, error);
    }
}

void ConnectSequence::LookupResult(Progress result, const Ipv4Address& address, int32_t error) {
    if (result != Progress::Done) {
        host_.CommDebugLog("WSAAsyncGetHostByName (GOT_RESOLVE): " + Num(error));
        Fail(uint32_t(error));
    } else if (address == Ipv4Address{}) {
        host_.CommDebugLog("Invalid IP returned by WSAAsyncGetHostByName");
        LookupBlocking();
    } else {
        host_.CommDebugLog("WSAAsyncgethostbyname gives " + FormatAddress(address));
        Resolved(address);
    }
}

void ConnectSequence::LookupBlocking() {
    Ipv4Address address;
    int32_t error = 0;
    if (transport_.LookupNow(CurrentName(), address, error) == Progress::Done &&
        address != Ipv4Address{}) {
        host_.CommDebugLog("gethostbyname gives " + FormatAddress(address));
        Resolved(address);
    } else {
        host_.CommDebugLog("GetHostByName: " + Num(error));
        Fail(uint32_t(error));
    }
}

void ConnectSequence::Resolved(const Ipv4Address& address) {
    if (lookingUpSocks_) {
        socksAddress_ = address;
        step_ = Step::ConnectSocks;
    } else {
        hostAddress_ = address;
        // The request carries the host's address, so the host is looked up
        // here even when a SOCKS server makes the connection.
        step_ = target_.socks.name.empty() ? Step::ConnectHost : Step::ResolveSocks;
    }
}

void ConnectSequence::StartConnect() {
    connectingSocks_ = step_ == Step::ConnectSocks;
    const HostAndPort& to = connectingSocks_ ? target_.socks : target_.host;
    Show(kMessageConnectingTo, to.name);
    host_.CommDebugLog(to.name + ":" + Num(to.port));
    int32_t error = 0;
    Progress r =
        transport_.StartConnect(connectingSocks_ ? socksAddress_ : hostAddress_, to.port, error);
    if (r == Progress::Failed && target_.rlogin && error == platform::kSockAddressInUse) {
        if (!Rebind(error)) return;
        r = transport_.StartConnect(connectingSocks_ ? socksAddress_ : hostAddress_, to.port,
                                    error);
    }
    ConnectStarted(r, error);
}

// Rlogin: a new socket bound to the next lower local port, until one is free.
bool ConnectSequence::Rebind(int32_t& error) {
    while (target_.localPort > 1) {
        transport_.CancelPending();
        transport_.Close();
        if (!transport_.Open()) break;
        --target_.localPort;
        if (transport_.Bind(target_.localPort)) return true;
    }
    error = transport_.LastError();
    host_.CommDebugLog("re-bind: " + Num(error));
    Fail(uint32_t(error));
    return false;
}

void ConnectSequence::ConnectStarted(Progress result, int32_t error) {
    if (result == Progress::Pending) {
        step_ = Step::WaitConnect;
    } else if (result == Progress::Done) {
        Connected();
    } else {
        host_.CommDebugLog("connect: " + Num(error));
        transport_.CancelPending();
        Fail(uint32_t(error));
    }
}

void ConnectSequence::Connected() {
    step_ = connectingSocks_ ? Step::SendSocks : Step::Done;
}

void ConnectSequence::SendSocksRequest(uint32_t now) {
    Show(kMessageConnectingTo, target_.host.name);
    const auto request = BuildSocks4Request(target_.host.port, hostAddress_);
    socksSent_ = true;
    // A request that cannot go out fails now rather than after the reply wait.
    if (transport_.Send(request.data(), int32_t(request.size())) != int32_t(request.size())) {
        const int32_t error = transport_.LastError();
        host_.CommDebugLog("send error: " + Num(error));
        Fail(uint32_t(error));
        return;
    }
    socksDeadline_ = now + target_.socksReplyWaitMs;
    nextSocksPoll_ = now + kSocksPollMs;
    step_ = Step::WaitSocksReply;
}

void ConnectSequence::PollSocksReply(uint32_t now) {
    uint8_t reply[kSocksReplyLength];
    const int32_t n = transport_.Peek(reply, kSocksReplyLength);
    if (n < 0) {
        const int32_t error = transport_.LastError();
        if (error != platform::kSockWouldBlock) {
            host_.CommDebugLog("recv error: " + Num(error));
            Fail(uint32_t(error));
            return;
        }
    } else {
        const SocksReply parsed = ParseSocks4Reply(reply, n);
        if (parsed.kind == SocksReplyKind::Granted) {
            const int32_t taken = transport_.Receive(reply, kSocksReplyLength);
            if (ParseSocks4Reply(reply, taken).kind == SocksReplyKind::Granted) {
                step_ = Step::Done;
            } else {
                host_.CommDebugLog("recv error: i=" + Num(taken));
                Fail(kConnectSocksMalformed);
            }
            return;
        }
        if (parsed.kind == SocksReplyKind::Refused) {
            host_.CommDebugLog("SOCKS server refused: " + Num(parsed.code));
            Fail(kConnectSocksRefused);
            return;
        }
        // A short reply, or the server closing the connection without one.
        host_.CommDebugLog("recv error: i=" + Num(n));
        Fail(kConnectSocksMalformed);
        return;
    }
    if (Passed(now, socksDeadline_)) {
        status_ = u"\rSOCKS timeout";
        host_.CommDebugLog("\rSOCKS timeout");
        Fail(kConnectSocksTimeout);
    }
}

void ConnectSequence::Fail(uint32_t code) {
    lastError_ = code;
    step_ = Step::Failed;
}

bool RunConnectSequence(ConnectSequence& sequence, platform::Transport& transport,
                        ConnectionHost& host) {
    for (;;) {
        const Progress r = sequence.Poll(host.Milliseconds());
        if (r != Progress::Pending) return r == Progress::Done;
        transport.Wait(10);
    }
}

}  // namespace connections
