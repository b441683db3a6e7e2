#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "connections/connection_host.h"
#include "connections/receive_ring.h"
#include "connections/span_search.h"
#include "connections/telnet_protocol.h"
#include "connections/transport.h"

namespace connections {

namespace ssh {
class SshGlue;
}

// `CommMethod` values.
inline constexpr uint8_t kMethodNone = 0;
inline constexpr uint8_t kMethodSerial = 1;
inline constexpr uint8_t kMethodTelnet = 2;
inline constexpr uint8_t kMethodPicLan = 4;
inline constexpr uint8_t kMethodRlogin = 5;
inline constexpr uint8_t kMethodModem = 6;
inline constexpr uint8_t kMethodSsh = 7;

// `CommState` values.
inline constexpr uint8_t kStateNotLoaded = 0;
inline constexpr uint8_t kStateClosed = 1;
inline constexpr uint8_t kStateOpening = 2;
inline constexpr uint8_t kStateOpen = 3;
inline constexpr uint8_t kStateUnavailable = 4;

// `CommError` codes used here (the text of code n is message 12000 + n).
inline constexpr uint8_t kCommOk = 0;
inline constexpr uint8_t kCommNoLibrary = 6;
inline constexpr uint8_t kCommUnknownHost = 8;
inline constexpr uint8_t kCommNoSocket = 7;
inline constexpr uint8_t kCommIoctlFailed = 10;
inline constexpr uint8_t kCommWinsockError = 17;
inline constexpr uint8_t kCommSshLoginFailed = 31;
inline constexpr uint8_t kCommSshUnavailable = 32;
// The settings require Telnet authentication or encryption, which this
// program cannot carry out.
inline constexpr uint8_t kCommTelnetSecurityUnavailable = 33;
inline constexpr uint16_t kMessageCommErrorBase = 12000;

// A Telnet reply that failed to go out.
inline constexpr uint32_t kReplyNotSent = 12001;

// The SSH fields of the settings.
struct SshSettings {
    uint16_t SshVersion = 2;
    uint8_t SshCompression = 0;
    uint16_t SshCipher = 3;
    uint8_t SshSha1Key16 = 0;
    uint8_t BackspaceChar = 8;
};

// The settings fields the layer reads.
struct ConnectionSettings {
    uint8_t CommMethod = kMethodTelnet;
    uint8_t ReconnectMode = 0;
    std::string HostName;
    std::string SocksHost;
    std::string UserName;
    bool SocketKeepAlive = false;
    int32_t KeepAliveSeconds = 0;
    uint16_t AsciiCharDelay = 0;
    bool StatusLine = true;
    TelnetSettings telnet;
    SshSettings ssh;
};

using OutputHook = void (*)(uint8_t* bytes, int32_t count);

// The connection layer: one connection chosen by `CommMethod`, the receive
// ring and its readers, the send path, the periodic check and the handling of
// a dropped connection. Reading and sending work only in state 3 (open).
class ConnectionLayer : private TelnetLink {
  public:
    ConnectionLayer();
    ~ConnectionLayer();
    ConnectionLayer(const ConnectionLayer&) = delete;
    ConnectionLayer& operator=(const ConnectionLayer&) = delete;

    // The socket transport, the neighbours and the Telnet security options;
    // null pointers leave the defaults (no sockets, silent neighbours).
    void Attach(platform::Transport* sockets, ConnectionHost* host, TelnetSecurity* security);
    // Back to the state at program start (attachments stay).
    void Reset();
    // The Telnet security options attached (null when none).
    TelnetSecurity* Security() const { return security_; }
    // The socket transport attached (null when none).
    platform::Transport* Sockets() const { return sockets_; }
    // The SSH side of the connection (its engine and session output).
    ssh::SshGlue& Ssh() { return *ssh_; }

    ConnectionSettings settings;
    ReceiveRing ring;
    TelnetProtocol telnet;

    uint8_t CommState[8] = {};
    uint32_t CommLastError = 0;
    int32_t WinsockErrorNumber = 0;
    uint8_t ReceiveMode = 0;
    bool MoreDataPending = false;
    bool InputGuard = false;
    bool CommVerbose = false;
    bool SecurityChecked = false;
    bool OverrunWarningPending = true;
    std::string ConnectedHostName;
    std::string LocalIpAddress;
    InputHook EncryptInputHook = nullptr;
    OutputHook EncryptOutputHook = nullptr;

    // Opening and closing.
    uint8_t CommOpen(uint8_t flag);
    void CommClose();
    void CommShutdown();
    bool CommIsOpen() const;
    std::u16string CommErrorText(uint8_t code);
    void CommConnectionLost();
    uint8_t SocketOpen(uint8_t flag);
    std::string GetLocalHostName();

    // Receiving and reading. The readers return kNoByte when nothing waits.
    void CommReceive(uint8_t mode);
    void CommPollReceive() { CommReceive(ReceiveMode); }
    bool CommInputReady(int32_t n);
    int CommReadChar(bool strip8, bool skipNul);
    int32_t CommReadRun(uint8_t* dest, int32_t max, uint8_t lo, uint8_t hi);
    int32_t CommBytesWaiting();
    void CommFlushInput();
    int CommGetByte();
    int CommPeekByte();
    // Steps the read index back over data bytes just read (see ReceiveRing).
    bool CommUnreadBytes(int32_t n);

    // The bytes at the head of the ring, at most max, that CommInputReady(0)
    // and CommReadChar(strip8, skipNul) would hand out one by one with no
    // other effect than delivering them (bit 7 is the reader's to strip),
    // while each byte ANDed with mask lies in lo..hi; with takeStopper the
    // first byte outside the range is included and ends the span. Empty
    // whenever the head needs the byte reader: a Telnet command or one being
    // collected, a NUL that skipNul drops, a decode hook, verbose logging. On
    // Telnet the span ends with the first CR, whose NUL the taking settles.
    // stopped tells that the span ended at (or with) a plain byte outside the
    // range, not at the end of what waits, at max, or at a byte for the byte
    // reader. The first unchecked bytes are not held to the range.
    int32_t PlainDataSpan(bool skipNul, int32_t max, uint8_t mask, uint8_t lo, uint8_t hi,
                          bool takeStopper, const uint8_t*& bytes, bool& stopped,
                          int32_t unchecked = 0) {
        stopped = false;
        if (InputGuard || CommVerbose || EncryptInputHook != nullptr || ring.Empty()) return 0;
        const bool tel = IsTelnet();
        if (tel && (crPending_ || telnet.Collecting())) return 0;
        const int32_t count = std::min(ring.ContiguousWaiting(), max);
        const uint8_t* head = ring.storage + ring.read;
        const SpanRule rule{mask, lo, hi, takeStopper, unchecked};
        const int32_t n = tel ? (skipNul ? ScanPlain<true, true>(head, count, rule, stopped)
                                         : ScanPlain<true, false>(head, count, rule, stopped))
                              : (skipNul ? ScanPlain<false, true>(head, count, rule, stopped)
                                         : ScanPlain<false, false>(head, count, rule, stopped));
        bytes = head;
        return n;
    }
    // Where the waiting plain data starts, how many bytes lie contiguously
    // from there and the ring's flush count, without looking at the bytes: a
    // reader holding bytes it peeked earlier checks with it that they are
    // still the head, unchanged. 0 when PlainDataSpan would hand out nothing
    // whatever the bytes.
    int32_t PlainDataHead(const uint8_t*& bytes, uint32_t& flushes) const {
        if (InputGuard || CommVerbose || EncryptInputHook != nullptr || ring.Empty()) return 0;
        if (IsTelnet() && (crPending_ || telnet.Collecting())) return 0;
        bytes = ring.storage + ring.read;
        flushes = ring.flushes;
        return ring.ContiguousWaiting();
    }
    struct SpanRule {
        uint8_t mask;
        uint8_t lo;
        uint8_t hi;
        bool takeStopper;
        int32_t unchecked;
    };
    // The plain span's length over count waiting bytes (see PlainDataSpan).
    template <bool kTelnet, bool kSkipNul>
    static int32_t ScanPlain(const uint8_t* head, int32_t count, const SpanRule& rule,
                             bool& stopped) {
        int32_t n = 0;
        // The first bytes are handed out whatever their value; past them, the
        // byte loop below decides at the first byte that may stop the span.
        const int32_t firstChecked = std::clamp<int32_t>(rule.unchecked, 0, count);
        for (; n < firstChecked; ++n) {
            const uint8_t b = head[n];
            if ((kTelnet && (b == telnet::kIAC || b == 13)) || (kSkipNul && b == 0)) break;
        }
        if (n == firstChecked)
            n = FirstSpanStop<kTelnet, kSkipNul>(head, n, count, rule.mask, rule.lo, rule.hi);
        while (n < count) {
            const uint8_t b = head[n];
            if ((kTelnet && b == telnet::kIAC) || (kSkipNul && b == 0)) break;
            const uint8_t m = b & rule.mask;
            if ((m < rule.lo || m > rule.hi) && n >= rule.unchecked) {
                stopped = true;
                if (rule.takeStopper) ++n;
                break;
            }
            ++n;
            if (kTelnet && b == 13) break;
        }
        return n;
    }
    // Takes the first n bytes of the plain span as delivered data.
    void TakePlainData(int32_t n) {
        ring.read = (ring.read + n) & ReceiveRing::kMask;
        ring.decodedAhead = std::max(0, ring.decodedAhead - n);
        ring.NoteDelivered(n);
        if (n > 0 && IsTelnet() && ring.storage[(ring.read - 1) & ReceiveRing::kMask] == 13) {
            // Telnet sends a bare CR as CR NUL; the NUL is not data.
            if (ring.Empty()) {
                crPending_ = true;
            } else if (ring.PeekByte(EncryptInputHook) == 0) {
                TakeInput();
            }
        }
    }
    // CommInputReady(n) when its answer needs no receive and no Telnet
    // processing: true when it is certainly true, false when the full call
    // must decide.
    bool PlainInputReady(int32_t n) const {
        if (InputGuard || ring.Count() <= n) return false;
        if (!IsTelnet()) return true;
        if (crPending_ || telnet.Collecting()) return false;
        return (EncryptInputHook == nullptr || ring.decodedAhead > 0) &&
               ring.storage[ring.read] != telnet::kIAC;
    }

    // Sending and the periodic check.
    bool CommSendBuffer(const uint8_t* bytes, int32_t count);
    bool CommSendByte(uint8_t b);
    bool CommSendString(std::string_view text);
    bool CommSendBlock(const uint8_t* bytes, int32_t count);
    bool CommSecurityReady();
    uint32_t CommPoll();
    void CommSendBreak();
    void CommBreakCancel();
    bool CommFlowKeysLocal() const;
    void CommDropped(uint8_t reason);

    // The console's size changed (columns, rows without the status line).
    void TelnetSendWindowSize(int32_t columns, int32_t rows);

  private:
    // A settings file can hold any byte here; unknown methods have no handlers.
    uint8_t Method() const { return settings.CommMethod < 8 ? settings.CommMethod : kMethodNone; }
    bool IsTelnet() const { return Method() == kMethodTelnet; }
    static bool IsSocketMethod(uint8_t m);
    platform::Transport* TransportOf(uint8_t m) const;
    void CommSelectMethod();
    void CommCloseMethod(uint8_t m);
    void SocketErrorCheck();
    void Disconnected(bool throughCommOpen);
    bool TelnetPeekCommands();
    void DropPendingNul();
    bool SendTelnetEscaped(const uint8_t* bytes, int32_t count);
    void LogSocketOptions();
    void SendRloginConnectionString();
    uint32_t Now() { return host_->Milliseconds(); }

    // TelnetLink
    void ReceiveMore() override { CommReceive(ReceiveMode); }
    bool InputEmpty() override { return ring.Empty(); }
    uint8_t PeekInput() override { return ring.PeekByte(EncryptInputHook); }
    void TakeInput() override;
    bool SendRaw(const uint8_t* bytes, int32_t count) override {
        return CommSendBuffer(bytes, count);
    }
    void ReplyFailed() override { CommLastError = kReplyNotSent; }
    void LogSent(std::string_view text) override { host_->CommLogSent(text); }
    void LogReceived(std::string_view text) override { host_->CommLogReceived(text); }
    void ConsoleSize(int32_t& columns, int32_t& rows) override {
        host_->ConsoleSize(columns, rows);
    }
    std::string ExpandVariables(std::string_view text) override {
        return host_->ExpandVariables(text);
    }
    void StopAutoLogin() override { host_->StopAutoLogin(); }
    void SetFullDuplex(bool on) override { host_->SetFullDuplex(on); }
    void RefreshTitle() override { host_->UpdateWindowTitle(); }

    platform::Transport* sockets_ = nullptr;
    ConnectionHost* host_ = nullptr;
    std::unique_ptr<ssh::SshGlue> ssh_;
    TelnetSecurity* security_ = nullptr;
    bool notifyRegistered_ = false;
    // Set while a socket open sends its first bytes: no receive may run then,
    // so a host that drops at once cannot start a nested reconnect.
    bool opening_ = false;
    // Set while a flush finishes a command begun before it.
    bool flushing_ = false;
    // A CR was delivered as the last byte waiting; a NUL arriving next
    // belongs to it.
    bool crPending_ = false;
    // The drop of this connection was reported (ReconnectMode 0).
    bool dropHandled_ = false;
    // Counts closed connections, so that a send cut by a reconnect stops
    // instead of going on over the new connection.
    uint32_t closedCount_ = 0;
    uint32_t nextRepoll_ = 0;
    uint32_t nextKeepAlive_ = 0;
};

// The one connection of the program.
extern ConnectionLayer connectionLayer;

}  // namespace connections
