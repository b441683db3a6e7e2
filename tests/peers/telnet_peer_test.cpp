// The Telnet side of the connection layer against a real telnet server on
// loopback: socat hands each connection to telnetd, which runs a fixed script
// instead of a login.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "../common/peer_required.h"
#include "peer_support.h"

namespace peers {
namespace {

using connections::kCommOk;

constexpr uint8_t IAC = 255, WILL = 251, WONT = 252, DO = 253, SB = 250, SE = 240;

// Prints known bytes on request. The terminal echo is off so that the output
// is only what the script writes, and DEL is no erase character, so that a
// received 0x7F stays in the line. It pauses before it ends, since output
// still in the pseudo-terminal when its program exits can be lost.
constexpr const char* kScript = R"SH(#!/bin/sh
stty -echo erase '^H'
printf 'READY TERM=%s\n' "$TERM"
while IFS= read -r line; do
  case "$line" in
    size) echo "SIZE $(stty size)";;
    ff) printf 'FF[\377]\n';;
    cr) printf 'A\rB\n';;
    hex*) printf 'HEX[%s]\n' "$(printf '%s' "$line" | od -An -tx1 | tr -d ' \n')";;
    quit) echo BYE; sleep 0.3; exit 0;;
    *) echo "GOT[$line]";;
  esac
done
)SH";

class TelnetPeer : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string socat = FindInPath("socat");
        if (socat.empty() || !Executable("/usr/sbin/telnetd")) {
            VZ_SKIP_WITHOUT_PEER("socat or /usr/sbin/telnetd is not installed");
        }
        dir_ = std::make_unique<TempDir>();
        const std::string script = dir_->path() + "/host.sh";
        std::ofstream(script) << kScript;
        ::chmod(script.c_str(), 0700);
        port_ = FreePort();
        server_ = std::make_unique<PeerProcess>(
            std::vector<std::string>{
                socat, "TCP-LISTEN:" + std::to_string(port_) + ",bind=127.0.0.1,reuseaddr,fork",
                "EXEC:/usr/sbin/telnetd -h -E " + script},
            dir_->path() + "/socat.log");
        for (int i = 0; i < 250 && !Listening(port_); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_TRUE(Listening(port_)) << "socat did not start listening";
    }

    void TearDown() override {
        server_.reset();
        dir_.reset();
    }

    // A Telnet connection with the security options off (this server is not
    // set up for them).
    std::unique_ptr<PeerClient> Connect(bool binary = false) {
        auto client = std::make_unique<PeerClient>("127.0.0.1:" + std::to_string(port_));
        auto& ts = client->layer->settings.telnet;
        ts.SrpAuthMode = 0;
        ts.SrpEncryptMode = 0;
        ts.TelnetBinary = binary;
        ts.TerminalType = "VT220";
        EXPECT_EQ(client->layer->CommOpen(1), kCommOk) << client->host.Log();
        return client;
    }

    void Send(PeerClient& c, const std::string& line) {
        EXPECT_TRUE(c.layer->CommSendString(line + "\r"));
    }

    // Waits for the script's greeting; the server may still be settling its
    // terminal modes then (which can drop typed input), so commands are sent
    // with Ask, which repeats a command that got no answer.
    bool Ready(PeerClient& c) {
        if (!c.ReadUntil("READY TERM=")) return false;
        return c.ReadUntil("\n");
    }
    bool Ask(PeerClient& c, const std::string& line, const std::string& answer) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Send(c, line);
            if (c.ReadUntil(answer, 4000)) return true;
        }
        return false;
    }

    uint16_t port_ = 0;
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<PeerProcess> server_;
};

TEST_F(TelnetPeer, NegotiatesAndAnswersTerminalTypeAndWindowSize) {
    auto c = Connect();
    ASSERT_TRUE(Ready(*c)) << c->host.Log();
    std::string ready = c->Text();
    std::transform(ready.begin(), ready.end(), ready.begin(), ::toupper);
    EXPECT_NE(ready.find("READY TERM=VT220"), std::string::npos) << ready;
    EXPECT_TRUE(c->host.Logged("[S:IAC SB TERMTYP 0 VT220 IAC SE]")) << c->host.Log();

    // ECHO and SUPPRESS-GO-AHEAD offered by the host are accepted.
    EXPECT_TRUE(PeerClient::Contains(c->socket.received, {IAC, WILL, 1}));
    EXPECT_TRUE(PeerClient::Contains(c->socket.sent, {IAC, DO, 1}));
    EXPECT_TRUE(c->host.fullDuplex);
    EXPECT_TRUE(PeerClient::Contains(c->socket.received, {IAC, WILL, 3}));
    EXPECT_TRUE(PeerClient::Contains(c->socket.sent, {IAC, DO, 3}));

    // NAWS: the console's columns and its rows less the status line, and
    // again when the console is resized.
    EXPECT_TRUE(PeerClient::Contains(c->socket.sent, {IAC, SB, 31, 0, 80, 0, 24, IAC, SE}));
    EXPECT_TRUE(Ask(*c, "size", "SIZE 24 80")) << c->Text();
    c->layer->TelnetSendWindowSize(132, 43);
    EXPECT_TRUE(Ask(*c, "size", "SIZE 43 132")) << c->Text();

    // Nothing of the negotiation reached the reader.
    EXPECT_EQ(std::count(c->data.begin(), c->data.end(), IAC), 0);
}

TEST_F(TelnetPeer, DoublesIacBothWays) {
    auto c = Connect(true);  // BINARY, so that the host's 0xFF is not an NVT byte
    ASSERT_TRUE(Ready(*c)) << c->host.Log();
    EXPECT_TRUE(PeerClient::Contains(c->socket.sent, {IAC, DO, 0}));
    EXPECT_TRUE(PeerClient::Contains(c->socket.received, {IAC, WILL, 0})) << c->host.Log();

    ASSERT_TRUE(Ask(*c, "ff", "]\r\n")) << c->Text();
    EXPECT_TRUE(PeerClient::Contains(c->socket.received, {'[', IAC, IAC, ']'}));
    EXPECT_NE(c->Text().find("FF[\xFF]"), std::string::npos) << c->Text();

    c->data.clear();
    const std::string withIac = std::string("hex") + char(0xFF) + "z";
    ASSERT_TRUE(Ask(*c, withIac, "HEX[")) << c->Text();
    EXPECT_TRUE(PeerClient::Contains(c->socket.sent, {'x', IAC, IAC, 'z', 13, 0}));
    // The host got one data byte between x and z (a lone IAC would have
    // swallowed the z as a command). Our side is NVT ASCII to it (it never
    // asked us for BINARY), so it keeps seven bits of that byte.
    EXPECT_TRUE(c->ReadUntil("HEX[6865787f7a]")) << c->Text();
}

TEST_F(TelnetPeer, CarriageReturnNulAndLineEnds) {
    auto c = Connect();
    ASSERT_TRUE(Ready(*c)) << c->host.Log();
    c->data.clear();
    ASSERT_TRUE(Ask(*c, "cr", "B\r\n")) << c->Text();
    // The host sends a bare CR as CR NUL and a line end as CR LF; the reader
    // gets CR alone for the first and both bytes for the second.
    EXPECT_TRUE(PeerClient::Contains(c->socket.received, {'A', 13, 0, 'B', 13, 10}));
    EXPECT_EQ(c->Text(), "A\rB\r\n");
    // Our CR goes out as CR NUL and reaches the script as a line end.
    EXPECT_TRUE(PeerClient::Contains(c->socket.sent, {'c', 'r', 13, 0}));
}

TEST_F(TelnetPeer, HostClosingIsHandledByReconnectMode) {
    for (uint8_t mode : {0, 2}) {
        auto c = Connect();
        c->layer->settings.ReconnectMode = mode;
        ASSERT_TRUE(Ready(*c)) << c->host.Log();
        const int titles = c->host.titleUpdates;
        ASSERT_TRUE(Ask(*c, "quit", "BYE")) << c->Text();
        // The close is noticed by the periodic check's receive, whenever the
        // host gets round to it. The logged code is the socket's last error,
        // which may still be a would-block from an earlier empty read.
        EXPECT_TRUE(c->ReadUntilTrue([&] {
            return c->host.Log().find("[WINSOCK recv returned 0, Error = ") != std::string::npos;
        })) << c->host.Log();
        if (mode == 0) {
            EXPECT_EQ(c->host.exitCode, 4);
            EXPECT_TRUE(c->layer->CommIsOpen());  // the program ends after the save question
        } else {
            EXPECT_EQ(c->host.exitCode, -1);
            EXPECT_FALSE(c->layer->CommIsOpen());
            EXPECT_EQ(c->layer->CommState[connections::kMethodTelnet], connections::kStateClosed);
            EXPECT_GT(c->host.titleUpdates, titles);
            EXPECT_FALSE(c->layer->CommSendByte('x'));
        }
    }
}

TEST_F(TelnetPeer, ReconnectsAfterTheHostCloses) {
    auto c = Connect();
    c->layer->settings.ReconnectMode = 1;
    ASSERT_TRUE(Ready(*c)) << c->host.Log();
    ASSERT_TRUE(Ask(*c, "quit", "BYE")) << c->Text();
    c->data.clear();
    // A new connection: the script greets again.
    ASSERT_TRUE(Ready(*c)) << c->host.Log();
    EXPECT_TRUE(c->layer->CommIsOpen());
    EXPECT_TRUE(Ask(*c, "hello", "GOT[hello]")) << c->Text();
}

}  // namespace
}  // namespace peers
