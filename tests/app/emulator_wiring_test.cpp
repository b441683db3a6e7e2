// The terminal as the program composes it: host bytes go through the receive
// loop, the recogniser and the executor with the hooks and the terminal-type
// console that app::ComposeProgram() puts in place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../emulation/terminal_test_fixture.h"
#include "app/composition.h"
#include "console/console_primitives.h"
#include "console/key_input.h"
#include "console/local_screen.h"
#include "console/screen_buffer.h"
#include "console/screen_read_back.h"
#include "emulation/input/keyboard.h"
#include "emulation/operations/attribute_operations.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/term_executor.h"
#include "emulation/text/composition.h"
#include "emulation/types/emulator_state.h"
#include "emulation/types/term_types.h"

namespace {

#define ESC "\x1b"

using console::ConsoleLayer;

class ProgramTerminal : public emulation_test::TerminalTest {
  protected:
    void BeforeType() override { app::ComposeProgram(); }
    void TearDown() override {
        emulation::ScreenOperations.Hooks = {};
        emulation::AttributeOperations.Hooks = {};
        emulation::SetTermTypeConsole(nullptr);
        emulation::ResetKeyboard();
        TerminalTest::TearDown();
    }

    static console::CellAttribute AttrAt(int32_t row, int32_t col) {
        return console::CellAttr(console::TermScreenRing.Cells[console::CellIndex(row, col)]);
    }
};

struct ScreenCase {
    const char* type;
    const char* input;
    std::vector<std::pair<int, std::string>> rows;
    int cursorRow;
    int cursorCol;
};

// Operations that read the last character written or the byte before the
// final byte of their sequence.
const ScreenCase kScreenCases[] = {
    {"VT220", "q" ESC "[3b", {{1, "qqqq"}}, 1, 5},
    {"VT220",
     "abc" ESC "[2b"
     "d",
     {{1, "abcccd"}},
     1,
     7},
    {"LINUX", "x\r\ny" ESC "[b", {{1, "x"}, {2, "yy"}}, 2, 3},
    {"SCOANSI", "z" ESC "[65;3b", {{1, "zAAA"}}, 1, 5},
    {"VT420", ESC "[42;2;3;3;5$x", {{1, ""}, {2, "  ***"}, {3, "  ***"}, {4, ""}}, 1, 1},
    {"VT220",
     "abcdef\r\nabcdef\r\nabcdef" ESC "[2;2;3;4$z",
     {{1, "abcdef"}, {2, "a   ef"}, {3, "a   ef"}},
     3,
     7},
    // Without the "$" these are other operations: a select of page 1 (new,
    // so blank, the cursor home) and no fill.
    {"VT220", "abcdef" ESC "[1;1;1;3z" ESC "[42;1;1;1;3x", {{1, ""}}, 1, 1},
};

TEST_F(ProgramTerminal, RepeatAndRectanglesReadTheirSequence) {
    for (const auto& c : kScreenCases) {
        for (const bool fast : {true, false}) {
            SCOPED_TRACE(std::string(c.type) + " " + c.input + (fast ? " fast" : " plain"));
            Start(c.type);
            Feed(c.input, fast);
            for (const auto& [row, text] : c.rows)
                EXPECT_EQ(TrimmedRow(row), text) << "row " << row;
            EXPECT_EQ(ConsoleLayer.CursorRow, c.cursorRow);
            EXPECT_EQ(ConsoleLayer.CursorCol, c.cursorCol);
        }
    }
}

// The DEC terminals: a move back from a pending wrap starts on the last
// column, and a control inside a control sequence is acted on while the
// sequence goes on. The other families keep their own terminals' ways.
const ScreenCase kDecDepartureCases[] = {
    {"VT220", ESC "[1;80HC\b D", {{1, std::string(78, ' ') + " D"}}, 1, 81},
    {"VT100", ESC "[1;80HC" ESC "[2DX", {{1, std::string(77, ' ') + "X C"}}, 1, 79},
    {"LINUX", ESC "[1;80HC\bD", {{1, std::string(79, ' ') + "D"}}, 1, 81},
    {"VT220", "A" ESC "[2\bCB", {{1, "A B"}}, 1, 4},
    {"VT220", "A" ESC "[\r2CB" ESC "[1\v;3HX", {{1, "A X"}, {2, ""}}, 1, 4},
    {"VT420", "A" ESC "[2\bCB", {{1, "A B"}}, 1, 4},
    // CAN still cancels the sequence.
    {"VT220",
     "A" ESC "[2\x18"
     "CB",
     {{1, "ACB"}},
     1,
     4},
    {"SCOANSI", "A" ESC "[2\bCB", {{1, "ACB"}}, 1, 4},
};

TEST_F(ProgramTerminal, DecTerminalsMoveBackFromAPendingWrapAndRunControlsInsideSequences) {
    for (const auto& c : kDecDepartureCases) {
        for (const bool fast : {true, false}) {
            SCOPED_TRACE(std::string(c.type) + " " + c.input + (fast ? " fast" : " plain"));
            Start(c.type);
            Feed(c.input, fast);
            for (const auto& [row, text] : c.rows)
                EXPECT_EQ(TrimmedRow(row), text) << "row " << row;
            EXPECT_EQ(ConsoleLayer.CursorRow, c.cursorRow);
            EXPECT_EQ(ConsoleLayer.CursorCol, c.cursorCol);
        }
    }
}

TEST_F(ProgramTerminal, RepeatShowsTheLastCharacterAsItWasShown) {
    // A national set shows "[" as A with diaeresis; the repeat shows the same.
    Start("VT220");
    commands::Settings.CharsetMode = 5;
    Feed("[" ESC "[2b");
    EXPECT_EQ(Cells(1, 1, 4), u"\u00C4\u00C4\u00C4 ");
    // A character of the line-drawing set repeats as the same line.
    Feed("\r\n" ESC "(0q" ESC "[2b");
    const std::u16string line = Cells(2, 1, 3);
    EXPECT_NE(line[0], u'q');
    EXPECT_EQ(line, std::u16string(3, line[0]));
}

TEST_F(ProgramTerminal, LinesAndColumnsChangeTheScreensGeometry) {
    Start("VT420");
    Feed("top" ESC "[24;1Hbottom" ESC "[36*|");
    EXPECT_EQ(ConsoleLayer.ScreenRows, 36);
    EXPECT_EQ(console::ConsoleScreen.Rows, 37);  // and the status row
    EXPECT_EQ(commands::Settings.ScreenModeName.View(), "80x36");
    EXPECT_EQ(ConsoleLayer.BottomMargin, 36);
    EXPECT_EQ(TrimmedRow(1), "top");
    EXPECT_EQ(TrimmedRow(24), "bottom");
    EXPECT_EQ(TrimmedRow(25), "");  // the rows gained are blank
    Feed(ESC "[36;1Hlast");
    EXPECT_EQ(TrimmedRow(36), "last");

    // Without the "*" nothing changes.
    Feed(ESC "[30|");
    EXPECT_EQ(ConsoleLayer.ScreenRows, 36);

    // 132 columns: the ring and the window take the width.
    Feed(ESC "[?3h" ESC "[1;120Hx");
    EXPECT_EQ(ConsoleLayer.ScreenWidth, 132);
    EXPECT_EQ(console::ConsoleScreen.Cols, 132);
    EXPECT_EQ(console::TermScreenRing.Width, 132);
    EXPECT_EQ(ConsoleLayer.CursorCol, 121);
    Feed(ESC "[?3l");
    EXPECT_EQ(ConsoleLayer.ScreenWidth, 80);
}

TEST_F(ProgramTerminal, GeometryTextsTheScreenTakesOrRefuses) {
    const struct {
        const char* text;
        bool applied;
        int32_t columns, rows;
    } cases[] = {
        {"132x43", true, 132, 43}, {"80X30", true, 80, 30}, {"132", true, 132, 24},
        {"79X25", false, 80, 24},  {"100", false, 80, 24},  {"80x", false, 80, 24},
        {"x25", false, 80, 24},    {"80x0", false, 80, 24}, {"80x9999", false, 80, 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Start("VT220");
        ASSERT_NE(emulation::ScreenOperations.Hooks.SetScreenGeometry, nullptr);
        EXPECT_EQ(emulation::ScreenOperations.Hooks.SetScreenGeometry(c.text), c.applied);
        EXPECT_EQ(ConsoleLayer.ScreenWidth, c.columns);
        EXPECT_EQ(console::ConsoleScreen.Cols, c.columns);
        EXPECT_EQ(ConsoleLayer.ScreenRows, c.rows);
        EXPECT_EQ(console::ConsoleScreen.Rows, c.rows + 1);
    }
}

TEST_F(ProgramTerminal, PcAnsiTypesGetTwentyFiveRows) {
    Start("VT220");
    ASSERT_EQ(ConsoleLayer.ScreenRows, 24);
    ASSERT_TRUE(emulation::SetTerminalType("SCOANSI", true));
    EXPECT_EQ(ConsoleLayer.ScreenRows, 25);
    EXPECT_EQ(ConsoleLayer.BottomMargin, 25);
    Feed(ESC "[25;1Hx");
    EXPECT_EQ(TrimmedRow(25), "x");
}

TEST_F(ProgramTerminal, FrameBoxesAreDrawnFromTheCursor) {
    Start("WYSE60");
    // From row 2 column 3 to row 5 column 10; the cursor stays.
    Feed(ESC "=!\"" ESC "cG$)");
    EXPECT_EQ(Cells(2, 3, 8), u"\u250C\u2500\u2500\u2500\u2500\u2500\u2500\u2510");
    EXPECT_EQ(Cells(3, 3, 8), u"\u2502      \u2502");
    EXPECT_EQ(Cells(5, 3, 8), u"\u2514\u2500\u2500\u2500\u2500\u2500\u2500\u2518");
    EXPECT_EQ(ConsoleLayer.CursorRow, 2);
    EXPECT_EQ(ConsoleLayer.CursorCol, 3);
}

TEST_F(ProgramTerminal, StreamExtentFollowsTheStarForm) {
    Start("VT420");
    Feed(ESC "[2*x");
    EXPECT_FALSE(emulation::EmulatorState.StreamExtent);
    Feed(ESC "[1*x");
    EXPECT_TRUE(emulation::EmulatorState.StreamExtent);
    Feed(ESC "[2x");  // no "*": another operation
    EXPECT_TRUE(emulation::EmulatorState.StreamExtent);
}

TEST_F(ProgramTerminal, PcColourTypesTakeTheirColours) {
    Start("VT220");
    ASSERT_TRUE(emulation::SetTerminalType("LINUX", true));
    EXPECT_EQ(console::ConsoleScreen.AttributeMode, 3);
    EXPECT_EQ(ConsoleLayer.AttrSelection, console::kSelectionDirect);
    Feed(ESC "[44mb" ESC "[0m" ESC "[1mB" ESC "[0;31;42mr");
    EXPECT_EQ(AttrAt(1, 1), 0x17);  // grey on blue
    EXPECT_EQ(AttrAt(1, 2), 0x0F);  // bright white
    EXPECT_EQ(AttrAt(1, 3), 0x24);  // red on green

    ASSERT_TRUE(emulation::SetTerminalType("SCOANSI", true));
    EXPECT_EQ(console::ConsoleScreen.AttributeMode, 4);
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(ConsoleLayer.AttrColorMap[i], emulation::PcColourTable[i]) << i;
    EXPECT_EQ(ConsoleLayer.AttrSelection, console::kSelectionDirect);
    EXPECT_EQ(ConsoleLayer.DirectAttr, 0x07);
    EXPECT_EQ(ConsoleLayer.StatusAttr, 0x70);
    Feed("\r\n" ESC "[44ms");
    EXPECT_EQ(AttrAt(2, 1), 0x17);

    // Back to a VT type: the map is converted to its attribute mode, the
    // selection is the map's first entry again.
    ASSERT_TRUE(emulation::SetTerminalType("VT220", true));
    EXPECT_EQ(console::ConsoleScreen.AttributeMode, 5);
    EXPECT_EQ(ConsoleLayer.AttrSelection, 0);
}

TEST_F(ProgramTerminal, TypeChangeResetsMarginsAndTheQuietLine) {
    Start("VT220");
    Feed(ESC "[5;10r" ESC "[?6h");
    ASSERT_EQ(ConsoleLayer.TopMargin, 5);
    emulation::TermExecutor.QuietLine = true;
    ASSERT_TRUE(emulation::SetTerminalType("VT100", true));
    EXPECT_EQ(ConsoleLayer.TopMargin, 1);
    EXPECT_EQ(ConsoleLayer.BottomMargin, ConsoleLayer.ScreenRows);
    EXPECT_FALSE(emulation::ScreenOperations.OriginMode);
    EXPECT_FALSE(emulation::TermExecutor.QuietLine);
    Feed(ESC "[30H");  // origin mode is off: the whole screen is addressed
    EXPECT_EQ(ConsoleLayer.CursorRow, ConsoleLayer.ScreenRows);
}

TEST_F(ProgramTerminal, SoftResetEndsEightBitReplies) {
    Start("VT220", emulation_test::Line::RecordedRlogin);
    commands::Settings.TerminalType = "VT220";
    Feed(ESC " G" ESC "[6n");
    EXPECT_EQ(Sent(),
              "\x9b"
              "1;1R");
    Feed(ESC "!p" ESC "[6n");
    EXPECT_EQ(Sent(), ESC "[1;1R");
}

TEST_F(ProgramTerminal, RepliesGoOutThroughTheTransmitRoutine) {
    static int delays;
    delays = 0;
    Start("WYSE60", emulation_test::Line::RecordedRlogin);
    emulation::Keyboard.Hooks.Delay = [](uint32_t) { ++delays; };
    auto& s = commands::Settings;
    s.TermFlag1702 = 1;  // ENQ is answered, with the answerback text
    s.TermFlag1703 = 1;
    s.AnswerBack.Assign("hi");
    s.FullDuplex = 0;  // half duplex: what is sent is shown
    s.AsciiCharDelay.Set(3);
    Feed("\x05");
    EXPECT_EQ(Sent(), "hi\x06");
    EXPECT_EQ(TrimmedRow(1), "hi");
    EXPECT_EQ(delays, 3);  // paced byte by byte

    // The echo of a reply runs through the executor, but answers nothing.
    Start("VT220", emulation_test::Line::RecordedRlogin);
    commands::Settings.FullDuplex = 0;
    Feed(ESC "[c");
    Feed(ESC "[5n");
    EXPECT_EQ(Sent(), ESC "[?62;1;2;6;7;8;9c" ESC "[0n");
    // The echo is local: the host's text waiting behind the request stays the host's.
    Feed(ESC
         "[c"
         "ab");
    EXPECT_EQ(Sent(), ESC "[?62;1;2;6;7;8;9c");
    EXPECT_EQ(TrimmedRow(1), "ab");
}

TEST_F(ProgramTerminal, FieldAttributesMarkAndColourTheField) {
    Start("C332");
    // Text first, then a protected blinking field at column 3 of row 1.
    Feed("abcdef" ESC "@\" " ESC "!B");
    const auto& flags = console::TermScreenRing.Flags;
    EXPECT_EQ(flags[console::CellIndex(1, 3)] & console::kCellFieldStart, console::kCellFieldStart);
    EXPECT_EQ(flags[console::CellIndex(1, 4)] & console::kCellProtected, console::kCellProtected);
    EXPECT_EQ(flags[console::CellIndex(1, 80)] & console::kCellProtected, console::kCellProtected);
    EXPECT_EQ(AttrAt(1, 5), ConsoleLayer.AttrColorMap[2]);
    EXPECT_EQ(AttrAt(1, 2), ConsoleLayer.AttrColorMap[0]);
    EXPECT_EQ(TrimmedRow(1), "ab def");
    EXPECT_EQ(ConsoleLayer.CursorCol, 4);
}

TEST_F(ProgramTerminal, TypedNationalCharactersGoOutAtTheirAsciiPositions) {
    Start("VT220", emulation_test::Line::RecordedRlogin);
    commands::Settings.CharsetMode = 5;  // GERMAN
    commands::Settings.FullDuplex = 0;   // the typed text is echoed
    // The window queues typed text as UTF-8.
    for (const std::string_view key : {"a", "\xC3\xA4", " ", "\xC3\x9F", "\xC3\x84"}) {
        for (const char b : key)
            ASSERT_TRUE(emulation::Keyboard.KeyRing.Put(static_cast<uint8_t>(b)));
        emulation::ProcessKeyboard();
    }
    EXPECT_EQ(Sent(), "a{ ~[");
    // The echo shows what was typed, as the host's text would show it.
    EXPECT_EQ(Cells(1, 1, 5), u"a\u00E4 \u00DF\u00C4");
    // Received text and typed text agree.
    Feed("\r\n{~[");
    EXPECT_EQ(Cells(2, 1, 3), u"\u00E4\u00DF\u00C4");
}

TEST_F(ProgramTerminal, NationalSetsMapReceivedAndTypedCharactersBothWays) {
    const struct {
        uint8_t set;
        char ascii;
        char16_t shown;
    } cases[] = {
        {5, '[', u'\u00C4'},    // GERMAN: A with diaeresis
        {5, '~', u'\u00DF'},    // GERMAN: sharp s
        {11, '@', u'\u017D'},   // SLOVENIAN: Z with caron (code page 1250)
        {11, '`', u'\u017E'},   // SLOVENIAN: z with caron
        {1, '#', u'\u00A3'},    // UK: pound sign
        {7, '@', u'\u00C9'},    // SWEDISH: E with acute
        {3, '}', u'\u00E8'},    // FRENCH: e with grave
        {9, '\\', u'\u00D8'},   // NORWEGIAN: O with stroke
        {12, '\\', u'\u00A5'},  // JAPANESE: yen sign
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.set) + " " + c.ascii);
        Start("VT220", emulation_test::Line::RecordedRlogin);
        commands::Settings.CharsetMode = c.set;
        Feed(std::string(1, c.ascii));
        EXPECT_EQ(Cells(1, 1, 1), std::u16string(1, c.shown));
        // The window queues typed text as UTF-8 (every case is a two-byte one).
        const uint8_t typed[2] = {static_cast<uint8_t>(0xC0 | (c.shown >> 6)),
                                  static_cast<uint8_t>(0x80 | (c.shown & 0x3F))};
        for (const uint8_t b : typed) ASSERT_TRUE(emulation::Keyboard.KeyRing.Put(b));
        emulation::ProcessKeyboard();
        EXPECT_EQ(Sent(), std::string(1, c.ascii));
    }
}

TEST_F(ProgramTerminal, ReceivedMarksComposeWithTheCharacterBefore) {
    for (const bool fast : {true, false}) {
        SCOPED_TRACE(fast ? "fast" : "plain");
        emulation::ResetComposedSequences();
        Start("LINUX");
        commands::Settings.CodePage.Set(0x40000);
        emulation::EmulatorState.GR = 14;
        // e + acute is one precomposed cell; x + grave has no precomposed
        // character and takes the run's first listed code; a mark at column 1
        // stands alone.
        Feed(
            "e\xCC\x81"
            "x\xCC\x80"
            "x\xCC\x80"
            "\r\n\xCC\x81",
            fast);
        EXPECT_EQ(Cells(1, 1, 3), u"\u00E9\uE900\uE900");
        EXPECT_EQ(ConsoleLayer.CursorCol, 2);
        EXPECT_EQ(Cells(2, 1, 1), u"\u0301");
    }
    // Dead keys compose through the same table.
    EXPECT_EQ(console::keyInputHooks.ComposeChars(u"a\u0308", true), u'\u00E4');
    emulation::ResetComposedSequences();
}

TEST_F(ProgramTerminal, ALocalScreenKeepsTheHostsScreenAndWrapAndReadBackDecomposes) {
    Start("VT220");
    Feed("host text");
    const uint8_t wrap = emulation::EmulatorState.WrapStyle;
    console::OpenLocalScreen(0);
    EXPECT_NE(emulation::EmulatorState.WrapStyle, wrap);
    console::GotoRowCol(1, 1);
    console::WriteScreenUnits(u"\uE801\uE612");
    EXPECT_EQ(console::GetScreenTextW(1, 1, 2, false, false), u"s\u0300\u2512");
    console::CloseLocalScreen();
    EXPECT_EQ(emulation::EmulatorState.WrapStyle, wrap);
    EXPECT_EQ(TrimmedRow(1), "host text");
}

}  // namespace
