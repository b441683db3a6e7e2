#include "console/code_pages.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "common/allocation_counter.h"
#include "console/code_page_tables.h"
#include "emulation/text/charsets.h"

namespace {

using platform::BuiltinCodePagesInstance;
using platform::CurrentCodePages;

class CodePagesTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::ResetCodePages(); }
    void TearDown() override { platform::ResetCodePages(); }
};

std::string IconvName(uint32_t page) {
    if (page >= 28591 && page <= 28599) return "ISO-8859-" + std::to_string(page - 28590);
    if (page == 28603) return "ISO-8859-13";
    if (page == 28605) return "ISO-8859-15";
    return "CP" + std::to_string(page);
}

// Converts with glibc's iconv; nullopt when iconv has no mapping.
std::optional<std::string> Iconv(const std::string& from, const std::string& to,
                                 const std::string& input) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string in = input;
    char out[32];
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out;
    size_t outLeft = sizeof out;
    const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    // Stateful converters hold a character back until flushed.
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || inLeft != 0 || outPtr == out) return std::nullopt;
    return std::string(out, outPtr);
}

std::optional<char16_t> IconvByteToChar(uint32_t page, uint8_t byte) {
    auto out = Iconv(IconvName(page), "UTF-16LE", std::string(1, static_cast<char>(byte)));
    if (!out || out->size() != 2) return std::nullopt;
    return static_cast<char16_t>(static_cast<uint8_t>((*out)[0]) |
                                 (static_cast<uint8_t>((*out)[1]) << 8));
}

std::optional<uint8_t> IconvCharToByte(uint32_t page, char16_t ch) {
    std::string in{static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
    auto out = Iconv("UTF-16LE", IconvName(page), in);
    if (!out || out->size() != 1) return std::nullopt;
    return static_cast<uint8_t>((*out)[0]);
}

// Where the system's tables differ from iconv's: bytes iconv leaves undefined get a private-use
// character of the system (outside 0x80..0x9F, where they stay the C1 control of their value),
// and two bytes are mapped differently.
const std::map<std::pair<uint32_t, uint8_t>, char16_t> kSystemAssignments = {
    {{857, 0xD5}, 0xF8BB},  {{857, 0xE7}, 0xF8BC},  {{857, 0xF2}, 0xF8BD},
    {{864, 0x25}, 0x0025},  // iconv: U+066A ARABIC PERCENT SIGN
    {{864, 0xA6}, 0xF8BE},  {{864, 0xA7}, 0xF8BF},  {{864, 0xFF}, 0xF8C0},
    {{874, 0xDB}, 0xF8C1},  {{874, 0xDC}, 0xF8C2},  {{874, 0xDD}, 0xF8C3},
    {{874, 0xDE}, 0xF8C4},  {{874, 0xFC}, 0xF8C5},  {{874, 0xFD}, 0xF8C6},
    {{874, 0xFE}, 0xF8C7},  {{874, 0xFF}, 0xF8C8},  {{1253, 0xAA}, 0xF8F9},
    {{1253, 0xD2}, 0xF8FA}, {{1253, 0xFF}, 0xF8FB}, {{1255, 0xCA}, 0x05BA},  // iconv: undefined
    {{1255, 0xD9}, 0xF88D}, {{1255, 0xDA}, 0xF88E}, {{1255, 0xDB}, 0xF88F},
    {{1255, 0xDC}, 0xF890}, {{1255, 0xDD}, 0xF891}, {{1255, 0xDE}, 0xF892},
    {{1255, 0xDF}, 0xF893}, {{1255, 0xFB}, 0xF894}, {{1255, 0xFC}, 0xF895},
    {{1255, 0xFF}, 0xF896}, {{1257, 0xA1}, 0xF8FC}, {{1257, 0xA5}, 0xF8FD},
};

TEST_F(CodePagesTest, EveryByteOfEveryPageAgreesWithIconvBothWaysOrIsADocumentedDifference) {
    auto& pages = BuiltinCodePagesInstance();
    int c1Holes = 0;
    for (const auto& table : console::BuiltinCodePageTables()) {
        SCOPED_TRACE(table.number);
        ASSERT_TRUE(pages.IsValidCodePage(table.number));
        const char16_t* chars = pages.ByteTable(table.number, false);
        ASSERT_NE(chars, nullptr);
        for (int b = 0; b < 256; ++b) {
            SCOPED_TRACE(b);
            const auto byte = static_cast<uint8_t>(b);
            const std::optional<char16_t> expected = IconvByteToChar(table.number, byte);
            const auto system = kSystemAssignments.find({table.number, byte});
            if (system != kSystemAssignments.end()) {
                EXPECT_EQ(chars[b], system->second);
            } else if (!expected) {
                EXPECT_TRUE(b >= 0x80 && b <= 0x9F);
                EXPECT_EQ(chars[b], b);
                ++c1Holes;
            } else {
                EXPECT_EQ(chars[b], *expected);
                EXPECT_EQ(IconvCharToByte(table.number, chars[b]), byte);
            }
            // Every character of the page goes back to its byte.
            uint8_t back = 0;
            bool usedDefault = true;
            ASSERT_EQ(pages.FromWide(table.number, &chars[b], 1, &back, 1, &usedDefault), 1u);
            EXPECT_EQ(back, byte);
            EXPECT_FALSE(usedDefault);
        }
    }
    EXPECT_GT(c1Holes, 0);
}

TEST_F(CodePagesTest, PagesTheDisplayReliesOnGiveTheirCharacters) {
    auto& pages = CurrentCodePages();
    const char16_t* cp437 = pages.ByteTable(437, false);
    const char16_t* glyphs437 = pages.ByteTable(437, true);
    const char16_t* cp1252 = pages.ByteTable(1252, false);
    ASSERT_TRUE(cp437 && glyphs437 && cp1252);
    EXPECT_EQ(cp437[0x82], u'\u00E9');  // C1 pictures and the OEM upper half
    EXPECT_EQ(cp437[0xC4], u'\u2500');
    EXPECT_EQ(cp437[0x01], u'\u0001');
    EXPECT_EQ(glyphs437[0x01], u'\u263A');  // control glyphs
    EXPECT_EQ(glyphs437[0x1F], u'\u25BC');
    EXPECT_EQ(glyphs437[0x7F], u'\u2302');
    EXPECT_EQ(glyphs437[0x00], u'\0');
    EXPECT_EQ(cp1252[0xA4], u'\u00A4');  // the multinational and DEC supplemental sets
    EXPECT_EQ(cp1252[0x8C], u'\u0152');
    EXPECT_EQ(cp1252[0x9F], u'\u0178');
    EXPECT_EQ(cp1252[0x9C], u'\u0153');
    EXPECT_EQ(cp1252[0x80], u'\u20AC');
    EXPECT_EQ(pages.ByteTable(852, false)[0xAC], u'\u010C');  // the national sets' OEM row
    EXPECT_EQ(pages.ByteTable(1250, false)[0x8E], u'\u017D');
}

TEST_F(CodePagesTest, GlyphCharactersChangeOnlyTheControlPositionsOfDosPages) {
    auto& pages = BuiltinCodePagesInstance();
    for (const auto& table : console::BuiltinCodePageTables()) {
        SCOPED_TRACE(table.number);
        const char16_t* plain = pages.ByteTable(table.number, false);
        const char16_t* glyphs = pages.ByteTable(table.number, true);
        for (int b = 0; b < 256; ++b) {
            const bool control = (b >= 0x01 && b <= 0x1F) || b == 0x7F;
            const bool changes =
                control && (table.glyphs == console::GlyphRow::Dos ||
                            (b == 0x7F && table.glyphs != console::GlyphRow::None));
            if (changes)
                EXPECT_NE(glyphs[b], plain[b]) << b;
            else
                EXPECT_EQ(glyphs[b], plain[b]) << b;
        }
    }
}

TEST_F(CodePagesTest, AnsiAndOemStandForTheSystemPages) {
    auto& pages = BuiltinCodePagesInstance();
    const uint8_t bytes[] = {0x80, 0xC0};
    char16_t out[2];
    ASSERT_EQ(pages.ToWide(platform::kAnsiCodePage, bytes, 2, 0, out, 2), 2u);
    EXPECT_EQ(out[0], u'\u20AC');
    ASSERT_EQ(pages.ToWide(platform::kOemCodePage, bytes, 2, 0, out, 2), 2u);
    EXPECT_EQ(out[0], u'\u00C7');
    EXPECT_FALSE(pages.IsValidCodePage(platform::kAnsiCodePage));
    EXPECT_FALSE(pages.IsValidCodePage(platform::kOemCodePage));

    pages.SetSystemPages(1251, 866);
    EXPECT_EQ(platform::BytesToWide(platform::kAnsiCodePage, "\xC0", 0), u"\u0410");
    EXPECT_EQ(platform::BytesToWide(platform::kOemCodePage, "\x80", 0), u"\u0410");
    EXPECT_EQ(platform::WideToBytes(platform::kOemCodePage, u"\u0410"), "\x80");
}

TEST_F(CodePagesTest, UnknownPagesAndShortBuffersConvertNothing) {
    auto& pages = BuiltinCodePagesInstance();
    const uint8_t bytes[] = {'a', 'b'};
    char16_t wide[2];
    uint8_t narrow[2];
    for (uint32_t page : {2u, 932u, 1200u, 65001u, 0x50000u}) {
        SCOPED_TRACE(page);
        EXPECT_FALSE(pages.IsValidCodePage(page));
        EXPECT_EQ(pages.MaxCharSize(page), 0);
        EXPECT_EQ(pages.ByteTable(page, false), nullptr);
        EXPECT_EQ(pages.ToWide(page, bytes, 2, 0, wide, 2), 0u);
        EXPECT_EQ(pages.FromWide(page, u"ab", 2, narrow, 2, nullptr), 0u);
        EXPECT_EQ(platform::RunToWide(page, bytes, 2, 0, wide), 0u);
    }
    EXPECT_EQ(pages.ToWide(1252, bytes, 2, 0, wide, 1), 0u);
    EXPECT_EQ(pages.FromWide(1252, u"ab", 2, narrow, 1, nullptr), 0u);
}

TEST_F(CodePagesTest, CharactersThePageLacksBecomeTheDefaultCharacter) {
    bool usedDefault = false;
    EXPECT_EQ(platform::WideToBytes(1252, u"a\u0100\u20AC\U0001F600", &usedDefault), "a?\x80??");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(platform::WideToBytes(437, u"\u00E9\u2500", &usedDefault), "\x82\xC4");
    EXPECT_FALSE(usedDefault);
}

TEST_F(CodePagesTest, RunsGoThroughTheInstalledService) {
    // A service with no byte tables: runs fall back to its conversion.
    class Doubling final : public platform::CodePages {
      public:
        uint32_t AnsiCodePage() override { return 1252; }
        uint32_t OemCodePage() override { return 437; }
        bool IsValidCodePage(uint32_t) override { return true; }
        int MaxCharSize(uint32_t) override { return 2; }
        bool IsLeadByte(uint32_t, uint8_t) override { return false; }
        const char16_t* ByteTable(uint32_t, bool) override { return nullptr; }
        size_t ToWide(uint32_t, const uint8_t* bytes, size_t n, uint32_t, char16_t* out,
                      size_t) override {
            for (size_t i = 0; i < n; ++i) out[i] = static_cast<char16_t>(bytes[i] + 0x100);
            return n;
        }
        size_t FromWide(uint32_t, const char16_t*, size_t, uint8_t*, size_t, bool*) override {
            return 0;
        }
        std::optional<std::string> SystemName(uint32_t) override { return "doubling"; }
        std::vector<uint32_t> InstalledCodePages() override { return {}; }
    } doubling;
    platform::SetCodePages(&doubling);
    EXPECT_EQ(platform::BytesToWide(932, "AB", 0), u"\u0141\u0142");
    platform::SetCodePages(nullptr);
    EXPECT_EQ(platform::BytesToWide(1252, "AB", 0), u"AB");
}

TEST_F(CodePagesTest, ReceivedRunsAndCharactersAllocateNothing) {
    uint8_t run[200];
    for (size_t i = 0; i < sizeof run; ++i) run[i] = static_cast<uint8_t>(0x20 + i);
    char16_t cells[200];
    const uint8_t euro[] = {0xE2, 0x82, 0xAC};
    char16_t ch = 0;
    auto translate = [&] {
        for (uint32_t page : {1252u, 437u, platform::kOemCodePage})
            for (uint32_t flags : {0u, platform::kGlyphChars})
                ASSERT_EQ(platform::RunToWide(page, run, sizeof run, flags, cells), sizeof run);
        for (size_t i = 0; i < sizeof run; ++i) emulation::HostToUnicode({&run[i], 1}, 1252, ch);
        emulation::HostToUnicode(euro, emulation::kCharsetUtf8, ch);
    };
    translate();  // tables made on first use
    const size_t before = test_support::HeapAllocations();
    translate();
    EXPECT_EQ(test_support::HeapAllocations(), before);
    EXPECT_EQ(ch, u'\u20AC');
}

}  // namespace
