// The scroll-back review by keys: the window shows older ring lines, never
// past the oldest, and the live screen and view column come back at the end.
#include "console/screen_review.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console_primitives.h"
#include "console/key_codes.h"
#include "fake_console_window.h"

namespace console {
namespace {

using console_test::WindowRow;

std::vector<uint16_t> keys;
size_t nextKey = 0;
int prints = 0;
std::vector<std::string> seen;  // window row 1 after each key

uint16_t NextKey() {
    if (nextKey > 0) seen.push_back(WindowRow(0).substr(0, 8));
    return nextKey < keys.size() ? keys[nextKey++] : uint16_t{13};
}

class ScreenReviewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // 40 ring lines: 24 on the screen, at most 15 back.
        console_test::ResetConsoleForTest(window, 40);
        SetJumpScrollSetting(0);
        GotoRowCol(1, 1);
        for (int i = 1; i <= 60; ++i) {
            WriteScreenStr("line " + std::to_string(i), 0);
            if (i < 60) WriteString("\r\n");
        }
        ScreenReview = ScreenReviewState{};
        nextKey = 0;
        prints = 0;
        seen.clear();
    }
    void TearDown() override { SetScreenWindow(nullptr); }

    console_test::FakeConsoleWindow window;
};

TEST_F(ScreenReviewTest, KeysMoveTheViewWithinTheRingAndEndOnTheLiveScreen) {
    ASSERT_EQ(WindowRow(0).substr(0, 8), "line 37 ");
    const int32_t top = TermScreenRing.TopLine;
    GotoRowCol(24, 8);
    keys = {kKeyUp, '8', kKeyDown, kKeyDown, kKeyDown, kKeyPgUp, kKeyPgUp, '3', 'p', 'x', 27};
    ReviewScreenPrompt(NextKey, [] { ++prints; });
    const std::vector<std::string> want = {
        "line 36 ", "line 35 ", "line 36 ", "line 37 ",
        "line 37 ",  // Down at the live screen does nothing
        "line 22 ",  // PgUp stops at the oldest line the ring keeps
        "line 22 ", "line 37 ", "line 37 ", "line 37 "};
    EXPECT_EQ(seen, want);
    EXPECT_EQ(prints, 1);
    EXPECT_FALSE(ScreenReview.Active);
    EXPECT_EQ(TermScreenRing.TopLine, top);
    EXPECT_EQ(WindowRow(0).substr(0, 8), "line 37 ");
    EXPECT_EQ(WindowRow(23).substr(0, 8), "line 60 ");
    EXPECT_EQ(ConsoleLayer.CursorRow, 24);
    EXPECT_EQ(ConsoleLayer.CursorCol, 8);
    // The prompt stood on the status row.
    EXPECT_NE(WindowRow(24).find("REVIEW SCREEN"), std::string::npos);
}

TEST_F(ScreenReviewTest, SidewaysStaysWithinTheRingsColumns) {
    SetScreenColumnsSetting(132);
    EXPECT_FALSE(SetViewLeftColumn(-1));
    EXPECT_TRUE(SetViewLeftColumn(52));
    EXPECT_FALSE(SetViewLeftColumn(53));
    keys = {kKeyHome, kKeyRight, kKeyRight, kKeyEnd, kKeyLeft, 13};
    SetViewLeftColumn(10);
    ReviewScreenPrompt(NextKey, [] {});
    EXPECT_EQ(TermScreenRing.ViewLeftColumn, 10);  // the view column comes back
    SetScreenColumnsSetting(80);
}

}  // namespace
}  // namespace console
