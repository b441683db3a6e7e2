// The SSH client against OpenSSH's sshd on loopback: login, the session's
// output and input, window size and environment, a key re-exchange the
// server starts, wrong passwords, host keys new and changed, and the end of
// the session.
#include <gtest/gtest.h>

#include "connections/ssh/host_key_cache.h"
#include "connections/ssh/os_random.h"
#include "connections/ssh/random_pool.h"
#include "connections/ssh/ssh_engine.h"
#include "connections/ssh/ssh_glue.h"
#include "sshd_peer.h"

namespace peers {
namespace {

using connections::kCommOk;
using connections::kCommSshLoginFailed;
using SshClient = BasicPeerClient<SshPeerHost>;

class SshPeer : public ::testing::Test {
  protected:
    void SetUp() override { Start(""); }
    void Start(const std::string& extra) {
        sshd_.reset();
        sshd_ = std::make_unique<SshdPeer>(extra);
        if (!sshd_->Ready()) VZ_SKIP_WITHOUT_PEER("sshd could not be started (needs root)");
        connections::ssh::InstallOsRandom(connections::ssh::PosixOsRandom);
        connections::ssh::SetHostKeyStore(&keys_);
    }
    void TearDown() override {
        connections::ssh::SetHostKeyStore(nullptr);
        sshd_.reset();
    }

    std::unique_ptr<SshClient> Client(std::vector<std::string> passwords = {}) {
        auto c = std::make_unique<SshClient>("127.0.0.1:" + std::to_string(sshd_->Port()));
        c->layer->settings.CommMethod = connections::kMethodSsh;
        c->layer->settings.telnet.TerminalType = "VT220";
        c->host.passwords = passwords.empty() ? std::vector{sshd_->Password()} : passwords;
        return c;
    }
    std::unique_ptr<SshClient> LoggedIn() {
        auto c = Client();
        EXPECT_EQ(c->layer->CommOpen(1), kCommOk) << c->host.Log() << sshd_->ServerLog();
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
    std::unique_ptr<SshdPeer> sshd_;
};

TEST_F(SshPeer, PasswordLoginRunsTypedCommandsAndSizesTheTerminal) {
    auto c = Client();
    c->layer->settings.telnet.EnvironmentText = "VZ_ONE=1;NOEQUALS;VZ_TWO=two";
    c->layer->settings.telnet.TermNameSeparator = ';';
    c->host.columns = 100;
    c->host.rows = 30;
    ASSERT_EQ(c->layer->CommOpen(1), kCommOk) << c->host.Log() << sshd_->ServerLog();
    EXPECT_TRUE(c->host.Logged("[Using SSH protocol version 2]"));
    EXPECT_TRUE(c->host.Logged("[Client-to-server MAC is hmac-sha1]")) << c->host.Log();
    EXPECT_EQ(c->host.questions, std::vector<bool>{false});
    Type(*c, "echo T=$TERM; stty size; echo E=$VZ_ONE/$VZ_TWO/$NOEQUALS\r");
    EXPECT_TRUE(c->ReadUntil("E=1/two/")) << c->Text();
    EXPECT_NE(c->Text().find("T=vt220"), std::string::npos) << c->Text();
    EXPECT_NE(c->Text().find("30 100"), std::string::npos) << c->Text();
    c->layer->TelnetSendWindowSize(90, 40);
    Type(*c, "stty size\r");
    EXPECT_TRUE(c->ReadUntil("40 90")) << c->Text();
    // The key is remembered: the next connection asks nothing.
    auto again = LoggedIn();
    EXPECT_TRUE(again->host.questions.empty());
}

TEST_F(SshPeer, BulkOutputArrivesWholeAcrossServerKeyReexchanges) {
    Start("RekeyLimit 32K");
    auto c = LoggedIn();
    Type(*c, "i=0; while [ $i -lt 8000 ]; do echo line$i; i=$((i+1)); done; echo END-$((6*7))\r");
    ASSERT_TRUE(c->ReadUntil("END-42\r\n", 30000)) << c->Text().size();
    const auto rekeys = std::count(c->host.log.begin(), c->host.log.end(),
                                   std::string("[Host key fingerprint is:]"));
    EXPECT_GE(rekeys, 2) << c->host.Log();
    for (int i : {0, 1234, 7999}) {
        EXPECT_NE(c->Text().find("line" + std::to_string(i) + "\r\n"), std::string::npos) << i;
    }
    // Keys typed while a re-exchange runs are held and sent after it.
    Type(*c, "echo still-$((2+3))\r");
    EXPECT_TRUE(c->ReadUntil("still-5\r\n"));
}

TEST_F(SshPeer, WrongPasswordIsDeniedAndAskedAgain) {
    auto c = Client({"wrong", sshd_->Password()});
    ASSERT_EQ(c->layer->CommOpen(1), kCommOk) << c->host.Log();
    EXPECT_EQ(c->host.logins, 2);
    EXPECT_TRUE(c->host.Logged("[Authentication refused]"));
    EXPECT_TRUE(c->ReadUntil("Access denied\r\n"));
    auto cancelled = Client({"wrong"});
    EXPECT_EQ(cancelled->layer->CommOpen(1), kCommSshLoginFailed);
}

TEST_F(SshPeer, HostKeyQuestions) {
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
            EXPECT_EQ(c->host.logins, 0);  // no user name was sent
        }
    }
    // A changed key asks again, as a change.
    sshd_->NewHostKey();
    auto c = Client();
    c->host.hostKeyAnswer = 0;
    EXPECT_EQ(c->layer->CommOpen(1), kCommSshLoginFailed);
    EXPECT_EQ(c->host.questions, std::vector<bool>{true});
}

TEST_F(SshPeer, TheSessionEndingRunsTheDisconnectHandling) {
    auto c = LoggedIn();
    Type(*c, "exit\r");
    EXPECT_TRUE(c->ReadUntilTrue([&] { return c->host.exitCode == 4; })) << c->host.Log();
    EXPECT_TRUE(c->host.Logged("[All channels closed. Disconnecting]")) << c->host.Log();
    const uint8_t key = 'x';
    EXPECT_FALSE(c->layer->CommSendBlock(&key, 1));
}

}  // namespace
}  // namespace peers

namespace peers {
namespace {

// Blowfish and "zlib" compression, which this sshd lacks, against a small
// server built on paramiko.
TEST(SshLegacyPeer, BlowfishAndZlib) {
    if (!Executable("/usr/bin/python3") ||
        Shell("/usr/bin/python3 -c 'import paramiko' >/dev/null 2>&1") != 0) {
        VZ_SKIP_WITHOUT_PEER("python3-paramiko is not installed");
    }
    connections::ssh::InstallOsRandom(connections::ssh::PosixOsRandom);
    TempDir dir;
    const uint16_t port = FreePort();
    PeerProcess server({"/usr/bin/env", "SSH_CIPHERS=blowfish-cbc,3des-cbc", "SSH_COMP=zlib,none",
                        "/usr/bin/python3", "-W", "ignore",
                        std::string(VZ_SOURCE_DIR) + "/tests/peers/legacy_ssh_server.py",
                        std::to_string(port), dir.path() + "/hk", "tuser", "secret1"},
                       dir.path() + "/server.log");
    for (int i = 0; i < 500 && !Listening(port); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(Listening(port));
    BasicPeerClient<SshPeerHost> c("127.0.0.1:" + std::to_string(port));
    c.layer->settings.CommMethod = connections::kMethodSsh;
    c.layer->settings.ssh.SshCipher = 1;
    c.layer->settings.ssh.SshCompression = 1;
    c.host.user = "tuser";
    c.host.passwords = {"secret1"};
    ASSERT_EQ(c.layer->CommOpen(1), kCommOk) << c.host.Log();
    EXPECT_TRUE(c.host.Logged("[Client-to-server compression is zlib]")) << c.host.Log();
    EXPECT_EQ(c.layer->Ssh().Engine()->CipherName(), "blowfish-cbc");
    const std::string command =
        "i=0; while [ $i -lt 2000 ]; do echo zz$i; i=$((i+1)); done; echo Z-$((3*3))\r";
    ASSERT_TRUE(c.layer->CommSendBlock(reinterpret_cast<const uint8_t*>(command.data()),
                                       int32_t(command.size())));
    ASSERT_TRUE(c.ReadUntil("Z-9\r\n", 30000)) << c.Text().size();
    EXPECT_NE(c.Text().find("zz1999\r\n"), std::string::npos);
    std::ifstream log(dir.path() + "/server.log");
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_NE(text.str().find("AGREED blowfish-cbc hmac-sha1 zlib"), std::string::npos)
        << text.str();
}

}  // namespace
}  // namespace peers
