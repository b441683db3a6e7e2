#include "connections/ssh/ssh_glue.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "connections/connect_sequence.h"
#include "connections/connection_layer.h"
#include "connections/ssh/host_key_cache.h"
#include "connections/ssh/random_pool.h"

namespace connections::ssh {

namespace {

constexpr int32_t kLoginRead = 4096;
constexpr int32_t kSessionRead = 4097;
constexpr int32_t kLoginPollMs = 100;

}  // namespace

SshGlue::SshGlue(ConnectionLayer& layer) : layer_(layer) {}

SshGlue::~SshGlue() {
    ForgetLogin();
}

void SshGlue::ForgetLogin() {
    OPENSSL_cleanse(password_.data(), password_.size());
    password_.clear();
    havePassword_ = false;
}

void SshGlue::Feed(const uint8_t* data, size_t length) {
    engine_->Feed(data, length);
}

bool SshGlue::Connect(ConnectionHost& host) {
    host_ = &host;
    const ConnectionSettings& s = layer_.settings;
    const HostAndPort target = SplitHostPort(s.HostName, 22);
    hostName_ = target.name;
    port_ = target.port;
    SshConfig config;
    config.protocolPreference = s.ssh.SshVersion;
    config.compression = s.ssh.SshCompression != 0;
    config.cipher = uint8_t(s.ssh.SshCipher & 0xFF);
    config.sha1Key16 = s.ssh.SshSha1Key16 != 0;
    // The environment items, separated by the terminal-name separator; an
    // item without "=" is skipped.
    const std::string& env = s.telnet.EnvironmentText;
    const char separator = s.telnet.TermNameSeparator;
    for (size_t start = 0; start <= env.size();) {
        size_t end = separator != 0 ? env.find(separator, start) : std::string::npos;
        if (end == std::string::npos) end = env.size();
        const std::string item = env.substr(start, end - start);
        const size_t equals = item.find('=');
        if (equals != std::string::npos) {
            config.environment.emplace_back(item.substr(0, equals),
                                            host.ExpandVariables(item.substr(equals + 1)));
        }
        start = end + 1;
    }
    output_.clear();
    ForgetLogin();
    SshServices& services = *this;
    engine_ = std::make_unique<SshEngine>(services, config);

    platform::Transport* socket = layer_.Sockets();
    if (socket == nullptr) return false;
    uint8_t buffer[kLoginRead];
    uint32_t lastData = host.Milliseconds();
    for (;;) {
        const int32_t n = socket->Receive(buffer, kLoginRead);
        if (n > 0) {
            Feed(buffer, size_t(n));
            // Time spent in the dialogs does not count against the server.
            lastData = host.Milliseconds();
        } else if (n == 0) {
            Log("Server closed the connection during login");
            engine_->Feed(buffer, 0);
        } else if (socket->LastError() != platform::kSockWouldBlock) {
            Log("Socket error " + std::to_string(socket->LastError()) + " during login");
            engine_->Fatal("Socket error");
        } else if (!host.SshLoginWait()) {
            engine_->Fatal("Login cancelled by the user");
        } else if (host.Milliseconds() - lastData > kLoginQuietLimitMs) {
            engine_->Fatal("Timed out waiting for the server");
        } else {
            socket->Wait(kLoginPollMs);
        }
        if (engine_->State() == kSshSessionStarted) break;
        if (engine_->State() == kSshClosed) {
            ForgetLogin();
            return false;
        }
    }
    ForgetLogin();
    return true;
}

int32_t SshGlue::Receive(ConnectionHost& host, uint8_t* dest, int32_t capacity, bool& closed) {
    host_ = &host;
    closed = false;
    auto copyOut = [&](int32_t already) {
        const int32_t n = std::min<int32_t>(capacity - already, int32_t(output_.size()));
        if (n <= 0) return 0;
        std::memcpy(dest + already, output_.data(), size_t(n));
        output_.erase(output_.begin(), output_.begin() + n);
        return n;
    };
    int32_t copied = copyOut(0);
    if (!output_.empty()) return copied;
    if (!engine_ || engine_->State() == kSshClosed) {
        closed = true;
        return copied;
    }
    platform::Transport* socket = layer_.Sockets();
    uint8_t buffer[kSessionRead];
    const int32_t n = socket != nullptr ? socket->Receive(buffer, kSessionRead) : 0;
    if (n == 0) {
        closed = true;
        Log("recv_ex returned zero");
        engine_->Feed(buffer, 0);
    } else if (n > 0) {
        Feed(buffer, size_t(n));
        copied += copyOut(copied);
        // A session that ended (or failed) is reported once its output is out.
        if (engine_->State() == kSshClosed && output_.empty()) closed = true;
    } else {
        if (socket->LastError() != platform::kSockWouldBlock)
            Log("recv_ex got error " + std::to_string(socket->LastError()));
        if (copied == 0) return n;
    }
    return copied;
}

bool SshGlue::SendData(ConnectionHost& host, const uint8_t* bytes, int32_t count) {
    host_ = &host;
    if (!engine_ || engine_->State() == kSshClosed) return false;
    engine_->SendData(bytes, size_t(std::max(count, 0)));
    return engine_->State() != kSshClosed;
}

void SshGlue::WindowSize(ConnectionHost& host, int32_t columns, int32_t rows) {
    host_ = &host;
    if (engine_) engine_->WindowSize(columns, rows);
}

bool SshGlue::Write(const uint8_t* data, size_t length) {
    if (layer_.CommSendBuffer(data, int32_t(length))) return true;
    host_->SshMessageBox("sk_write failed");
    return false;
}

void SshGlue::Log(std::string_view line) {
    host_->CommDebugLog(line);
}

void SshGlue::Output(const uint8_t* data, size_t length) {
    output_.insert(output_.end(), data, data + length);
}

std::string SshGlue::UserName() {
    std::string user = host_->ExpandVariables(layer_.settings.UserName);
    std::string password;
    if (!host_->SshLoginPrompt(layer_.settings.HostName, true, user, password)) {
        user_.clear();
        ForgetLogin();
        return {};
    }
    user_ = user;
    ForgetLogin();
    password_ = std::move(password);
    havePassword_ = true;
    return user_;
}

bool SshGlue::Password(std::string& password) {
    if (havePassword_) {
        password = password_;
        ForgetLogin();
        return true;
    }
    std::string user = user_;
    if (!host_->SshLoginPrompt(layer_.settings.HostName, false, user, password)) return false;
    user_ = user;
    return true;
}

std::string SshGlue::TermName() {
    const TelnetSettings& t = layer_.settings.telnet;
    if (!t.TermNameList.empty()) return t.TermNameList;
    std::string name = t.TerminalType;
    for (char& c : name) c = char(std::tolower(uint8_t(c)));
    return name;
}

int32_t SshGlue::Rows() {
    int32_t columns = 80, rows = 24;
    host_->ConsoleSize(columns, rows);
    return rows > 0 ? rows : 24;
}

int32_t SshGlue::Columns() {
    int32_t columns = 80, rows = 24;
    host_->ConsoleSize(columns, rows);
    return columns > 0 ? columns : 80;
}

uint8_t SshGlue::EraseChar() {
    return layer_.settings.ssh.BackspaceChar;
}

bool SshGlue::VerifyHostKey(std::string_view type, std::string_view keyText,
                            std::string_view fingerprint) {
    return HostKeyVerify(hostName_, port_, type, keyText, [&](bool changed) {
        return HostKeyAnswer(host_->SshHostKeyQuestion(changed, hostName_, port_, fingerprint));
    });
}

bool SshGlue::Random(uint8_t* out, size_t length) {
    return RandomBytes(out, length);
}

}  // namespace connections::ssh
