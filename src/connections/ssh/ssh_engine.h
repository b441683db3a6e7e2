#pragma once
// The SSH client engine of one connection: version exchange, the SSH-2 and
// SSH-1 packet layers, the SSH-2 key exchange, the login and the interactive
// session. It is fed the bytes read from the socket and reaches everything
// else through SshServices; it never blocks and resumes wherever a packet
// was cut between two feeds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "connections/ssh/ssh_cipher.h"
#include "connections/ssh/ssh_compression.h"
#include "connections/ssh/ssh_mac.h"
#include "connections/ssh/ssh_wire.h"

namespace connections::ssh {

// `SshState` values.
inline constexpr uint8_t kSshLoggingIn = 0;
inline constexpr uint8_t kSshPtyRequested = 1;
inline constexpr uint8_t kSshSessionStarted = 2;
inline constexpr uint8_t kSshClosed = 3;

// The largest packet accepted from the server (length field), for both
// protocol versions.
inline constexpr uint32_t kMaxPacketLength = 256 * 1024;
// The longest identification line RFC 4253 allows, line end included.
inline constexpr size_t kMaxIdentification = 255;

inline constexpr char kClientVersion2[] = "SSH-2.0-Ozmel";

// The options the engine reads, from the settings.
struct SshConfig {
    uint16_t protocolPreference = 2;  // 1 prefers SSH-1
    bool compression = false;
    uint8_t cipher = 3;  // 1 Blowfish, 2 single DES, else triple DES
    bool sha1Key16 = false;
    // Environment variables for the session (SSH-2), sent before the shell
    // starts, when the server can still give them to it.
    std::vector<std::pair<std::string, std::string>> environment;
};

// What the engine needs of its surroundings.
class SshServices {
  public:
    virtual ~SshServices() = default;
    // The socket write; false when it failed.
    virtual bool Write(const uint8_t* data, size_t length) = 0;
    // One line to the communication debug log.
    virtual void Log(std::string_view line) {}
    // Session output for the user (standard error is not told apart).
    virtual void Output(const uint8_t* data, size_t length) = 0;
    // The user name to log in with; empty when the user cancelled.
    virtual std::string UserName() = 0;
    // The password; false when the user cancelled.
    virtual bool Password(std::string& password) = 0;
    virtual std::string TermName() { return "vt100"; }
    virtual int32_t Rows() { return 24; }
    virtual int32_t Columns() { return 80; }
    virtual uint8_t EraseChar() { return 8; }
    // Asks the host-key cache (and the user); true when the connection may go on.
    virtual bool VerifyHostKey(std::string_view type, std::string_view keyText,
                               std::string_view fingerprint) = 0;
    // From the random pool; false when it cannot make secrets.
    virtual bool Random(uint8_t* out, size_t length) = 0;
    // The SSH-1 host reported the command's exit status.
    virtual void ExitStatus() {}
};

class SshEngine {
  public:
    SshEngine(SshServices& services, SshConfig config);
    ~SshEngine();
    SshEngine(const SshEngine&) = delete;
    SshEngine& operator=(const SshEngine&) = delete;

    // Bytes read from the socket; a length of 0 means the peer closed. False
    // once the connection is closed or has failed.
    bool Feed(const uint8_t* data, size_t length);
    // Keystrokes for the host. Held while a key re-exchange runs or the
    // host's window is full, and sent when it can take them.
    void SendData(const uint8_t* data, size_t length);
    // The screen size changed.
    void WindowSize(int32_t columns, int32_t rows);
    // One environment variable for the session (SSH-2).
    void SendEnv(std::string_view name, std::string_view value);

    uint8_t State() const { return state_; }
    int ProtocolVersion() const { return version_; }
    // The message of the failure that closed the connection, if any.
    const std::string& FatalMessage() const { return fatal_; }
    // The keystrokes still held.
    size_t HeldBytes() const { return held_.size(); }
    // The names agreed by the last key exchange.
    const std::string& CipherName() const { return names_[2]; }
    const std::string& MacName() const { return names_[4]; }
    const std::string& CompressionName() const { return names_[6]; }
    bool KeysInForce() const { return kex_ == Kex::kDone; }

    // Sets the state to closed and logs the message.
    void Fatal(std::string message);

  private:
    enum class Kex : uint8_t { kWaitServerInit, kWaitReply, kWaitNewKeys, kDone };
    enum class Conn : uint8_t {
        kNotStarted,
        kWaitServiceAccept,
        kWaitAuthResult,
        kWaitOpen,
        kWaitPty,
        kWaitShell,
        kSession,
    };
    enum class Ssh1 : uint8_t {
        kWaitPublicKey,
        kWaitCipherSuccess,
        kWaitUserResult,
        kWaitPasswordResult,
        kWaitPty,
        kWaitCompression,
        kSession,
    };

    // Version exchange.
    bool VersionByte(uint8_t b);
    void VersionDone();

    bool Inflate(const uint8_t*& payload, size_t& length);

    // SSH-2 packets.
    void ReadSsh2(const uint8_t*& data, size_t& length);
    void Ssh2Packet(uint8_t type, WireReader& r);
    std::vector<uint8_t>& Start2(uint8_t type);
    void Send2();
    bool Send2Checked();

    // SSH-2 key exchange.
    void SendKexInit();
    void ServerKexInit(const uint8_t* payload, size_t length);
    void KexReply(WireReader& r);
    void NewKeys();
    std::vector<uint8_t> DeriveKey(char letter, size_t length);

    // SSH-2 login and session.
    void Ssh2Conn(uint8_t type, WireReader& r);
    void SendUserAuth();
    void FlushHeld();
    void SendChannelRequest(std::string_view name, bool wantReply);

    // SSH-1 packets and session.
    void ReadSsh1(const uint8_t*& data, size_t& length);
    void Ssh1Packet(uint8_t type, WireReader& r);
    void Send1(uint8_t type, const std::vector<uint8_t>& data);
    void Ssh1PublicKey(WireReader& r);
    void Ssh1Password();
    void Ssh1StartSession();
    void Ssh1StartShell();

    bool Random(uint8_t* out, size_t length);

    SshServices& services_;
    SshConfig config_;
    uint8_t state_ = kSshLoggingIn;
    int version_ = 0;
    std::string fatal_;

    // Version exchange.
    bool versionDone_ = false;
    size_t matched_ = 0;  // characters of "SSH-" matched so far
    bool inLine_ = false;
    std::string serverLine_;  // the identification, without its line end
    std::string serverVersion_;
    bool versionEnded_ = false;  // the version field is complete

    // Packet layer.
    std::unique_ptr<SshCipher> csCipher_, scCipher_;
    std::unique_ptr<SshMac> csMac_, scMac_;
    std::unique_ptr<SshCompression> csComp_, scComp_;
    uint32_t outSeq_ = 0, inSeq_ = 0;
    std::vector<uint8_t> in_;  // the packet being read
    size_t inNeed_ = 0;        // bytes of in_ wanted before the next step
    bool inHeadDone_ = false;  // first block decrypted and checked
    uint32_t inLength_ = 0;
    std::vector<uint8_t> out_;  // the packet being built
    std::vector<uint8_t> scratch_;
    bool ssh1Compress_ = false;

    // SSH-2 key exchange.
    Kex kex_ = Kex::kWaitServerInit;
    std::vector<uint8_t> clientKexInit_, serverKexInit_;
    std::string names_[8];
    Bn x_, e_, k_;
    std::vector<uint8_t> h_, sessionId_;
    std::string keyText_, fingerprint_;
    bool firstKex_ = true;

    // SSH-2 login and session.
    Conn conn_ = Conn::kNotStarted;
    uint32_t remoteChannel_ = 0;
    uint32_t remoteWindow_ = 0;
    uint32_t remoteMaxPacket_ = 0;
    std::vector<uint8_t> held_;

    // SSH-1.
    Ssh1 ssh1_ = Ssh1::kWaitPublicKey;
};

}  // namespace connections::ssh
