// The screen font's sizes, the FONT command's words and the window's layout
// around the cells, with fonts measured by a table.
#include "console/glyphs/screen_font_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using console::FontMetrics;
using console::FontSizeTableState;

// A scalable face: text height 1.2 x the height asked for, half as wide, width as asked when given.
bool Scalable(int32_t height, int32_t width, FontMetrics& m) {
    m.Height = height * 6 / 5;
    m.AveCharWidth = width > 0 ? width : height / 2;
    m.ExternalLeading = 0;
    m.Ascent = height;
    return true;
}

FontSizeTableState Table(std::initializer_list<console::FontSize> sizes) {
    FontSizeTableState t;
    for (auto s : sizes) console::InsertFontSize(t, s.Height, s.Width);
    return t;
}

TEST(ScreenFontModel, SizeTablesAreSortedBoundedAndWithoutRepeats) {
    FontSizeTableState t = Table({{16, 8}, {12, 8}, {16, 8}, {12, 6}});
    EXPECT_EQ(std::vector(t.View().begin(), t.View().end()),
              (std::vector<console::FontSize>{{12, 6}, {12, 8}, {16, 8}}));
    for (int h = 1; h < 40; ++h) console::InsertFontSize(t, h, 5);
    EXPECT_EQ(t.Count, console::kMaxFontSizes);

    console::BuildScalableSizes(t, Scalable);
    EXPECT_LE(t.Count, console::kMaxFontSizes);
    EXPECT_EQ(t.Entries[0].Height, 4);
    for (int i = 1; i < t.Count; ++i) EXPECT_GT(t.Entries[i].Height, t.Entries[i - 1].Height);
    EXPECT_LE(t.Entries[t.Count - 1].Height, 80 * 6 / 5);
}

TEST(ScreenFontModel, FontWords) {
    const FontSizeTableState raster = Table({{8, 8}, {12, 8}, {16, 8}, {16, 12}});
    struct Case {
        std::vector<std::string> words;
        bool ok;
        int32_t height, width;
        bool bold;
        std::string face;
    };
    // The font now is 12 x 8.
    const Case cases[] = {
        {{"16x8"}, true, 16, 8, false, ""},
        {{"16"}, true, 16, 0, false, ""},
        {{"larger"}, true, 16, 8, false, ""},
        {{"LARGER", "LARGER", "larger"}, true, 16, 12, false, ""},  // stays at the largest
        {{"smaller", "SMALLER"}, true, 8, 8, false, ""},            // stays at the smallest
        {{"bold", "", "dejavu sans mono"}, true, 12, 8, true, "DEJAVU SANS MONO"},
        {{"bold", "16x8x2"}, false, 12, 8, true, ""},  // a second X fails after BOLD took
        {{"16xq"}, false, 12, 8, false, ""},
        {{"99999"}, false, 12, 8, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words[0]);
        console::FontRequest r;
        EXPECT_EQ(console::ApplyFontWords(raster, false, 8, 12, c.words, r), c.ok);
        EXPECT_EQ(r.Height, c.height);
        EXPECT_EQ(r.Width, c.width);
        EXPECT_EQ(r.Bold, c.bold);
        EXPECT_EQ(r.Face, c.face);
    }
    // A size not in the table: SMALLER takes the last entry.
    console::FontRequest r;
    EXPECT_TRUE(
        console::ApplyFontWords(raster, false, 9, 13, std::vector<std::string>{"smaller"}, r));
    EXPECT_EQ(r.Height, 16);
    EXPECT_EQ(r.Width, 12);
}

TEST(ScreenFontModel, AFontMeasuringNothingStillMakesACell) {
    console::CellSize cell = console::MeasureCell({0, 0, 0, 0}, false, 12);
    EXPECT_EQ(cell.CellWidth, 1);
    EXPECT_EQ(cell.CellHeight, 1);
    auto v = console::CountVisibleCells(640, 480, 4, 4, {0, 0, 0, 0}, 80, 25);
    EXPECT_EQ(v.Cols, 632);
    EXPECT_EQ(v.MaxViewCol, 0);
    auto plan = console::PlanFitWindow(80, 25, {0, 0, 0, 0}, 4, 4, 1024, 768);
    EXPECT_EQ(plan.ClientWidth, 88);
    // A face that measures 0 wide at every size: the search ends.
    console::FittedFont fitted;
    auto zero = [](int32_t, int32_t, FontMetrics& m) {
        m = {};
        return true;
    };
    EXPECT_TRUE(console::FitFontToCells(10, 20, 30, 0, 20, zero, fitted));
    auto none = [](int32_t, int32_t, FontMetrics&) { return false; };
    EXPECT_FALSE(console::FitFontToCells(10, 20, 30, 0, 20, none, fitted));
}

TEST(ScreenFontModel, MarginsGoWhereTheWorkAreaIsTight) {
    console::CellSize cell{8, 16, 16, 16};
    struct Case {
        int32_t areaW, areaH, left, vertical;
    };
    for (Case c : {Case{1280, 1024, 4, 4}, Case{642, 1024, 0, 4}, Case{1280, 402, 4, 0},
                   Case{600, 300, 4, 4}}) {
        auto plan = console::PlanFitWindow(80, 25, cell, 4, 4, c.areaW, c.areaH);
        EXPECT_EQ(plan.LeftPad, c.left) << c.areaW;
        EXPECT_EQ(plan.VerticalPad, c.vertical) << c.areaH;
        EXPECT_EQ(plan.ClientWidth, 640 + 2 * c.left);
    }
    EXPECT_EQ(console::CentredMargin(645, 640, 4), 2);
    EXPECT_EQ(console::CentredMargin(700, 640, 4), 4);
    EXPECT_EQ(console::CentredMargin(600, 640, 4), 4);
}

TEST(ScreenFontModel, MaximisingPicksTheLargestFontThatFits) {
    // 80 x 25 cells in 1280 x 1000: at most 16 wide and 40 high.
    console::FittedFont f;
    ASSERT_TRUE(console::FitFontToCells(16, 40, 40, 0, 40, Scalable, f));
    EXPECT_EQ(f.Metrics.AveCharWidth, 16);
    EXPECT_EQ(f.Height, 33);  // 34 would be 17 wide
    console::FontSizeTableState t = Table({{8, 8}, {12, 8}, {16, 10}, {24, 12}});
    EXPECT_EQ(console::LargestSizeWithin(t, 9, 30), (console::FontSize{12, 8}));
    EXPECT_EQ(console::LargestSizeWithin(t, 4, 4), (console::FontSize{8, 8}));
    EXPECT_EQ(console::CutFaceName(std::u16string(40, u'a')).size(), 31u);
    EXPECT_EQ(console::CutFaceName(std::u16string(30, u'a') + u"\xD83D\xDE00").size(), 30u);
}

}  // namespace
