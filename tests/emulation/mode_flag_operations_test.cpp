#include "emulation/operations/mode_flag_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "../console/fake_console_window.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "connections/receive_ring.h"
#include "console/console_settings.h"
#include "console/window_paint.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/receive_loop.h"
#include "emulation/parser/recogniser.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/term_executor.h"
#include "emulation/types/term_types.h"
#include "keyboard_fixture.h"
#include "terminal_test_fixture.h"

namespace emulation {
namespace {

using console::ConsoleLayer;

#define ESC "\x1b"

// Host bytes through the receive loop and the executor with every registered
// operation, as the program runs them.
class ModeFlagTest : public emulation_test::TerminalTest {
  public:
    void SetUp() override { Start("VT220"); }
};

struct FlagCase {
    const char* type;
    const char* input;
    const char* state;
    int expected;
};

int StateValue(std::string_view name) {
    const auto& e = EmulatorState;
    const auto& l = ConsoleLayer;
    const auto& s = commands::Settings;
    if (name == "WrapStyle") return e.WrapStyle;
    if (name == "ProtectMode") return l.ProtectMode;
    if (name == "ProtectedFields") return l.ProtectedFields;
    if (name == "ScrollOn") return l.ScrollOn;
    if (name == "GL") return e.GL;
    if (name == "CursorKeyMode") return e.CursorKeyMode;
    if (name == "InsertMode") return ReceiveLoop.InsertMode;
    if (name == "FullDuplex") return s.FullDuplex;
    if (name == "Propagate") return s.Propagate;
    if (name == "ColumnChangeClear") return e.CurrentTermFamily->ColumnChangeClear;
    if (name == "MouseReporting") return l.MouseReporting;
    if (name == "TermFlag1702") return s.TermFlag1702;
    if (name == "TermFlag1703") return s.TermFlag1703;
    if (name == "CursorVisible") return l.CursorVisible;
    if (name == "CaretWanted") return console::CaretWanted();
    if (name == "BlockCursor") return s.BlockCursor;
    if (name == "AttrCursor") return console::AttrCursorSetting();
    if (name == "EightBitControls") return TermExecutor.EightBitControls;
    ADD_FAILURE() << "no state named " << name;
    return -1;
}

// Each type's own sequences for the modes, and the state they leave.
const FlagCase kFlagCases[] = {
    {"VT220", ESC "[?7l", "WrapStyle", 1},
    {"VT220", ESC "[?7l" ESC "[?7h", "WrapStyle", 2},
    {"VOVUZIVA", ESC "[?7l" ESC "[?7h", "WrapStyle", 2},
    {"LINUX", ESC "[?7l" ESC "[?7h", "WrapStyle", 2},
    {"SCOANSI", ESC "[?7l" ESC "[?7h", "WrapStyle", 0},
    {"AT386", ESC "[?7l" ESC "[?7h", "WrapStyle", 0},
    {"WYSE60", ESC "d.", "WrapStyle", 1},
    {"WYSE50", ESC "d." ESC "d/", "WrapStyle", 0},
    {"TV965", ESC "[=7l", "WrapStyle", 1},
    {"TV965", ESC "[=7l" ESC "[=7h", "WrapStyle", 0},

    {"VIEWPOINT", "\x0e", "ProtectMode", 1},
    {"N7901", "\x0e\x0f", "ProtectMode", 0},
    {"WYSE50", ESC ")", "ProtectMode", 1},
    {"WYSE60", ESC ")" ESC "(", "ProtectMode", 0},
    {"TV965", ESC ")", "ProtectMode", 1},
    {"VT220", ESC "[1\"q", "ProtectMode", 2},
    {"VT420", ESC "[1\"q" ESC "[2\"q", "ProtectMode", 0},
    {"VT320", ESC "[1\"q" ESC "[0\"q", "ProtectMode", 0},
    {"TV965", ESC "$", "ProtectMode", 1},
    {"TV965", ESC "$", "GL", 13},

    {"WYSE60", ESC "&", "ProtectedFields", 1},
    {"WYSE60", ESC "&", "ScrollOn", 0},
    {"VIEWPOINT", ESC "&" ESC "'", "ProtectedFields", 0},
    {"VIEWPOINT", ESC "&" ESC "'", "ScrollOn", 1},
    {"TV965", ESC "&", "ProtectedFields", 2},
    {"TV965", ESC "&" ESC "'", "ProtectedFields", 0},
    {"WYSE50", ESC "N", "ScrollOn", 0},
    {"VIEWPOINT", ESC "N" ESC "O", "ScrollOn", 1},

    {"VT220", ESC "[?1h", "CursorKeyMode", 1},
    {"LINUX", ESC "[?1h" ESC "[?1l", "CursorKeyMode", 0},

    {"VT220", ESC "[4h", "InsertMode", 1},
    {"VT100", ESC "[4h" ESC "[4l", "InsertMode", 0},
    {"WYSE60", ESC "q", "InsertMode", 1},
    {"VIEWPOINT", ESC "q" ESC "r", "InsertMode", 0},
    {"TV965", ESC "q", "InsertMode", 1},
    {"N7900", ESC "F", "InsertMode", 1},
    {"N7900", ESC "F" ESC "F", "InsertMode", 0},

    {"WYSE60", ESC "DH", "FullDuplex", 0},
    {"WYSE60", ESC "DH" ESC "DF", "FullDuplex", 1},
    {"WYSE60", ESC "DH" ESC "DX", "FullDuplex", 0},
    {"WYSE60", ESC "e0", "Propagate", 1},
    {"WYSE50", ESC "e1", "Propagate", 0},
    {"WYSE60", ESC "e/", "ColumnChangeClear", 2},
    {"WYSE50", ESC "e/" ESC "e.", "ColumnChangeClear", 1},

    {"VT220", ESC "[?1000h", "MouseReporting", 2},
    {"SCOANSI", ESC "[?1000h" ESC "[?1000l", "MouseReporting", 0},

    {"WYSE60", ESC "e6", "TermFlag1702", 0},
    {"VIEWPOINT", ESC "e6" ESC "e7", "TermFlag1702", 1},
    {"TV965", ESC "[=28h", "TermFlag1702", 0},
    {"TV965", ESC "[=28h" ESC "[=28l", "TermFlag1702", 1},
    {"WYSE50", ESC "e ", "TermFlag1703", 0},
    {"N7901", ESC "e " ESC "e!", "TermFlag1703", 1},

    {"VT220", ESC "[?25l", "CursorVisible", 0},
    {"VT220", ESC "[?25l", "CaretWanted", 0},
    {"VT420", ESC "[?25l" ESC "[?25h", "CaretWanted", 1},
    {"WYSE60", ESC "`0", "CursorVisible", 0},
    {"VIEWPOINT", ESC "`0" ESC "`1", "CursorVisible", 1},
    {"SCOANSI", ESC "[=0c", "CursorVisible", 0},
    {"SCOANSI", ESC "[=0c" ESC "[=2c", "CursorVisible", 1},
    {"SCOANSI", ESC "[=0c" ESC "[=3c", "CursorVisible", 0},
    {"SCOANSI", ESC "[=14;13C", "CursorVisible", 0},
    {"AT386", ESC "[=21;22C", "CursorVisible", 0},
    {"AT386", ESC "[=21;22C" ESC "[=6;7C", "CursorVisible", 1},
    {"SCOANSI", ESC "[=0c" ESC "[=C", "CursorVisible", 1},  // absent parameters: 1 and 1

    {"WYSE60", ESC "`0" ESC "`2", "CursorVisible", 1},
    {"WYSE60", ESC "`2", "BlockCursor", 1},
    {"WYSE60", ESC "`2", "AttrCursor", 1},
    {"WYSE50", ESC "`5", "BlockCursor", 1},
    {"WYSE50", ESC "`2" ESC "`5", "AttrCursor", 0},
    {"VIEWPOINT", ESC "`5" ESC "`4", "BlockCursor", 0},
    {"VIEWPOINT", ESC "`4", "AttrCursor", 1},
    {"N7901", ESC "`0" ESC "`3", "CaretWanted", 1},
    {"N7901", ESC "`2" ESC "`3", "BlockCursor", 0},

    {"VT220", ESC " G", "EightBitControls", 1},
    {"VT420", ESC " G" ESC " F", "EightBitControls", 0},
};

TEST_F(ModeFlagTest, EachTypesModeSequencesSetTheirState) {
    for (const auto& c : kFlagCases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.input + " " + c.state);
        Start(c.type);
        // Text around the sequence shows that none of its bytes reach the screen.
        Feed(std::string("a") + c.input + "b");
        EXPECT_EQ(StateValue(c.state), c.expected);
        // After ESC $ the b shows from the range-table set.
        if (std::string_view(c.input) != ESC "$") {
            EXPECT_EQ(TrimmedRow(1).substr(0, 2), "ab");
        }
    }
}

TEST_F(ModeFlagTest, ColumnChangeClearIsTheCurrentFamilysOwn) {
    Start("WYSE60");
    Feed(ESC "e/");
    EXPECT_EQ(FamilyWyse60.ColumnChangeClear, 2);
    EXPECT_EQ(FamilyViewpoint.ColumnChangeClear, 0);
    EXPECT_EQ(FamilyVt220.ColumnChangeClear, 0);
}

// 85 letters from column 1 under each wrap style, through both receive passes.
TEST_F(ModeFlagTest, WrapStylesOnTheScreen) {
    struct WrapCase {
        const char* type;
        const char* setup;
        std::string row1;
        std::string row2;
        int cursorRow;
        int cursorCol;
    };
    std::string letters;
    for (int i = 0; i < 85; ++i) letters.push_back(static_cast<char>('A' + i % 26));
    const std::string first80 = letters.substr(0, 80);
    const WrapCase cases[] = {
        // Stay: the last column is written over and over.
        {"VT220", ESC "[?7l", letters.substr(0, 79) + letters[84], "", 1, 80},
        {"WYSE60", ESC "d.", letters.substr(0, 79) + letters[84], "", 1, 80},
        {"TV965", ESC "[=7l", letters.substr(0, 79) + letters[84], "", 1, 80},
        // Deferred and immediate wrap: the rest goes on the next row.
        {"VT220", ESC "[?7l" ESC "[?7h", first80, letters.substr(80), 2, 6},
        {"WYSE60", ESC "d." ESC "d/", first80, letters.substr(80), 2, 6},
        {"SCOANSI", ESC "[?7l" ESC "[?7h", first80, letters.substr(80), 2, 6},
    };
    for (const auto& c : cases) {
        for (bool fast : {true, false}) {
            SCOPED_TRACE(std::string(c.type) + " " + c.setup + (fast ? " fast" : " plain"));
            Start(c.type);
            Feed(c.setup, fast);
            Feed(letters, fast);
            EXPECT_EQ(TrimmedRow(1), c.row1);
            EXPECT_EQ(TrimmedRow(2), c.row2);
            EXPECT_EQ(ConsoleLayer.CursorRow, c.cursorRow);
            EXPECT_EQ(ConsoleLayer.CursorCol, c.cursorCol);
        }
    }
}

TEST_F(ModeFlagTest, DeferredAndImmediateWrapDifferAtTheLastColumn) {
    const std::string row(80, 'x');
    Start("VT220");
    Feed(ESC "[?7l" ESC "[?7h" + row);
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);
    EXPECT_EQ(ConsoleLayer.CursorCol, 81);  // standing past the last column
    Start("WYSE60");
    Feed(ESC "d." ESC "d/" + row);
    EXPECT_EQ(ConsoleLayer.CursorRow, 2);
    EXPECT_EQ(ConsoleLayer.CursorCol, 1);
}

TEST_F(ModeFlagTest, InsertModeShiftsTheRowForPrintableWrites) {
    struct InsertCase {
        const char* type;
        const char* input;
        const char* row1;
        int cursorCol;
    };
    const InsertCase cases[] = {
        {"VT220", "abcdef" ESC "[1;3H" ESC "[4hXY", "abXYcdef", 5},
        {"VT220", "abcdef" ESC "[1;3H" ESC "[4hXY" ESC "[4lZ", "abXYZdef", 6},
        {"WYSE60", "abcdef" ESC "= \"" ESC "qXY", "abXYcdef", 5},
        {"VIEWPOINT", "abcdef" ESC "Y \"" ESC "qXY" ESC "rZ", "abXYZdef", 6},
        {"TV965", "abcdef" ESC "= \"" ESC "qX", "abXcdef", 4},
        {"N7900", "abcdef" ESC "Y \"" ESC "FX" ESC "FY", "abXYdef", 5},
        // Characters of another set go through the repeated-character writer.
        {"VT220", "abc" ESC "[1;2H" ESC "[4h" ESC "(0qqq", "a###bc", 5},
        // And so do the characters of UTF-8 text.
        {"VT220", ESC "%Gabcdef" ESC "[1;3H" ESC "[4hX\xc3\xa9Y", "abX#Ycdef", 6},
        {"VT220", ESC "%Gabcdef" ESC "[1;3H" ESC "[4h\xe4\xb8\x80", "ab##cdef", 5},
    };
    for (const auto& c : cases) {
        for (bool fast : {true, false}) {
            SCOPED_TRACE(std::string(c.type) + " " + c.input + (fast ? " fast" : " plain"));
            Start(c.type);
            Feed(c.input, fast);
            EXPECT_EQ(TrimmedRow(1), c.row1);
            EXPECT_EQ(ConsoleLayer.CursorCol, c.cursorCol);
        }
    }
}

TEST_F(ModeFlagTest, InsertModeLosesCellsAtTheLineEndOnly) {
    Start("VT220");
    Feed(std::string(80, '.') + ESC "[1;78H" ESC "[4hABCDE");
    // The row's end is cut; nothing moves onto the next row.
    EXPECT_EQ(TrimmedRow(1), std::string(77, '.') + "ABC");
    EXPECT_EQ(TrimmedRow(2), "DE");
}

TEST_F(ModeFlagTest, WriteProtectMarksTheWrittenCells) {
    struct ProtectCase {
        const char* type;
        const char* input;  // writes "AB" protected and "CD" after it
    };
    const ProtectCase cases[] = {
        {"WYSE60", ESC ")AB" ESC "(CD"},
        {"VIEWPOINT",
         "\x0e"
         "AB\x0f"
         "CD"},
        {"TV965", ESC ")AB" ESC "(CD"},
        {"VT220", ESC "[1\"qAB" ESC "[2\"qCD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.input);
        Start(c.type);
        Feed(c.input);
        EXPECT_EQ(TrimmedRow(1), "ABCD");
        for (int col = 1; col <= 4; ++col)
            EXPECT_EQ(console_test::RingFlags(1, col) & console::kCellProtected,
                      col <= 2 ? console::kCellProtected : 0)
                << "column " << col;
    }
}

TEST_F(ModeFlagTest, ProtectedFieldsHoldTheScreenStill) {
    // With fields active a Wyse line insert is refused and a line feed on the
    // last row goes to row 1 instead of scrolling.
    Start("WYSE60");
    Feed("top\r\nsecond" ESC "&" ESC "=  " ESC "E");
    EXPECT_EQ(TrimmedRow(1), "top");
    EXPECT_EQ(TrimmedRow(2), "second");
    Feed(ESC "=7 \nx");
    EXPECT_EQ(TrimmedRow(1), "xop");
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);
    // Fields off: both act again.
    Feed(ESC "'" ESC "=  " ESC "E");
    EXPECT_EQ(TrimmedRow(1), "");
    EXPECT_EQ(TrimmedRow(2), "xop");
    Feed(ESC "=7 \n");
    EXPECT_EQ(TrimmedRow(1), "xop");
    EXPECT_EQ(ConsoleLayer.CursorRow, 24);
}

TEST_F(ModeFlagTest, ATypeChangeEndsProtectionAndMarksProtectedTextAgain) {
    Start("WYSE60");
    // Reverse protect attribute, protected writing, protected fields.
    Feed(ESC "`6" ESC ")" ESC "&");
    ASSERT_EQ(ConsoleLayer.ProtectMode, 1);
    ASSERT_EQ(ConsoleLayer.ProtectedFields, 1);
    ASSERT_EQ(ConsoleLayer.ProtectAttrIndex, 4);
    ASSERT_TRUE(SetTerminalType("VIEWPOINT", false));
    EXPECT_EQ(ConsoleLayer.ProtectMode, 0);
    EXPECT_EQ(ConsoleLayer.ProtectedFields, 0);
    // Protected text of the new type shows in entry 1 (dim), as the type's
    // own index says.
    Feed("\x0eP");
    EXPECT_EQ(console::CellAttr(console_test::RingCell(1, 1)), ConsoleLayer.AttrColorMap[1]);
    EXPECT_NE(ConsoleLayer.AttrColorMap[1], ConsoleLayer.AttrColorMap[0]);
}

TEST_F(ModeFlagTest, AnswerBackTakesTheTextUpToEm) {
    struct AnswerCase {
        const char* type;
        std::string input;
        std::string answer;
    };
    const std::string longText(40, 'L');
    const AnswerCase cases[] = {
        {"WYSE60", ESC "c;hello\x19", "hello"},
        {"VIEWPOINT", ESC "c;\x19", ""},
        // Only 30 bytes are kept.
        {"WYSE50", ESC "c;" + longText + "\x19", std::string(30, 'L')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.input);
        Start(c.type);
        commands::Settings.AnswerBack.Assign("old");
        Feed(c.input + "z");
        EXPECT_EQ(commands::Settings.AnswerBack.View(), c.answer);
        EXPECT_EQ(TrimmedRow(1), "z");
    }
}

TEST_F(ModeFlagTest, CharacterBanksFeedG0AndG1) {
    Start("TV965");
    // Bank 1 := set byte E (6); bank 2 := set byte F (0).
    Feed(ESC "x@1E" ESC "x@2F");
    EXPECT_EQ(EmulatorState.CharBanks[1], 6);
    EXPECT_EQ(EmulatorState.CharBanks[2], 0);
    const uint8_t gl = EmulatorState.GL;
    Feed(ESC "xC1");
    EXPECT_EQ(EmulatorState.GSlots[1], 6);
    // The primary bank takes the low two bits of the digit: 5 is bank 1.
    Feed(ESC "xB5");
    EXPECT_EQ(EmulatorState.GSlots[0], 6);
    EXPECT_EQ(EmulatorState.GL, gl);  // GL follows only at the next shift
    // Banks and set bytes outside the lists change nothing.
    const auto before = EmulatorState;
    Feed(ESC "x@7E" ESC "x@1Z" ESC "x@1?" ESC "xC9");
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(EmulatorState.CharBanks[i], before.CharBanks[i]) << i;
        EXPECT_EQ(EmulatorState.GSlots[i], before.GSlots[i]) << i;
    }

    Start("WYSE60");
    EmulatorState.CharBanks[2] = 18;
    Feed(ESC "cC2" ESC "cB2");
    EXPECT_EQ(EmulatorState.GSlots[1], 18);
    EXPECT_EQ(EmulatorState.GSlots[0], 18);
}

}  // namespace
}  // namespace emulation

namespace keyboard_test {
namespace {

// What the host switches is what the keyboard sends.
TEST_F(KeyboardTest, HostModesChangeWhatTheKeysSend) {
    emulation::InstallTermOperations();
    emulation::UseHostRecogniserSource();
    app::ConnectEmulatorToHost();
    ASSERT_TRUE(emulation::SetTerminalType("VT220", false));
    auto host = [](std::string_view bytes) { app::ReceiveHostBytes(bytes); };
    host("\x1b[?1h\x1b G");
    Type({328, 338});  // Up, Ins
    EXPECT_EQ(rec.sent,
              "\x1bOA\x9b"
              "2~");
    rec.sent.clear();
    host("\x1b[?1l\x1b F");
    Type({328, 338});
    EXPECT_EQ(rec.sent, "\x1b[A\x1b[2~");
    emulation::SetRecogniserSource(nullptr);
    emulation::ResetTermOpHandlers();
}

}  // namespace
}  // namespace keyboard_test
