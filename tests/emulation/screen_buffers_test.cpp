#include "emulation/screen_buffers.h"

#include <gtest/gtest.h>

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"

namespace emulation {
namespace {

class ScreenBuffersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        console::ResetConsoleSettings();
        console::ResetConsoleLayer();
    }
    void TearDown() override {
        console::ResetConsoleLayer();
        commands::ResetSettingsToDefaults();
    }
};

// The ring comes from the settings' review lines unless a size is given, never
// below the smallest ring, and a line feed on the last row then scrolls it.
TEST_F(ScreenBuffersTest, RingSizeAndScrolling) {
    struct Case {
        int32_t bytes;
        uint32_t reviewLines;
        int32_t lines;
    };
    const Case cases[] = {
        {0, 819, 819},         // the default: 819 lines of 80 columns
        {0, 0, 14256 / 320},   // at least the smallest ring
        {32000, 819, 100},     // a size from the command line
        {0, 0xFFFFFFFFu, 64 * 1024 * 1024 / 320},  // a hostile settings value is capped
    };
    for (const Case& c : cases) {
        SetUp();
        commands::Settings.ReviewLines.Set(c.reviewLines);
        ASSERT_TRUE(AllocScreenBuffers(c.bytes));
        EXPECT_EQ(console::TermScreenRing.LineCount, c.lines) << c.bytes << " " << c.reviewLines;
        EXPECT_EQ(console::TermScreenRing.Width, 80);
        EXPECT_EQ(console::ConsoleLayer.BottomMargin, console::ConsoleLayer.ScreenRows);
        ASSERT_TRUE(console::TermScreenRingUsable());
        console::GotoRowCol(console::ConsoleLayer.ScreenRows, 1);
        console::WriteCharCtl(10);
        EXPECT_EQ(console::TermScreenRing.TopLine, 1);
    }
}

}  // namespace
}  // namespace emulation
