#include "emulation/operations/report_operations.h"

#include <gtest/gtest.h>

#include <string>

#include "../connections/connection_fakes.h"
#include "../console/fake_console_window.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/console_primitives.h"
#include "console/globals.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"
#include "emulation/types/term_types.h"
#include "terminal_test_fixture.h"

namespace emulation {
namespace {

using console::ConsoleLayer;

// The terminal on an open connection whose socket records what is sent: the
// replies arrive there as the host would get them.
class ReportOperationsTest : public emulation_test::TerminalTest {
  protected:
    void Start(const char* type) {
        TerminalTest::Start(type, emulation_test::Line::RecordedRlogin);
    }
};

struct ReplyCase {
    const char* Name;
    const char* Type;
    std::string Stream;
    std::string Expected;
    bool EightBit = false;
};

TEST_F(ReportOperationsTest, RepliesReachTheHostByteForByte) {
    // The cursor stands on row 3, column 5 before each stream.
    const ReplyCase cases[] = {
        {"Wyse cursor", "WYSE60", "\x1B?", "\x22\x24\r"},
        {"Wyse cursor, 132 columns", "WYSE60",
         "\x1B"
         "b",
         "03R005C"},
        {"Wyse cursor with page", "WYSE60", "\x1B/", "0\x22\x24\r"},
        {"TV965 cursor by CSI", "TV965", "\x1B[6n", "\x22\x24\r"},
        {"C332 cursor", "C332", "\x1BZ", "\x22\x24"},
        {"printer ready", "VT220", "\x1B[?15n", "\x1B[?10n"},
        {"printer ready, 8-bit", "VT220", "\x1B[?15n", "\x9B?10n", true},
        {"device attributes", "VT220", "\x1BZ", "\x1B[?62;1;2;6;7;8;9c"},
        {"device attributes by CSI", "VT100", "\x1B[c", "\x1B[?62;1;2;6;7;8;9c"},
        {"VT420 attributes", "VT420", "\x1B[0c", "\x1B[?64;1;2;6;7;8;9;15;18;19;21c"},
        {"VT420 attributes, 8-bit", "VT420", "\x1BZ", "\x9B?64;1;2;6;7;8;9;15;18;19;21c", true},
        {"secondary attributes", "VT220", "\x1B[>c", "\x1B[>1;10;0c"},
        {"secondary attributes, VT320", "VT320", "\x1B[>0c", "\x1B[>24;10;0c"},
        {"secondary attributes, VT420, 8-bit", "VT420", "\x1B[>c", "\x9B>41;10;0c", true},
        {"secondary attributes, VT100", "VT100", "\x1B[>c", "\x1B[>0;10;0c"},
        {"unit id", "VT220", "\x1B[=c", "\x1BP!|00000000\x1B\\"},
        {"unit id, 8-bit", "VT420", "\x1B[=0c", "\x90!|00000000\x9C", true},
        {"unit id asked of a SCO console", "SCOANSI", "\x1B[=c", ""},
        {"cursor under origin mode", "VT220", "\x1B[5;20r\x1B[?6h\x1B[3;5H\x1B[6n", "\x1B[3;5R"},
        {"cursor after origin mode", "VT220", "\x1B[5;20r\x1B[?6h\x1B[?6l\x1B[3;5H\x1B[6n",
         "\x1B[3;5R"},
        {"Wyse attributes", "WYSE60", "\x1B ", "60\r"},
        {"Wyse attributes, 8-bit", "WYSE60", "\x1B ", "60\r", true},
        {"C332 keyboard enabled", "C332", "\x1B%", "B"},
        {"C332 escape", "C332", "\x1By", "\x1B"},
        {"mouse position", "VT220", "\x1B[492Z", "\x1B[\x1F\x30\x29\x23"},
        {"mouse position, 8-bit", "VT220", "\x1B[492Z", "\x9B\x1F\x30\x29\x23", true},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Start(c.Type);
        TermExecutor.EightBitControls = c.EightBit;
        console::globals.MouseCol = 10;
        console::globals.MouseRow = 4;
        ConsoleLayer.CursorRow = 3;
        ConsoleLayer.CursorCol = 5;
        Feed(c.Stream);
        EXPECT_EQ(Sent(), c.Expected);
    }
}

TEST_F(ReportOperationsTest, CoordinatesPastWhatTheirBytesHoldAreClamped) {
    Start("WYSE60");
    // A cursor waiting to wrap reports the last column.
    ConsoleLayer.CursorRow = 2;
    ConsoleLayer.CursorCol = console::Columns() + 1;
    Feed("\x1B?");
    EXPECT_EQ(Sent(), std::string("\x21") + static_cast<char>(80 + 31) + "\r");
    // A mouse cell beyond the byte range gives the largest byte, one before
    // the first the smallest.
    Start("VT220");
    console::globals.MouseCol = 100000;
    console::globals.MouseRow = -7;
    Feed("\x1B[492Z");
    EXPECT_EQ(Sent(), "\x1B[\x1F\x30\xFF\x1F");
}

TEST_F(ReportOperationsTest, StatusRepliesFollowTheKeyboardAndTheAnswerbackSettings) {
    Start("C332");
    ReceiveLoop.KeyboardEnabled = false;
    Feed("\x1B%");
    EXPECT_EQ(Sent(), "F");

    Start("WYSE60");
    commands::Settings.AnswerBack = "unit 7";
    commands::Settings.TermFlag1702 = 0;
    commands::Settings.TermFlag1703 = 0;
    Feed("\x05");
    EXPECT_EQ(Sent(), "");
    commands::Settings.TermFlag1702 = 1;
    Feed("\x05");
    EXPECT_EQ(Sent(), "\x06");
    commands::Settings.TermFlag1703 = 1;
    Feed(
        "\x05\x1B"
        "c<");
    EXPECT_EQ(Sent(), "unit 7\x06unit 7\x06");
}

TEST_F(ReportOperationsTest, SendLineMarksProtectedRunsAndMovesToTheNextLine) {
    const struct {
        const char* Name;
        const char* Stream;
        std::string Expected;
    } cases[] = {
        {"unprotected text only",
         "\x1B"
         "4",
         "AB\x1C"
         "E\r"},
        {"protected text between marks",
         "\x1B"
         "6",
         "AB\x1B)CD\x1B(E\r"},
        {"character under the cursor",
         "\x1B"
         "M",
         "F"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Start("WYSE60");
        Feed("\r\nAB");
        ConsoleLayer.ProtectMode = 1;
        Feed("CD");
        ConsoleLayer.ProtectMode = 0;
        Feed("EF\x08");
        Feed(c.Stream);
        EXPECT_EQ(Sent(), c.Expected);
    }
    // The send moves the cursor by a local CR LF.
    Start("WYSE60");
    Feed(
        "\r\nABC\x1B"
        "6");
    EXPECT_EQ(Sent(), "ABC\r");
    EXPECT_EQ(ConsoleLayer.CursorRow, 3);
    EXPECT_EQ(ConsoleLayer.CursorCol, 1);
    // With protected fields active the cursor stays.
    static bool fieldsOn = true;
    ScreenOperations.Hooks.ProtectedFields = []() -> uint8_t { return fieldsOn ? 1 : 0; };
    Feed(
        "XY\x1B"
        "4");
    EXPECT_EQ(Sent(), "XY\r");
    EXPECT_EQ(ConsoleLayer.CursorCol, 3);
    ScreenOperations.Hooks = {};

    // A line whose marks outgrow the reply is cut, and still ends with CR.
    Start("WYSE60");
    console::AllocTermScreenRing(25 * 132 * 4, 132);
    console::SetScreenColumnsSetting(132);
    ConsoleLayer.ScreenWidth = 132;
    for (int i = 0; i < 131; ++i) {
        ConsoleLayer.ProtectMode = i % 2;
        Feed("x");
    }
    Feed(
        "\x1B"
        "6");
    const std::string reply = Sent();
    ASSERT_EQ(reply.size(), 255u);
    EXPECT_EQ(reply.substr(0, 7), "x\x1B)x\x1B(x");
    EXPECT_EQ(reply.back(), '\r');
}

TEST_F(ReportOperationsTest, ReadBackGoesOutInTheHostsCharacterSet) {
    // A Cyrillic letter's low byte is a control byte (U+0416 would be SYN);
    // the host gets the letter in its own code page.
    Start("WYSE60");
    commands::Settings.CharsetKind = commands::kGSetCodePage;
    commands::Settings.CodePage.Set(1251);
    console::WriteScreenUnits(u"\u0416\u0430x");
    Feed(
        "\x1B"
        "6");
    EXPECT_EQ(Sent(), "\xC6\xE0x\r");
    console::GotoRowCol(2, 1);
    console::WriteScreenUnits(u"\u0416");
    console::GotoRowCol(2, 1);
    Feed(
        "\x1B"
        "M");
    EXPECT_EQ(Sent(), "\xC6");
}

TEST_F(ReportOperationsTest, MarginQueryLeavesTheMarginsForTheFunctionReply) {
    const struct {
        const char* Stream;
        const char* Expected;
    } cases[] = {
        {"\x1B[0o", "3 20 1 80"}, {"\x1B[o", "3"},   {"\x1B[2o", "20"},
        {"\x1B[3o", "1"},         {"\x1B[4o", "80"}, {"\x1B[5o", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Stream);
        Start("SCOANSI");
        Feed("\x1B[3;20r");
        Feed(c.Stream);
        EXPECT_EQ(commands::Interpreter.FunctionReply.Str(), c.Expected);
        EXPECT_EQ(Sent(), "");
    }
}

TEST_F(ReportOperationsTest, CsiCSetsTheCursorVisibilityOutsideTheFirstFamily) {
    Start("SCOANSI");
    Feed("\x1B[2c");
    EXPECT_FALSE(ConsoleLayer.CursorVisible);
    Feed("\x1B[1c");
    EXPECT_TRUE(ConsoleLayer.CursorVisible);
    EXPECT_EQ(Sent(), "");
}

}  // namespace
}  // namespace emulation
