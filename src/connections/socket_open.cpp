#include <cctype>

#include "connections/connect_sequence.h"
#include "connections/connection_layer.h"

namespace connections {

namespace {

constexpr uint32_t kFirstPollMs = 1000;
constexpr uint16_t kMessageOobInline = 403;

std::string Num(int64_t value) {
    return std::to_string(value);
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t ch : text) out += ch < 0x100 ? char(ch) : '?';
    return out;
}

uint16_t DefaultPort(uint8_t method) {
    switch (method) {
        case kMethodRlogin:
            return 513;
        case kMethodSsh:
            return 22;
        default:
            return 23;
    }
}

}  // namespace

uint8_t ConnectionLayer::SocketOpen(uint8_t flag) {
    const uint8_t m = Method();
    if (sockets_ == nullptr || CommState[m] != kStateClosed) return kCommNoLibrary;
    security_->ResetSrpLastReply();
    SecurityChecked = false;
    dropHandled_ = false;
    if (flag == 0) return kCommOk;
    if (settings.HostName.empty()) return kCommUnknownHost;
    platform::Transport& t = *sockets_;
    t.ForgetNotifications();
    notifyRegistered_ = false;

    ConnectTarget target;
    target.host = SplitHostPort(settings.HostName, DefaultPort(m));
    if (!settings.SocksHost.empty()) target.socks = SplitHostPort(settings.SocksHost, 1080);
    target.rlogin = m == kMethodRlogin;

    if (!t.Open()) {
        host_->CommErrorBox("socket: " + Num(t.LastError()), 1);
        return kCommNoSocket;
    }
    CommState[m] = kStateOpening;
    if (target.rlogin) {
        // Rlogin hosts trust only privileged local ports; 0 takes any port.
        int32_t port = 1023;
        while (port > 0 && !t.Bind(uint16_t(port))) --port;
        if (port > 0) {
            host_->CommDebugLog("bind succeeded, port " + Num(port));
            target.localPort = uint16_t(port);
        } else if (t.Bind(0)) {
            host_->CommDebugLog("bind succeeded, port 0");
        } else {
            host_->CommErrorBox("bind: " + Num(t.LastError()), 1);
        }
    }

    ConnectSequence sequence(t, *host_, target);
    const bool connected = host_->RunConnect(sequence, t);
    if (!connected) {
        CommLastError = sequence.LastError();
        t.Close();
        CommState[m] = kStateClosed;
        host_->UpdateWindowTitle();
        return ConnectErrorToCommError(CommLastError, WinsockErrorNumber);
    }

    platform::Ipv4Address local;
    uint16_t localPort = 0;
    if (t.LocalAddress(local, localPort)) {
        LocalIpAddress = FormatAddress(local);
        host_->CommDebugLog("getsockname returns: " + LocalIpAddress + " port: " + Num(localPort));
    } else {
        host_->CommErrorBox("getsockname: " + Num(t.LastError()), 1);
    }
    if (!t.SetNonBlocking()) {
        SocketErrorCheck();
        // Closed again, so that the next open is not refused as "already open".
        t.Close();
        CommState[m] = kStateClosed;
        return kCommIoctlFailed;
    }

    CommState[m] = kStateOpen;
    CommLastError = 0;
    telnet.Reset();
    crPending_ = false;
    ConnectedHostName = settings.HostName;
    const bool guard = InputGuard;
    InputGuard = true;
    opening_ = true;
    security_->TelnetEncryptSupport("SRP", 0);
    if (m == kMethodRlogin) {
        SendRloginConnectionString();
        host_->RloginStart();
    } else if (m == kMethodTelnet && settings.telnet.TelnetNegotiation) {
        telnet.SendInitialOffers();
    }
    opening_ = false;
    InputGuard = guard;

    if (m != kMethodRlogin && !t.SetOption(platform::SocketOption::OobInline, 1)) {
        host_->CommErrorBox(Narrow(host_->GetMessageText(kMessageOobInline)) + Num(t.LastError()),
                            1);
    }
    LogSocketOptions();
    ReceiveMode = 1;
    t.ForgetNotifications();
    notifyRegistered_ = false;
    if (settings.SocketKeepAlive) {
        if (t.SetOption(platform::SocketOption::KeepAlive, 1)) {
            host_->CommDebugLog("SO_KEEPALIVE is set");
        } else {
            host_->CommErrorBox("setsockopt(so_keepalive) error: " + Num(t.LastError()), 1);
        }
    }
    host_->UpdateWindowTitle();
    nextRepoll_ = nextKeepAlive_ = Now() + kFirstPollMs;
    return kCommOk;
}

// The first bytes of an Rlogin connection: NUL, local user, NUL, remote user,
// NUL, terminal type/speed, NUL.
void ConnectionLayer::SendRloginConnectionString() {
    const TelnetSettings& ts = settings.telnet;
    std::string terminal = ts.TermNameList;
    if (terminal.empty()) {
        terminal = ts.TerminalType == "SCOANSI" ? "ansi" : ts.TerminalType;
        for (char& ch : terminal) ch = char(std::tolower(uint8_t(ch)));
    }
    std::string text(1, '\0');
    text += settings.UserName;
    text += '\0';
    text += host_->ExpandVariables(settings.UserName);
    text += '\0';
    text += terminal + "/9600";
    text += '\0';
    if (!CommSendBuffer(reinterpret_cast<const uint8_t*>(text.data()), int32_t(text.size())))
        host_->CommDebugLog("Rlogin connection string not sent");
}

void ConnectionLayer::LogSocketOptions() {
    struct Named {
        platform::SocketOption option;
        const char* name;
    };
    static constexpr Named kLogged[] = {{platform::SocketOption::ReceiveBuffer, "rcvbuf"},
                                        {platform::SocketOption::SendBuffer, "sndbuf"},
                                        {platform::SocketOption::NoDelay, "tcp_nodelay"},
                                        {platform::SocketOption::OobInline, "so_oobinline"}};
    for (const Named& n : kLogged) {
        int32_t value = 0;
        if (sockets_->GetOption(n.option, value)) {
            host_->CommDebugLog(std::string("getsockopt(") + n.name + "): " + Num(value));
        } else {
            host_->CommDebugLog(std::string("getsockopt(") + n.name +
                                ") error: " + Num(sockets_->LastError()));
        }
    }
}

std::string ConnectionLayer::GetLocalHostName() {
    std::string name = "N/A";
    if (!IsSocketMethod(Method()) || sockets_ == nullptr) return name;
    platform::Ipv4Address local;
    uint16_t port = 0;
    std::string found;
    if (sockets_->LocalAddress(local, port) && sockets_->NameOf(local, found)) name = found;
    return name;
}

}  // namespace connections
