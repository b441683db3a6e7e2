#include "console/text_helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using namespace console;

TEST(TextHelpers, Hexadecimal) {
    EXPECT_EQ(ByteToHex(0x0F), "0F");
    EXPECT_EQ(ByteToHex(0xA0), "A0");
    EXPECT_EQ(HexDigitChar(11), 'B');
    EXPECT_EQ(HexStrToInt("ff"), 255) << "digits are upper-cased";
    EXPECT_EQ(HexStrToInt("7FFFFFFF"), INT32_MAX);
    EXPECT_EQ(HexStrToInt("FFFFFFFF"), -1);
    EXPECT_EQ(HexStrToInt(""), 0);
    const uint8_t word[] = {0x34, 0x12};
    EXPECT_EQ(BytesToHex(word), "1234");
    const uint8_t wide[] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(BytesToHex(wide), "06050403") << "cut to 8 digits";
}

TEST(TextHelpers, Decimal) {
    EXPECT_EQ(IntToShortStr(-42), "-42");
    EXPECT_EQ(IntToShortStr(INT_MIN), "-2147483648") << "never cut inside the number";
    EXPECT_EQ(IntToStrWidth(42, 5), "   42");
    EXPECT_EQ(IntToStrWidth(42, 14), "        42") << "padding only up to 10 characters";
    EXPECT_EQ(IntToStrWidth(-1234567890, 4), "-1234567890");
    EXPECT_EQ(IntToStrZeroPad(-5, 4, true), "00-5");
    EXPECT_EQ(IntToStrZeroPad(7, 12, true), "000000000007");
    EXPECT_EQ(IntToStrZeroPad(7, 3, false), "  7");
}

TEST(TextHelpers, RealsAsText) {
    struct Case {
        double value;
        int width, decimals;
        const char* expected;
    } cases[] = {{2.5, 8, 3, "2.5"}, {2.0, 0, 2, "2.0"},       {-0.125, 10, 4, "-0.125"},
                 {100, 6, 0, "100"}, {1200.5, 0, 1, "1200.5"}, {0.0, 4, 1, "0.0"}};
    for (const Case& c : cases)
        EXPECT_EQ(RealToStrTrim(c.value, c.width, c.decimals), c.expected) << c.value;

    EXPECT_EQ(RealToHex(1.5), "1.8");
    EXPECT_EQ(RealToHex(255.0), "FF.");
    EXPECT_EQ(RealToHex(0.5), ".8");
    EXPECT_EQ(RealToHex(-1.0), "FFFFFFFF.");
}

TEST(TextHelpers, CaseAndPadding) {
    EXPECT_EQ(UpCaseStr("ab\xE9z1"), "AB\xE9Z1") << "only a..z";
    EXPECT_EQ(LowCaseStr("AbZ\xC9"), "abz\xC9");
    std::string copy;
    UpCaseCopy("key", copy);
    EXPECT_EQ(copy, "KEY");
    EXPECT_TRUE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0129"));
    EXPECT_FALSE(IsAllDigits("12a"));
    EXPECT_EQ(PadWithBlanks("ab", 4), "ab  ");
    EXPECT_EQ(PadWithBlanks("abcde", 4), "abcde");
}

TEST(TextHelpers, Buffers) {
    const uint8_t bytes[] = {5, 9, 200, 9};
    EXPECT_EQ(ScanByte(bytes, 9), 1u);
    EXPECT_EQ(ScanByte(bytes, 7), 4u);
    EXPECT_EQ(ScanByte(std::span<const uint8_t>(), 7), 0u);
    EXPECT_EQ(FindByteAbove(bytes, 100), 2u) << "unsigned comparison";
    EXPECT_EQ(FindByteAbove(bytes, 200), 5u);
    const uint16_t words[] = {32, 32, 65, 32, 32};
    EXPECT_EQ(CountLeadingWords(words, 32), 2u);
    EXPECT_EQ(CountLeadingWords(std::span<const uint16_t>(words, 2), 32), 2u);
    EXPECT_EQ(TrimmedWordLength(words, 32), 3u);
    EXPECT_EQ(TrimmedWordLength(std::span<const uint16_t>(words, 2), 32), 0u);
    const uint8_t a[] = {1, 2, 0x80}, b[] = {1, 2, 0x7F};
    EXPECT_EQ(FirstDifference(a, b), 3u);
    EXPECT_EQ(FirstDifference(std::span<const uint8_t>(a, 2), b), 3u);
    EXPECT_EQ(CompareBytes(a, b), 1);
    EXPECT_EQ(CompareBytes(b, a), -1);
    EXPECT_EQ(CompareBytes(std::span<const uint8_t>(a, 2), b), 0);
    EXPECT_EQ(CompareBytes({}, {}), 0);
    EXPECT_TRUE(ByteInRange(0xE0, 0x80, 0xFF));
    EXPECT_FALSE(ByteInRange(0x7F, 0x80, 0xFF));
}

}  // namespace
