#include "connections/ssh/random_pool.h"

#include <gtest/gtest.h>

#include <vector>

#include "connections/ssh_test_hex.h"

namespace connections::ssh {
namespace {

using test::ToHex;

bool CountingSource(uint8_t* buffer, size_t count) {
    for (size_t i = 0; i < count; ++i) buffer[i] = uint8_t(i);
    return true;
}

bool BrokenSource(uint8_t*, size_t) {
    return false;
}

std::vector<uint8_t> Draw(RandomPool& pool, std::initializer_list<size_t> requests) {
    std::vector<uint8_t> out;
    for (size_t n : requests) {
        std::vector<uint8_t> part(n, 0xcc);
        EXPECT_TRUE(pool.Bytes(part.data(), n));
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

// With the seed record 00 01 .. 43: pool P = SHA-1(record), then blocks
// SHA-1(P | previous block | P) starting from a zero block.
TEST(RandomPool, ProducesTheDigestChain) {
    RandomPool pool(CountingSource);
    EXPECT_EQ(ToHex(Draw(pool, {40})),
              "8f6d6c125cdd0f3515ea1084580c2ecafb1d6314861f575d861495c8974b07fee7859b0c4950570d");
}

TEST(RandomPool, HowRequestsAreCutDoesNotMatter) {
    RandomPool whole(CountingSource);
    std::vector<uint8_t> expected = Draw(whole, {65});
    for (auto cuts :
         {std::vector<size_t>{10, 10, 45}, {20, 0, 20, 25}, {0, 1, 19, 21, 24}, {7, 13, 45}}) {
        RandomPool pool(CountingSource);
        std::vector<uint8_t> out;
        for (size_t n : cuts) {
            std::vector<uint8_t> part = Draw(pool, {n});
            out.insert(out.end(), part.begin(), part.end());
        }
        EXPECT_EQ(out, expected);
    }
}

TEST(RandomPool, RefusesWithoutAWorkingSystemGenerator) {
    for (OsRandomFill source : {OsRandomFill{nullptr}, OsRandomFill{BrokenSource}}) {
        RandomPool pool(source);
        std::vector<uint8_t> buffer(16, 0xcc);
        EXPECT_FALSE(pool.Bytes(buffer.data(), buffer.size()));
        EXPECT_EQ(buffer, std::vector<uint8_t>(16, 0));
        EXPECT_FALSE(pool.Seeded());
    }
}

TEST(RandomPool, ProgramPoolRefusesUntilAGeneratorIsInstalled) {
    InstallOsRandom(nullptr);
    uint8_t byte = 0xcc;
    EXPECT_FALSE(RandomAvailable());
    EXPECT_FALSE(RandomByte(byte));
    EXPECT_EQ(byte, 0);
    InstallOsRandom(BrokenSource);
    EXPECT_FALSE(RandomAvailable());

    InstallOsRandom(PosixOsRandom);
    EXPECT_TRUE(RandomAvailable());
    std::vector<uint8_t> a(32), b(32);
    EXPECT_TRUE(RandomBytes(a.data(), a.size()));
    EXPECT_TRUE(RandomBytes(b.data(), b.size()));
    EXPECT_NE(a, b);
    RandomPool other(PosixOsRandom);
    std::vector<uint8_t> c(32);
    EXPECT_TRUE(other.Bytes(c.data(), c.size()));
    EXPECT_NE(a, c);
    InstallOsRandom(nullptr);
}

}  // namespace
}  // namespace connections::ssh
