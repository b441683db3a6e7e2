#include "connections/ssh/ssh_mac.h"

#include <gtest/gtest.h>

#include <vector>

#include "connections/ssh_test_hex.h"

namespace connections::ssh {
namespace {

using test::Bytes;
using test::Hex;
using test::ToHex;

// RFC 2202's HMAC vectors: the data's first four bytes stand for the
// sequence number and the rest for the packet. Keys shorter than the MAC's
// key are padded with zeros, which HMAC does itself.
struct KnownAnswer {
    SshMacKind kind;
    std::vector<uint8_t> key;
    std::vector<uint8_t> data;
    const char* mac;
};

std::vector<uint8_t> Padded(std::vector<uint8_t> key) {
    key.resize(20, 0);
    return key;
}

const KnownAnswer kKnownAnswers[] = {
    {SshMacKind::kHmacSha1, std::vector<uint8_t>(20, 0x0b), Bytes("Hi There"),
     "b617318655057264e28bc0b6fb378c8ef146be00"},
    {SshMacKind::kHmacSha1, Padded(Bytes("Jefe")), Bytes("what do ya want for nothing?"),
     "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
    {SshMacKind::kHmacSha1, std::vector<uint8_t>(20, 0xaa), std::vector<uint8_t>(50, 0xdd),
     "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
    {SshMacKind::kHmacMd5, std::vector<uint8_t>(20, 0x0b), Bytes("Hi There"),
     "9294727a3638bb1c13f48ef8158bfc9d"},
    {SshMacKind::kHmacMd5, Padded(Bytes("Jefe")), Bytes("what do ya want for nothing?"),
     "750c783e6ab0b503eaa86e310a5db738"},
    {SshMacKind::kHmacMd5, std::vector<uint8_t>(20, 0xaa), std::vector<uint8_t>(50, 0xdd),
     "56be34521d144c88dbb8c733f0e8b3f6"},
    // The short-key SHA-1 takes 16 of the 20 derived bytes: a MAC of its own
    // (HMAC-SHA1 under 16 bytes of 0x0b), still 20 bytes long.
    {SshMacKind::kHmacSha1ShortKey, std::vector<uint8_t>(20, 0x0b), Bytes("Hi There"),
     "675b0b3a1b4ddf4e124872da6c2f632bfed957e9"},
};

TEST(SshMac, KnownAnswersAreMadeAndVerifiedByThePeer) {
    for (const auto& c : kKnownAnswers) {
        SCOPED_TRACE(c.mac);
        auto client = MakeSshMac(c.kind);
        auto server = MakeSshMac(c.kind);
        client->SetClientToServerKey(c.key.data());
        server->SetServerToClientKey(c.key.data());
        uint32_t sequence = uint32_t(c.data[0]) << 24 | uint32_t(c.data[1]) << 16 |
                            uint32_t(c.data[2]) << 8 | c.data[3];
        std::vector<uint8_t> packet(c.data.begin() + 4, c.data.end());
        size_t length = packet.size();
        packet.resize(length + client->MacLength(), 0xee);

        client->Generate(packet.data(), length, sequence);
        EXPECT_EQ(ToHex(packet.data() + length, client->MacLength()), c.mac);
        EXPECT_TRUE(server->Verify(packet.data(), length, sequence));
        EXPECT_FALSE(server->Verify(packet.data(), length, sequence + 1));
        // The client's own incoming key is not the one the MAC was made with.
        EXPECT_FALSE(client->Verify(packet.data(), length, sequence));
        packet.back() ^= 1;
        EXPECT_FALSE(server->Verify(packet.data(), length, sequence));
    }
}

TEST(SshMac, NamesAndLengths) {
    struct Row {
        SshMacKind kind;
        const char* name;
        size_t key_size, mac_length;
    };
    const Row rows[] = {{SshMacKind::kHmacSha1, "hmac-sha1", 20, 20},
                        {SshMacKind::kHmacSha1ShortKey, "hmac-sha1", 16, 20},
                        {SshMacKind::kHmacMd5, "hmac-md5", 16, 16},
                        {SshMacKind::kNone, "none", 0, 0}};
    for (const auto& r : rows) {
        auto mac = MakeSshMac(r.kind);
        EXPECT_EQ(mac->Name(), r.name);
        EXPECT_EQ(mac->KeySize(), r.key_size);
        EXPECT_EQ(mac->MacLength(), r.mac_length);
    }
}

TEST(SshMac, NoneAddsNothingAndEveryPacketVerifies) {
    auto mac = MakeSshMac(SshMacKind::kNone);
    std::vector<uint8_t> packet = Bytes("abcdefgh");
    mac->Generate(packet.data(), 4, 7);
    EXPECT_EQ(packet, Bytes("abcdefgh"));
    EXPECT_TRUE(mac->Verify(packet.data(), 4, 99));
}

TEST(SshMac, AnUnkeyedMacVerifiesNothing) {
    auto mac = MakeSshMac(SshMacKind::kHmacSha1);
    std::vector<uint8_t> packet(40, 0);
    EXPECT_FALSE(mac->Verify(packet.data(), 20, 0));
}

}  // namespace
}  // namespace connections::ssh
