#include <algorithm>
#include <vector>

#include "connections/connection_layer.h"
#include "connections/ssh/ssh_glue.h"

namespace connections {

namespace {

constexpr uint32_t kSendTimeoutMs = 5000;
constexpr uint32_t kRepollMs = 1000;
constexpr int32_t kRoomWaitMs = 20;

bool Passed(uint32_t now, uint32_t deadline) {
    return static_cast<int32_t>(now - deadline) >= 0;
}

bool IsDisconnectCode(uint32_t code) {
    return code == platform::kSockConnectionAborted || code == platform::kSockConnectionReset ||
           code == platform::kSockNotConnected || code == platform::kSockShutdown;
}

}  // namespace

bool ConnectionLayer::CommSendBuffer(const uint8_t* bytes, int32_t count) {
    const uint8_t m = Method();
    platform::Transport* t = TransportOf(m);
    if (t == nullptr || CommState[m] != kStateOpen || count < 0) return false;
    const uint32_t deadline = Now() + kSendTimeoutMs;
    const uint32_t connection = closedCount_;
    std::vector<uint8_t> encrypted;
    if (EncryptOutputHook != nullptr) {
        encrypted.assign(bytes, bytes + count);
        EncryptOutputHook(encrypted.data(), count);
        bytes = encrypted.data();
    }
    int32_t sent = 0;
    for (;;) {
        const int32_t result = t->Send(bytes + sent, count - sent);
        if (result >= 0 && sent + result >= count) return true;
        if (Passed(Now(), deadline)) {
            host_->CommErrorBox("Timeout on Send", 0);
            return false;
        }
        if (result < 0) {
            if (t->LastError() != platform::kSockWouldBlock) {
                SocketErrorCheck();
                return false;
            }
        } else {
            sent += result;
        }
        // The host's output keeps flowing while ours waits for room.
        if (m != kMethodSsh) CommReceive(ReceiveMode);
        // A receive may have closed the connection under us, or even opened
        // a new one.
        if (CommState[m] != kStateOpen || closedCount_ != connection) return false;
        // The socket took less than all: wait for room rather than asking it
        // again at once, but briefly, so that received bytes are still taken.
        const int32_t left = static_cast<int32_t>(deadline - Now());
        t->WaitWritable(std::clamp(left, 0, kRoomWaitMs));
    }
}

bool ConnectionLayer::CommSecurityReady() {
    const TelnetSettings& ts = settings.telnet;
    if (IsTelnet() && ts.SrpAuthMode == 2 && security_->SrpLastReply() != 2) {
        host_->LangMessageBoxShort("SRP authentication failed");
        return false;
    }
    if (IsTelnet() && ts.SrpEncryptMode == 2) {
        if (EncryptInputHook == nullptr || EncryptOutputHook == nullptr) {
            host_->LangMessageBoxShort("Encryption failed");
            return false;
        }
    }
    SecurityChecked = true;
    return true;
}

// Telnet escaping of a block: IAC is doubled and a CR gets its NUL.
bool ConnectionLayer::SendTelnetEscaped(const uint8_t* bytes, int32_t count) {
    int32_t pos = 0;
    while (pos < count) {
        int32_t stop = pos;
        while (stop < count && bytes[stop] != telnet::kIAC && bytes[stop] != 13) ++stop;
        if (stop == count) return CommSendBuffer(bytes + pos, count - pos);
        if (!CommSendBuffer(bytes + pos, stop - pos + 1)) return false;
        const uint8_t extra = bytes[stop] == telnet::kIAC ? telnet::kIAC : 0;
        if (!CommSendBuffer(&extra, 1)) return false;
        pos = stop + 1;
    }
    return true;
}

bool ConnectionLayer::CommSendByte(uint8_t b) {
    if (!CommIsOpen()) return false;
    if (!SecurityChecked && !CommSecurityReady()) return false;
    const uint8_t m = Method();
    if (m == kMethodTelnet && (b == 13 || b == telnet::kIAC)) {
        const uint8_t pair[2] = {b, uint8_t(b == 13 ? 0 : telnet::kIAC)};
        return CommSendBuffer(pair, 2);
    }
    if (m == kMethodSsh) return ssh_->SendData(*host_, &b, 1);
    return CommSendBuffer(&b, 1);
}

bool ConnectionLayer::CommSendString(std::string_view text) {
    if (!CommIsOpen()) return false;
    if (!SecurityChecked && !CommSecurityReady()) return false;
    text = text.substr(0, 255);
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const int32_t n = static_cast<int32_t>(text.size());
    const uint8_t m = Method();
    const bool hasIac = text.find(char(telnet::kIAC)) != std::string_view::npos;
    if (m == kMethodTelnet && hasIac) return CommSendBlock(bytes, n);
    if (m == kMethodSsh) return ssh_->SendData(*host_, bytes, n);
    if (m == kMethodTelnet && n > 0 && bytes[n - 1] == 13) {
        // Only a final CR is completed with its NUL.
        uint8_t withNul[256];
        std::copy(bytes, bytes + n, withNul);
        withNul[n] = 0;
        return CommSendBuffer(withNul, n + 1);
    }
    return CommSendBuffer(bytes, n);
}

bool ConnectionLayer::CommSendBlock(const uint8_t* bytes, int32_t count) {
    if (!CommIsOpen()) return false;
    if (!SecurityChecked && !CommSecurityReady()) return false;
    const uint8_t m = Method();
    if (m == kMethodSsh) return ssh_->SendData(*host_, bytes, count);
    if (m == kMethodTelnet) return SendTelnetEscaped(bytes, count);
    if (settings.AsciiCharDelay != 0) {
        for (int32_t i = 0; i < count; ++i) {
            if (!CommSendBuffer(bytes + i, 1)) return false;
            host_->FineDelay(settings.AsciiCharDelay);
        }
        return true;
    }
    return CommSendBuffer(bytes, count);
}

uint32_t ConnectionLayer::CommPoll() {
    const uint32_t onEntry = CommLastError;
    if (CommVerbose) host_->CommDebugFlush();
    const uint8_t m = Method();
    if (IsSocketMethod(m) && IsDisconnectCode(CommLastError)) {
        // Handled once: the code must not bring the same handling back on
        // every later poll.
        CommLastError = 0;
        Disconnected(false);
        return onEntry;
    }
    const uint32_t errors = CommLastError;
    CommLastError = 0;
    const uint32_t now = Now();
    if (Passed(now, nextRepoll_)) {
        // Also finds a host that closed the connection: its receive gives 0.
        const int32_t before = ring.write;
        CommReceive(0);
        if (ring.write != before) CommLastError = 0;
        nextRepoll_ = now + kRepollMs;
    }
    if (m == kMethodTelnet && settings.KeepAliveSeconds > 0 && CommIsOpen() &&
        Passed(now, nextKeepAlive_)) {
        const uint8_t nop[2] = {telnet::kIAC, telnet::kNOP};
        CommSendBuffer(nop, 2);
        const int32_t seconds = std::min(settings.KeepAliveSeconds, 2000000);
        nextKeepAlive_ = now + uint32_t(seconds) * 1000u;
    }
    const bool serialLine = m == kMethodSerial || m == kMethodModem;
    if (m == kMethodSerial && (errors & 2) != 0 && OverrunWarningPending) {
        host_->LangMessageBox(409);
        OverrunWarningPending = false;
    }
    if (errors != 0 && settings.StatusLine) {
        std::vector<StatusWord> words;
        if (serialLine && errors < 32) {
            if (errors & 2) words.push_back({10, 404, {}});
            if (errors & 4) words.push_back({20, 405, {}});
            if (errors & 8) words.push_back({30, 406, {}});
            if ((errors & 16) && host_->MonitorMode()) words.push_back({0, 407, {}});
        } else {
            words.push_back({10, 408, std::to_string(errors).substr(0, 6)});
        }
        if (!words.empty()) host_->WriteLineErrors(words);
    }
    return onEntry;
}

void ConnectionLayer::CommSendBreak() {
    if (IsTelnet() && CommIsOpen()) {
        const uint8_t brk[2] = {telnet::kIAC, telnet::kBREAK};
        if (!CommSendBuffer(brk, 2)) CommLastError = kReplyNotSent;
    }
}

void ConnectionLayer::CommBreakCancel() {
    CommSendBreak();
    host_->ResetTypingState();
}

bool ConnectionLayer::CommFlowKeysLocal() const {
    const uint8_t m = Method();
    return m == kMethodNone || m == 3;
}

void ConnectionLayer::CommDropped(uint8_t reason) {
    CommState[Method()] = kStateUnavailable;
    host_->UpdateWindowTitle();
    if (reason == 1 && settings.ReconnectMode == 0) host_->SetExitCode(4);
}

void ConnectionLayer::TelnetSendWindowSize(int32_t columns, int32_t rows) {
    if (!CommIsOpen()) return;
    switch (Method()) {
        case kMethodSsh:
            ssh_->WindowSize(*host_, columns, rows);
            break;
        case kMethodTelnet:
            telnet.SendNaws(columns, rows);
            break;
        case kMethodRlogin:
            if (settings.telnet.SendWindowSize) host_->RloginSendWindowSize(columns, rows);
            break;
        default:
            break;
    }
}

}  // namespace connections
