// The SSH client in protocol 1 against the SSH-1 test server on loopback
// (tests/peers/ssh1_server.py): login, the session's output and input, each
// cipher, wrong passwords, host keys new and changed, and the end of the
// session.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "connections/ssh/host_key_cache.h"
#include "connections/ssh/os_random.h"
#include "connections/ssh/random_pool.h"
#include "connections/ssh/ssh_glue.h"
#include "sshd_peer.h"

namespace peers {
namespace {

using connections::kCommOk;
using connections::kCommSshLoginFailed;
using SshClient = BasicPeerClient<SshPeerHost>;

constexpr char kUser[] = "oneuser";
constexpr char kPassword[] = "one-pass";

class Ssh1Peer : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!Executable("/usr/bin/python3") ||
            Shell("/usr/bin/python3 -c 'import Cryptodome' >/dev/null 2>&1") != 0) {
            VZ_SKIP_WITHOUT_PEER("python3-pycryptodome is not installed");
        }
        connections::ssh::InstallOsRandom(connections::ssh::PosixOsRandom);
        connections::ssh::SetHostKeyStore(&keys_);
        Start("2,3,6");
    }
    void TearDown() override { connections::ssh::SetHostKeyStore(nullptr); }

    // (Re)starts the server announcing the given cipher numbers, on the same
    // port, so that the host-key cache sees the same host.
    void Start(const std::string& ciphers, const std::string& version = "1.5") {
        server_.reset();
        if (port_ == 0) port_ = FreePort();
        server_ = std::make_unique<PeerProcess>(
            std::vector<std::string>{
                "/usr/bin/env", "SSH1_CIPHERS=" + ciphers, "SSH1_VERSION=" + version,
                "/usr/bin/python3", std::string(VZ_SOURCE_DIR) + "/tests/peers/ssh1_server.py",
                std::to_string(port_), dir_.path() + "/host_key", kUser, kPassword},
            dir_.path() + "/server.log");
        for (int i = 0; i < 500 && !Listening(port_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_TRUE(Listening(port_)) << ServerLog();
    }
    std::string ServerLog() const {
        std::ifstream in(dir_.path() + "/server.log");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool ServerSaid(const std::string& line) const {
        return ServerLog().find(line + "\n") != std::string::npos;
    }

    std::unique_ptr<SshClient> Client(std::vector<std::string> passwords = {kPassword}) {
        auto c = std::make_unique<SshClient>("127.0.0.1:" + std::to_string(port_));
        c->layer->settings.CommMethod = connections::kMethodSsh;
        c->layer->settings.ssh.SshVersion = 1;
        c->layer->settings.telnet.TerminalType = "VT220";
        c->host.user = kUser;
        c->host.passwords = std::move(passwords);
        return c;
    }
    static void Type(SshClient& c, const std::string& text) {
        ASSERT_TRUE(c.layer->CommSendBlock(reinterpret_cast<const uint8_t*>(text.data()),
                                           int32_t(text.size())));
    }

    struct MemoryKeys : connections::ssh::HostKeyStore {
        std::map<std::string, std::string> values;
        std::optional<std::string> Read(std::string_view name) override {
            auto it = values.find(std::string(name));
            if (it == values.end()) return std::nullopt;
            return it->second;
        }
        void Write(std::string_view name, std::string_view text) override {
            values[std::string(name)] = std::string(text);
        }
    } keys_;
    TempDir dir_;
    uint16_t port_ = 0;
    std::unique_ptr<PeerProcess> server_;
};

TEST_F(Ssh1Peer, PasswordLoginRunsTypedCommandsAndSizesTheTerminal) {
    auto c = Client();
    c->host.columns = 100;
    c->host.rows = 30;
    ASSERT_EQ(c->layer->CommOpen(1), kCommOk) << c->host.Log() << ServerLog();
    EXPECT_TRUE(c->host.Logged("[Using SSH protocol version 1]"));
    EXPECT_TRUE(c->host.Logged("[Authentication successful]")) << c->host.Log();
    EXPECT_EQ(c->host.questions, std::vector<bool>{false});
    EXPECT_EQ(keys_.values.size(), 1u);
    Type(*c, "echo T=$TERM; stty size; echo R=$((6*7))\r");
    EXPECT_TRUE(c->ReadUntil("R=42")) << c->Text() << ServerLog();
    EXPECT_NE(c->Text().find("T=vt220"), std::string::npos) << c->Text();
    EXPECT_NE(c->Text().find("30 100"), std::string::npos) << c->Text();
    // The terminal modes start with the erase character and end with 0.
    EXPECT_NE(ServerLog().find("PTY vt220 30 100 0308"), std::string::npos) << ServerLog();
    c->layer->TelnetSendWindowSize(90, 40);
    Type(*c, "stty size\r");
    EXPECT_TRUE(c->ReadUntil("40 90")) << c->Text();
    // The key is remembered: the next connection asks nothing.
    auto again = Client();
    ASSERT_EQ(again->layer->CommOpen(1), kCommOk) << again->host.Log();
    EXPECT_TRUE(again->host.questions.empty());
}

// Every cipher the client offers carries a long run of output both ways,
// chaining across many packets; a server without the chosen cipher gets
// triple DES and the user is told.
TEST_F(Ssh1Peer, EachCipherCarriesTheSession) {
    struct Case {
        const char* serverCiphers;
        uint16_t setting;
        bool compression;
        const char* log;
        const char* serverCipher;
    } cases[] = {
        {"2,3,6", 1, false, "[Using Blowfish encryption]", "CIPHER 6"},
        {"2,3,6", 2, false, "[Using single-DES encryption]", "CIPHER 2"},
        {"2,3,6", 3, true, "[Using 3DES encryption]", "CIPHER 3"},
        {"2,3", 1, false, "[Using 3DES encryption]", "CIPHER 3"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.log);
        if (std::string(k.serverCiphers) != "2,3,6") Start(k.serverCiphers);
        auto c = Client();
        c->layer->settings.ssh.SshCipher = k.setting;
        c->layer->settings.ssh.SshCompression = k.compression;
        ASSERT_EQ(c->layer->CommOpen(1), kCommOk) << c->host.Log() << ServerLog();
        EXPECT_TRUE(c->host.Logged(k.log)) << c->host.Log();
        EXPECT_TRUE(ServerSaid(k.serverCipher)) << ServerLog();
        Type(*c, "i=0; while [ $i -lt 1500 ]; do echo q$i; i=$((i+1)); done; echo Q-$((5*5))\r");
        ASSERT_TRUE(c->ReadUntil("Q-25\r\n", 30000)) << c->Text().size() << ServerLog();
        EXPECT_NE(c->Text().find("q1499\r\n"), std::string::npos);
        const bool fellBack = std::string(k.serverCiphers) == "2,3";
        EXPECT_EQ(c->Text().find("Selected cipher not supported, falling back to 3DES\r\n") !=
                      std::string::npos,
                  fellBack)
            << c->Text().substr(0, 200);
        EXPECT_EQ(ServerSaid("COMPRESSION 6"), k.compression);
    }
}

// Which protocol the client speaks, and which version it claims, follows the
// server's version and the user's preference.
TEST_F(Ssh1Peer, VersionChoice) {
    struct Case {
        const char* server;
        uint16_t preference;
        const char* claim;
    } cases[] = {{"1.99", 1, "CLIENT SSH-1.5-Ozmel"}, {"1.3", 2, "CLIENT SSH-1.3-Ozmel"}};
    for (const Case& k : cases) {
        Start("2,3,6", k.server);
        auto c = Client();
        c->layer->settings.ssh.SshVersion = k.preference;
        ASSERT_EQ(c->layer->CommOpen(1), kCommOk) << c->host.Log() << ServerLog();
        EXPECT_TRUE(ServerSaid(k.claim)) << ServerLog();
    }
}

TEST_F(Ssh1Peer, WrongPasswordIsRefusedAndAskedAgain) {
    auto c = Client({"wrong", kPassword});
    ASSERT_EQ(c->layer->CommOpen(1), kCommOk) << c->host.Log() << ServerLog();
    EXPECT_EQ(c->host.logins, 2);
    EXPECT_TRUE(c->host.Logged("[Authentication refused]")) << c->host.Log();
    EXPECT_TRUE(ServerSaid("PASSWORD wrong"));
    EXPECT_TRUE(ServerSaid("PASSWORD ok"));
    c->ReadFor(200);
    EXPECT_EQ(c->Text().find("denied"), std::string::npos) << c->Text();  // only the log says it
    auto cancelled = Client({"wrong"});
    EXPECT_EQ(cancelled->layer->CommOpen(1), kCommSshLoginFailed);
    EXPECT_TRUE(cancelled->host.Logged("[No more passwords to try]")) << cancelled->host.Log();
    // Cancelling the first dialog ends the connection before any name is sent.
    auto never = Client({});
    EXPECT_EQ(never->layer->CommOpen(1), kCommSshLoginFailed);
    EXPECT_EQ(never->host.prompts, 1);
    EXPECT_EQ(ServerLog().find("USER \n"), std::string::npos) << ServerLog();
}

TEST_F(Ssh1Peer, HostKeyQuestions) {
    struct Case {
        int answer;
        bool connects;
        bool stored;
    } cases[] = {{0, false, false}, {1, true, false}, {2, true, true}};
    for (const Case& k : cases) {
        keys_.values.clear();
        auto c = Client();
        c->host.hostKeyAnswer = k.answer;
        EXPECT_EQ(c->layer->CommOpen(1), k.connects ? kCommOk : kCommSshLoginFailed);
        EXPECT_EQ(c->host.questions, std::vector<bool>{false});
        EXPECT_EQ(keys_.values.size(), k.stored ? 1u : 0u) << k.answer;
        if (!k.connects) {
            EXPECT_TRUE(c->host.Logged("[SSH connection cancelled]"));
            EXPECT_EQ(c->host.logins, 0);
        }
    }
    // A new host key asks again, as a change.
    std::filesystem::remove(dir_.path() + "/host_key");
    Start("2,3,6");
    auto c = Client();
    c->host.hostKeyAnswer = 0;
    EXPECT_EQ(c->layer->CommOpen(1), kCommSshLoginFailed);
    EXPECT_EQ(c->host.questions, std::vector<bool>{true});
}

TEST_F(Ssh1Peer, TheShellEndingEndsTheSession) {
    auto c = Client();
    ASSERT_EQ(c->layer->CommOpen(1), kCommOk) << c->host.Log() << ServerLog();
    Type(*c, "exit 3\r");
    EXPECT_TRUE(c->ReadUntilTrue([&] { return c->host.exitCode == 4; })) << c->host.Log();
    for (int i = 0; i < 100 && !ServerSaid("CONFIRMED"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(ServerSaid("EXIT 3")) << ServerLog();
    EXPECT_TRUE(ServerSaid("CONFIRMED")) << ServerLog();
    const uint8_t key = 'x';
    EXPECT_FALSE(c->layer->CommSendBlock(&key, 1));
}

}  // namespace
}  // namespace peers
