#include "connections/ssh/ssh_cipher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connections/ssh_test_hex.h"

namespace connections::ssh {
namespace {

using test::Bytes;
using test::Hex;
using test::ToHex;

// A cipher keyed as the client and one keyed as the server that reads what
// the client sends: SSH-1 objects share the session key, SSH-2 objects get
// the client-to-server key and IV as their incoming pair.
struct Pair {
    std::unique_ptr<SshCipher> client, server;
};

Pair MakePair(int ssh1, std::string_view ssh2, const std::vector<uint8_t>& key,
              const std::vector<uint8_t>& iv) {
    Pair p;
    if (ssh1) {
        p.client = MakeSsh1Cipher(ssh1);
        p.server = MakeSsh1Cipher(ssh1);
        std::vector<uint8_t> session = key;
        session.resize(32, 0x5a);
        p.client->Ssh1SessionKey(session.data());
        p.server->Ssh1SessionKey(session.data());
    } else {
        p.client = MakeSsh2Cipher(ssh2);
        p.server = MakeSsh2Cipher(ssh2);
        p.client->SetClientToServerKey(key.data());
        p.client->SetClientToServerIv(iv.data());
        p.server->SetServerToClientKey(key.data());
        p.server->SetServerToClientIv(iv.data());
    }
    return p;
}

struct KnownAnswer {
    const char* what;
    int ssh1;  // SSH-1 cipher number, 0 for the SSH-2 name
    const char* ssh2;
    const char* key;
    const char* iv;
    std::vector<uint8_t> plain;
    const char* cipher;
};

// The IV of a CBC vector folded into its first block gives the same
// ciphertext from a zero IV, which is all SSH-1 has.
std::vector<uint8_t> FoldIv(std::string_view text, const char* iv) {
    std::vector<uint8_t> data = Bytes(text);
    std::vector<uint8_t> v = Hex(iv);
    for (size_t i = 0; i < 8; ++i) data[i] ^= v[i];
    return data;
}

const KnownAnswer kKnownAnswers[] = {
    // FIPS 81 CBC example.
    {"SSH-1 single DES", 2, "", "0123456789abcdef", "",
     FoldIv("Now is the time for all ", "1234567890abcdef"),
     "e5c7cdde872bf27c43e934008c389c0f683788499a7c05f6"},
    // The same vector through SSH-2 triple DES with three equal keys.
    {"SSH-2 3des-cbc, keys equal", 0, "3des-cbc",
     "0123456789abcdef0123456789abcdef0123456789abcdef", "1234567890abcdef",
     Bytes("Now is the time for all "), "e5c7cdde872bf27c43e934008c389c0f683788499a7c05f6"},
    // Blowfish CBC with a 16-byte key, from the reference implementation's tests.
    {"SSH-2 blowfish-cbc", 0, "blowfish-cbc", "0123456789abcdeff0e1d2c3b4a59687",
     "fedcba9876543210", Hex("37363534333231204e6f77206973207468652074696d6520666f722000000000"),
     "6b77b4d63006dee605b156e27403979358deb9e7154616d959f1652bd5ff92cc"},
    // Little-endian words and a 32-byte key, checked against an independent
    // Blowfish with the words swapped around it.
    {"SSH-1 Blowfish", 6, "", "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
     "", Bytes("Packets of SSH-1 in little-end.!"),
     "f480a1925c4fc10f589d138cd3190d77fcbba1a18587f6659d50f62af6fa8aa4"},
    // Three DES-CBC passes over the SP 800-67 keys; the first block is the
    // standard's triple-DES block, as all chains start at zero.
    {"SSH-1 triple DES", 3, "", "0123456789abcdef23456789abcdef01456789abcdef0123", "",
     Bytes("The qufck brown fox jumps over t"),
     "a826fd8ce53b855fda9a1ebdebb9a9907e08d8c53ac72a0fb4eb02194838bf00"},
};

TEST(SshCipher, KnownAnswersBothWays) {
    for (const auto& c : kKnownAnswers) {
        SCOPED_TRACE(c.what);
        Pair p = MakePair(c.ssh1, c.ssh2, Hex(c.key), Hex(c.iv));
        ASSERT_TRUE(p.client && p.server);
        std::vector<uint8_t> data = c.plain;
        ASSERT_TRUE(p.client->Encrypt(data.data(), data.size()));
        EXPECT_EQ(ToHex(data), c.cipher);
        ASSERT_TRUE(p.server->Decrypt(data.data(), data.size()));
        EXPECT_EQ(data, c.plain);
    }
}

// SP 800-67's triple-DES example, one block at a time from a zero IV (ECB).
TEST(SshCipher, Ssh2TripleDesMatchesTheStandardsBlocks) {
    auto cipher = MakeSsh2Cipher("3des-cbc");
    std::vector<uint8_t> key = Hex("0123456789abcdef23456789abcdef01456789abcdef0123");
    cipher->SetClientToServerKey(key.data());
    std::vector<uint8_t> data = Bytes("The qufck brown fox jump");
    const uint8_t zero[8] = {};
    for (size_t at = 0; at < data.size(); at += 8) {
        cipher->SetClientToServerIv(zero);
        ASSERT_TRUE(cipher->Encrypt(data.data() + at, 8));
    }
    EXPECT_EQ(ToHex(data), "a826fd8ce53b855fcce21c8112256fe668d5c05dd9b6b900");
}

// Every chaining value carries over from packet to packet, whichever way the
// stream is cut, and the peer reads it back whichever way it cuts it.
TEST(SshCipher, ChainsCarryAcrossPacketBoundaries) {
    struct Kind {
        int ssh1;
        const char* ssh2;
    };
    const Kind kinds[] = {{2, ""}, {3, ""}, {6, ""}, {0, "3des-cbc"}, {0, "blowfish-cbc"}};
    std::vector<uint8_t> key =
        Hex("f00dfacecafebabe0011223344556677deadbeef8899aabb0123456789abcdef");
    std::vector<uint8_t> iv = Hex("0102030405060708");
    std::vector<uint8_t> plain(256);
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = uint8_t(i * 7 + 3);
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.ssh1 ? std::to_string(k.ssh1) : k.ssh2);
        Pair whole = MakePair(k.ssh1, k.ssh2, key, iv);
        std::vector<uint8_t> once = plain;
        ASSERT_TRUE(whole.client->Encrypt(once.data(), once.size()));

        Pair cut = MakePair(k.ssh1, k.ssh2, key, iv);
        std::vector<uint8_t> data = plain;
        size_t at = 0;
        for (size_t n : {16, 16, 8, 64, 152}) {
            ASSERT_TRUE(cut.client->Encrypt(data.data() + at, n));
            at += n;
        }
        EXPECT_EQ(data, once);
        at = 0;
        for (size_t n : {8, 200, 24, 24}) {
            ASSERT_TRUE(cut.server->Decrypt(data.data() + at, n));
            at += n;
        }
        EXPECT_EQ(data, plain);
    }
}

TEST(SshCipher, RefusesLengthsThatAreNotWholeBlocks) {
    Pair p = MakePair(0, "blowfish-cbc", Hex("00112233445566778899aabbccddeeff"),
                      Hex("0000000000000000"));
    std::vector<uint8_t> data(12, 0x41);
    EXPECT_FALSE(p.client->Encrypt(data.data(), data.size()));
    EXPECT_FALSE(p.server->Decrypt(data.data(), data.size()));
    EXPECT_EQ(data, std::vector<uint8_t>(12, 0x41));
}

TEST(SshCipher, NamesSizesAndLogLines) {
    struct Row {
        int ssh1;
        const char* ssh2;
        const char* name;
        size_t key_size;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {2, "", "des-cbc", 8, {"Initialized single-DES encryption"}},
        {3,
         "",
         "3des-cbc",
         24,
         {"Initialized triple-DES client^.server encryption",
          "Initialized triple-DES server^.client encryption"}},
        {6, "", "blowfish-cbc", 32, {"Initialized Blowfish encryption"}},
        {0,
         "3des-cbc",
         "3des-cbc",
         24,
         {"Initialized triple-DES client^.server encryption",
          "Initialized triple-DES server^.client encryption"}},
        {0,
         "blowfish-cbc",
         "blowfish-cbc",
         16,
         {"Initialized Blowfish client^.server encryption",
          "Initialized Blowfish server^.client encryption"}},
    };
    const uint8_t key[32] = {1, 2, 3};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<std::string> lines;
        SshLogLine log = [&](std::string_view line) { lines.emplace_back(line); };
        auto cipher = r.ssh1 ? MakeSsh1Cipher(r.ssh1, log) : MakeSsh2Cipher(r.ssh2, log);
        ASSERT_TRUE(cipher);
        if (r.ssh1) {
            cipher->Ssh1SessionKey(key);
        } else {
            cipher->SetClientToServerKey(key);
            cipher->SetServerToClientKey(key);
        }
        EXPECT_EQ(cipher->Name(), r.name);
        EXPECT_EQ(cipher->BlockSize(), 8u);
        EXPECT_EQ(cipher->KeySize(), r.key_size);
        EXPECT_EQ(lines, r.lines);
    }
    EXPECT_EQ(MakeSsh1Cipher(1), nullptr);
    EXPECT_EQ(MakeSsh2Cipher("aes128-cbc"), nullptr);
}

}  // namespace
}  // namespace connections::ssh
