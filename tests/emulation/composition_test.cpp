#include "emulation/text/composition.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

using namespace emulation;

class CompositionTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetComposedSequences(); }
    void TearDown() override { ResetComposedSequences(); }
};

TEST_F(CompositionTest, TheTableHoldsEveryPrecomposedPairOfTheCharacterData) {
    // Counted from the character data the build read: every canonical
    // decomposition into two characters from U+00C0 to U+FB4E.
    std::ifstream data("/usr/share/unicode/UnicodeData.txt");
    if (!data) GTEST_SKIP() << "no character data on this machine";
    std::set<char16_t> expected;
    for (std::string line; std::getline(data, line);) {
        std::stringstream fields(line);
        std::string code, field;
        std::getline(fields, code, ';');
        for (int i = 1; i <= 5; ++i) std::getline(fields, field, ';');
        const unsigned long cp = std::stoul(code, nullptr, 16);
        if (cp < 0xC0 || cp > 0xFB4E || field.empty() || field[0] == '<') continue;
        if (field.find(' ') != std::string::npos) expected.insert(static_cast<char16_t>(cp));
    }
    const auto table = DecompositionTable();
    EXPECT_EQ(table.size(), expected.size());
    EXPECT_EQ(table.size(), 1000u);
    std::set<char16_t> got;
    for (const auto& e : table) got.insert(e.Composed);
    EXPECT_EQ(got, expected);
}

TEST_F(CompositionTest, EveryEntryComposesBackToItsCharacter) {
    for (const auto& e : DecompositionTable()) {
        std::u16string parts{e.Base, e.Mark1};
        if (e.Mark2 != 0) parts.push_back(e.Mark2);
        ASSERT_EQ(DecomposeChar(e.Composed), parts) << std::hex << int(e.Composed);
        ASSERT_EQ(ComposeChars(parts, false), e.Composed) << std::hex << int(e.Composed);
    }
}

TEST_F(CompositionTest, DecomposesOneLevel) {
    const struct {
        char16_t ch;
        std::u16string parts;
    } cases[] = {
        {0x00E9, u"e\u0301"},
        {0x01D6, u"\u00FC\u0304"},  // the base is itself precomposed
        {0xE801, u"s\u0300"},
        {0xE866, u"i\uFE20"},
        {'A', u"A"},
        {0xE8FF, u"\uE8FF"},  // a private code that means nothing
        {0xE900, u"\uE900"},  // the list is empty
        // Pairs that take the letter with the outer mark as their base.
        {0x1E1C, u"\u0114\u0327"},
        {0x1EAD, u"\u00E2\u0323"},
        {0x1ED9, u"\u00F4\u0323"},
        {0x1E69, u"\u1E61\u0323"},
    };
    for (const auto& c : cases) EXPECT_EQ(DecomposeChar(c.ch), c.parts) << std::hex << int(c.ch);
}

TEST_F(CompositionTest, ComposesPrecomposedThenPrivateThenListed) {
    EXPECT_EQ(ComposeChars(u"e\u0301", false), 0x00E9);
    EXPECT_EQ(ComposeChars(u"e\u0301", true), 0x00E9);
    EXPECT_EQ(ComposeChars(u"s\u0300", true), 0xE801);
    EXPECT_EQ(ComposeChars(u"s\u0300", false), kNoComposition);
    EXPECT_EQ(ComposeChars(u"x\u0300", false), kNoComposition);
    EXPECT_EQ(ComposeChars(u"x\u0300", true), 0xE900);
    EXPECT_EQ(ComposeChars(u"x\u0300", true), 0xE900);
    EXPECT_EQ(ComposeChars(u"\u00E9\u0323", true), 0xE901);
    EXPECT_EQ(DecomposeChar(0xE900), u"x\u0300");
    // A listed sequence that starts with a listed code unfolds it.
    const char16_t nested = ComposeChars(u"\uE900\u0323", true);
    EXPECT_EQ(nested, 0xE902);
    EXPECT_EQ(DecomposeChar(nested), u"x\u0300\u0323");
    EXPECT_EQ(ComposeChars(u"e", true), kNoComposition);
}

TEST_F(CompositionTest, TheListStopsWhereItsCodesEnd) {
    std::u16string seq = u"x\u0300";
    char16_t last = 0;
    for (size_t i = 0; i < kMaxComposedSequences; ++i) {
        seq[0] = static_cast<char16_t>(0x4E00 + i);
        last = ComposeChars(seq, true);
    }
    EXPECT_EQ(last, 0xEFFF);
    seq[0] = u'z';
    EXPECT_EQ(ComposeChars(seq, true), kNoComposition);
    // A run of marks longer than one cell could stand for is not listed.
    EXPECT_EQ(ComposeChars(std::u16string(40, u'\u0301'), true), kNoComposition);
}

TEST_F(CompositionTest, DiacriticPartnersGoBothWays) {
    const struct {
        char16_t ch, partner;
    } cases[] = {
        {0x0301, 0x00B4}, {0x00B4, 0x0301}, {0x0308, 0x00A8}, {0x00A8, 0x0308},
        {0x0323, 0xFFFF}, {0x0333, 0x2017}, {0x2017, 0x0333}, {'a', 0xFFFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DiacriticPartner(c.ch), c.partner) << std::hex << int(c.ch);
}

}  // namespace
