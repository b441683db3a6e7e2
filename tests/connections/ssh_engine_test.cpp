// The SSH engine's byte pump fed by hand: the version exchange, the bounds of
// both packet layers, the algorithm agreement, and failures that must end
// the connection instead of going on.
#include "connections/ssh/ssh_engine.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ssh_engine_fakes.h"

namespace connections::ssh {
namespace {

using test::ClearPacket2;
using test::RecordingServices;
using test::ServerKexInit;

void Feed(SshEngine& engine, std::string_view bytes, bool oneByOne = false) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (!oneByOne) {
        engine.Feed(data, bytes.size());
        return;
    }
    for (size_t i = 0; i < bytes.size(); ++i) engine.Feed(data + i, 1);
}

TEST(SshEngine, VersionExchangeChoosesTheProtocolAndClaimsAVersion) {
    struct Case {
        const char* server;
        uint16_t preference;
        const char* reply;
        int version;
    } cases[] = {
        {"junk line\r\nSSSH-1.99-other\r\n", 2, "SSH-2.0-Ozmel\n", 2},
        {"SSH-1.99-other\n", 1, "SSH-1.5-Ozmel\n", 1},
        {"SSH-1.3-old\n", 2, "SSH-1.3-Ozmel\n", 1},
        {"SSH-2.0-new\r\n", 1, "SSH-2.0-Ozmel\n", 2},
        {"SSH-1.5-mid\n", 2, "SSH-1.5-Ozmel\n", 1},
    };
    for (const Case& c : cases) {
        for (bool oneByOne : {false, true}) {
            RecordingServices s;
            SshConfig config;
            config.protocolPreference = c.preference;
            SshEngine engine(s, config);
            Feed(engine, c.server, oneByOne);
            EXPECT_EQ(s.written.substr(0, std::strlen(c.reply)), c.reply) << c.server;
            EXPECT_EQ(engine.ProtocolVersion(), c.version) << c.server;
            EXPECT_EQ(engine.State(), kSshLoggingIn) << c.server;
        }
    }
}

// The whole identification goes into the log (and the exchange hash), not
// only its first 79 characters.
TEST(SshEngine, LongIdentificationIsKeptWhole) {
    RecordingServices s;
    SshEngine engine(s, {});
    const std::string line = "SSH-2.0-" + std::string(200, 'v');
    Feed(engine, line + "\r\n");
    EXPECT_TRUE(s.Logged("Server version: " + line));
}

TEST(SshEngine, BadPacketLengthsEndTheConnection) {
    auto header = [](uint32_t length, uint8_t padding) {
        std::vector<uint8_t> b;
        WireWriter(b).Uint32(length);
        b.push_back(padding);
        b.resize(8, 0);
        return std::string(b.begin(), b.end());
    };
    struct Case {
        uint32_t length;
        uint8_t padding;
    } cases[] = {
        {0x7FFFFFFC, 4},      // far beyond any buffer
        {256 * 1024 + 4, 4},  // just past the bound
        {13, 4},              // length + 4 not a block multiple
        {12, 3},              // less than 4 bytes of padding
        {4, 4},               // no room for a type byte
    };
    for (const Case& c : cases) {
        RecordingServices s;
        SshEngine engine(s, {});
        Feed(engine, "SSH-2.0-x\n");
        Feed(engine, header(c.length, c.padding));
        EXPECT_EQ(engine.State(), kSshClosed) << c.length;
        EXPECT_EQ(engine.FatalMessage().rfind("Bad packet length", 0), 0u) << c.length;
    }
    RecordingServices s;
    SshEngine engine(s, {});
    Feed(engine, "SSH-1.5-x\n");
    Feed(engine, header(256 * 1024 + 1, 0));
    EXPECT_EQ(engine.State(), kSshClosed);
}

TEST(SshEngine, Ssh1PacketWithABadCrcEndsTheConnection) {
    RecordingServices s;
    SshEngine engine(s, {});
    Feed(engine, "SSH-1.5-x\n");
    // Length 5 (type and CRC), 3 bytes of padding, type 2, a wrong CRC.
    Feed(engine, std::string("\0\0\0\5\0\0\0\2\1\2\3\4", 12));
    EXPECT_EQ(engine.FatalMessage(), "Incorrect CRC received on packet");
}

TEST(SshEngine, AlgorithmAgreement) {
    struct Case {
        const char* kex;
        const char* cipher;
        const char* mac;
        const char* compression;
        uint8_t preferredCipher;
        const char* fatal;  // empty when the exchange goes on
        const char* chosenCipher;
    } cases[] = {
        {"diffie-hellman-group1-sha1", "3des-cbc", "hmac-md5,hmac-sha1", "none", 1, "", "3des-cbc"},
        {"diffie-hellman-group1-sha1", "blowfish-cbc,3des-cbc", "hmac-md5", "zlib,none", 3, "",
         "3des-cbc"},
        {"diffie-hellman-group1-sha1", "blowfish-cbc,3des-cbc", "hmac-sha1", "none", 1, "",
         "blowfish-cbc"},
        {"curve25519-sha256", "3des-cbc", "hmac-sha1", "none", 3,
         "internal fault: chaos in SSH 2 transport layer", ""},
        {"diffie-hellman-group1-sha1", "aes128-ctr", "hmac-sha1", "none", 3,
         "No common client-to-server cipher with the server (it offers aes128-ctr)", ""},
        {"diffie-hellman-group1-sha1", "3des-cbc", "umac-64", "none", 3,
         "No common client-to-server MAC with the server (it offers umac-64)", ""},
    };
    for (const Case& c : cases) {
        RecordingServices s;
        SshConfig config;
        config.cipher = c.preferredCipher;
        SshEngine engine(s, config);
        Feed(engine, "SSH-2.0-x\n");
        Feed(engine, ServerKexInit(c.kex, "ssh-dss", c.cipher, c.mac, c.compression));
        EXPECT_EQ(engine.FatalMessage(), c.fatal) << c.cipher;
        if (*c.fatal == 0) {
            EXPECT_EQ(engine.CipherName(), c.chosenCipher) << c.cipher;
        }
    }
}

// Without a system generator no key exchange starts, and a write that fails
// ends the connection instead of losing the packet silently.
TEST(SshEngine, RefusedRandomAndFailedWritesEndTheConnection) {
    RecordingServices noRandom;
    noRandom.randomOk = false;
    SshEngine a(noRandom, {});
    Feed(a, "SSH-2.0-x\n");
    EXPECT_EQ(a.State(), kSshClosed);
    EXPECT_EQ(noRandom.written, "SSH-2.0-Ozmel\n");

    RecordingServices noWrite;
    noWrite.writeOk = false;
    SshEngine b(noWrite, {});
    Feed(b, "SSH-2.0-x\n");
    EXPECT_EQ(b.FatalMessage(), "sk_write failed");
    EXPECT_FALSE(b.Feed(reinterpret_cast<const uint8_t*>("x"), 1));
}

TEST(SshEngine, PacketsBeforeTheKeyExchangeMustBeKeyExchangePackets) {
    RecordingServices s;
    SshEngine engine(s, {});
    Feed(engine, "SSH-2.0-x\n");
    Feed(engine, ClearPacket2({2, 0, 0, 0, 0}));  // ignore: dropped
    EXPECT_EQ(engine.State(), kSshLoggingIn);
    Feed(engine, ClearPacket2({94, 0, 0, 0, 100}));
    EXPECT_EQ(engine.FatalMessage(), "expected key exchange packet from server");
}

TEST(SshWire, NumbersAndNames) {
    struct Mpint {
        const char* hex;
        std::vector<uint8_t> wire;
    } mpints[] = {
        {"0", {0, 0, 0, 0}},
        {"7F", {0, 0, 0, 1, 0x7F}},
        {"80", {0, 0, 0, 2, 0, 0x80}},
        {"0123", {0, 0, 0, 2, 1, 0x23}},
    };
    for (const Mpint& m : mpints) {
        BIGNUM* n = nullptr;
        BN_hex2bn(&n, m.hex);
        std::vector<uint8_t> out;
        WireWriter(out).Mpint(n);
        EXPECT_EQ(out, m.wire) << m.hex;
        Bn back;
        WireReader r(out.data(), out.size());
        ASSERT_TRUE(r.Mpint(back));
        EXPECT_EQ(BN_cmp(back.get(), n), 0);
        BN_free(n);
    }
    const uint8_t negative[] = {0, 0, 0, 1, 0x80};
    Bn n;
    WireReader r(negative, sizeof negative);
    EXPECT_FALSE(r.Mpint(n));
    const uint8_t shortString[] = {0, 0, 0, 9, 'a'};
    const uint8_t* p = nullptr;
    size_t length = 0;
    WireReader s(shortString, sizeof shortString);
    EXPECT_FALSE(s.String(p, length));

    EXPECT_TRUE(NameListHas("a,bb,c", "bb"));
    EXPECT_FALSE(NameListHas("a,bbb,c", "bb"));
    EXPECT_FALSE(NameListHas("", "a"));
    EXPECT_EQ(SshVersionCompare("1.99", "2.0"), -1);
    EXPECT_EQ(SshVersionCompare("2", "2.0"), 0);
    EXPECT_EQ(SshVersionCompare("1.10", "1.5"), 1);
    EXPECT_EQ(SshVersionCompare("99999999999999", "1.5"), 1);
    // No initial or final inversion: the check value of "123456789" differs
    // from the usual CRC-32's.
    const uint8_t text[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(SshCrc32(text, 9), 0x2DFD2D88u);
}

}  // namespace
}  // namespace connections::ssh
