#include "connections/connect_sequence.h"

#include <gtest/gtest.h>

#include "connection_fakes.h"
#include "connections/socks4.h"

namespace connections {
namespace {

using platform::Ipv4Address;
using platform::Progress;
using testing::B;
using testing::Bytes;
using testing::FakeHost;
using testing::FakeTransport;
using testing::LayerRig;

TEST(ConnectTarget, HostAndPortSplit) {
    struct Case {
        const char* text;
        uint16_t defaultPort;
        const char* name;
        uint16_t port;
    } cases[] = {
        {"host:2323", 23, "host", 2323}, {"host", 23, "host", 23},
        {"host", 513, "host", 513},      {"host", 22, "host", 22},
        {"host:", 23, "host", 23},       {"host:0", 23, "host", 23},
        {"host:99999", 23, "host", 23},  {"host:8x", 23, "host", 8},
        {"socks", 1080, "socks", 1080},  {"socks:1081", 1080, "socks", 1081},
    };
    for (const Case& c : cases) {
        const HostAndPort hp = SplitHostPort(c.text, c.defaultPort);
        EXPECT_EQ(hp.name, c.name) << c.text;
        EXPECT_EQ(hp.port, c.port) << c.text;
    }
}

TEST(ConnectTarget, DottedAddresses) {
    Ipv4Address a;
    EXPECT_TRUE(ParseDottedAddress("10.0.255.1", a));
    EXPECT_EQ(a, (Ipv4Address{{10, 0, 255, 1}}));
    EXPECT_EQ(FormatAddress(a), "10.0.255.1");
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "a.b.c.d", "1.2.3.4 ",
                            "1234.1.1.1", "example.com"}) {
        EXPECT_FALSE(ParseDottedAddress(bad, a)) << bad;
    }
}

TEST(ConnectTarget, FailuresBecomeCommErrors) {
    struct Case {
        uint32_t lastError;
        uint8_t code;
        int32_t winsock;
    } cases[] = {
        {12007, 11, 0}, {10060, 11, 0},     {12008, 12, 0},     {12009, 13, 0},
        {12010, 14, 0}, {12011, 15, 0},     {10061, 16, 0},     {11001, 8, 0},
        {11004, 8, 0},  {10050, 17, 10050}, {10013, 17, 10013}, {42, 8, 0},
    };
    for (const Case& c : cases) {
        int32_t winsock = 0;
        EXPECT_EQ(ConnectErrorToCommError(c.lastError, winsock), c.code) << c.lastError;
        EXPECT_EQ(winsock, c.winsock) << c.lastError;
    }
}

struct SequenceRig {
    FakeHost host;
    FakeTransport socket;
    ConnectTarget target;

    SequenceRig() {
        socket.clock = &host;
        target.host = {"target.example", 23};
        socket.names["target.example"] = {{192, 0, 2, 7}};
        socket.names["proxy.example"] = {{198, 51, 100, 1}};
    }
    Progress Run(ConnectSequence& seq, int maxPolls = 5000) {
        Progress r = Progress::Pending;
        for (int i = 0; i < maxPolls && r == Progress::Pending; ++i) {
            r = seq.Poll(host.now);
            host.now += 10;
        }
        return r;
    }
};

TEST(ConnectSequence, DirectConnectLooksUpNamesButNotAddresses) {
    SequenceRig rig;
    ConnectSequence seq(rig.socket, rig.host, rig.target);
    EXPECT_EQ(rig.Run(seq), Progress::Done);
    ASSERT_EQ(rig.socket.connects.size(), 1u);
    EXPECT_EQ(rig.socket.connects[0].first, (Ipv4Address{{192, 0, 2, 7}}));
    EXPECT_EQ(rig.socket.connects[0].second, 23);
    EXPECT_EQ(seq.StatusText(), u"Connecting to target.example");

    SequenceRig dotted;
    dotted.target.host = {"10.9.8.7", 2323};
    ConnectSequence seq2(dotted.socket, dotted.host, dotted.target);
    EXPECT_EQ(dotted.Run(seq2), Progress::Done);
    EXPECT_EQ(dotted.socket.lookups, 0);
    EXPECT_EQ(dotted.socket.connects[0].first, (Ipv4Address{{10, 9, 8, 7}}));
    EXPECT_EQ(dotted.socket.connects[0].second, 2323);
}

TEST(ConnectSequence, SocksRequestCarriesTheLocallyResolvedHost) {
    SequenceRig rig;
    rig.target.socks = {"proxy.example", 1080};
    rig.socket.Arrive(B({0, 90, 0, 0, 0, 0, 0, 0}));
    ConnectSequence seq(rig.socket, rig.host, rig.target);
    EXPECT_EQ(rig.Run(seq), Progress::Done);
    EXPECT_EQ(rig.socket.lookedUp, (std::vector<std::string>{"target.example", "proxy.example"}));
    ASSERT_EQ(rig.socket.connects.size(), 1u);
    EXPECT_EQ(rig.socket.connects[0].first, (Ipv4Address{{198, 51, 100, 1}}));
    EXPECT_EQ(rig.socket.connects[0].second, 1080);
    EXPECT_EQ(rig.socket.sent, B({4, 1, 0, 23, 192, 0, 2, 7, 0}));
    EXPECT_TRUE(rig.socket.inbound.empty());  // the reply was taken, not left as data
}

TEST(ConnectSequence, SocksReplies) {
    struct Case {
        const char* what;
        Bytes reply;
        bool closes;
        Progress result;
        uint32_t lastError;
        const char* logged;
    } cases[] = {
        {"granted", B({0, 90, 0, 0, 0, 0, 0, 0}), false, Progress::Done, 0, nullptr},
        {"rejected", B({0, 91, 0, 0, 0, 0, 0, 0}), false, Progress::Failed, 12010,
         "[SOCKS server refused: 91]"},
        {"no identd", B({0, 92, 0, 0, 0, 0, 0, 0}), false, Progress::Failed, 12010,
         "[SOCKS server refused: 92]"},
        {"identd mismatch", B({0, 93, 0, 0, 0, 0, 0, 0}), false, Progress::Failed, 12010,
         "[SOCKS server refused: 93]"},
        {"short", B({0, 90, 0}), false, Progress::Failed, 12011, "[recv error: i=3]"},
        {"closed without a reply", B({}), true, Progress::Failed, 12011, "[recv error: i=0]"},
        {"silence", B({}), false, Progress::Failed, 12007, "[\rSOCKS timeout]"},
    };
    for (const Case& c : cases) {
        SequenceRig rig;
        rig.target.socks = {"proxy.example", 1080};
        rig.socket.Arrive(c.reply);
        rig.socket.hostClosed = c.closes;
        ConnectSequence seq(rig.socket, rig.host, rig.target);
        const uint32_t start = rig.host.now;
        EXPECT_EQ(rig.Run(seq, 20000), c.result) << c.what;
        EXPECT_EQ(seq.LastError(), c.lastError) << c.what;
        if (c.logged != nullptr) {
            EXPECT_TRUE(rig.host.Logged(c.logged)) << c.what;
        }
        if (c.lastError == 12007) {
            EXPECT_GE(rig.host.now - start, kSocksReplyWaitMs) << c.what;
        }
    }
}

TEST(ConnectSequence, CancelAndLookupFailures) {
    SequenceRig rig;
    rig.socket.asyncLookup = true;
    rig.socket.lookupHangs = true;
    ConnectSequence seq(rig.socket, rig.host, rig.target);
    EXPECT_EQ(seq.Poll(rig.host.now), Progress::Pending);
    EXPECT_EQ(seq.StatusText(), u"Resolving target.example");
    seq.Cancel();
    EXPECT_EQ(seq.Poll(rig.host.now), Progress::Failed);
    EXPECT_EQ(seq.LastError(), kConnectCancelled);
    EXPECT_TRUE(rig.host.Logged("[USER CANCEL]"));

    SequenceRig unknown;
    unknown.target.host = {"nowhere.example", 23};
    ConnectSequence seq2(unknown.socket, unknown.host, unknown.target);
    EXPECT_EQ(unknown.Run(seq2), Progress::Failed);
    EXPECT_EQ(seq2.LastError(), uint32_t(platform::kSockHostNotFound));
}

TEST(SocketOpen, ThroughSocksAndItsRefusals) {
    for (uint8_t code : {90, 91, 92, 93}) {
        LayerRig rig;
        rig.layer->settings.SocksHost = "10.0.0.9";
        rig.socket.Arrive(B({0, code, 0, 0, 0, 0, 0, 0}));
        const uint8_t result = rig.Open();
        if (code == 90) {
            EXPECT_EQ(result, kCommOk);
            EXPECT_EQ(rig.socket.connects[0].second, 1080);
            EXPECT_TRUE(rig.layer->CommIsOpen());
        } else {
            EXPECT_EQ(result, 14) << int(code);
            EXPECT_EQ(rig.layer->CommErrorText(result), u"SOCKS server refused connection");
            EXPECT_FALSE(rig.layer->CommIsOpen());
        }
    }
}

TEST(Socks4, RequestAndReplyBytes) {
    EXPECT_EQ(BuildSocks4Request(0x1234, {{1, 2, 3, 4}}),
              (std::array<uint8_t, 9>{4, 1, 0x12, 0x34, 1, 2, 3, 4, 0}));
    const uint8_t granted[8] = {0, 90};
    EXPECT_EQ(ParseSocks4Reply(granted, 8).kind, SocksReplyKind::Granted);
    EXPECT_EQ(ParseSocks4Reply(granted, 7).kind, SocksReplyKind::Short);
    const uint8_t refused[8] = {0, 92};
    EXPECT_EQ(ParseSocks4Reply(refused, 8).kind, SocksReplyKind::Refused);
    EXPECT_EQ(ParseSocks4Reply(refused, 8).code, 92);
}

}  // namespace
}  // namespace connections
