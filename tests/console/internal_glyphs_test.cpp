// The program's own glyphs: each one has ink, in the band of the cell its
// kind of character belongs to.
#include "console/glyphs/internal_glyphs.h"

#include <gtest/gtest.h>

#include <string>

namespace console {
namespace {

// Rows of a glyph that hold ink: first and last, -1 when none.
std::pair<int32_t, int32_t> InkRows(const MonoGlyph& g) {
    int32_t first = -1, last = -1;
    for (int32_t y = 0; y < g.Height; ++y)
        for (int32_t x = 0; x < g.Width; ++x)
            if (g.Ink(x, y)) {
                if (first < 0) first = y;
                last = y;
            }
    return {first, last};
}

TEST(InternalGlyphs, EachMarkSitsInItsBandOfTheCell) {
    struct Case {
        char16_t Code;
        int32_t Top, Bottom;  // the rows ink may use
    };
    const Case cases[] = {
        {0x0309, 0, 4},   {0x030B, 0, 4},
        {0x0310, 0, 4},   {0x0313, 0, 4},
        {0x0315, 0, 4},   {0xFE20, 0, 4},
        {0xFE21, 0, 4},   {0xFE22, 0, 4},
        {0xFE23, 0, 4},   {0x02C7, 0, 5},
        {0x02D8, 0, 5},   {0x02D9, 0, 5},
        {0x031C, 16, 19}, {0x0323, 16, 19},
        {0x0324, 16, 19}, {0x0325, 16, 19},
        {0x0326, 16, 19}, {0x032E, 16, 19},
        {0x0333, 16, 19}, {0x2017, 16, 19},
        {0x2594, 0, 1},   {0xE8B6, 5, 5},
        {0xE8B8, 14, 14}, {0x2581, 18, 19},
        {0x0152, 0, 19},  {0x0153, 0, 19},
        {0x02BB, 0, 9},   {0x02BC, 0, 9},
        {0x02C0, 0, 9},   {0x02DB, 14, 19},
        {0x2117, 0, 19},  {0x2424, 0, 19},
        {0x266D, 0, 19},  {kNotFoundGlyphCode, 0, 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Code));
        const MonoGlyph* g = InternalGlyph(c.Code);
        ASSERT_NE(g, nullptr);
        const auto [first, last] = InkRows(*g);
        ASSERT_GE(first, 0) << "no ink";
        EXPECT_GE(first, c.Top);
        EXPECT_LE(last, c.Bottom);
    }
    EXPECT_EQ(InternalGlyph(u'A'), nullptr);
}

// The rounded corners meet the straight box lines: their arms reach the
// cell's edges on column 4 and row 9, the other edges stay clear.
TEST(InternalGlyphs, RoundedCornersReachTheEdgesOfTheirArms) {
    struct Case {
        char16_t Code;
        bool Left, Right, Up, Down;
    };
    const Case cases[] = {
        {0x256D, false, true, false, true},
        {0x256E, true, false, false, true},
        {0x256F, true, false, true, false},
        {0x2570, false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Code));
        const MonoGlyph* g = InternalGlyph(c.Code);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->Ink(0, 9), c.Left);
        EXPECT_EQ(g->Ink(9, 9), c.Right);
        EXPECT_EQ(g->Ink(4, 0), c.Up);
        EXPECT_EQ(g->Ink(4, 19), c.Down);
    }
}

}  // namespace
}  // namespace console
