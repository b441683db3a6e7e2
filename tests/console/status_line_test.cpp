// The status line drawn on the window's status row: host text, ruler, title
// with indicators, blank; and the idle refresh that keeps it current.
#include "console/status_line.h"

#include <gtest/gtest.h>

#include <string>

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/idle_refresh.h"
#include "fake_console_window.h"

namespace console {
namespace {

using console_test::FakeConsoleWindow;
using console_test::WindowAttr;
using console_test::WindowRow;

constexpr int32_t kStatus = 24;  // 0-based window row of the status line

uint8_t toggles = 0;
bool hold = false;
bool locked = false;
bool learning = false;

class StatusLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        console_test::ResetConsoleForTest(window);
        StatusLinePort = NullStatusLineHooks();
        StatusLinePort.LockKeyToggles = [] { return toggles; };
        StatusLinePort.OutputHold = [] { return hold; };
        StatusLinePort.KeyboardLocked = [] { return locked; };
        StatusLinePort.LearnModeOn = [] { return learning; };
        toggles = 0;
        hold = locked = learning = false;
        ResetStatusLine();
        commands::Settings.Gauge = 0;
        commands::Settings.StatusLine = 1;
        commands::Settings.ScrollLockKey = 0;
    }
    void TearDown() override {
        StatusLinePort = NullStatusLineHooks();
        ResetStatusLine();
        commands::Settings.Gauge = 0;
        commands::Settings.StatusLine = 1;
        SetScreenWindow(nullptr);
    }
    static std::string Status(int32_t col, int32_t width) {
        return WindowRow(kStatus).substr(static_cast<size_t>(col - 1), static_cast<size_t>(width));
    }
    static uint8_t AttrAt(int32_t col) {
        return static_cast<uint8_t>(WindowAttr(col - 1, kStatus) & 0xFF);
    }

    FakeConsoleWindow window;
};

TEST_F(StatusLineTest, RulerFollowsThePannedViewAndIdleWritesOnlyThePosition) {
    commands::Settings.Gauge = 1;
    commands::Settings.StatusLine = 0;
    TermScreenRing.ViewLeftColumn = 40;
    GotoRowCol(3, 7);
    UpdateStatusLine();
    EXPECT_EQ(Status(10, 1), "5");
    EXPECT_EQ(Status(5, 1), "|");
    EXPECT_EQ(Status(1, 4), "....");
    EXPECT_EQ(AttrAt(10), ConsoleLayer.StatusAttr);
    // The drawing leaves the cursor where the host put it.
    EXPECT_EQ(ConsoleLayer.CursorRow, 3);
    EXPECT_EQ(ConsoleLayer.CursorCol, 7);
    EXPECT_FALSE(ConsoleLayer.StatusMode);

    // With the status line on the idle refresh keeps the position current.
    commands::Settings.StatusLine = 1;
    UpdateStatusLine();
    StatusIdleUpdate();
    EXPECT_EQ(Status(1, 9), "   3|   7");
    const std::string before = WindowRow(kStatus);
    GotoRowCol(12, 45);
    StatusIdleUpdate();
    const std::string after = WindowRow(kStatus);
    EXPECT_EQ(after.substr(0, 9), "  12|  45");
    EXPECT_EQ(after.substr(9), before.substr(9));
}

TEST_F(StatusLineTest, ALongTitleLeavesRoomOnlyForTheLastIndicators) {
    StatusLine.TitleText = std::string(70, 'T');
    StatusLine.PageIndicatorOn = true;
    toggles = 64 | 32;
    locked = true;
    hold = true;
    UpdateStatusLine();
    EXPECT_EQ(Status(1, 70), std::string(70, 'T'));
    // Page, Caps, Num and AUX columns lie inside the title: not drawn.
    EXPECT_EQ(Status(71, 10), "LOCK HOLD ");
    EXPECT_EQ(AttrAt(71), StatusLine.StatusBlankAttr);
    EXPECT_EQ(AttrAt(75), ConsoleLayer.StatusAttr);

    // A short title shows every indicator that is on, at its own column.
    StatusLine.TitleText = "Banner";
    StatusLine.CurrentPage = 3;
    locked = hold = false;
    UpdateStatusLine();
    EXPECT_EQ(Status(1, 8), "Banner  ");
    EXPECT_EQ(Status(41, 10), "Page 3    ");
    EXPECT_EQ(Status(51, 10), "CAPS      ");
    EXPECT_EQ(Status(61, 5), "NUM  ");
    EXPECT_EQ(Status(66, 15), std::string(15, ' '));
    EXPECT_EQ(AttrAt(51), StatusLine.StatusBlankAttr);
    EXPECT_EQ(AttrAt(55), ConsoleLayer.StatusAttr);
}

TEST_F(StatusLineTest, IndicatorsChangedWhileIdleAreRedrawnAtTheNextRefresh) {
    StatusLine.TitleText = "T";
    learning = true;
    UpdateStatusLine();
    EXPECT_EQ(Status(40, 15), "Recording macro");
    EXPECT_EQ(AttrAt(40), StatusLine.RecordAttr);
    toggles = 64;
    StatusIdleUpdate();
    EXPECT_EQ(Status(51, 4), "CAPS");
    // Scroll Lock holds output only when the settings give it that meaning.
    toggles = 16;
    StatusIdleUpdate();
    EXPECT_EQ(Status(76, 4), "    ");
    commands::Settings.ScrollLockKey = 1;
    StatusIdleUpdate();
    EXPECT_EQ(Status(76, 4), "HOLD");
    EXPECT_EQ(Status(51, 4), "    ");
}

TEST_F(StatusLineTest, HostTextBlankLineAndSharedLastRow) {
    ConsoleLayer.HostStatusActive = true;
    SetHostStatusText(std::u16string(100, u'h'));
    UpdateStatusLine();
    EXPECT_EQ(WindowRow(kStatus), std::string(80, 'h'));  // cut to the columns
    SetHostStatusText(u"short");
    UpdateStatusLine();
    EXPECT_EQ(Status(1, 8), "short   ");
    EXPECT_EQ(AttrAt(8), ConsoleLayer.StatusAttr);
    ClearHostStatusText();
    UpdateStatusLine();
    EXPECT_EQ(WindowRow(kStatus), std::string(80, ' '));

    // Neither status line nor ruler: blank in the normal attribute.
    ConsoleLayer.HostStatusActive = false;
    commands::Settings.StatusLine = 0;
    UpdateStatusLine();
    EXPECT_EQ(WindowRow(kStatus), std::string(80, ' '));
    EXPECT_EQ(AttrAt(1), StatusLine.StatusBlankAttr);
    EXPECT_EQ(AttrAt(80), StatusLine.StatusBlankAttr);

    // No separate status row: the last text row is shown from the ring again.
    commands::Settings.StatusLine = 1;
    GotoRowCol(24, 1);
    WriteScreenStr("ring text", 0);
    ConsoleLayer.StatusRow = ConsoleLayer.ScreenRows;
    // A prompt wrote over the window's copy of the row.
    ConsoleLayer.StatusMode = true;
    FillCellRect(CellRect{1, 80, 24, 24}, MakeCell(u'?', 7));
    ConsoleLayer.StatusMode = false;
    ASSERT_EQ(WindowRow(23).substr(0, 4), "????");
    UpdateStatusLine();
    EXPECT_EQ(WindowRow(23).substr(0, 11), "ring text  ");
}

TEST(StatusLineRuler, MarksEveryFifthAndNumbersEveryTenthColumn) {
    std::u16string ruler;
    for (int32_t c = 1; c <= 20; ++c) ruler.push_back(RulerChar(c));
    EXPECT_EQ(ruler, u"....|....1....|....2");
    EXPECT_EQ(RulerChar(250), u'5');
    EXPECT_EQ(RulerChar(100), u'0');
}

}  // namespace
}  // namespace console
