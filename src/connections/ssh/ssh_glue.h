#pragma once
// Joins the SSH engine to the connection layer: the login loop run when an
// SSH connection opens, the session output the layer's receive reads, the
// keystrokes and screen size it sends, and the engine's services (prompts,
// terminal, debug log, random bytes, socket write, host-key cache).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "connections/ssh/ssh_engine.h"

namespace connections {
class ConnectionLayer;
class ConnectionHost;
}  // namespace connections

namespace connections::ssh {

// How long the login waits for the server without a byte before it gives up.
inline constexpr uint32_t kLoginQuietLimitMs = 60000;

class SshGlue final : private SshServices {
  public:
    explicit SshGlue(ConnectionLayer& layer);
    ~SshGlue() override;

    // Runs the login over the layer's open socket until the session has
    // started (true) or the login failed, was cancelled or timed out.
    bool Connect(ConnectionHost& host);
    // The session output for the receive ring: at most capacity bytes. The
    // socket is read only when no output is held. closed reports that the
    // peer closed or the session ended (after the last output is handed out).
    int32_t Receive(ConnectionHost& host, uint8_t* dest, int32_t capacity, bool& closed);
    int32_t Pending() const { return int32_t(output_.size()); }
    // False when the session is over, so the keystrokes are not lost unseen.
    bool SendData(ConnectionHost& host, const uint8_t* bytes, int32_t count);
    void WindowSize(ConnectionHost& host, int32_t columns, int32_t rows);

    // The engine of the current connection (null before the first).
    SshEngine* Engine() { return engine_.get(); }

  private:
    bool Write(const uint8_t* data, size_t length) override;
    void Log(std::string_view line) override;
    void Output(const uint8_t* data, size_t length) override;
    std::string UserName() override;
    bool Password(std::string& password) override;
    std::string TermName() override;
    int32_t Rows() override;
    int32_t Columns() override;
    uint8_t EraseChar() override;
    bool VerifyHostKey(std::string_view type, std::string_view keyText,
                       std::string_view fingerprint) override;
    bool Random(uint8_t* out, size_t length) override;
    void ForgetLogin();
    void Feed(const uint8_t* data, size_t length);

    ConnectionLayer& layer_;
    ConnectionHost* host_ = nullptr;
    std::unique_ptr<SshEngine> engine_;
    std::vector<uint8_t> output_;
    std::string hostName_;
    uint16_t port_ = 22;
    std::string user_, password_;
    bool havePassword_ = false;
};

}  // namespace connections::ssh
