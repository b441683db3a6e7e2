#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "connections/connection_host.h"
#include "connections/receive_ring.h"
#include "connections/telnet_protocol.h"
#include "connections/transport.h"

namespace connections {

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
inline constexpr uint16_t kMessageCommErrorBase = 12000;

// A Telnet reply that failed to go out.
inline constexpr uint32_t kReplyNotSent = 12001;

// The settings fields the layer reads.
struct ConnectionSettings {
    uint8_t CommMethod = kMethodTelnet;
    uint8_t ReconnectMode = 0;
    std::string HostName;
    std::string SocksHost;
    bool SocketKeepAlive = false;
    int32_t KeepAliveSeconds = 0;
    uint16_t AsciiCharDelay = 0;
    bool StatusLine = true;
    TelnetSettings telnet;
};

using OutputHook = void (*)(uint8_t* bytes, int32_t count);

// The connection layer: one connection chosen by `CommMethod`, the receive
// ring and its readers, the send path, the periodic check and the handling of
// a dropped connection. Reading and sending work only in state 3 (open).
class ConnectionLayer : private TelnetLink {
  public:
    ConnectionLayer();
    ConnectionLayer(const ConnectionLayer&) = delete;
    ConnectionLayer& operator=(const ConnectionLayer&) = delete;

    // The socket transport, the neighbours and the Telnet security options;
    // null pointers leave the defaults (no sockets, silent neighbours).
    void Attach(platform::Transport* sockets, ConnectionHost* host, TelnetSecurity* security);
    // Back to the state at program start (attachments stay).
    void Reset();
    // The Telnet security options attached (null when none).
    TelnetSecurity* Security() const { return security_; }

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
    uint8_t Method() const;
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
    // Counts closed connections, so that a send cut by a reconnect stops
    // instead of going on over the new connection.
    uint32_t closedCount_ = 0;
    uint32_t nextRepoll_ = 0;
    uint32_t nextKeepAlive_ = 0;
};

// The one connection of the program.
extern ConnectionLayer connectionLayer;

}  // namespace connections
