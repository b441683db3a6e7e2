#include "connections/telnet_protocol.h"

#include <gtest/gtest.h>

#include "connection_fakes.h"

namespace connections {
namespace {

using testing::B;
using testing::Bytes;
using testing::LayerRig;
using testing::S;

constexpr int IAC = 255, SB = 250, SE = 240, WILL = 251, WONT = 252, DO = 253, DONT = 254;

Bytes Cat(std::initializer_list<Bytes> chunks) {
    Bytes out;
    for (const Bytes& p : chunks) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Telnet security that can be carried out (its steps do nothing here).
struct CapableSecurity : TelnetSecurity {
    bool Available() override { return true; }
};

struct Rig : LayerRig {
    explicit Rig(TelnetSecurity* security = nullptr) {
        if (security != nullptr) layer->Attach(&socket, &host, security);
        EXPECT_EQ(Open(), kCommOk);
        socket.TakeSent();
    }
    // Host bytes in; data out; what this side answered.
    Bytes Feed(const Bytes& bytes, Bytes* data = nullptr) {
        socket.Arrive(bytes);
        Bytes got = ReadAll();
        if (data != nullptr) *data = got;
        return socket.TakeSent();
    }
    TelnetSettings& ts() { return layer->settings.telnet; }
};

TEST(TelnetNegotiation, RepliesFollowTheOptionTables) {
    struct Case {
        const char* what;
        void (*setup)(TelnetSettings&);
        Bytes in;
        Bytes out;
        bool secure = false;
    } cases[] = {
        {"WILL SGA once", nullptr, B({IAC, WILL, 3, IAC, WILL, 3}), B({IAC, DO, 3})},
        {"WILL BINARY", nullptr, B({IAC, WILL, 0, IAC, WILL, 0}), B({IAC, DO, 0})},
        {"WILL unknown", nullptr, B({IAC, WILL, 5}), B({IAC, DONT, 5})},
        {"WILL ENCRYPT refused", [](TelnetSettings& s) { s.SrpEncryptMode = 0; },
         B({IAC, WILL, 38}), B({IAC, DONT, 38})},
        {"DO LINEMODE", nullptr, B({IAC, DO, 34}), B({IAC, WONT, 34})},
        {"DO BINARY even when offered", [](TelnetSettings& s) { s.TelnetBinary = true; },
         B({IAC, DO, 0}), B({IAC, WONT, 0})},
        {"DO NAWS not allowed", [](TelnetSettings& s) { s.SendWindowSize = false; },
         B({IAC, DO, 31}), B({IAC, WONT, 31})},
        {"DO NAWS", nullptr, B({IAC, DO, 31, IAC, DO, 31}),
         B({IAC, WILL, 31, IAC, SB, 31, 0, 80, 0, 24, IAC, SE})},
        {"DO TTYPE once", nullptr, B({IAC, DO, 24, IAC, DO, 24}), B({IAC, WILL, 24})},
        {"DO ENCRYPT refused", [](TelnetSettings& s) { s.SrpEncryptMode = 0; }, B({IAC, DO, 38}),
         B({IAC, WONT, 38})},
        {"DO AUTHENTICATION", nullptr, B({IAC, DO, 37, IAC, DO, 37}), B({IAC, WILL, 37}), true},
        {"DO AUTHENTICATION without security", nullptr, B({IAC, DO, 37}), B({IAC, WONT, 37})},
        {"DO ENCRYPT without security", nullptr, B({IAC, DO, 38}), B({IAC, WONT, 38})},
        {"WILL ENCRYPT without security", nullptr, B({IAC, WILL, 38}), B({IAC, DONT, 38})},
        {"DO ENVIRON", nullptr, B({IAC, DO, 36}), B({IAC, WILL, 36})},
        {"DO NEW-ENVIRON then DONT", nullptr, B({IAC, DO, 39, IAC, DONT, 39}),
         B({IAC, WILL, 39, IAC, WONT, 39, IAC, WILL, 36})},
        {"DO ENVIRON after NEW-ENVIRON", nullptr, B({IAC, DO, 39, IAC, DO, 36}),
         B({IAC, WILL, 39, IAC, WONT, 36})},
        {"DONT TTYPE when on", nullptr, B({IAC, DO, 24, IAC, DONT, 24, IAC, DONT, 24}),
         B({IAC, WILL, 24, IAC, WONT, 24})},
        {"DONT unknown", nullptr, B({IAC, DONT, 5}), B({})},
        {"WONT unknown", nullptr, B({IAC, WONT, 5}), B({})},
        {"IAC 6 x", nullptr, B({IAC, 6, 1}), B({})},
    };
    for (const Case& c : cases) {
        CapableSecurity security;
        Rig rig(c.secure ? &security : nullptr);
        if (c.setup != nullptr) c.setup(rig.ts());
        Bytes data;
        EXPECT_EQ(rig.Feed(c.in, &data), c.out) << c.what;
        EXPECT_TRUE(data.empty()) << c.what;
    }
}

TEST(TelnetNegotiation, EchoDecidesDuplex) {
    Rig rig;
    EXPECT_EQ(rig.Feed(B({IAC, WILL, 1})), B({IAC, DO, 1}));
    EXPECT_EQ(rig.host.fullDuplex, 1);
    rig.host.fullDuplex = 0;
    EXPECT_EQ(rig.Feed(B({IAC, WILL, 1})), B({}));  // no second reply
    EXPECT_EQ(rig.host.fullDuplex, 1);              // but duplex again
    EXPECT_EQ(rig.Feed(B({IAC, WONT, 1})), B({IAC, DONT, 1}));
    EXPECT_EQ(rig.host.fullDuplex, 0);
    EXPECT_TRUE(rig.host.Logged("[R:IAC WILLTEL ECHO]"));
    EXPECT_TRUE(rig.host.Logged("[S:IAC DOTEL ECHO]"));
}

TEST(TelnetNegotiation, AFailedReplyIsRecorded) {
    Rig rig;
    rig.socket.sendError = platform::kSockConnectionReset;
    rig.Feed(B({IAC, WILL, 5}));
    EXPECT_EQ(rig.layer->CommLastError, kReplyNotSent);
}

TEST(TelnetNegotiation, TerminalTypeWalksTheListAndMarksItsEnd) {
    Rig rig;
    rig.ts().TermNameList = "VT220;VT100";
    EXPECT_EQ(rig.Feed(B({IAC, DO, 24})), B({IAC, WILL, 24}));
    const Bytes send = B({IAC, SB, 24, 1, IAC, SE});
    auto answer = [](const char* name) {
        return Cat({B({IAC, SB, 24, 0}), S(name), B({IAC, SE})});
    };
    EXPECT_EQ(rig.Feed(send), answer("VT220"));
    EXPECT_EQ(rig.Feed(send), answer("VT100"));
    EXPECT_EQ(rig.Feed(send), answer("VT100"));
    EXPECT_EQ(rig.Feed(send), answer("VT220"));
    EXPECT_TRUE(rig.host.Logged("[S:IAC SB TERMTYP 0 VT220 IAC SE]"));
    EXPECT_TRUE(rig.host.Logged("[R:IAC SB TERMTYP 1 IAC SE]"));
}

TEST(TelnetNegotiation, TerminalTypeFromTheTypeName) {
    struct Case {
        const char* type;
        bool oldSco;
        std::vector<std::string> answers;
    } cases[] = {
        {"VT220", false, {"VT220", "VT220", "VT220"}},
        {"SCOANSI", false, {"SCOANSI", "ANSI", "ANSI", "SCOANSI"}},
        {"SCOANSI", true, {"ANSI", "ANSI"}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.ts().TerminalType = c.type;
        rig.ts().OldScoAnsi = c.oldSco;
        for (const std::string& name : c.answers) {
            EXPECT_EQ(rig.Feed(B({IAC, SB, 24, 1, IAC, SE})),
                      Cat({B({IAC, SB, 24, 0}), S(name), B({IAC, SE})}))
                << c.type << " " << name;
        }
    }
}

TEST(TelnetNegotiation, EnvironmentAnswers) {
    Rig rig;
    rig.ts().EnvironmentText = "A=1;B";
    // The old option has VAR 1 and VALUE 0; the item without "=" is skipped.
    EXPECT_EQ(rig.Feed(B({IAC, SB, 36, 1, IAC, SE})), B({IAC, SB, 36, 0, 1, 'A', 0, '1', IAC, SE}));
    rig.ts().EnvironmentText = "OZMEL=${OZM_PROGRAM}";
    EXPECT_EQ(rig.Feed(B({IAC, SB, 39, 1, IAC, SE})),
              Cat({B({IAC, SB, 39, 0, 0}), S("OZMEL"), B({1}), S("C:\\VZ.EXE"), B({IAC, SE})}));
    EXPECT_TRUE(rig.host.Logged("[S: 0 OZMEL 1 C:\\VZ.EXE]"));
}

TEST(TelnetNegotiation, SubnegotiationPayloadsDoubleIac) {
    Rig rig;
    rig.ts().TermNameList = "A\xFF";
    EXPECT_EQ(rig.Feed(B({IAC, SB, 24, 1, IAC, SE})), B({IAC, SB, 24, 0, 'A', IAC, IAC, IAC, SE}));
    rig.ts().EnvironmentText = "\xFF=\xFF";
    EXPECT_EQ(rig.Feed(B({IAC, SB, 39, 1, IAC, SE})),
              B({IAC, SB, 39, 0, 0, IAC, IAC, 1, IAC, IAC, IAC, SE}));
    // A window 255 columns wide.
    rig.host.columns = 255;
    rig.Feed(B({IAC, DO, 31}));
    rig.layer->TelnetSendWindowSize(255, 511);
    EXPECT_EQ(rig.socket.TakeSent(), B({IAC, SB, 31, 0, IAC, IAC, 1, IAC, IAC, IAC, SE}));
}

TEST(TelnetNegotiation, WindowSizeOnResizeOnlyWhenAgreed) {
    Rig rig;
    rig.layer->TelnetSendWindowSize(132, 43);
    EXPECT_EQ(rig.socket.TakeSent(), B({}));
    rig.Feed(B({IAC, DO, 31}));
    rig.layer->TelnetSendWindowSize(132, 43);
    EXPECT_EQ(rig.socket.TakeSent(), B({IAC, SB, 31, 0, 132, 0, 43, IAC, SE}));
    EXPECT_TRUE(rig.host.Logged("[S:IAC SB NAWS 0 132 0 43 IAC SE]"));
    rig.Feed(B({IAC, DONT, 31}));
    EXPECT_EQ(rig.socket.TakeSent(), B({}));
    rig.layer->TelnetSendWindowSize(80, 24);
    EXPECT_EQ(rig.socket.TakeSent(), B({}));
}

TEST(TelnetNegotiation, InitialOffers) {
    CapableSecurity security;
    LayerRig rig(true);
    rig.layer->Attach(&rig.socket, &rig.host, &security);
    ASSERT_EQ(rig.Open(), kCommOk);
    EXPECT_EQ(rig.socket.TakeSent(), B({IAC, DO,  1,    IAC, WILL, 24, IAC, WILL, 31,   IAC, WILL,
                                        39,  IAC, WILL, 38,  IAC,  DO, 38,  IAC,  WILL, 37}));
    // Without security behind them, AUTHENTICATION and ENCRYPT are not offered.
    LayerRig plain(true);
    ASSERT_EQ(plain.Open(), kCommOk);
    EXPECT_EQ(plain.socket.TakeSent(),
              B({IAC, DO, 1, IAC, WILL, 24, IAC, WILL, 31, IAC, WILL, 39}));
    LayerRig other(true);
    auto& ts = other.layer->settings.telnet;
    ts.TelnetBinary = true;
    ts.SendWindowSize = false;
    ts.SrpAuthMode = ts.SrpEncryptMode = 0;
    ASSERT_EQ(other.Open(), kCommOk);
    EXPECT_EQ(other.socket.TakeSent(), B({IAC, DO, 1, IAC, WILL, 24, IAC, WILL, 39, IAC, DO, 0}));
    // DO ECHO was an offer, so the host's WILL ECHO is still answered.
    other.socket.Arrive(B({IAC, WILL, 1, IAC, WILL, 0}));
    other.ReadAll();
    EXPECT_EQ(other.socket.TakeSent(), B({IAC, DO, 1, IAC, DO, 0}));
}

TEST(TelnetCollector, OnlyDataReachesTheReader) {
    struct Case {
        const char* what;
        Bytes in;
        Bytes data;
        const char* logged;
    } cases[] = {
        {"doubled IAC", Cat({S("A"), B({IAC, IAC}), S("B")}), Cat({S("A"), B({255}), S("B")}),
         nullptr},
        {"NOP and an unknown command", Cat({B({IAC, 241, IAC, 200}), S("x")}), S("x"),
         "[R:IAC 200]"},
        {"240 inside a subnegotiation is data",
         Cat({S("x"), B({IAC, SB, 99, 1, SE, 2, IAC, SE}), S("z")}), S("xz"),
         "[R:IAC SB 99 1 240 2 IAC SE]"},
        {"doubled IAC inside a subnegotiation",
         Cat({B({IAC, SB, 99, 1, IAC, IAC, 2, IAC, SE}), S("z")}), S("z"),
         "[R:IAC SB 99 1 255 2 IAC SE]"},
        {"15 data bytes fit", Cat({B({IAC, SB, 99}), Bytes(15, 'q'), B({IAC, SE}), S("z")}), S("z"),
         nullptr},
        {"16 data bytes overflow and are skipped, not shown",
         Cat({B({IAC, SB, 99}), Bytes(16, 'q'), B({IAC, SE}), S("z")}), S("z"),
         "[R:iac-string overflow]"},
        {"a huge subnegotiation is bounded",
         Cat({B({IAC, SB, 99}), Bytes(20000, 'q'), B({IAC, IAC, SE, IAC, SE}), S("z")}), S("z"),
         "[R:iac-string overflow]"},
        {"abandoned subnegotiation", Cat({B({IAC, SB, 99, 1, IAC, 241}), S("ok")}), S("ok"),
         "[R:IAC NOP]"},
        {"split across receives",
         Cat({S("a"), B({IAC}), B({SB, 24}), B({1, IAC}), B({SE}), S("b")}), S("ab"), nullptr},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.socket.maxChunk = 3;
        Bytes data;
        rig.Feed(c.in, &data);
        EXPECT_EQ(data, c.data) << c.what;
        EXPECT_FALSE(rig.layer->telnet.Collecting()) << c.what;
        if (c.logged != nullptr) {
            EXPECT_TRUE(rig.host.Logged(c.logged)) << c.what;
        }
    }
}

TEST(TelnetCollector, AbandonedSubnegotiationStartsTheNextCommand) {
    Rig rig;
    Bytes data;
    EXPECT_EQ(rig.Feed(Cat({B({IAC, SB, 99, 1, IAC, WILL, 1}), S("ok")}), &data), B({IAC, DO, 1}));
    EXPECT_EQ(data, S("ok"));
}

TEST(TelnetCollector, DispatchedSubnegotiationHoldsItsData) {
    struct Recorder : TelnetSecurity {
        TelnetCollector seen;
        bool Available() override { return true; }
        bool SrpAuthSend(const TelnetCollector& c) override {
            seen = c;
            return true;
        }
    } security;
    Rig rig;
    rig.layer->Attach(&rig.socket, &rig.host, &security);
    rig.Feed(B({IAC, SB, 37, 1, 5, IAC, IAC, SE, IAC, SE}));
    ASSERT_EQ(security.seen.count, 9);
    EXPECT_EQ(Bytes(security.seen.bytes, security.seen.bytes + 9),
              B({IAC, SB, 37, 1, 5, 255, SE, IAC, SE}));
    EXPECT_EQ(rig.host.autoLoginStops, 1);
    EXPECT_TRUE(rig.host.Logged("[R:IAC SB AUTH SEND 5 255 240 IAC SE]"));
}

}  // namespace
}  // namespace connections
