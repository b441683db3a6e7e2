#include "console/messages.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "console/globals.h"

namespace {

using console::FormatArg;
using console::GetMessageW;

// A language module of a given language, in front of the program's own table.
class FakeSource : public platform::StringSource {
  public:
    bool moduleLoaded = true;
    uint16_t moduleLanguage = 0x0407;
    std::map<uint16_t, std::u16string> languageTexts;
    std::map<uint16_t, std::u16string> ownOverrides;
    int readyCalls = 0;

    bool LanguageModuleReady(uint16_t languageId) override {
        ++readyCalls;
        return languageId == 0 || moduleLoaded;
    }
    std::u16string LanguageText(uint16_t id, uint16_t languageId) override {
        if (!moduleLoaded || languageId != moduleLanguage) return {};
        auto it = languageTexts.find(id);
        return it == languageTexts.end() ? std::u16string() : it->second;
    }
    std::u16string OwnText(uint16_t id, uint16_t) override {
        auto it = ownOverrides.find(id);
        if (it != ownOverrides.end()) return it->second;
        return std::u16string(console::OwnMessageText(id));
    }
};

uint16_t German() {
    return 0x0407;
}
uint16_t NoLanguage() {
    return 0;
}

class MessagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        console::ResetMessages();
        console::messages.languageId = German;
        platform::SetStringSource(&source);
        source.languageTexts[607] = u"UNG\u00DCLTIGE FUNKTION";
        source.languageTexts[40000] = u"nur im Modul";
    }
    void TearDown() override {
        platform::SetStringSource(nullptr);
        console::ResetMessages();
    }
    FakeSource source;
};

TEST(OwnMessageTable, HoldsTheProgramsTexts) {
    EXPECT_EQ(console::OwnMessageText(4), u"wendrosta.def");
    EXPECT_EQ(console::OwnMessageText(607), u"INVALID FUNCTION");
    EXPECT_EQ(console::OwnMessageText(923), u"Version ");
    EXPECT_EQ(console::OwnMessageText(916), u"ERROR              ");
    EXPECT_EQ(console::OwnMessageText(12017), u"TCP/IP (WINSOCK) error ");
    EXPECT_EQ(console::OwnMessageText(1200), u"") << "code 0 deliberately has no text";
    EXPECT_EQ(console::OwnMessageText(0), u"");
    EXPECT_EQ(console::OwnMessageText(65535), u"");
}

TEST_F(MessagesTest, LookupOrder) {
    struct Case {
        const char* what;
        uint16_t id;
        bool moduleLoaded;
        bool useDefault;
        std::u16string expected;
    } cases[] = {
        {"module text wins", 607, true, false, u"UNG\u00DCLTIGE FUNKTION"},
        {"own text when the module lacks it", 923, true, false, u"Version "},
        {"own text without a module", 607, false, false, u"INVALID FUNCTION"},
        {"neither: empty", 39999, true, false, u""},
        {"neither: default", 39999, true, true, u"(Resource string error)"},
        {"module only", 40000, true, true, u"nur im Modul"},
    };
    for (const Case& c : cases) {
        source.moduleLoaded = c.moduleLoaded;
        EXPECT_EQ(GetMessageW(c.id, c.useDefault), c.expected) << c.what;
    }
}

TEST_F(MessagesTest, OwnTextsWithTheLanguageIdZero) {
    console::messages.languageId = NoLanguage;
    EXPECT_EQ(GetMessageW(607, false), u"INVALID FUNCTION");
    EXPECT_EQ(console::GetMessageText(607, false), "INVALID FUNCTION");
}

TEST_F(MessagesTest, ShortStringAndBuffersInTheAnsiCodePage) {
    EXPECT_EQ(console::GetMessageText(607, false), "UNG\xDCLTIGE FUNKTION");
    source.languageTexts[41000] = u"\u20AC and \u03A9";
    EXPECT_EQ(std::string(console::GetMessagePtr(41000, false)), "\x80 and ?");
}

TEST_F(MessagesTest, LongLanguageTextFillsTheBufferButNotTheShortString) {
    source.languageTexts[41001] = std::u16string(300, u'x');
    EXPECT_EQ(std::string(console::GetMessagePtr(41001, false)), std::string(300, 'x'));
    EXPECT_EQ(console::GetMessageText(41001, false), "");
    EXPECT_EQ(console::GetMessageText(41001, true), "(Resource string error)");
    // With an own text of the id, that text stands in, cut to the short string's 254 bytes.
    source.ownOverrides[41001] = std::u16string(300, u'y');
    EXPECT_EQ(console::GetMessageText(41001, false), std::string(254, 'y'));
    source.languageTexts[41002] = std::u16string(254, u'z');
    EXPECT_EQ(console::GetMessageText(41002, false).size(), 254u);
}

TEST_F(MessagesTest, TwoBuffersHoldTwoMessages) {
    const char* text = console::GetMessagePtr(607, false);
    const char* caption = console::GetMessagePtr2(923, false);
    EXPECT_STREQ(text, "UNG\xDCLTIGE FUNKTION");
    EXPECT_STREQ(caption, "Version ");
    const char* next = console::GetMessagePtr(39999, true);
    EXPECT_STREQ(next, "(Resource string error)");
    EXPECT_STREQ(caption, "Version ");
    EXPECT_STREQ(console::GetMessagePtr(39999, false), "");
}

TEST(FormatMessageText, Directives) {
    auto i = [](int64_t v) { return FormatArg(v); };
    auto s = [](const char16_t* v) { return FormatArg(std::u16string(v)); };
    struct Case {
        std::u16string format;
        std::vector<FormatArg> args;
        bool ok;
        std::u16string expected;
    } cases[] = {
        {u"Line %0:d, position %1:d", {i(3), i(41)}, true, u"Line 3, position 41"},
        {u"Unicode = %0:x (hex), %0:d (decimal) ",
         {i(0x2500)},
         true,
         u"Unicode = 2500 (hex), 9472 (decimal) "},
        {u"%2:s %0:s %s", {s(u"a"), s(u"b"), s(u"c")}, true, u"c a b"},
        {u"(Inactive %s)", {s(u"Host")}, true, u"(Inactive Host)"},
        {u"[%5d|%-5d|%.3d|%5.3d]", {i(42), i(42), i(-7), i(7)}, true, u"[   42|42   |-007|  007]"},
        {u"[%.2s|%6s|%-4s]", {s(u"abcdef"), s(u"ab"), s(u"ab")}, true, u"[ab|    ab|ab  ]"},
        {u"%x %u %*d", {i(-1), i(-1), i(4), i(9)}, true, u"FFFFFFFF 4294967295    9"},
        {u"%.2f%%", {FormatArg(1.5)}, true, u"1.50%"},
        {u"%d", {s(u"text")}, false, u""},
        {u"%s", {i(1)}, false, u""},
        {u"%f", {i(1)}, false, u""},
        {u"%s and %s", {s(u"one")}, false, u""},
        {u"%2:s", {s(u"a")}, false, u""},
        {u"ends with %", {}, false, u""},
        {u"%q", {i(1)}, false, u""},
        {u"%99999d", {i(1)}, false, u""},
        {u"no directives", {}, true, u"no directives"},
    };
    for (const Case& c : cases) {
        std::u16string out;
        EXPECT_EQ(console::FormatMessageText(c.format, c.args, out), c.ok)
            << std::string(c.format.begin(), c.format.end());
        if (c.ok) {
            EXPECT_EQ(out, c.expected) << std::string(c.format.begin(), c.format.end());
        }
    }
}

TEST_F(MessagesTest, FormattedMessages) {
    std::vector<FormatArg> hostKey{std::u16string(u"example.org"), int64_t{22},
                                   std::u16string(u"ab:cd")};
    EXPECT_EQ(console::GetMessageFmt(17001, hostKey),
              u"Please verify SSH host key for example.org port 22 is ab:cd");
    // The port given as text does not fit %1:d.
    std::vector<FormatArg> wrong{std::u16string(u"example.org"), std::u16string(u"22"),
                                 std::u16string(u"ab:cd")};
    EXPECT_EQ(console::GetMessageFmt(17001, wrong), u"(Resource string error)");
    EXPECT_EQ(console::GetMessageFmt(39999, hostKey), u"(Resource string error)");
    source.languageTexts[41003] = u"%d Dateien";
    std::vector<FormatArg> text{std::u16string(u"drei")};
    EXPECT_EQ(console::GetMessageFmt(41003, text), u"(Resource string error)");
}

TEST_F(MessagesTest, VersionTextFollowsTheLanguage) {
    console::BuildVersionText();
    EXPECT_EQ(console::globals.VersionText, "Version 12.6f");
    source.languageTexts[923] = u"Versionsnummer ";
    console::BuildVersionText();
    EXPECT_EQ(console::globals.VersionText, "Versionsnummer 12.");
}

}  // namespace
