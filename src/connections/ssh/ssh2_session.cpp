// SSH-2 packets after the version exchange: the key-exchange messages to the
// transport, the rest to the login and the one session channel.
#include <openssl/crypto.h>

#include <algorithm>

#include "connections/ssh/ssh_engine.h"

namespace connections::ssh {

namespace {

constexpr uint32_t kLocalChannel = 100;
constexpr uint32_t kLocalWindow = 32768;
constexpr uint32_t kLocalMaxPacket = 16384;
constexpr size_t kUserNameMax = 100;

// The terminal modes of the pseudo-terminal request: opcode and 32-bit value.
constexpr uint8_t kPtyModes[][2] = {{70, 1}, {72, 1}, {51, 1}, {36, 1}, {53, 1}, {30, 1},
                                    {38, 1}, {50, 1}, {55, 1}, {59, 1}, {91, 1}, {92, 0},
                                    {33, 0}, {37, 0}, {52, 0}, {54, 0}, {56, 0}, {57, 0},
                                    {71, 0}, {73, 0}, {74, 0}, {75, 0}};

}  // namespace

void SshEngine::Ssh2Packet(uint8_t type, WireReader& r) {
    if (type == 1) {
        uint32_t reason = 0;
        std::string text;
        r.Uint32(reason);
        r.String(text);
        services_.Log("Received disconnect message");
        if (!text.empty()) services_.Log("Server: " + text);
        if (state_ != kSshClosed) {
            state_ = kSshClosed;
            fatal_ = "Server sent disconnect: " + text;
        }
        return;
    }
    if (kex_ != Kex::kDone) {
        if (kex_ == Kex::kWaitServerInit && type == 20) {
            ServerKexInit(r.Here() - 1, r.Remaining() + 1);
        } else if (kex_ == Kex::kWaitReply && type == 31) {
            KexReply(r);
        } else if (kex_ == Kex::kWaitNewKeys && type == 21) {
            NewKeys();
        } else {
            Fatal(kex_ == Kex::kWaitNewKeys ? "expected new-keys packet from server"
                                            : "expected key exchange packet from server");
        }
        return;
    }
    if (type == 20) {
        // The server starts a key re-exchange; keystrokes wait until it ends.
        SendKexInit();
        if (state_ != kSshClosed) ServerKexInit(r.Here() - 1, r.Remaining() + 1);
        return;
    }
    Ssh2Conn(type, r);
}

void SshEngine::SendUserAuth() {
    std::string user = services_.UserName();
    if (user.size() > kUserNameMax) user.resize(kUserNameMax);
    std::string password;
    if (user.empty() || !services_.Password(password)) {
        OPENSSL_cleanse(password.data(), password.size());
        state_ = kSshClosed;
        fatal_ = "Login cancelled";
        return;
    }
    auto& p = Start2(50);
    WireWriter w(p);
    w.String(user);
    w.String("ssh-connection");
    w.String("password");
    w.Bool(false);
    w.String(password);
    OPENSSL_cleanse(password.data(), password.size());
    Send2();
    conn_ = Conn::kWaitAuthResult;
}

void SshEngine::SendChannelRequest(std::string_view name, bool wantReply) {
    auto& p = Start2(98);
    WireWriter w(p);
    w.Uint32(remoteChannel_);
    w.String(name);
    w.Bool(wantReply);
}

void SshEngine::Ssh2Conn(uint8_t type, WireReader& r) {
    if (type == 80) {
        // A global request (host keys, keep-alive): none is supported, and
        // the server gets its failure reply when it asked for one.
        std::string name;
        bool wantReply = false;
        r.String(name);
        r.Bool(wantReply);
        if (wantReply) {
            Start2(82);
            Send2();
        }
        return;
    }
    if (type == 93 && conn_ >= Conn::kWaitPty) {
        uint32_t channel = 0, add = 0;
        if (r.Uint32(channel) && r.Uint32(add) && channel == kLocalChannel) {
            remoteWindow_ =
                uint32_t(std::min<uint64_t>(uint64_t(remoteWindow_) + add, 0xFFFFFFFFu));
            if (conn_ == Conn::kSession) FlushHeld();
        }
        return;
    }
    switch (conn_) {
        case Conn::kNotStarted:
            break;
        case Conn::kWaitServiceAccept:
            if (type != 6) {
                Fatal("Server refused user authentication protocol, packet type " +
                      std::to_string(type));
                return;
            }
            SendUserAuth();
            return;
        case Conn::kWaitAuthResult: {
            if (type != 52) {
                const char denied[] = "Access denied\r\n";
                services_.Output(reinterpret_cast<const uint8_t*>(denied), sizeof denied - 1);
                services_.Log("Authentication refused");
                SendUserAuth();
                return;
            }
            services_.Log("Authentication successful");
            auto& p = Start2(90);
            WireWriter w(p);
            w.String("session");
            w.Uint32(kLocalChannel);
            w.Uint32(kLocalWindow);
            w.Uint32(kLocalMaxPacket);
            Send2();
            conn_ = Conn::kWaitOpen;
            return;
        }
        case Conn::kWaitOpen: {
            uint32_t recipient = 0;
            if (type != 91) {
                Fatal("Server refused to open a session");
                return;
            }
            if (!r.Uint32(recipient) || recipient != kLocalChannel) {
                Fatal("Server's channel confirmation cited wrong channel");
                return;
            }
            r.Uint32(remoteChannel_);
            r.Uint32(remoteWindow_);
            r.Uint32(remoteMaxPacket_);
            services_.Log("Opened channel for session");
            SendChannelRequest("pty-req", true);
            WireWriter w(out_);
            w.String(services_.TermName());
            w.Uint32(uint32_t(services_.Columns()));
            w.Uint32(uint32_t(services_.Rows()));
            w.Uint32(0);
            w.Uint32(0);
            std::vector<uint8_t> modes;
            WireWriter m(modes);
            for (const auto& mode : kPtyModes) {
                m.Byte(mode[0]);
                m.Uint32(mode[1]);
            }
            m.Byte(0);
            w.String(modes.data(), modes.size());
            Send2();
            if (state_ != kSshClosed) state_ = kSshPtyRequested;
            conn_ = Conn::kWaitPty;
            return;
        }
        case Conn::kWaitPty:
            if (type == 99) {
                services_.Log("Allocated pty");
            } else if (type == 100) {
                const char refused[] = "Server refused to allocate pty\r\n";
                services_.Output(reinterpret_cast<const uint8_t*>(refused), sizeof refused - 1);
            } else {
                Fatal("Server got confused by pty request");
                return;
            }
            for (const auto& [name, value] : config_.environment) {
                SendChannelRequest("env", false);
                WireWriter w(out_);
                w.String(name);
                w.String(value);
                Send2();
            }
            SendChannelRequest("shell", true);
            Send2();
            conn_ = Conn::kWaitShell;
            return;
        case Conn::kWaitShell:
            if (type == 99) {
                services_.Log("Started a shell/command");
            } else if (type == 100) {
                Fatal("Server refused to start a shell/command");
                return;
            } else {
                Fatal("Server got confused by shell/command request");
                return;
            }
            if (state_ != kSshClosed) state_ = kSshSessionStarted;
            conn_ = Conn::kSession;
            FlushHeld();
            return;
        case Conn::kSession:
            switch (type) {
                case 94:
                case 95: {
                    uint32_t channel = 0, dataType = 1;
                    const uint8_t* data = nullptr;
                    size_t length = 0;
                    if (!r.Uint32(channel) || (type == 95 && !r.Uint32(dataType)) ||
                        !r.String(data, length)) {
                        Fatal("Bad channel data packet");
                        return;
                    }
                    if (channel != kLocalChannel || dataType != 1) return;
                    services_.Output(data, length);
                    // The window offered stays at its first size.
                    auto& p = Start2(93);
                    WireWriter w(p);
                    w.Uint32(remoteChannel_);
                    w.Uint32(uint32_t(length));
                    Send2();
                    return;
                }
                case 98: {
                    uint32_t channel = 0;
                    std::string name;
                    bool wantReply = false;
                    r.Uint32(channel);
                    r.String(name);
                    r.Bool(wantReply);
                    if (wantReply) {
                        auto& p = Start2(100);
                        WireWriter(p).Uint32(remoteChannel_);
                        Send2();
                    }
                    return;
                }
                case 96:
                case 99:
                case 100:
                    return;
                case 97: {
                    uint32_t channel = 0;
                    r.Uint32(channel);
                    if (channel != kLocalChannel) return;
                    auto& c = Start2(97);
                    WireWriter(c).Uint32(remoteChannel_);
                    Send2();
                    services_.Log("All channels closed. Disconnecting");
                    auto& d = Start2(1);
                    WireWriter w(d);
                    w.Uint32(11);
                    w.String("All open channels closed");
                    w.String("");
                    Send2();
                    if (state_ != kSshClosed) {
                        state_ = kSshClosed;
                        fatal_ = "Session ended";
                    }
                    return;
                }
                default:
                    break;
            }
            break;
        default:
            break;
    }
    Fatal("Strange packet received: type " + std::to_string(type));
}

void SshEngine::FlushHeld() {
    if (version_ != 2 || conn_ != Conn::kSession || kex_ != Kex::kDone) return;
    while (!held_.empty() && remoteWindow_ > 0 && state_ != kSshClosed) {
        const size_t n = std::min<size_t>({held_.size(), remoteWindow_, remoteMaxPacket_});
        if (n == 0) break;
        auto& p = Start2(94);
        WireWriter w(p);
        w.Uint32(remoteChannel_);
        w.String(held_.data(), n);
        if (!Send2Checked()) return;
        remoteWindow_ -= uint32_t(n);
        held_.erase(held_.begin(), held_.begin() + ptrdiff_t(n));
    }
}

void SshEngine::SendData(const uint8_t* data, size_t length) {
    if (state_ == kSshClosed || length == 0) return;
    if (version_ == 1) {
        while (length > 0 && state_ != kSshClosed) {
            const size_t n = std::min<size_t>(length, 512);
            std::vector<uint8_t> body;
            WireWriter(body).String(data, n);
            Send1(16, body);
            data += n;
            length -= n;
        }
        return;
    }
    held_.insert(held_.end(), data, data + length);
    FlushHeld();
}

void SshEngine::WindowSize(int32_t columns, int32_t rows) {
    if (state_ != kSshSessionStarted) return;
    if (version_ == 1) {
        std::vector<uint8_t> body;
        WireWriter w(body);
        w.Uint32(uint32_t(rows));
        w.Uint32(uint32_t(columns));
        w.Uint32(0);
        w.Uint32(0);
        Send1(11, body);
        return;
    }
    if (kex_ != Kex::kDone) return;
    SendChannelRequest("window-change", false);
    WireWriter w(out_);
    w.Uint32(uint32_t(columns));
    w.Uint32(uint32_t(rows));
    w.Uint32(0);
    w.Uint32(0);
    Send2();
}

void SshEngine::SendEnv(std::string_view name, std::string_view value) {
    if (version_ != 2 || state_ != kSshSessionStarted || kex_ != Kex::kDone) return;
    SendChannelRequest("env", false);
    WireWriter w(out_);
    w.String(name);
    w.String(value);
    Send2();
}

}  // namespace connections::ssh
