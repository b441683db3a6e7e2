#include "commands/password_scramble.h"

#include <gtest/gtest.h>

#include <string>

namespace commands {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

TEST(PasswordScramble, PositionsUseKeyOneTwoThreeThenZero) {
    // Position 1 uses K1, 2 K2, 3 K3, 4 K0, 5 K1 again; sums wrap at 256.
    const std::array<uint8_t, 4> key{10, 1, 2, 255};
    EXPECT_EQ(ScramblePasswordWithKey("AAAAA", key),
              Bytes({'A' + 1, 'A' + 2, ('A' + 255) & 0xFF, 'A' + 10, 'A' + 1, 10, 1, 2, 255}));
    EXPECT_EQ(UnscramblePassword(ScramblePasswordWithKey("AAAAA", key)), "AAAAA");
}

TEST(PasswordScramble, RoundTripsAndLengths) {
    EXPECT_EQ(ScramblePassword(""), "");
    const std::string one = ScramblePassword("x");
    EXPECT_EQ(one.size(), 5u);
    EXPECT_EQ(UnscramblePassword(one), "x");

    std::string every;
    for (int b = 0; b < 251; ++b) every.push_back(static_cast<char>(b));
    EXPECT_EQ(UnscramblePassword(ScramblePassword(every)), every);

    // The "no password" convention is scrambled like any other text.
    EXPECT_EQ(UnscramblePassword(ScramblePassword("|")), "|");
}

TEST(PasswordScramble, FreshKeyEveryTimeAndNoZeroKeyByte) {
    const std::string a = ScramblePassword("secret");
    const std::string b = ScramblePassword("secret");
    EXPECT_NE(a, b);
    EXPECT_EQ(UnscramblePassword(a), "secret");
    EXPECT_EQ(UnscramblePassword(b), "secret");
    for (int i = 0; i < 200; ++i) {
        const std::string s = ScramblePassword("p");
        for (std::size_t k = 1; k < 5; ++k) EXPECT_NE(s[k], '\0');
    }
}

TEST(PasswordScramble, ShortStoredTextsGiveEmpty) {
    for (const char* stored : {"", "a", "ab", "abc", "abcd"}) {
        EXPECT_EQ(UnscramblePassword(stored), "") << stored;
    }
}

TEST(PasswordScramble, LongPasswordsAreCutSoTheKeyAlwaysFits) {
    // 252 to 255 clear bytes would leave no room for the whole key; the clear
    // text is cut to 251 so the stored form still unscrambles.
    for (std::size_t n : {251u, 252u, 255u, 1000u}) {
        const std::string clear(n, 'k');
        const std::string stored = ScramblePassword(clear);
        EXPECT_LE(stored.size(), 255u);
        EXPECT_EQ(UnscramblePassword(stored), std::string(std::min<std::size_t>(n, 251), 'k'));
    }
    // A stored text longer than a String[255] is read as its first 255 bytes.
    EXPECT_EQ(UnscramblePassword(std::string(300, 'z')).size(), 251u);
}

}  // namespace
}  // namespace commands
