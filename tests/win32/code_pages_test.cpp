// The Win32 code-page service and the built-in one agree on every byte of every page the
// built-in one knows, and on every character those pages hold; the character-set translation
// gives the same results over either.
#include "console/code_pages.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/code_page_tables.h"
#include "console/win32/code_pages_win32.h"
#include "emulation/text/charsets.h"

namespace {

class Win32CodePagesTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::ResetCodePages(); }
    void TearDown() override { platform::ResetCodePages(); }

    platform::CodePages& system = console::Win32CodePages();
    platform::BuiltinCodePages& builtin = platform::BuiltinCodePagesInstance();
};

TEST_F(Win32CodePagesTest, EveryByteOfEveryBuiltinPageConvertsAlike) {
    for (const auto& table : console::BuiltinCodePageTables()) {
        SCOPED_TRACE(table.number);
        ASSERT_TRUE(system.IsValidCodePage(table.number));
        EXPECT_EQ(system.MaxCharSize(table.number), 1);
        for (bool glyphs : {false, true}) {
            SCOPED_TRACE(glyphs ? "glyph characters" : "plain");
            const char16_t* ours = builtin.ByteTable(table.number, glyphs);
            const char16_t* theirs = system.ByteTable(table.number, glyphs);
            ASSERT_TRUE(ours && theirs);
            for (int b = 0; b < 256; ++b) EXPECT_EQ(int{ours[b]}, int{theirs[b]}) << "byte " << b;

            // The whole page as one run through the system's conversion.
            uint8_t all[256];
            for (int b = 0; b < 256; ++b) all[b] = static_cast<uint8_t>(b);
            char16_t run[256];
            const uint32_t flags = platform::kPrecomposed | (glyphs ? platform::kGlyphChars : 0);
            ASSERT_EQ(system.ToWide(table.number, all, 256, flags, run, 256), 256u);
            EXPECT_EQ(std::u16string(run, 256), std::u16string(ours, 256));
        }
        for (int b = 0; b < 256; ++b) {
            EXPECT_FALSE(system.IsLeadByte(table.number, static_cast<uint8_t>(b)));
        }
    }
}

TEST_F(Win32CodePagesTest, EveryCharacterTheBuiltinSideConvertsTheSystemConvertsAlike) {
    // The whole BMP in one text; lone surrogates are characters no page has.
    std::u16string bmp(0x10000, u'\0');
    for (uint32_t c = 0; c < 0x10000; ++c) bmp[c] = static_cast<char16_t>(c);
    for (const auto& table : console::BuiltinCodePageTables()) {
        SCOPED_TRACE(table.number);
        std::vector<uint8_t> ours(bmp.size()), theirs(bmp.size());
        bool ourDefault = false;
        ASSERT_EQ(builtin.FromWide(table.number, bmp.data(), bmp.size(), ours.data(), ours.size(),
                                   &ourDefault),
                  bmp.size());
        ASSERT_EQ(system.FromWide(table.number, bmp.data(), bmp.size(), theirs.data(),
                                  theirs.size(), nullptr),
                  bmp.size());
        EXPECT_TRUE(ourDefault);
        int mapped = 0;
        for (uint32_t c = 0; c < 0x10000; ++c) {
            // The system also maps characters by best fit where the built-in side gives "?".
            if (ours[c] == '?' && c != u'?') continue;
            ++mapped;
            ASSERT_EQ(int{theirs[c]}, int{ours[c]}) << "character " << c;
        }
        EXPECT_EQ(mapped, 256);
    }
}

TEST_F(Win32CodePagesTest, SystemPagesAndNames) {
    EXPECT_EQ(system.AnsiCodePage(), GetACP());
    EXPECT_EQ(system.OemCodePage(), GetOEMCP());
    EXPECT_FALSE(system.IsValidCodePage(platform::kAnsiCodePage));
    EXPECT_FALSE(system.IsValidCodePage(12345));
    EXPECT_EQ(system.ByteTable(12345, false), nullptr);
    EXPECT_EQ(system.MaxCharSize(932), 2);
    EXPECT_TRUE(system.IsLeadByte(932, 0x81));
    EXPECT_EQ(system.ByteTable(932, false), nullptr);
    const auto installed = system.InstalledCodePages();
    EXPECT_NE(std::find(installed.begin(), installed.end(), 1252u), installed.end());
    const auto name = system.SystemName(1252);
    ASSERT_TRUE(name.has_value());
    EXPECT_FALSE(name->empty());

    console::InstallWin32CodePages();
    EXPECT_EQ(emulation::CharsetName(1252, true), "CP-" + *name);
    EXPECT_EQ(emulation::CharsetName(1252, false), "CP-1252");
    EXPECT_EQ(emulation::CharsetCode("CP-932"), 932u);
    EXPECT_EQ(emulation::CharsetCode("CP-65001"), 65001u);
}

TEST_F(Win32CodePagesTest, MultibytePagesConvertThroughTheSystem) {
    console::InstallWin32CodePages();
    char16_t ch = 0;
    size_t used = 0;
    const uint8_t lead[] = {0x82};
    EXPECT_EQ(emulation::HostToUnicode(lead, 932, ch, &used), emulation::kHostIncomplete);
    const uint8_t hiragana[] = {0x82, 0x9F};
    EXPECT_EQ(emulation::HostToUnicode(hiragana, 932, ch, &used), emulation::kHostChar);
    EXPECT_EQ(int{ch}, 0x3041);
    EXPECT_EQ(used, 2u);
    EXPECT_EQ(emulation::UnicodeToHost(u'\u3041', 932), "\x82\x9F");
    // UTF-8 as a code page takes no conversion flags.
    EXPECT_EQ(platform::BytesToWide(65001, "caf\xC3\xA9", platform::kPrecomposed), u"caf\u00E9");
    EXPECT_EQ(platform::WideToBytes(65001, u"\u20AC"), "\xE2\x82\xAC");
}

TEST_F(Win32CodePagesTest, CharsetTranslationIsTheSameOverEitherService) {
    const emulation::CharsetId codes[] = {437,
                                          850,
                                          852,
                                          866,
                                          1250,
                                          1252,
                                          1255,
                                          1256,
                                          28591,
                                          emulation::kCharsetIso,
                                          emulation::kCharsetCccii,
                                          emulation::kCharsetUtf8};
    platform::BuiltinCodePagesInstance().SetSystemPages(GetACP(), GetOEMCP());
    // The characters each code converts on the built-in side; best fit is the system's own.
    std::vector<std::vector<char16_t>> characters;
    for (emulation::CharsetId code : codes) {
        characters.emplace_back();
        for (uint32_t c = 0; c < 0x3000; ++c) {
            const std::string bytes = emulation::UnicodeToHost(static_cast<char16_t>(c), code);
            if (bytes != "?" || c == u'?') characters.back().push_back(static_cast<char16_t>(c));
        }
    }
    auto translate = [&] {
        std::u16string out;
        for (size_t i = 0; i < std::size(codes); ++i) {
            for (int b = 0; b < 256; ++b) {
                const uint8_t byte = static_cast<uint8_t>(b);
                char16_t ch = 0;
                out.push_back(emulation::HostToUnicode({&byte, 1}, codes[i], ch));
                out.push_back(ch);
            }
            for (char16_t c : characters[i]) {
                out.push_back(c);
                for (char b : emulation::UnicodeToHost(c, codes[i]))
                    out.push_back(static_cast<uint8_t>(b));
            }
        }
        return out;
    };
    const std::u16string builtinResults = translate();
    console::InstallWin32CodePages();
    const std::u16string systemResults = translate();
    EXPECT_TRUE(builtinResults == systemResults);
}

}  // namespace
