#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace connections {

namespace telnet {
inline constexpr uint8_t kSE = 240;
inline constexpr uint8_t kNOP = 241;
inline constexpr uint8_t kBREAK = 243;
inline constexpr uint8_t kSB = 250;
inline constexpr uint8_t kWILL = 251;
inline constexpr uint8_t kWONT = 252;
inline constexpr uint8_t kDO = 253;
inline constexpr uint8_t kDONT = 254;
inline constexpr uint8_t kIAC = 255;

inline constexpr uint8_t kOptBinary = 0;
inline constexpr uint8_t kOptEcho = 1;
inline constexpr uint8_t kOptSga = 3;
inline constexpr uint8_t kOptTerminalType = 24;
inline constexpr uint8_t kOptNaws = 31;
inline constexpr uint8_t kOptEnviron = 36;
inline constexpr uint8_t kOptAuthentication = 37;
inline constexpr uint8_t kOptEncrypt = 38;
inline constexpr uint8_t kOptNewEnviron = 39;
}  // namespace telnet

// Debug names of options and commands, as the communication log shows them.
std::string TelnetOptionName(uint8_t option);
std::string TelnetCommandName(uint8_t command);
// The name of an ENCRYPT sub-command (below 9), else its number.
std::string TelnetEncryptCommandName(uint8_t command);

// The command being collected: IAC, the command, the option, then the
// subnegotiation data (IAC IAC inside it stored once); a finished
// subnegotiation ends with IAC SE. Count 0: nothing is being collected.
struct TelnetCollector {
    static constexpr int kCapacity = 20;
    // IAC SB option, at most this much data, IAC SE.
    static constexpr int kMaxData = kCapacity - 5;
    uint8_t count = 0;
    uint8_t bytes[kCapacity] = {};
};

// The settings the Telnet side reads.
struct TelnetSettings {
    bool TelnetNegotiation = true;
    bool SendWindowSize = true;
    bool TelnetBinary = false;
    uint8_t SrpAuthMode = 1;
    uint8_t SrpEncryptMode = 1;
    std::string TermNameList;
    char TermNameSeparator = ';';
    std::string TerminalType = "VT220";
    std::string EnvironmentText = "OZMEL=${OZM_PROGRAM}";
    // `OldScoAnsi` as last applied by the options dialog.
    bool OldScoAnsi = false;
};

// The AUTHENTICATION and ENCRYPT options plug in here; without them the
// options are negotiated as the tables say and their subnegotiations ignored.
class TelnetSecurity {
  public:
    virtual ~TelnetSecurity() = default;
    // Whether the options can be carried out; until they can, they are
    // neither offered nor accepted, so no host waits for answers that never
    // come.
    virtual bool Available() { return false; }
    virtual void TelnetEncryptSupport(std::string_view types, int32_t flags) {}
    virtual void TelnetEncryptSendSupport() {}
    virtual void TelnetEncryptDispatch(const TelnetCollector& collector) {}
    // AUTHENTICATION SEND; true when this side logged the user in.
    virtual bool SrpAuthSend(const TelnetCollector& collector) { return false; }
    // AUTHENTICATION REPLY, called as soon as its first data byte arrives;
    // true when it read the rest through IAC SE itself.
    virtual bool SrpAuthReply() { return false; }
    // The host's last AUTHENTICATION REPLY kind (2 ACCEPT), reset per open.
    virtual uint8_t SrpLastReply() { return 0; }
    virtual void ResetSrpLastReply() {}
    virtual void SrpClientClose() {}
};

// What the protocol needs of the connection it runs on.
class TelnetLink {
  public:
    virtual ~TelnetLink() = default;
    // One receive with the current receive mode.
    virtual void ReceiveMore() = 0;
    virtual bool InputEmpty() = 0;
    // The head byte (decoded), not taken.
    virtual uint8_t PeekInput() = 0;
    // Takes the head byte as a protocol byte.
    virtual void TakeInput() = 0;
    virtual bool SendRaw(const uint8_t* bytes, int32_t count) = 0;
    // A reply that must go out failed (the layer records code 12001).
    virtual void ReplyFailed() = 0;
    virtual void LogSent(std::string_view text) = 0;
    virtual void LogReceived(std::string_view text) = 0;
    // The console's columns and rows (all rows, status line included).
    virtual void ConsoleSize(int32_t& columns, int32_t& rows) = 0;
    virtual std::string ExpandVariables(std::string_view text) = 0;
    // The host's ECHO decides `FullDuplex` (off: this side echoes).
    virtual void SetFullDuplex(bool on) = 0;
    // The host logged the user in: the program's own auto-login stops.
    virtual void StopAutoLogin() = 0;
    virtual void RefreshTitle() = 0;
};

struct TelnetNegotiation {
    uint8_t sgaSent = 0;
    uint8_t remoteEcho = 0;
    uint8_t binarySent = 0;
    uint8_t nawsState = 0;  // 0 off, 1 WILL offered, 2 agreed
    uint8_t ttypeOn = 0;
    int32_t TermTypeIndex = 0;
    uint8_t environOn = 0;
    uint8_t newEnvironOn = 0;
    uint8_t authState = 0;           // 0 off, 1 offered, 2 agreed
    uint8_t encryptOutputState = 0;  // our WILL ENCRYPT
    uint8_t encryptInputState = 0;   // our DO ENCRYPT
};

// The Telnet side of a connection: the processor that consumes commands from
// the head of the receive ring, the negotiation and its replies, and the
// subnegotiations this side answers itself.
class TelnetProtocol {
  public:
    void Attach(TelnetLink* link, TelnetSettings* settings, TelnetSecurity* security);
    // Collector and negotiation back to the start of a connection.
    void Reset();

    bool Collecting() const { return collector_.count != 0; }
    const TelnetCollector& Collector() const { return collector_; }
    const TelnetNegotiation& Negotiation() const { return state_; }

    // Consumes one protocol byte at the head of the input (the head is IAC,
    // or a command is being collected). True when a literal 255 data byte is
    // ready; with take clear that byte stays at the head, for the next reader.
    bool TelnetProcessIac(bool take);

    bool TelnetSendOption(uint8_t command, uint8_t option);
    void TelnetSendTermType();
    void TelnetSendEnviron(bool isNew);
    // NAWS, when agreed and allowed.
    void SendNaws(int32_t columns, int32_t rows);
    void SendInitialOffers();

  private:
    void HandleCommandByte(uint8_t c);
    void HandleOption(uint8_t command, uint8_t option);
    void HandleWill(uint8_t option);
    void HandleWont(uint8_t option);
    void HandleDo(uint8_t option);
    void HandleDont(uint8_t option);
    void SubnegotiationByte(uint8_t c);
    void SubnegotiationData(uint8_t c);
    void FinishSubnegotiation();
    void Dispatch(const TelnetCollector& done);
    void LogSubnegotiation(const TelnetCollector& c, bool ended);
    void SendChecked(uint8_t command, uint8_t option);
    void SendConsoleSize();
    bool SendPacket(const std::string& bytes);

    TelnetLink* link_ = nullptr;
    TelnetSettings* settings_ = nullptr;
    TelnetSecurity* security_ = nullptr;
    TelnetCollector collector_;
    TelnetNegotiation state_;
    bool subIac_ = false;        // IAC seen inside the subnegotiation data
    bool overflowed_ = false;    // data beyond the collector: skipped to IAC SE
    bool replyHandled_ = false;  // AUTHENTICATION REPLY already dispatched
};

}  // namespace connections
