// One cell drawn from characters the cell font may lack: fallback fonts and the
// automatic search, decomposition, stacked marks, look-alikes and the not-found
// glyph, through a device whose fonts are tables.
#include "console/glyphs/glyph_fallback.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using console::FontBank;
using console::GlyphBox;
using console::UnicodeRangeTable;

struct FakeFont {
    std::string Face;
    UnicodeRangeTable Ranges;
    int32_t Ascent = 10;
    int32_t Descent = 3;
    int32_t Width = 8;
    std::map<char16_t, GlyphBox> Boxes;  // absent: a box of the x height
    std::map<char16_t, int32_t> Widths;
};

FakeFont MakeFont(std::string face, UnicodeRangeTable ranges, int32_t width = 8) {
    FakeFont f;
    f.Face = std::move(face);
    f.Ranges = std::move(ranges);
    f.Width = width;
    return f;
}

struct Drawn {
    char16_t Ch;
    int32_t X;
    int32_t Y;
    uintptr_t Font;
};

class FakeDevice : public console::GlyphDevice {
  public:
    std::map<uintptr_t, FakeFont> Fonts;
    // Installed families a search can find: charset, fixed pitch, face.
    std::vector<std::tuple<uint8_t, bool, std::string>> Families;
    std::vector<char16_t> Internal;  // the program's own glyphs
    uintptr_t Selected = 1;
    std::vector<Drawn> Draws;
    int Searches = 0;
    int Measures = 0;

    uintptr_t SelectedFont() override { return Selected; }
    void SelectFont(uintptr_t f) override { Selected = f; }
    uintptr_t MakeFallbackFont(const std::string& face) override {
        for (auto& [id, font] : Fonts)
            if (id != 1 && font.Face == face) return id;
        return 0;
    }
    void DeleteFont(uintptr_t) override {}
    std::string FaceName() override { return Fonts[Selected].Face; }
    bool ReadRanges(UnicodeRangeTable& r) override {
        r = Fonts[Selected].Ranges;
        return true;
    }
    int32_t Ascent() override { return Fonts[Selected].Ascent; }
    int32_t Descent() override { return Fonts[Selected].Descent; }
    bool MeasureGlyph(char16_t ch, GlyphBox& box) override {
        ++Measures;
        auto& f = Fonts[Selected];
        auto it = f.Boxes.find(ch);
        box = it != f.Boxes.end() ? it->second : GlyphBox{6, 7, 1, 7};
        return true;
    }
    int32_t CharWidth(char16_t ch) override {
        auto& f = Fonts[Selected];
        auto it = f.Widths.find(ch);
        return it != f.Widths.end() ? it->second : f.Width;
    }
    void DrawChar(char16_t ch, int32_t x, int32_t y) override {
        Draws.push_back({ch, x, y, Selected});
    }
    bool DrawInternalGlyph(char16_t ch, int32_t x, int32_t y, int32_t, int32_t) override {
        if (std::find(Internal.begin(), Internal.end(), ch) == Internal.end()) return false;
        Draws.push_back({ch, x, y, 0});
        return true;
    }
    void FillCell(int32_t, int32_t, int32_t, int32_t) override {}
    std::string FindFamily(uint8_t charset, bool fixed,
                           const std::function<bool(std::string_view)>& accept) override {
        ++Searches;
        for (auto& [cs, pitch, face] : Families)
            if (cs == charset && pitch == fixed && accept(face)) return face;
        return {};
    }
};

// A cell font of ASCII, e with acute and dot below, in a 8 x 16 cell.
class GlyphFallbackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        console::GlyphHooks = {};
        device.Fonts[1] = MakeFont("Cell", {{0x20, 0x7E}, {0x0301, 0x0301}, {0x0323, 0x0323}});
        // e: x height 7 rows above the baseline; the marks as a font draws them at the baseline.
        device.Fonts[1].Boxes[u'e'] = {6, 7, 1, 7};
        device.Fonts[1].Boxes[0x0301] = {3, 2, -5, 9};   // over the x height
        device.Fonts[1].Boxes[0x0323] = {2, 2, -5, -1};  // just under the baseline
        device.Fonts[1].Widths[0x0301] = 0;
        device.Fonts[1].Widths[0x0323] = 0;
    }
    std::vector<Drawn> Draw(std::u16string text) {
        device.Draws.clear();
        console::DrawGlyph(device, text.data(), static_cast<int32_t>(text.size()), 1, bank,
                           &device.Fonts[1].Ranges, {100, 40, 8, 16, true}, &source);
        return device.Draws;
    }
    FakeDevice device;
    FontBank bank;
    std::string source;
};

TEST_F(GlyphFallbackTest, MarksStackAboveAndBelowTheBaseInsideTheCell) {
    auto draws = Draw(u"e\u0301\u0323");
    ASSERT_EQ(draws.size(), 3u);
    // Base top 3, bottom 10 (ascent 10 - origin 7); the acute's ink is raised to end
    // 1 row above the base, the dot lowered to start at its bottom.
    const int32_t ascent = 10;
    int32_t baseTop = draws[0].Y - 40 + ascent - 7;
    int32_t acuteTop = draws[1].Y - 40 + ascent - 9;
    int32_t dotTop = draws[2].Y - 40 + ascent + 1;
    EXPECT_EQ(baseTop, 3);
    EXPECT_EQ(acuteTop + 2, baseTop - 1);
    EXPECT_GE(acuteTop, 0);
    EXPECT_EQ(dotTop, baseTop + 8);  // already under the base: stays
    EXPECT_EQ(source, "Cell, Cell, Cell");
    // Under a descender the dot is lowered to start where the descender ends.
    device.Fonts[1].Boxes[u'q'] = {6, 10, 1, 7};
    auto under = Draw(u"q\u0323");
    ASSERT_EQ(under.size(), 2u);
    EXPECT_EQ(under[1].Y - 40 + ascent + 1, 13);
    // Marks without an advance of their own move into the cell.
    EXPECT_EQ(draws[1].X, 108);
}

TEST_F(GlyphFallbackTest, CompositeCharactersAreDrawnFromTheirDecomposition) {
    console::GlyphHooks.Decompose = [](char16_t ch) -> std::u16string {
        if (ch == 0xE9) return u"e\u0301";
        return std::u16string(1, ch);
    };
    auto draws = Draw(u"\u00E9");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].Ch, u'e');
    EXPECT_EQ(draws[1].Ch, 0x0301);
}

TEST_F(GlyphFallbackTest, DecompositionStaysWithinTheCellBuffer) {
    struct Case {
        const char* what;
        console::DecomposeFunction decompose;
    };
    const Case cases[] = {
        // Two characters that decompose to each other would go round for ever.
        {"cycle",
         [](char16_t ch) -> std::u16string { return ch == 0xE801 ? u"\uE802" : u"\uE801"; }},
        // A decomposition that keeps growing would overrun the ten code units.
        {"growth", [](char16_t) -> std::u16string { return u"\uE900\u0301\u0301\u0301"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        char16_t units[console::kMaxCellCodeUnits] = {0xE801, 0x0301};
        int32_t n = console::DecomposeCell(units, 2, &device.Fonts[1].Ranges, c.decompose);
        EXPECT_LE(n, console::kMaxCellCodeUnits);
        EXPECT_GE(n, 1);
    }
}

TEST_F(GlyphFallbackTest, WhatNoFontHasFallsToLookAlikesAndTheNotFoundGlyph) {
    struct Case {
        std::u16string text;
        std::vector<char16_t> shown;
        std::string source;
    };
    device.Internal = {0x0324, 0xE8BC};
    const Case cases[] = {
        {u"\u2074", {u'4'}, "Cell"},                      // superscript four as a four
        {u"\u0324", {0x0324}, "internal bitmap"},         // the program's own bitmap
        {u"\u4E00", {0xE8BC}, "NOT FOUND"},               // nothing has it
        {u"e\u4E00", {u'e'}, "Cell"},                     // a mark nothing has is left off
        {u"\u00A0\u0301", {u' ', 0x0301}, "Cell, Cell"},  // blank-like base as a space
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source));
        auto draws = Draw(c.text);
        std::vector<char16_t> shown;
        for (auto& d : draws) shown.push_back(d.Ch);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(source, c.source);
    }
}

TEST_F(GlyphFallbackTest, FallbackFontsAreTriedInOrderAndTooWideOnesSkipped) {
    // Greek: a list font; the arrow (ambiguous width) 12 pixels wide in one font.
    device.Fonts[2] = MakeFont("Wide", {{0x2190, 0x2190}}, 12);
    device.Fonts[3] = MakeFont("Greek", {{0x0391, 0x03C9}, {0x2190, 0x2190}});
    console::ParseFontList(bank, "Wide|-Greek|Greek");
    ASSERT_EQ(bank.Items.size(), 3u);
    EXPECT_TRUE(bank.Items[1].Disabled);
    auto draws = Draw(u"\u03B1");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].Font, 3u);
    // 12 >= 1.1 x 8: the wide font would spill over; the next one draws it.
    draws = Draw(u"\u2190");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].Font, 3u);
    EXPECT_EQ(source, "Greek");
    EXPECT_EQ(device.Selected, 1u);  // the cell font is selected again
}

// A repaint takes the font that drew a character before without measuring
// again, until the cell width or the list changes.
TEST_F(GlyphFallbackTest, TheFontThatDrewACharacterIsTakenAgainWithoutMeasuring) {
    device.Fonts[2] = MakeFont("Wide", {{0x0391, 0x03C9}}, 12);
    device.Fonts[3] = MakeFont("Greek", {{0x0391, 0x03C9}});
    console::ParseFontList(bank, "Wide|Greek");
    // Alpha is of ambiguous width: the wide font would spill over.
    ASSERT_EQ(Draw(u"\u03B1").at(0).Font, 3u);
    const int measures = device.Measures;
    for (int i = 0; i < 3; ++i) {
        const auto draws = Draw(u"\u03B1");
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].Font, 3u);
        EXPECT_EQ(device.Selected, 1u);
    }
    EXPECT_EQ(device.Measures, measures);
    // In a cell 12 pixels wide the first font fits.
    device.Draws.clear();
    console::DrawGlyph(device, u"\u03B1", 1, 1, bank, &device.Fonts[1].Ranges,
                       {100, 40, 12, 16, true}, &source);
    ASSERT_EQ(device.Draws.size(), 1u);
    EXPECT_EQ(device.Draws[0].Font, 2u);
    console::ParseFontList(bank, "Greek");
    EXPECT_EQ(Draw(u"\u03B1").at(0).Font, 3u);
    EXPECT_GT(device.Measures, measures);
}

TEST_F(GlyphFallbackTest, TheAutomaticSearchIsRememberedAndSoIsACharacterNoFontHas) {
    device.Families = {{177, false, "Hebrew Sans"}, {177, true, "Hebrew Mono"}};
    device.Fonts[4] = MakeFont("Hebrew Mono", {{0x05D0, 0x05EA}});
    device.Fonts[5] = MakeFont("Hebrew Sans", {{0x05D0, 0x05EA}});
    console::ParseFontList(bank, "AUTO");
    auto draws = Draw(u"\u05D0");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].Font, 4u);  // mode 1: fixed pitch first
    ASSERT_EQ(bank.Items.size(), 2u);
    EXPECT_EQ(bank.Items[0].Name, "Hebrew Mono");
    EXPECT_TRUE(console::IsAutoItem(bank.Items[1]));
    int searches = device.Searches;
    Draw(u"\u05D1");
    EXPECT_EQ(device.Searches, searches);  // found in the list, no search

    // A character nothing has is searched for once, not on every paint.
    Draw(u"\u4E00");
    searches = device.Searches;
    EXPECT_GT(searches, 0);
    for (int i = 0; i < 3; ++i) Draw(u"\u4E00");
    EXPECT_EQ(device.Searches, searches);
    console::ForgetMissingCharacters(bank);
    Draw(u"\u4E00");
    EXPECT_GT(device.Searches, searches);
}

TEST(GlyphLooksMissing, EmptyOrTooLowGlyphs) {
    EXPECT_TRUE(console::GlyphLooksMissing({1, 1, 0, 0}, 3));
    EXPECT_TRUE(console::GlyphLooksMissing({5, 12, 0, 8}, 3));  // 4 rows below, descent 3
    EXPECT_FALSE(console::GlyphLooksMissing({5, 11, 0, 8}, 3));
}

}  // namespace
