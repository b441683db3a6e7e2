#include "emulation/text/charsets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/settings_record.h"
#include "console/code_pages.h"

namespace {

using namespace emulation;

class CharsetsTest : public ::testing::Test {
  protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        commands::ResetSettingsToDefaults();
        platform::ResetCodePages();
        ResetCharsetHooks();
    }
};

struct Translated {
    uint8_t result;
    char16_t ch;
    size_t used;
};

Translated Host(std::vector<uint8_t> bytes, CharsetId code) {
    Translated t{};
    t.result = HostToUnicode(bytes, code, t.ch, &t.used);
    return t;
}

// Feeds bytes one at a time the way the receive side does: a byte joins the pending ones, an
// incomplete character waits, a character is shown and the bytes it did not use are offered
// again, and a byte that is not a character is shown as it is (here as "<xx>").
std::u16string Feed(const std::vector<uint8_t>& input, CharsetId code) {
    std::u16string shown;
    std::vector<uint8_t> pending;
    auto offer = [&](auto& self) -> void {
        if (pending.empty()) return;
        char16_t ch = 0;
        size_t used = 0;
        const uint8_t result = HostToUnicode(pending, code, ch, &used);
        if (result == kHostIncomplete) return;
        if (result == kHostChar) {
            shown.push_back(ch);
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(used));
            self(self);
            return;
        }
        for (uint8_t b : pending) {
            if (b < 0x80) {
                shown.push_back(b);
            } else {
                const char hex[] = "0123456789ABCDEF";
                shown += u'<';
                shown.push_back(static_cast<char16_t>(hex[b >> 4]));
                shown.push_back(static_cast<char16_t>(hex[b & 15]));
                shown += u'>';
            }
        }
        pending.clear();
    };
    for (uint8_t b : input) {
        pending.push_back(b);
        offer(offer);
    }
    return shown;
}

TEST_F(CharsetsTest, Utf8CharactersAndTheirResults) {
    EXPECT_EQ(Host({0xC3, 0xA9}, kCharsetUtf8).result, kHostChar);
    EXPECT_EQ(Host({0xC3, 0xA9}, kCharsetUtf8).ch, u'\u00E9');
    EXPECT_EQ(Host({0xC3}, kCharsetUtf8).result, kHostIncomplete);
    EXPECT_EQ(Host({0x41}, kCharsetUtf8).result, kHostNotChar);
    EXPECT_EQ(Host({0x41}, kCharsetUtf8).ch, 0xFFFF);
    EXPECT_EQ(Host({0xE2, 0x82, 0xAC}, kCharsetUtf8).ch, u'\u20AC');
    EXPECT_EQ(Host({0xE2, 0x82}, kCharsetUtf8).result, kHostIncomplete);
    EXPECT_EQ(Host({}, kCharsetUtf8).result, kHostNotChar);
}

TEST_F(CharsetsTest, BrokenUtf8LeavesTheByteThatBrokeItToTheCaller) {
    const Translated early = Host({0xC3, 0x41}, kCharsetUtf8);
    EXPECT_EQ(early.result, kHostChar);
    EXPECT_EQ(early.ch, 0xFFFF);
    EXPECT_EQ(early.used, 1u);
    const Translated late = Host({0xE2, 0x82, 0x41}, kCharsetUtf8);
    EXPECT_EQ(late.result, kHostChar);
    EXPECT_EQ(late.ch, 0xFFFF);
    EXPECT_EQ(late.used, 2u);

    EXPECT_EQ(Feed({0xC3, 'A', 'B'}, kCharsetUtf8), u"\uFFFFAB");
    EXPECT_EQ(Feed({0xE2, 0x82, 'A'}, kCharsetUtf8), u"\uFFFFA");
    EXPECT_EQ(Feed({0xE2, 0xC3, 0xA9}, kCharsetUtf8), u"\uFFFF\u00E9");
    EXPECT_EQ(Feed({'x', 0xC3, 0xA9, 'y'}, kCharsetUtf8), u"x\u00E9y");
}

TEST_F(CharsetsTest, OverlongSurrogateAndFourByteUtf8AreNoCharacters) {
    // An overlong "/" never becomes "/".
    EXPECT_EQ(Feed({0xC0, 0xAF}, kCharsetUtf8), u"<C0><AF>");
    EXPECT_EQ(Feed({0xE0, 0x80, 0xAF}, kCharsetUtf8), u"\uFFFF<80><AF>");
    EXPECT_EQ(Feed({0xED, 0xA0, 0x80}, kCharsetUtf8), u"\uFFFF<A0><80>");
    // Characters beyond the 16-bit range are not decoded: their bytes show as they are.
    EXPECT_EQ(Feed({0xF0, 0x9F, 0x98, 0x80, 'A'}, kCharsetUtf8), u"<F0><9F><98><80>A");
}

TEST_F(CharsetsTest, EuroCharGivesTheEuroSignInEverySet) {
    commands::Settings.EuroChar = 0x80;
    for (CharsetId code : {kCharsetUtf8, kCharsetNone, kCharsetCccii, kCharsetUsmarc, kCharsetIso,
                           kCharsetIso8859_2, CharsetId{437}, CharsetId{1251}}) {
        SCOPED_TRACE(code);
        const Translated t = Host({0x80}, code);
        EXPECT_EQ(t.result, kHostChar);
        EXPECT_EQ(t.ch, u'\u20AC');
    }
    EXPECT_EQ(Host({0x80, 0x80}, kCharsetNone).result, kHostNotChar);
}

TEST_F(CharsetsTest, CodePageBytesAreCharactersOnlyInTheC1RangeOrAsCombiningMarks) {
    const Translated e = Host({0xE9}, 1252);
    EXPECT_EQ(e.result, kHostNotChar);  // the caller shows the byte with its own conversion
    EXPECT_EQ(Host({0x80}, 1252).ch, u'\u20AC');
    EXPECT_EQ(Host({0x80}, 1252).result, kHostChar);
    EXPECT_EQ(Host({0x81}, 1252).ch, u'\u0081');
    EXPECT_EQ(Host({0x41}, 1252).result, kHostNotChar);
    const Translated sheva = Host({0xC0}, 1255);
    EXPECT_EQ(sheva.result, kHostChar);
    EXPECT_EQ(sheva.ch, u'\u05B0');
    EXPECT_EQ(Host({0x80}, kCharsetIso).ch, u'\u20AC');  // ISO is the ANSI page
    EXPECT_EQ(Host({0x80}, 437).ch, u'\u00C7');
    // Numbers that name no code page convert nothing.
    EXPECT_EQ(Host({0x85}, kCharsetDec).result, kHostNotChar);
    EXPECT_EQ(Host({0x85}, 12345).result, kHostNotChar);
    EXPECT_EQ(Host({0x41, 0x42, 0x43}, kCharsetNone).result, kHostNotChar);
}

// A double-byte page: 0x81 leads, a trail byte from 0x40 up completes it.
class FakeDoubleBytePage final : public platform::CodePages {
  public:
    uint32_t AnsiCodePage() override { return 1252; }
    uint32_t OemCodePage() override { return 437; }
    bool IsValidCodePage(uint32_t page) override { return page == 932; }
    int MaxCharSize(uint32_t page) override { return page == 932 ? 2 : 0; }
    bool IsLeadByte(uint32_t page, uint8_t b) override { return page == 932 && b == 0x81; }
    const char16_t* ByteTable(uint32_t, bool) override { return nullptr; }
    size_t ToWide(uint32_t page, const uint8_t* bytes, size_t n, uint32_t flags, char16_t* out,
                  size_t capacity) override {
        if (page != 932 || n != 2 || capacity < 1) return 0;
        if (bytes[1] < 0x40) {
            if (flags & platform::kFailOnInvalid) return 0;
            out[0] = u'\u30FB';
            return 1;
        }
        out[0] = static_cast<char16_t>(0x3000 + bytes[1]);
        return 1;
    }
    size_t FromWide(uint32_t page, const char16_t* text, size_t n, uint8_t* out, size_t capacity,
                    bool* usedDefault) override {
        if (usedDefault) *usedDefault = false;
        if (page != 932 || n != 1 || capacity < 2 || text[0] < 0x3040 || text[0] > 0x30FF) return 0;
        out[0] = 0x81;
        out[1] = static_cast<uint8_t>(text[0] - 0x3000);
        return 2;
    }
    std::optional<std::string> SystemName(uint32_t) override { return "932  (Fake)"; }
    std::vector<uint32_t> InstalledCodePages() override { return {932}; }
};

TEST_F(CharsetsTest, DoubleByteCodePagesWaitForTheTrailByte) {
    FakeDoubleBytePage fake;
    platform::SetCodePages(&fake);
    EXPECT_EQ(Host({0x81}, 932).result, kHostIncomplete);
    const Translated pair = Host({0x81, 0x42}, 932);
    EXPECT_EQ(pair.result, kHostChar);
    EXPECT_EQ(pair.ch, u'\u3042');
    EXPECT_EQ(pair.used, 2u);
    const Translated invalid = Host({0x81, 0x10}, 932);
    EXPECT_EQ(invalid.result, kHostChar);
    EXPECT_EQ(invalid.ch, 0xFFFF);
    EXPECT_EQ(UnicodeToHost(u'\u3042', 932), "\x81\x42");
    EXPECT_EQ(CharsetCode("CP-932"), 932u);
    EXPECT_EQ(CharsetName(932, true), "CP-932  (Fake)");
    EXPECT_EQ(CharsetName(932, false), "CP-932");
}

TEST_F(CharsetsTest, CcciiT160eAndUsmarcSequences) {
    EXPECT_EQ(Host({0xC0, 0x21}, kCharsetCccii).result, kHostIncomplete);
    EXPECT_EQ(Host({0x82}, kCharsetCccii).ch, u'\u00E9');  // code page 437
    EXPECT_EQ(Host({0x41}, kCharsetCccii).result, kHostNotChar);
    const Translated noTable = Host({0xC0, 0x21, 0x30, 0x21}, kCharsetCccii);
    EXPECT_EQ(noTable.result, kHostChar);
    EXPECT_EQ(noTable.ch, 0xFFFF);
    charsetHooks.CcciiDecode = [](uint8_t a, uint8_t b, uint8_t c) -> char16_t {
        return static_cast<char16_t>(0x4E00 + a + b + c);
    };
    EXPECT_EQ(Host({0xC0, 1, 2, 3}, kCharsetCccii).ch, u'\u4E06');

    const std::vector<uint8_t> esc = {0x1B};
    EXPECT_EQ(Host(esc, kCharsetT160e).result, kHostIncomplete);
    EXPECT_EQ(Host({0x1B, '['}, kCharsetT160e).result, kHostIncomplete);
    EXPECT_EQ(Host({0x1B, '[', '1', '2', ';', '3'}, kCharsetT160e).result, kHostIncomplete);
    EXPECT_EQ(Host({0x1B, '[', '1', '2', '_'}, kCharsetT160e).result, kHostNotChar);
    EXPECT_EQ(Host({0x1B, 'x'}, kCharsetT160e).result, kHostNotChar);
    EXPECT_EQ(Host({'A'}, kCharsetT160e).result, kHostNotChar);
    static uint32_t seenA, seenB;
    charsetHooks.T160eLookup = [](uint32_t a, uint32_t b) -> char16_t {
        seenA = a;
        seenB = b;
        return u'\u00C4';
    };
    const Translated t = Host({0x1B, '[', '1', '2', ';', '3', '4', '_'}, kCharsetT160e);
    EXPECT_EQ(t.result, kHostChar);
    EXPECT_EQ(t.ch, u'\u00C4');
    EXPECT_EQ(seenA, 12u);
    EXPECT_EQ(seenB, 34u);
    std::vector<uint8_t> huge = {0x1B, '['};
    huge.insert(huge.end(), 40, '9');
    huge.push_back(';');
    huge.push_back('_');
    EXPECT_EQ(Host(huge, kCharsetT160e).result, kHostChar);
    EXPECT_EQ(seenA, 0xFFFFFFu);
    EXPECT_EQ(seenB, 0u);

    EXPECT_EQ(Host({0x41}, kCharsetUsmarc).result, kHostNotChar);
    EXPECT_EQ(Host({0xE1}, kCharsetUsmarc).result, kHostIncomplete);
    EXPECT_EQ(Host({0xE1, 0xE2, 0xE3, 0xE4}, kCharsetUsmarc).result, kHostIncomplete);
    EXPECT_EQ(Host({0xE1, 0xE2, 0xE3, 0xE4, 0xE5}, kCharsetUsmarc).result, kHostNotChar);
    charsetHooks.UsmarcDecode = [](std::span<const uint8_t> bytes) -> char16_t {
        return bytes.size() == 2 && bytes[0] == 0xE2 && bytes[1] == 'e' ? u'\u00E9' : 0xFFFF;
    };
    EXPECT_EQ(Host({0xE2, 'e'}, kCharsetUsmarc).ch, u'\u00E9');
}

TEST_F(CharsetsTest, MappingFileSetsAskTheirFilesAndShowBytesWithoutThem) {
    EXPECT_EQ(Host({0xA1}, kCharsetOtherCrt).result, kHostNotChar);
    EXPECT_EQ(Host({0xA1}, kCharsetIso8859_2 + 0x30000).result, kHostNotChar);
    EXPECT_EQ(UnicodeToHost(u'A', kCharsetOtherCrt), "A");
    EXPECT_EQ(UnicodeToHost(u'\u0141', kCharsetOtherCrt), "?");
    EXPECT_EQ(UnicodeToHost(u'\u0141', kCharsetIso8859_2), "?");

    commands::Settings.CharsetFile = "screen";
    commands::Settings.PassthroughCharsetFile = "printer";
    static std::string seen;
    charsetHooks.MappedHostToUnicode = [](std::string_view file, uint8_t slot,
                                          std::span<const uint8_t>, char16_t& ch) -> uint8_t {
        seen = std::string(file) + char('0' + slot);
        ch = u'\u0416';
        return kHostChar;
    };
    EXPECT_EQ(Host({0xB6}, kCharsetOtherCrt).ch, u'\u0416');
    EXPECT_EQ(seen, "screen0");
    EXPECT_EQ(Host({0xB6}, kCharsetOtherPrt).ch, u'\u0416');
    EXPECT_EQ(seen, "printer1");
    EXPECT_EQ(Host({0x41}, kCharsetOtherCrt).result, kHostNotChar);

    charsetHooks.BuiltinHostToUnicode = [](uint8_t kind, uint8_t b) -> char16_t {
        return kind == 18 && b == 0xA3 ? u'\u0141' : 0xFFFF;
    };
    EXPECT_EQ(Host({0xA3}, kCharsetIso8859_2).ch, u'\u0141');
    EXPECT_EQ(Host({0xA4}, kCharsetIso8859_2).result, kHostNotChar);
}

TEST_F(CharsetsTest, UnicodeToHostBySet) {
    struct Case {
        char16_t ch;
        CharsetId code;
        std::string bytes;
    };
    const Case cases[] = {
        {u'\u20AC', kCharsetUtf8, "\xE2\x82\xAC"},
        {u'\u00E9', kCharsetUtf8, "\xC3\xA9"},
        {u'A', kCharsetUtf8, "A"},
        {0xD800, kCharsetUtf8, "\xEF\xBF\xBD"},  // a lone surrogate is no UTF-8
        {u'\u00E9', 1252, "\xE9"},
        {u'\u00E9', kCharsetIso, "\xE9"},
        {u'\u00E9', platform::kOemCodePage, "\x82"},
        {u'\u00E9', 850, "\x82"},
        {u'\u0416', 1251, "\xC6"},
        {u'\u0141', 1252, "?"},
        // Codes that name no code page send the low byte.
        {u'\u0141', kCharsetNone, "\x41"},
        {u'\u0141', kCharsetDec, "\x41"},
        {u'\u0141', kCharsetOem, "\x41"},
        {u'\u0141', kCharsetOtherPrt, "\x41"},
        {u'\u0141', 0x0A0000, "\x41"},
        {u'\u0141', 12345, "\x41"},
        // The library sets without their tables.
        {u'\u00E9', kCharsetCccii, "\x82"},
        {u'A', kCharsetCccii, "A"},
        {u'\u0141', kCharsetT160e, "\x41"},
        {u'\u0141', kCharsetUsmarc, "\x41"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int{c.ch} << " in " << c.code);
        EXPECT_EQ(UnicodeToHost(c.ch, c.code), c.bytes);
    }
}

TEST_F(CharsetsTest, ACharacterThePageLacksIsSentAsItsDecomposition) {
    charsetHooks.DecomposeChar = [](char16_t ch) -> std::u16string {
        if (ch == u'\u00C1') return u"A\u0301";
        if (ch == u'\u00E9') return u"e\u0301";
        return std::u16string(1, ch);
    };
    // 437 lacks A with acute: the base letter goes, the mark becomes the default character.
    EXPECT_EQ(UnicodeToHost(u'\u00C1', 437), "A?");
    // A character the page has is never decomposed.
    EXPECT_EQ(UnicodeToHost(u'\u00E9', 437), "\x82");
    EXPECT_EQ(UnicodeToHost(u'\u0141', 437), "?");
}

TEST_F(CharsetsTest, NamesAndCodes) {
    struct Case {
        const char* name;
        CharsetId code;
    };
    const Case cases[] = {
        {"UTF8", 0x40000},
        {"CCCII", 0x30000},
        {"T160E", 0x20000},
        {"ISO", 0},
        {"ISO-8859-1", 0},
        {"DEC", 0x50000},
        {"OEM", 0x70000},
        {"NONE", 0x10000},
        {"CUSTOM", 0x1A0000},
        {"ISO-8859-2", 0x120000},
        {"ISO-8859-5", 0x150000},
        {"ISO-8859-9", 0x190000},
        {"ISO-8859-15", 0x1B0000},
        {"USMARC", 0x60000},
        {"CP-437", 437},
        {"CP-1252", 1252},
        {"CP-01252", 1252},
        // Unknown names.
        {"utf8", kUnknownCharset},
        {"ISO-8859-10", kUnknownCharset},
        {"ISO-8859-0", kUnknownCharset},
        {"CP-12345", kUnknownCharset},
        {"CP-", kUnknownCharset},
        {"CP-12a", kUnknownCharset},
        {"CP--437", kUnknownCharset},
        {"CP-0", kUnknownCharset},
        {"CP-1", kUnknownCharset},
        {"CP-99999999999999999999", kUnknownCharset},
        {"OTHER_CRT", kUnknownCharset},
        {"", kUnknownCharset},
    };
    for (const Case& c : cases) EXPECT_EQ(CharsetCode(c.name), c.code) << c.name;

    EXPECT_EQ(CharsetName(0x120000, false), "ISO-8859-2");
    EXPECT_EQ(CharsetName(0x0A0000, false), "");
    EXPECT_EQ(CharsetName(0x1C0000, false), "");
    EXPECT_EQ(CharsetName(1252, false), "CP-1252");
    EXPECT_EQ(CharsetName(1252, true), "CP-1252");  // the built-in pages have no system names
    commands::Settings.CharsetFile = "KOI8";
    commands::Settings.PassthroughCharsetFile = "LABEL";
    EXPECT_EQ(CharsetName(kCharsetOtherCrt, false), "KOI8");
    EXPECT_EQ(CharsetName(kCharsetOtherPrt, false), "LABEL");
    // Every named kind's name leads back to its code.
    for (uint32_t kind = 0; kind <= 27; ++kind) {
        if (kind == 8 || kind == 9 || (kind >= 10 && kind <= 17)) continue;
        EXPECT_EQ(CharsetCode(CharsetName(kind << 16, false)), kind << 16) << kind;
    }
}

TEST_F(CharsetsTest, TheNationalSetsAreNamedInTheirOrder) {
    const char* national[] = {"INTERNATIONAL", "UK",        "FINNISH", "FRENCH",  "CANADIAN",
                              "GERMAN",        "ITALIAN",   "SWEDISH", "SPANISH", "NORWEGIAN",
                              "SWISS",         "SLOVENIAN", "JAPANESE"};
    for (size_t i = 0; i < 13; ++i) EXPECT_EQ(CharsetNameTable[i], national[i]);
    EXPECT_EQ(CharsetNameTable[13 + 4], "UTF8");
    EXPECT_EQ(CharsetNameTable[40], "ISO-8859-15");
}

TEST_F(CharsetsTest, CombiningMarkTableEdges) {
    for (char16_t ch : {0x0300, 0x0362, 0x05BF, 0x0E31, 0xFB1E, 0xFE20, 0xFE23})
        EXPECT_TRUE(IsCombiningMark(ch)) << std::hex << int{ch};
    for (char16_t ch : {0x0000, 0x02FF, 0x0363, 0x05BE, 0x05C0, 0xFE24, 0xFFFF})
        EXPECT_FALSE(IsCombiningMark(ch)) << std::hex << int{ch};
}

TEST_F(CharsetsTest, TextEncodingConversions) {
    EXPECT_EQ(ConvertTextEncoding("caf\x82", kEncodingOem, kEncodingAnsi), "caf\xE9");
    EXPECT_EQ(ConvertTextEncoding("caf\xE9", kEncodingAnsi, kEncodingOem), "caf\x82");
    EXPECT_EQ(ConvertTextEncoding("caf\xC3\xA9", kEncodingUtf8, kEncodingAnsi), "caf\xE9");
    EXPECT_EQ(ConvertTextEncoding("caf\xC3\xA9", kEncodingUtf8, kEncodingOem), "caf\x82");
    EXPECT_EQ(ConvertTextEncoding("caf\x82", kEncodingOem, kEncodingUtf8), "caf\xC3\xA9");
    EXPECT_EQ(ConvertTextEncoding("\x80", kEncodingAnsi, kEncodingUtf8), "\xE2\x82\xAC");
    EXPECT_EQ(ConvertTextEncoding("\x82", kEncodingOem, kEncodingUnchanged), "\x82");
    EXPECT_EQ(ConvertTextEncoding("\x82", kEncodingUnchanged, kEncodingAnsi), "\x82");
    EXPECT_EQ(ConvertTextEncoding("\x82", kEncodingOem, kEncodingOem), "\x82");
    EXPECT_EQ(ConvertTextEncoding("\x82", 2, kEncodingAnsi), "\x82");
    // An ANSI character the OEM page lacks.
    EXPECT_EQ(ConvertTextEncoding("\x80!", kEncodingAnsi, kEncodingOem), "?!");

    uint8_t buffer[] = {'a', 0x82, 0x81, 'z'};
    ConvertBufferOemAnsi(buffer, kEncodingOem, kEncodingAnsi);
    EXPECT_EQ(std::string(buffer, buffer + 4), "a\xE9\xFCz");
    ConvertBufferOemAnsi(buffer, kEncodingOem, kEncodingUtf8);
    EXPECT_EQ(std::string(buffer, buffer + 4), "a\xE9\xFCz");

    EXPECT_EQ(OemToWide("\x82"), u"\u00E9");
    EXPECT_EQ(AnsiToWide("\x80"), u"\u20AC");
    EXPECT_EQ(CodePageToWide("\xC6", 1251), u"\u0416");
    EXPECT_EQ(CodePageToWide("\xC6", 932), u"");
    EXPECT_EQ(WideToOem(u"\u00E9"), "\x82");
    EXPECT_EQ(WideToOem(u""), "");
    EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC\xC3"), "\x80");
}

TEST_F(CharsetsTest, PrivateUseCharactersMapBackForOutput) {
    const char16_t text[] = {0xE602, u'a', 0x200B, 0xE801, 0xE6C4, 0};
    EXPECT_EQ(MapPrivateUseChars(text), u"\u2502a\uE801\u25C4");
    charsetHooks.DecomposeChar = [](char16_t ch) -> std::u16string {
        return ch == 0xE801 ? std::u16string(u"s\u0300") : std::u16string(1, ch);
    };
    EXPECT_EQ(MapPrivateUseChars(text), u"\u2502as\u0300\u25C4");
}

}  // namespace
