// Font coverage read from TrueType character maps: a real font file, and maps
// whose records and arrays point past the bytes they come in.
#include "console/glyphs/font_tables.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

using console::FontTag;
using console::UnicodeRange;
using console::UnicodeRangeTable;

std::vector<uint8_t> ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, static_cast<uint16_t>(v >> 16));
    Put16(b, static_cast<uint16_t>(v));
}

// A cmap with one 3/1 format-4 subtable: A-C by delta, 0x263A by the glyph array, and the end.
std::vector<uint8_t> SmallCmap() {
    std::vector<uint8_t> b;
    Put16(b, 0), Put16(b, 1);                // version, one record
    Put16(b, 3), Put16(b, 1), Put32(b, 12);  // Windows Unicode at 12
    const uint16_t segs = 3;
    Put16(b, 4), Put16(b, 0), Put16(b, 0), Put16(b, segs * 2);
    Put16(b, 0), Put16(b, 0), Put16(b, 0);
    for (uint16_t e : {0x43, 0x263A, 0xFFFF}) Put16(b, e);
    Put16(b, 0);
    for (uint16_t s : {0x41, 0x263A, 0xFFFF}) Put16(b, s);
    for (uint16_t d : {static_cast<uint16_t>(10 - 0x41), uint16_t{0}, uint16_t{1}}) Put16(b, d);
    // The second segment's offset reaches the glyph array right after the offsets (4 bytes on).
    for (uint16_t o : {0, 4, 0}) Put16(b, o);
    Put16(b, 77);
    return b;
}

TEST(FontTables, ReadsTheCoverageAndGlyphsOfARealFont) {
    auto file = ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");
    if (file.empty()) GTEST_SKIP() << "the DejaVu fonts are not installed";
    auto cmap = console::FindFontTable(file, FontTag('c', 'm', 'a', 'p'));
    ASSERT_FALSE(cmap.empty());
    UnicodeRangeTable ranges;
    ASSERT_TRUE(console::ReadCmapRanges(cmap, ranges));
    for (char16_t ch : {u'A', u'\u00E9', u'\u0301', u'\u0323', u'\u2500', u'\uFFFF'})
        EXPECT_TRUE(console::RangeTableContains(ch, &ranges)) << std::hex << int(ch);
    EXPECT_FALSE(console::RangeTableContains(u'\u4E00', &ranges));
    EXPECT_NE(console::CmapGlyphIndex(cmap, u'A'), 0);
    EXPECT_NE(console::CmapGlyphIndex(cmap, u'A'), console::CmapGlyphIndex(cmap, u'B'));
    EXPECT_EQ(console::CmapGlyphIndex(cmap, u'\u4E00'), 0);
}

TEST(FontTables, ASmallMapByDeltaAndByGlyphArray) {
    auto cmap = SmallCmap();
    UnicodeRangeTable ranges;
    ASSERT_TRUE(console::ReadCmapRanges(cmap, ranges));
    EXPECT_EQ(ranges, (UnicodeRangeTable{{0x41, 0x43}, {0x263A, 0x263A}, {0xFFFF, 0xFFFF}}));
    EXPECT_EQ(console::CmapGlyphIndex(cmap, u'B'), 11);
    EXPECT_EQ(console::CmapGlyphIndex(cmap, u'\u263A'), 77);
    EXPECT_EQ(console::CmapGlyphIndex(cmap, u'D'), 0);
}

TEST(FontTables, MapsThatPointPastTheirBytesReadNothing) {
    const auto good = SmallCmap();
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    for (size_t cut : {size_t{3}, size_t{11}, size_t{20}, good.size() - 9})
        cases.push_back({"cut short", std::vector<uint8_t>(good.begin(), good.begin() + cut)});
    auto farOffset = good;
    farOffset[8] = 0x7F;  // the subtable's offset far outside
    cases.push_back({"offset outside", farOffset});
    auto manyRecords = good;
    manyRecords[2] = 0xFF;  // more records than bytes, none of them 3/1
    manyRecords[5] = 0;
    cases.push_back({"record count", manyRecords});
    auto manySegments = good;
    manySegments[12 + 6] = 0xFF;  // segCountX2 far larger than the subtable
    cases.push_back({"segment count", manySegments});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // An exact-size copy, so that a read past the end is seen by the sanitiser.
        std::vector<uint8_t> copy(c.bytes);
        UnicodeRangeTable ranges{{1, 2}};
        EXPECT_FALSE(console::ReadCmapRanges(copy, ranges));
        EXPECT_TRUE(ranges.empty());
        EXPECT_EQ(console::CmapGlyphIndex(copy, u'B'), 0);
    }
    // A glyph-array offset past the end gives no glyph rather than a read outside.
    auto farGlyph = good;
    farGlyph[farGlyph.size() - 6] = 0x40;
    EXPECT_EQ(console::CmapGlyphIndex(farGlyph, u'\u263A'), 0);
}

TEST(FontTables, ATableRecordOutsideTheFileIsNotFound) {
    std::vector<uint8_t> file;
    Put32(file, 0x00010000), Put16(file, 1), Put16(file, 0), Put16(file, 0), Put16(file, 0);
    Put32(file, FontTag('c', 'm', 'a', 'p')), Put32(file, 0), Put32(file, 28), Put32(file, 100);
    file.resize(40);
    EXPECT_TRUE(console::FindFontTable(file, FontTag('c', 'm', 'a', 'p')).empty());
    file.resize(128);
    EXPECT_EQ(console::FindFontTable(file, FontTag('c', 'm', 'a', 'p')).size(), 100u);
}

TEST(FontTables, FixedSetsAndLookAlikes) {
    EXPECT_TRUE(console::InRangeSet(0x0301, console::MarksAboveSet()));
    EXPECT_TRUE(console::InRangeSet(0x0323, console::MarksBelowSet()));
    EXPECT_FALSE(console::InRangeSet(0x0323, console::MarksAboveSet()));
    EXPECT_TRUE(console::IsBoxOrCombining(0x2502));
    EXPECT_TRUE(console::IsBoxOrCombining(0x05BF));
    EXPECT_FALSE(console::IsBoxOrCombining(0x05BE));
    struct Case {
        char16_t ch;
        char16_t look;
    };
    for (Case c : {Case{0x2074, u'4'}, Case{0x2089, u'9'}, Case{0x207B, u'-'}, Case{0x0131, u'i'},
                   Case{0x030A, 0x00B0}, Case{0x02BC, 0x2019}}) {
        char16_t look = 0;
        EXPECT_TRUE(console::SubstituteGlyph(c.ch, look));
        EXPECT_EQ(look, c.look) << std::hex << int(c.ch);
    }
    char16_t look = 0;
    EXPECT_FALSE(console::SubstituteGlyph(0x2072, look));
}

}  // namespace
