#include "connections/connection_layer.h"

#include <algorithm>

#include "connections/ssh/ssh_glue.h"

namespace connections {

ConnectionLayer connectionLayer;

namespace {

ConnectionHost silentHost;
TelnetSecurity noSecurity;

std::string Num(int64_t value) {
    return std::to_string(value);
}

}  // namespace

ConnectionLayer::ConnectionLayer() : ssh_(std::make_unique<ssh::SshGlue>(*this)) {
    Attach(nullptr, nullptr, nullptr);
}

ConnectionLayer::~ConnectionLayer() = default;

void ConnectionLayer::Attach(platform::Transport* sockets, ConnectionHost* host,
                             TelnetSecurity* security) {
    sockets_ = sockets;
    host_ = host != nullptr ? host : &silentHost;
    security_ = security != nullptr ? security : &noSecurity;
    telnet.Attach(this, &settings.telnet, security_);
}

void ConnectionLayer::Reset() {
    settings = ConnectionSettings{};
    ring.Reset();
    telnet.Reset();
    std::fill(std::begin(CommState), std::end(CommState), kStateNotLoaded);
    CommLastError = 0;
    WinsockErrorNumber = 0;
    ReceiveMode = 0;
    MoreDataPending = InputGuard = CommVerbose = SecurityChecked = false;
    OverrunWarningPending = true;
    ConnectedHostName.clear();
    LocalIpAddress.clear();
    EncryptInputHook = nullptr;
    EncryptOutputHook = nullptr;
    notifyRegistered_ = opening_ = flushing_ = crPending_ = dropHandled_ = false;
    nextRepoll_ = nextKeepAlive_ = 0;
    closedCount_ = 0;
}

bool ConnectionLayer::IsSocketMethod(uint8_t m) {
    return m == kMethodTelnet || m == kMethodRlogin || m == kMethodSsh;
}

platform::Transport* ConnectionLayer::TransportOf(uint8_t m) const {
    return IsSocketMethod(m) ? sockets_ : nullptr;
}

bool ConnectionLayer::CommIsOpen() const {
    return CommState[Method()] == kStateOpen;
}

void ConnectionLayer::CommSelectMethod() {
    const uint8_t m = Method();
    if (IsSocketMethod(m) && CommState[m] == kStateNotLoaded) {
        const uint8_t state =
            sockets_ != nullptr && sockets_->Startup() ? kStateClosed : kStateUnavailable;
        CommState[kMethodTelnet] = CommState[kMethodRlogin] = CommState[kMethodSsh] = state;
    }
}

uint8_t ConnectionLayer::CommOpen(uint8_t flag) {
    CommSelectMethod();
    LocalIpAddress.clear();
    const uint8_t m = Method();
    // Only the socket methods have an opener here; the others fail without
    // side effects.
    if (!IsSocketMethod(m)) return kCommNoLibrary;
    // What cannot be carried out is refused before any socket opens, with
    // its own reason.
    if (flag != 0 && m == kMethodSsh && !host_->SshAvailable()) return kCommSshUnavailable;
    const TelnetSettings& ts = settings.telnet;
    if (flag != 0 && m == kMethodTelnet && (ts.SrpAuthMode == 2 || ts.SrpEncryptMode == 2) &&
        !security_->Available()) {
        return kCommTelnetSecurityUnavailable;
    }
    const uint8_t result = SocketOpen(flag);
    if (result == kCommOk && m == kMethodSsh && flag != 0 && !ssh_->Connect(*host_)) {
        CommClose();
        CommState[m] = kStateClosed;
        host_->UpdateWindowTitle();
        return kCommSshLoginFailed;
    }
    return result;
}

void ConnectionLayer::CommCloseMethod(uint8_t m) {
    if (CommState[m] != kStateOpen) return;
    if (platform::Transport* t = TransportOf(m)) {
        t->Close();
        t->ForgetNotifications();
        notifyRegistered_ = false;
        security_->SrpClientClose();
    }
    CommState[m] = kStateClosed;
    ++closedCount_;
}

void ConnectionLayer::CommClose() {
    CommCloseMethod(Method());
}

void ConnectionLayer::CommShutdown() {
    CommClose();
    if (sockets_ != nullptr && CommState[kMethodTelnet] != kStateNotLoaded) {
        if (CommState[kMethodTelnet] != kStateUnavailable) sockets_->Shutdown();
        CommState[kMethodTelnet] = CommState[kMethodRlogin] = CommState[kMethodSsh] =
            kStateNotLoaded;
    }
}

std::u16string ConnectionLayer::CommErrorText(uint8_t code) {
    if (code == kCommOk) return {};
    std::u16string text = host_->GetMessageText(uint16_t(kMessageCommErrorBase + code));
    if (code == kCommWinsockError) {
        for (char ch : Num(WinsockErrorNumber)) text += char16_t(ch);
    }
    return text;
}

void ConnectionLayer::CommConnectionLost() {
    if (sockets_ != nullptr) sockets_->ForgetNotifications();
    notifyRegistered_ = false;
    host_->UpdateWindowTitle();
    if (settings.ReconnectMode == 0) host_->SetExitCode(4);
}

// The read-error hook of the socket methods: a would-block is no error.
void ConnectionLayer::SocketErrorCheck() {
    const int32_t error = sockets_ != nullptr ? sockets_->LastError() : 0;
    if (error == 0 || error == platform::kSockWouldBlock) return;
    host_->CommErrorBox(Num(error), 1);
    CommLastError = uint32_t(error);
}

void ConnectionLayer::Disconnected(bool throughCommOpen) {
    switch (settings.ReconnectMode) {
        case 1: {
            CommClose();
            CommState[Method()] = kStateClosed;
            const uint8_t result = throughCommOpen ? CommOpen(1) : SocketOpen(1);
            if (result == kCommOk) host_->StartAutoLogin();
            break;
        }
        case 2:
            CommClose();
            CommState[Method()] = kStateClosed;
            host_->UpdateWindowTitle();
            break;
        default:
            // The connection stays as it is until the program ends; the
            // receives that still find it gone must not report it again.
            if (!dropHandled_) host_->SetExitCode(4);
            dropHandled_ = true;
            break;
    }
}

void ConnectionLayer::CommReceive(uint8_t mode) {
    const uint8_t m = Method();
    platform::Transport* t = TransportOf(m);
    if (CommState[m] != kStateOpen || opening_ || flushing_ || t == nullptr) return;
    MoreDataPending = false;
    const int32_t room = ring.WriteRoom();
    if (m == kMethodSsh) {
        // The session's output, decrypted by the SSH side.
        if (room == 0) {
            MoreDataPending = true;
            return;
        }
        bool closed = false;
        const int32_t count = ssh_->Receive(*host_, ring.WritePointer(), room, closed);
        if (count > 0) {
            ring.CommitWrite(count);
            host_->DataArrived();
        } else if (count < 0) {
            SocketErrorCheck();
        }
        if (closed) {
            host_->CommDebugLog("ssh_recv returned socket_closed, Error = " + Num(t->LastError()));
            Disconnected(true);
        } else if (ssh_->Pending() > 0) {
            MoreDataPending = true;
        }
        return;
    }
    if (mode == 2) {
        if (t->Readable() <= 0) return;
    } else if (mode == 1) {
        const int32_t available = t->BytesAvailable();
        if (available < 0) {
            host_->CommErrorBox("ioctlsocket: " + Num(t->LastError()), 1);
            Disconnected(false);
            return;
        }
        if (available == 0) return;
    }
    if (room == 0) {
        MoreDataPending = true;
        return;
    }
    // When the free space runs round the end of the storage, one receive
    // fills both parts through a buffer: a receive is a costly system call,
    // a copy of a few kilobytes is not.
    const int32_t free = ReceiveRing::kCapacity - ring.Count();
    uint8_t wrapped[ReceiveRing::kSize];
    const bool split = room < free;
    const int32_t count = split ? t->Receive(wrapped, free) : t->Receive(ring.WritePointer(), room);
    if (count < 0) {
        SocketErrorCheck();
    } else if (count == 0) {
        host_->CommDebugLog("WINSOCK recv returned 0, Error = " + Num(t->LastError()));
        Disconnected(true);
    } else {
        if (split) {
            ring.Append(wrapped, std::min(count, free));
        } else {
            ring.CommitWrite(count);
        }
        host_->DataArrived();
    }
}

void ConnectionLayer::TakeInput() {
    ring.GetByte(EncryptInputHook);
    ring.NoteConsumed();
}

// A CR whose NUL had not arrived when the CR was read: the NUL is dropped
// when it comes, so it never reaches a reader as data.
void ConnectionLayer::DropPendingNul() {
    if (!crPending_ || ring.Empty()) return;
    crPending_ = false;
    if (ring.PeekByte(EncryptInputHook) == 0) TakeInput();
}

// Runs the Telnet processor over commands at the head without taking a
// doubled 255; true when a literal 255 data byte is ready.
bool ConnectionLayer::TelnetPeekCommands() {
    DropPendingNul();
    while (!ring.Empty() &&
           (ring.PeekByte(EncryptInputHook) == telnet::kIAC || telnet.Collecting())) {
        if (telnet.TelnetProcessIac(false)) return true;
    }
    return false;
}

bool ConnectionLayer::CommInputReady(int32_t n) {
    if (InputGuard) return false;
    InputGuard = true;
    const bool result = [&] {
        const bool tel = IsTelnet();
        if (tel && TelnetPeekCommands()) return true;
        if (!ring.Empty() && !(tel && telnet.Collecting()) && ring.Count() > n) return true;
        const uint8_t m = Method();
        if (IsSocketMethod(m) && sockets_ != nullptr) {
            if (CommState[m] == kStateOpen && !notifyRegistered_) {
                switch (sockets_->EnsureNotifications(m == kMethodRlogin, CommVerbose)) {
                    case platform::NotifyResult::Registered:
                        CommLastError = 0;
                        notifyRegistered_ = true;
                        break;
                    case platform::NotifyResult::Failed: {
                        const int32_t error = sockets_->LastError();
                        CommLastError = uint32_t(error);
                        if (CommVerbose) host_->CommErrorBox("WSAAsyncSelect: " + Num(error), 1);
                        CommState[m] = kStateOpening;
                        break;
                    }
                    case platform::NotifyResult::Polled:
                        CommReceive(ReceiveMode);
                        break;
                }
            } else if (CommState[m] == kStateOpen) {
                // A reader that finds too few bytes in the ring takes what the
                // socket already holds instead of waiting a message-loop turn
                // for the notice, which then finds nothing and costs nothing.
                // Bytes the transport took off the socket ahead of the ring
                // bring no further notice at all, so only this fetches them.
                CommReceive(ReceiveMode);
            }
        } else {
            CommReceive(ReceiveMode);
        }
        if (MoreDataPending) CommReceive(ReceiveMode);
        if (tel) {
            if (TelnetPeekCommands()) return true;
            if (telnet.Collecting()) return false;
        }
        return ring.Count() > n;
    }();
    InputGuard = false;
    return result;
}

int ConnectionLayer::CommReadChar(bool strip8, bool skipNul) {
    if (CommVerbose) host_->CommDebugFlush();
    if (ring.Empty()) CommReceive(ReceiveMode);
    const bool tel = IsTelnet();
    for (;;) {
        if (tel) {
            DropPendingNul();
            while (!ring.Empty() &&
                   (ring.PeekByte(EncryptInputHook) == telnet::kIAC || telnet.Collecting())) {
                if (telnet.TelnetProcessIac(true)) return strip8 ? 0x7F : 0xFF;
            }
            if (telnet.Collecting()) return kNoByte;
        }
        if (ring.Empty()) return kNoByte;
        const uint8_t b = ring.GetByte(EncryptInputHook);
        if (b == 0 && skipNul) {
            ring.NoteConsumed();
            continue;
        }
        ring.NoteDelivered();
        if (tel && b == 13) {
            // Telnet sends a bare CR as CR NUL; the NUL is not data.
            if (ring.Empty()) {
                crPending_ = true;
            } else if (ring.PeekByte(EncryptInputHook) == 0) {
                TakeInput();
            }
        }
        return strip8 ? (b & 0x7F) : b;
    }
}

int32_t ConnectionLayer::CommReadRun(uint8_t* dest, int32_t max, uint8_t lo, uint8_t hi) {
    if (CommVerbose) host_->CommDebugFlush();
    CommInputReady(max);
    const bool tel = IsTelnet();
    if (tel) {
        if (telnet.Collecting()) return 0;
        DropPendingNul();
    }
    const int32_t count =
        std::min(std::clamp(max, 0, ReceiveRing::kCapacity), ring.ContiguousWaiting());
    int32_t copied = 0;
    // On Telnet a run also stops at IAC and CR, which only the byte reader
    // may take, so that commands and CR NUL never pass as data.
    auto inRun = [&](uint8_t b) {
        return b >= lo && b <= hi && !(tel && (b == telnet::kIAC || b == 13));
    };
    if (EncryptInputHook != nullptr) {
        while (copied < count) {
            const uint8_t b = ring.PeekByte(EncryptInputHook);
            if (!inRun(b)) break;
            dest[copied++] = ring.GetByte(EncryptInputHook);
        }
    } else {
        const uint8_t* src = ring.storage + ring.read;
        while (copied < count && inRun(src[copied])) {
            dest[copied] = src[copied];
            ++copied;
        }
        ring.read = (ring.read + copied) & ReceiveRing::kMask;
        ring.decodedAhead = std::max(0, ring.decodedAhead - copied);
    }
    ring.NoteDelivered(copied);
    return copied;
}

int32_t ConnectionLayer::CommBytesWaiting() {
    CommReceive(ReceiveMode);
    return ring.Count();
}

void ConnectionLayer::CommFlushInput() {
    if (IsTelnet() && telnet.Collecting()) {
        // A command begun before the flush is finished from the bytes that
        // wait, so that the data after the flush is not taken for its rest.
        // Nothing is received meanwhile: only what waited is dropped.
        flushing_ = true;
        while (telnet.Collecting() && !ring.Empty()) telnet.TelnetProcessIac(true);
        flushing_ = false;
    }
    ring.Flush();
    crPending_ = false;
}

bool ConnectionLayer::CommUnreadBytes(int32_t n) {
    if (!ring.UnreadBytes(n)) return false;
    // A CR read again will decide about its NUL again.
    if (n > 0) crPending_ = false;
    return true;
}

int ConnectionLayer::CommGetByte() {
    if (ring.Empty()) return kNoByte;
    const uint8_t b = ring.GetByte(EncryptInputHook);
    ring.NoteDelivered();
    return b;
}

int ConnectionLayer::CommPeekByte() {
    return ring.Empty() ? kNoByte : ring.PeekByte(EncryptInputHook);
}

}  // namespace connections
