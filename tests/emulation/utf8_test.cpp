#include "emulation/text/utf8.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using emulation::DecodeUtf8;
using emulation::Utf8Status;

struct DecodeCase {
    std::vector<uint8_t> bytes;
    Utf8Status status;
    uint8_t length;
    char32_t codePoint;
};

TEST(Utf8Decode, SequencesOfEveryKind) {
    const Utf8Status C = Utf8Status::Char, I = Utf8Status::Invalid, N = Utf8Status::Incomplete;
    const DecodeCase cases[] = {
        {{0x41}, C, 1, 0x41},
        {{0xC3, 0xA9}, C, 2, 0xE9},
        {{0xE2, 0x82, 0xAC}, C, 3, 0x20AC},
        {{0xF0, 0x9F, 0x98, 0x80}, C, 4, 0x1F600},
        {{0xF4, 0x8F, 0xBF, 0xBF}, C, 4, 0x10FFFF},
        {{0xEF, 0xBF, 0xBF}, C, 3, 0xFFFF},
        // Truncated at the end of the buffer: a valid beginning.
        {{0xC3}, N, 1, 0},
        {{0xE2, 0x82}, N, 2, 0},
        {{0xF0, 0x9F, 0x98}, N, 3, 0},
        // Broken: the step stops before the byte that broke it.
        {{0xC3, 0x41}, I, 1, 0},
        {{0xE2, 0x41}, I, 1, 0},
        {{0xE2, 0x82, 0x41}, I, 2, 0},
        {{0xF0, 0x9F, 0x98, 0x41}, I, 3, 0},
        {{0xC3, 0xC3}, I, 1, 0},
        // Overlong forms.
        {{0xC0, 0xAF}, I, 1, 0},
        {{0xC1, 0xBF}, I, 1, 0},
        {{0xE0, 0x80, 0xAF}, I, 1, 0},
        {{0xE0, 0x9F, 0xBF}, I, 1, 0},
        {{0xF0, 0x8F, 0xBF, 0xBF}, I, 1, 0},
        // Surrogates and values beyond U+10FFFF.
        {{0xED, 0xA0, 0x80}, I, 1, 0},
        {{0xED, 0xBF, 0xBF}, I, 1, 0},
        {{0xF4, 0x90, 0x80, 0x80}, I, 1, 0},
        {{0xF5, 0x80, 0x80, 0x80}, I, 1, 0},
        {{0xFF}, I, 1, 0},
        // A continuation byte alone.
        {{0x80, 0x41}, I, 1, 0},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        // An exact-size heap copy, so that a read past the end is caught under the sanitizer.
        auto exact = std::make_unique<uint8_t[]>(c.bytes.size());
        std::copy(c.bytes.begin(), c.bytes.end(), exact.get());
        const auto step = DecodeUtf8(exact.get(), c.bytes.size());
        EXPECT_EQ(step.status, c.status);
        EXPECT_EQ(step.length, c.length);
        if (c.status == Utf8Status::Char) {
            EXPECT_EQ(static_cast<uint32_t>(step.codePoint), static_cast<uint32_t>(c.codePoint));
        }
    }
    EXPECT_EQ(DecodeUtf8(nullptr, 0).status, Utf8Status::Incomplete);
}

TEST(Utf8Decode, EveryScalarValueEncodesInItsShortestFormAndDecodesBack) {
    for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        uint8_t bytes[4];
        const size_t n = emulation::EncodeUtf8(cp, bytes);
        const size_t shortest = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        ASSERT_EQ(n, shortest) << cp;
        const auto step = DecodeUtf8(bytes, n);
        ASSERT_EQ(step.status, Utf8Status::Char) << cp;
        ASSERT_EQ(static_cast<uint32_t>(step.codePoint), cp);
        ASSERT_EQ(step.length, n);
    }
}

TEST(Utf8Decode, EveryTwoByteInputIsCharacterOnlyWhenItIsTheShortestForm) {
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const uint8_t bytes[2] = {static_cast<uint8_t>(a), static_cast<uint8_t>(b)};
            const auto step = DecodeUtf8(bytes, 2);
            ASSERT_GE(step.length, 1);
            if (step.status != Utf8Status::Char) continue;
            uint8_t again[4];
            const size_t n = emulation::EncodeUtf8(step.codePoint, again);
            ASSERT_EQ(n, step.length) << a << " " << b;
            ASSERT_EQ(std::string(again, again + n), std::string(bytes, bytes + n));
        }
    }
}

TEST(Utf8Encode, SurrogatesAndOutOfRangeValuesBecomeTheReplacementCharacter) {
    EXPECT_EQ(emulation::WideToUtf8(u"\u20AC"), "\xE2\x82\xAC");
    EXPECT_EQ(emulation::WideToUtf8(u"A\u00E9"), "A\xC3\xA9");
    EXPECT_EQ(emulation::WideToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    const char16_t loneHigh[] = {0xD83D, u'A'};
    EXPECT_EQ(emulation::WideToUtf8(std::u16string_view(loneHigh, 2)),
              "\xEF\xBF\xBD"
              "A");
    const char16_t loneLow[] = {0xDE00};
    EXPECT_EQ(emulation::WideToUtf8(std::u16string_view(loneLow, 1)), "\xEF\xBF\xBD");
    std::string out;
    emulation::AppendUtf8(0x110000, out);
    EXPECT_EQ(out, "\xEF\xBF\xBD");
}

TEST(Utf8Text, MalformedSequencesNeverSwallowTheByteAfterThem) {
    struct Case {
        const char* bytes;
        std::u16string wide;
    };
    const Case cases[] = {
        {"caf\xC3\xA9", u"caf\u00E9"},
        {"\xC3"
         "A",
         u"\uFFFF"
         "A"},
        {"\xE2\x82"
         "A",
         u"\uFFFF"
         "A"},
        {"\xE2"
         "AB",
         u"\uFFFF"
         "AB"},
        {"\xC3\xC3\xA9", u"\uFFFF\u00E9"},
        {"\x80"
         "A",
         u"A"},
        {"\xC0\xAF", u""},  // an overlong "/" is no character
        {"\xED\xA0\x80"
         "A",
         u"\uFFFF"
         "A"},  // nor is a surrogate
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"A\xE2\x82", u"A"},  // an unfinished sequence at the end is dropped
        {"\xF8\x88\x80\x80\x80"
         "A",
         u"A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(emulation::Utf8ToWide(c.bytes), c.wide);
    }
}

TEST(Utf8Text, ValidTextRoundTrips) {
    const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD";
    EXPECT_EQ(emulation::WideToUtf8(emulation::Utf8ToWide(text)), text);
}

TEST(Utf8Text, SequenceLengthFromTheLeadByte) {
    EXPECT_EQ(emulation::Utf8SeqLength(0x41), 1);
    EXPECT_EQ(emulation::Utf8SeqLength(0x7F), 1);
    EXPECT_EQ(emulation::Utf8SeqLength(0xC3), 2);
    EXPECT_EQ(emulation::Utf8SeqLength(0xDF), 2);
    EXPECT_EQ(emulation::Utf8SeqLength(0xE2), 3);
    EXPECT_EQ(emulation::Utf8SeqLength(0xF0), 3);
    EXPECT_EQ(emulation::Utf8SeqLength(0x80), 3);
}

}  // namespace
