// The SSH crypto objects over the Windows build's own libcrypto and zlib, and
// the random pool over the system generator.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connections/ssh/os_random.h"
#include "connections/ssh/random_pool.h"
#include "connections/ssh/ssh_cipher.h"
#include "connections/ssh/ssh_compression.h"
#include "connections/ssh/ssh_mac.h"

namespace {

using namespace connections::ssh;

std::string ToHex(const uint8_t* data, size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < length; ++i) out += {digits[data[i] >> 4], digits[data[i] & 15]};
    return out;
}

TEST(SshCryptoWin32, RandomPoolDrawsFromTheSystemGenerator) {
    uint8_t a[32] = {}, b[32] = {};
    ASSERT_TRUE(Win32OsRandom(a, sizeof a));
    ASSERT_TRUE(Win32OsRandom(b, sizeof b));
    EXPECT_NE(ToHex(a, 32), ToHex(b, 32));
    RandomPool pool(Win32OsRandom);
    EXPECT_TRUE(pool.Bytes(a, sizeof a));
    EXPECT_TRUE(pool.Seeded());
}

// The block ciphers need no loadable provider module: both run here.
TEST(SshCryptoWin32, CiphersMacAndCompressionWork) {
    const uint8_t key[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef,
                             0xf0, 0xe1, 0xd2, 0xc3, 0xb4, 0xa5, 0x96, 0x87};
    const uint8_t iv[8] = {0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10};
    auto bf = MakeSsh2Cipher("blowfish-cbc");
    bf->SetClientToServerKey(key);
    bf->SetClientToServerIv(iv);
    uint8_t data[32] = "7654321 Now is the time for ";
    ASSERT_TRUE(bf->Encrypt(data, sizeof data));
    EXPECT_EQ(ToHex(data, 32), "6b77b4d63006dee605b156e27403979358deb9e7154616d959f1652bd5ff92cc");

    uint8_t session[32] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
    auto des = MakeSsh1Cipher(2);
    des->Ssh1SessionKey(session);
    uint8_t block[8] = {'N', 'o', 'w', ' ', 'i', 's', ' ', 't'};
    ASSERT_TRUE(des->Encrypt(block, 8));
    EXPECT_EQ(ToHex(block, 8), "3fa40e8a984d4815");

    auto mac = MakeSshMac(SshMacKind::kHmacMd5);
    std::vector<uint8_t> mac_key(16, 0x0b);
    mac->SetClientToServerKey(mac_key.data());
    uint8_t packet[4 + 16] = {'h', 'e', 'r', 'e'};
    mac->Generate(packet, 4, 0x48692054);  // "Hi T"
    EXPECT_EQ(ToHex(packet + 4, 16), "9294727a3638bb1c13f48ef8158bfc9d");

    auto out = MakeSshCompression("zlib");
    auto in = MakeSshCompression("zlib");
    ASSERT_TRUE(out->StartCompressor());
    ASSERT_TRUE(in->StartDecompressor());
    std::vector<uint8_t> text(5000, 'z'), packed, back;
    ASSERT_EQ(out->Compress(text.data(), text.size(), packed), SshCodecResult::kDone);
    ASSERT_EQ(in->Decompress(packed.data(), packed.size(), back), SshCodecResult::kDone);
    EXPECT_EQ(back, text);
}

}  // namespace
