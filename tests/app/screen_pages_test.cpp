// Screen pages, rectangles between them and the title line, through the
// terminal as the program composes it.
#include "emulation/operations/screen_pages.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../emulation/terminal_test_fixture.h"
#include "app/composition.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/globals.h"
#include "console/screen_buffer.h"
#include "emulation/operations/attribute_operations.h"
#include "emulation/operations/field_and_reset_operations.h"
#include "emulation/operations/screen_geometry.h"
#include "emulation/types/emulator_state.h"

namespace {

#define ESC "\x1b"

using console::ConsoleLayer;
using emulation::ScreenPages;

class ScreenPagesTest : public emulation_test::TerminalTest {
  protected:
    void BeforeType() override {
        emulation::ResetScreenPages();
        app::ComposeProgram();
    }
    void TearDown() override {
        emulation::ResetScreenPages();
        emulation::ScreenOperations.Hooks = {};
        emulation::AttributeOperations.Hooks = {};
        emulation::FieldAndResetOperations.Hooks = {};
        emulation::SetTermTypeConsole(nullptr);
        TerminalTest::TearDown();
    }
    static console::CellAttribute AttrAt(int32_t row, int32_t col) {
        return console::CellAttr(console::TermScreenRing.Cells[console::CellIndex(row, col)]);
    }
    // The ring line above the screen's first row (the newest scroll-back line).
    static std::string NewestScrollBack() {
        const auto& ring = console::TermScreenRing;
        const int32_t line = (ring.TopLine + ring.LineCount - 1) % ring.LineCount;
        std::string s;
        for (int32_t c = 0; c < ring.Width; ++c)
            s.push_back(static_cast<char>(console::CellChar(ring.Cells[line * ring.Width + c])));
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }
};

TEST_F(ScreenPagesTest, SwitchingAwayAndBackRestoresThePage) {
    Start("VT220");
    // Page 0: scroll-back, a bold rendition, G1 in GL, a tab stop at 5 only,
    // the cursor at 3,7.
    for (int i = 0; i < 30; ++i) Feed("line " + std::to_string(i) + "\r\n");
    Feed(ESC "[3g" ESC "[1;5H" ESC "H" ESC "[1m" ESC ")0\x0e" ESC "[3;7H");
    const std::string scrollBack = NewestScrollBack();
    ASSERT_EQ(scrollBack, "line 6");
    const auto tabs = commands::Settings.TabStops;
    const uint8_t gl = emulation::EmulatorState.GL;
    ASSERT_EQ(ConsoleLayer.AttrSelection, 1);

    Feed(ESC "[1z");
    EXPECT_EQ(ScreenPages.CurrentPage, 1);
    EXPECT_TRUE(ScreenPages.PagesInUse);
    // A new page: blank, cursor home, nothing scrolled.
    EXPECT_EQ(TrimmedRow(1), "");
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);
    EXPECT_EQ(ConsoleLayer.CursorCol, 1);
    EXPECT_EQ(NewestScrollBack(), "");
    Feed(ESC
         "[0m"
         "\x0f"
         "page one" ESC "[3g");

    Feed(ESC "[0z");
    EXPECT_EQ(ScreenPages.CurrentPage, 0);
    EXPECT_EQ(TrimmedRow(1), "line 7");
    EXPECT_EQ(NewestScrollBack(), scrollBack);
    EXPECT_EQ(ConsoleLayer.CursorRow, 3);
    EXPECT_EQ(ConsoleLayer.CursorCol, 7);
    EXPECT_EQ(commands::Settings.TabStops, tabs);
    EXPECT_EQ(emulation::EmulatorState.GL, gl);
    EXPECT_EQ(ConsoleLayer.AttrSelection, 1);

    // And page 1 kept its own text.
    Feed(ESC "[1z");
    EXPECT_EQ(TrimmedRow(1), "page one");
    EXPECT_EQ(ConsoleLayer.AttrSelection, 0);
}

TEST_F(ScreenPagesTest, PageCommandsOfTheWyseFamily) {
    Start("WYSE60");
    Feed("zero");
    struct Step {
        const char* input;
        int page;
    };
    const Step kSteps[] = {
        {ESC "w1", 1}, {ESC "wB", 0}, {ESC "wB", 7}, {ESC "wC", 0},
        {ESC "K", 1},  {ESC "J", 0},  {ESC "w7", 7}, {ESC "w0", 0},
    };
    for (const Step& step : kSteps) {
        Feed(step.input);
        EXPECT_EQ(ScreenPages.CurrentPage, step.page) << step.input;
    }
    EXPECT_EQ(TrimmedRow(1), "zero");
    // Page 2 and a position in it: the page byte and the row and column
    // bytes are offset by 31.
    Feed(ESC
         "-2"
         "\x24\x29"
         "x");
    EXPECT_EQ(ScreenPages.CurrentPage, 2);
    EXPECT_EQ(ConsoleLayer.CursorRow, 5);
    EXPECT_EQ(TrimmedRow(5), "         x");
}

TEST_F(ScreenPagesTest, ANewPageOnAWideScreenIsNarrowAndTheOldOneWideAgain) {
    Start("VT220");
    Feed(ESC
         "[?3h"
         "wide");
    ASSERT_EQ(ConsoleLayer.ScreenWidth, 132);
    Feed(ESC "[1z");
    EXPECT_EQ(ConsoleLayer.ScreenWidth, 80);
    EXPECT_EQ(console::TermScreenRing.Width, 80);
    Feed(ESC "[0z");
    EXPECT_EQ(ConsoleLayer.ScreenWidth, 132);
    EXPECT_EQ(console::TermScreenRing.Width, 132);
    EXPECT_EQ(TrimmedRow(1), "wide");
}

TEST_F(ScreenPagesTest, TheCurrentPageIsReadFromTheLiveRing) {
    Start("VT220");
    Feed("old" ESC "[1z" ESC "[0z");
    // Page 0 was saved once; what is written after coming back is what a
    // page copy reads.
    Feed(ESC "[1;1Hnew");
    const uint32_t* cell = emulation::PageCellAddress(0, 1, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(console::CellChar(*cell), u'n');
    // A saved page is read from its own ring; numbers outside 0-7 from none.
    Feed(ESC
         "[1z"
         "one" ESC "[0z");
    cell = emulation::PageCellAddress(1, 1, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(console::CellChar(*cell), u'o');
    EXPECT_EQ(emulation::PageCellAddress(8, 1, 1), nullptr);
    EXPECT_EQ(emulation::PageCellAddress(-1, 1, 1), nullptr);
    // Rows and columns beyond the page stay inside it.
    EXPECT_NE(emulation::PageCellAddress(1, 10000, 10000), nullptr);
}

struct CopyCase {
    const char* name;
    const char* input;
    std::vector<std::pair<int, std::string>> rows;
};

TEST_F(ScreenPagesTest, CopyRectangle) {
    const CopyCase kCases[] = {
        {"plain",
         "abcd\r\nefgh" ESC "[1;2;2;3;1;4;6;1$v",
         {{1, "abcd"}, {2, "efgh"}, {4, "     bc"}, {5, "     fg"}}},
        // The destination overlaps the source: the source as it was.
        {"overlap", "abcdef" ESC "[1;1;1;4;1;1;3;1$v", {{1, "ababcd"}}},
        // Coordinates beyond the screen are clamped, page numbers to 0-7.
        {"clamped", "xy" ESC "[1;1;1;2;99;24;300;99$v", {{1, "xy"}, {24, "xy"}}},
        // Without the "$" nothing is copied.
        {"not a copy", "ab" ESC "[1;1;1;2;1;3;1;1v", {{1, "ab"}, {3, ""}}},
    };
    for (const CopyCase& c : kCases) {
        SCOPED_TRACE(c.name);
        Start("VT420");
        Feed(c.input);
        for (const auto& [row, text] : c.rows) EXPECT_EQ(TrimmedRow(row), text) << row;
    }
}

TEST_F(ScreenPagesTest, CopyRectangleBetweenPages) {
    Start("VT420");
    Feed("from page zero" ESC
         "[1z"
         "page one");
    // Page 0 (saved) to the current page 1.
    Feed(ESC "[1;1;1;4;0;2;1;1$v");
    EXPECT_EQ(TrimmedRow(2), "from");
    EXPECT_EQ(TrimmedRow(1), "page one");
}

TEST_F(ScreenPagesTest, ChangeAndReverseRectangleAttributes) {
    Start("VT420");
    // Sixteen different words, so that each cell's entry is plain.
    auto& map = ConsoleLayer.AttrColorMap;
    for (size_t i = 0; i < 16; ++i) map[i] = static_cast<console::CellAttribute>(0x10 * i + 7);
    Feed(ESC "[1mab d" ESC "[0m");
    ASSERT_EQ(AttrAt(1, 1), map[1]);
    // Reverse with selector 7: bold becomes bold and reverse, then back.
    emulation::TermOpParams p{};
    p[0] = 1, p[1] = 1, p[2] = 1, p[3] = 4, p[4] = 7;
    emulation::ChangeRectAttributes(p, true);
    EXPECT_EQ(AttrAt(1, 1), map[5]);
    emulation::ChangeRectAttributes(p, true);
    EXPECT_EQ(AttrAt(1, 1), map[1]);
    // Change with no selector: every non-blank cell entry 0, blanks kept.
    Feed(ESC "[1;1;1;4$r");
    EXPECT_EQ(AttrAt(1, 1), map[0]);
    EXPECT_EQ(AttrAt(1, 4), map[0]);
    EXPECT_EQ(AttrAt(1, 3), map[1]);  // the blank written bold stays so
    // Underline and blink from the host.
    Feed(ESC "[1;1;1;2;4;5$r");
    EXPECT_EQ(AttrAt(1, 2), map[10]);
    EXPECT_EQ(TrimmedRow(1), "ab d");
}

TEST_F(ScreenPagesTest, TheHostsStatusOffRebuildsTheTitleLine) {
    Start("C332");
    console::globals.VersionText = "Version 9";
    Feed(ESC "c");
    EXPECT_NE(ScreenPages.TitleLine.find("   Version 9"), std::string::npos)
        << ScreenPages.TitleLine;
}

}  // namespace

namespace {

// Narrowing and then widening the ring keeps the screen's rows and the newest
// scroll-back lines, in order, whatever was written before.
TEST_F(ScreenPagesTest, NarrowThenWidenKeepsTheScreenAndTheNewestLinesInOrder) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        Start("VT220");
        ASSERT_TRUE(emulation::SetScreenGeometry("132"));
        const int lines = 10 + static_cast<int>(rng() % 200);
        for (int i = 0; i < lines; ++i) {
            std::string line = "L" + std::to_string(i);
            line.append(rng() % 120, static_cast<char>('a' + i % 26));
            Feed(line + "\r\n");
        }
        std::vector<std::string> screen;
        for (int32_t r = 1; r <= ConsoleLayer.ScreenRows; ++r)
            screen.push_back(TrimmedRow(r).substr(0, 80));

        ASSERT_TRUE(emulation::SetScreenGeometry("80"));
        ASSERT_TRUE(emulation::SetScreenGeometry("132"));
        for (int32_t r = 1; r <= ConsoleLayer.ScreenRows; ++r)
            EXPECT_EQ(TrimmedRow(r), screen[static_cast<size_t>(r - 1)]) << r;
        // Above the screen: the lines before its first, newest first, for as
        // long as the ring kept them.
        const auto& ring = console::TermScreenRing;
        const std::string first = TrimmedRow(1);
        int checked = 0;
        int number = first.empty() ? -1 : std::stoi(first.substr(1));
        for (int32_t back = 1; back < ring.LineCount - ConsoleLayer.ScreenRows && number > 0;
             ++back) {
            const int32_t line = (ring.TopLine - back + ring.LineCount) % ring.LineCount;
            std::string text;
            for (int32_t c = 0; c < 8; ++c)
                text.push_back(static_cast<char>(
                    console::CellChar(ring.Cells[static_cast<size_t>(line * ring.Width + c)])));
            if (text[0] != 'L') break;
            EXPECT_EQ(std::stoi(text.substr(1)), number - 1) << "line " << back << " above";
            --number;
            ++checked;
        }
        if (lines > 2 * ConsoleLayer.ScreenRows) EXPECT_GT(checked, ConsoleLayer.ScreenRows);
    }
}

}  // namespace
