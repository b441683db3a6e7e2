#include "emulation/operations/host_mode_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "../console/fake_console_window.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "connections/receive_ring.h"
#include "console/console_primitives.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/macros.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"
#include "emulation/types/term_types.h"
#include "terminal_test_fixture.h"

namespace emulation {
namespace {

using commands::Settings;
using console::ConsoleLayer;

// The terminal on a line that records what it answers the host.
class HostModeTest : public emulation_test::TerminalTest {
  public:
    void SetUp() override { Start("VT220"); }
    void TearDown() override {
        HostModeOperations = {};
        TerminalTest::TearDown();
    }
    void BeforeType() override {
        ResetKeyboard();
        ResetMacros();
        HostModeOperations = {};
    }
    void Start(const char* type) {
        TerminalTest::Start(type, emulation_test::Line::RecordedRlogin);
    }
};

// --- Graphics counterpart and character banks ---

TEST_F(HostModeTest, WyseGraphicsShowLineDrawingBytesAsBoxCharactersUntilSwitchedOff) {
    // On, off, then one byte alone in graphics; GL stays the normal set after it.
    const std::string stream =
        "\x1BH\x02"
        "2:3"
        "\x1BH\x03"
        "2:3"
        "\x1BH"
        "8"
        "x";
    for (const bool fast : {true, false}) {
        Start("WYSE60");
        Feed(stream, fast);
        EXPECT_EQ(Cells(1, 1, 8), u"┌─┐2:3┼x") << (fast ? "fast pass" : "plain pass");
        EXPECT_EQ(EmulatorState.GL, 3);
    }
}

TEST_F(HostModeTest, AGraphicsByteIsWrittenAsReceivedTextIs) {
    // Insert mode makes room for it; a deferred wrap happens before it.
    struct Case {
        const char* name;
        uint8_t wrapStyle;
        std::string stream;
        int32_t row;
        std::u16string cells;
    };
    const Case cases[] = {
        {"insert mode", 0, "abc\r\x1Bq\x1BH8", 1, u"┼abc"},
        {"deferred wrap", 2, std::string(80, 'x') + "\x1BH8", 2, u"┼ "},
    };
    for (const Case& c : cases) {
        Start("WYSE60");
        EmulatorState.WrapStyle = c.wrapStyle;
        Feed(c.stream);
        EXPECT_EQ(Cells(c.row, 1, static_cast<int32_t>(c.cells.size())), c.cells) << c.name;
    }
}

TEST_F(HostModeTest, GraphicsOnTwiceAndOffTwiceComeBackToTheNormalSet) {
    Start("WYSE60");
    Feed(
        "\x1BH\x02\x1BH\x02"
        "6");
    Feed(
        "\x1BH\x03\x1BH\x03"
        "6");
    EXPECT_EQ(Cells(1, 1, 2), u"│6");
}

TEST_F(HostModeTest, LoadCharBankTakesTheListedSetBytesAndIgnoresOtherBanks) {
    struct Case {
        const char* bytes;  // bank byte and set byte
        uint8_t banks[4];
    };
    // The Wyse start-up banks are 3, 6, 3, 6.
    const Case cases[] = {
        {"1C", {3, 18, 3, 6}},  // 0x43
        {"3H", {3, 6, 3, 20}},  // 0x48, the last of the upper range
        {"0b", {0, 6, 3, 6}},   // 0x62
        {"2j", {3, 6, 0, 6}},   // 0x6A, the last of the lower range
        {"0I", {3, 6, 3, 6}},   // a set byte outside both ranges
        {"4A", {3, 6, 3, 6}},   // bank 4 does not exist
        {"/A", {3, 6, 3, 6}},   // nor does bank -1
        {"9@", {3, 6, 3, 6}},
    };
    for (const Case& c : cases) {
        Start("WYSE60");
        Feed(std::string("\x1B"
                         "c@") +
             c.bytes + "z");
        for (int i = 0; i < 4; ++i) EXPECT_EQ(EmulatorState.CharBanks[i], c.banks[i]) << c.bytes;
        // The two bytes belong to the sequence; only the text after it shows.
        EXPECT_EQ(Cells(1, 1, 2), u"z ") << c.bytes;
    }
}

// --- Modes ---

TEST_F(HostModeTest, PrivateModesInOneSequenceEachTakeEffectAndUnknownOnesAreIgnored) {
    static int columnChanges = 0;
    columnChanges = 0;
    RegisterTermOp(OpColumns132, [](TermOp, const TermOpParams&) { ++columnChanges; });
    ConsoleLayer.CursorVisible = false;
    Feed("\x1B[5;20r\x1B[9;9H");
    Feed("\x1B[?4711;1;6;25;3h");
    EXPECT_TRUE(EmulatorState.CursorKeyMode);
    EXPECT_TRUE(ScreenOperations.OriginMode);
    EXPECT_EQ(ConsoleLayer.CursorRow, 5);
    EXPECT_EQ(ConsoleLayer.CursorCol, 1);
    EXPECT_TRUE(ConsoleLayer.CursorVisible);
    EXPECT_EQ(columnChanges, 1);

    Feed("\x1B[9;9H\x1B[?25;7;99;6;1l");
    EXPECT_FALSE(EmulatorState.CursorKeyMode);
    EXPECT_FALSE(ScreenOperations.OriginMode);
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);
    EXPECT_EQ(ConsoleLayer.CursorCol, 1);
    EXPECT_FALSE(ConsoleLayer.CursorVisible);
    EXPECT_EQ(EmulatorState.WrapStyle, 1);
}

TEST_F(HostModeTest, PrivateModeSevenWrapsByTheEmulationFamily) {
    struct Case {
        const char* type;
        uint8_t setStyle;
    };
    for (const Case c : {Case{"VT220", 2}, Case{"LINUX", 0}, Case{"SCOANSI", 0}}) {
        Start(c.type);
        EmulatorState.WrapStyle = 1;
        Feed("\x1B[?7;67h");
        EXPECT_EQ(EmulatorState.WrapStyle, c.setStyle) << c.type;
        EXPECT_EQ(Settings.BackspaceChar, 8) << c.type;
        Feed("\x1B[?67;7l");
        EXPECT_EQ(EmulatorState.WrapStyle, 1) << c.type;
        EXPECT_EQ(Settings.BackspaceChar, 127) << c.type;
    }
}

TEST_F(HostModeTest, AnsiModesInOneSequenceEachTakeEffectAndUnknownOnesAreIgnored) {
    Settings.FullDuplex = 0;
    Feed("\x1B[3;2;99;4;12h");
    EXPECT_FALSE(ReceiveLoop.KeyboardEnabled);
    EXPECT_TRUE(ReceiveLoop.InsertMode);
    EXPECT_EQ(Settings.FullDuplex, 1);
    // Insert mode is the one the received text goes through.
    Feed("abc\rX");
    EXPECT_EQ(Cells(1, 1, 4), u"Xabc");

    TermExecutor.QuietLine = true;
    Feed("\x1B[12;20;4;2l");
    EXPECT_TRUE(ReceiveLoop.KeyboardEnabled);
    EXPECT_FALSE(TermExecutor.QuietLine);
    EXPECT_FALSE(ReceiveLoop.InsertMode);
    EXPECT_EQ(Settings.FullDuplex, 0);
    Feed("\rY");
    EXPECT_EQ(Cells(1, 1, 4), u"Yabc");
}

TEST_F(HostModeTest, C332ModesSetCursorStyleDuplexAndAutoLineFeed) {
    Start("C332");
    Feed("\x1B[?63h\x1B[?65h");
    EXPECT_EQ(Settings.FullDuplex, 0);
    EXPECT_EQ(Settings.AutoLF, 1);
    Feed("\x1B[?63l\x1B[?65l");
    EXPECT_EQ(Settings.FullDuplex, 1);
    EXPECT_EQ(Settings.AutoLF, 0);

    struct Case {
        const char* bytes;
        bool visible;
        uint8_t block;
    };
    const Case cases[] = {
        {"\x1B[?62l", false, 1},  {"\x1B[?62;0h", true, 1}, {"\x1B[?62l", false, 1},
        {"\x1B[?62;3h", true, 0}, {"\x1B[?62;1h", true, 1}, {"\x1B[?62;2h", true, 0},
    };
    Settings.BlockCursor = 1;
    for (const Case& c : cases) {
        Feed(c.bytes);
        EXPECT_EQ(ConsoleLayer.CursorVisible, c.visible) << c.bytes + 1;
        EXPECT_EQ(Settings.BlockCursor, c.block) << c.bytes + 1;
    }
}

TEST_F(HostModeTest, MouseReportModeTakesTheEventsFromTheMaskBits) {
    ConsoleLayer.MouseLastCol = 7;
    ConsoleLayer.MouseLastRow = 9;
    // Left press (2), right press (0x40), middle release (0x400).
    Feed("\x1B[" + std::to_string(0x2 | 0x40 | 0x400) + "Y");
    const auto& ev = ConsoleLayer.MouseEvents;
    EXPECT_EQ(ConsoleLayer.MouseReporting, 1);
    EXPECT_TRUE(ev.LeftPress && ev.RightPress && ev.MiddleRelease);
    EXPECT_FALSE(ev.LeftRelease || ev.RightRelease || ev.MiddlePress);
    EXPECT_EQ(ConsoleLayer.MouseLastCol, 0);
    EXPECT_EQ(ConsoleLayer.MouseLastRow, 0);
    // Without either left bit reporting goes off, whatever else the mask holds.
    Feed("\x1B[" + std::to_string(0x40 | 0x800) + "Y");
    EXPECT_EQ(ConsoleLayer.MouseReporting, 0);
}

TEST_F(HostModeTest, C332HostSwitchesToVt220AndBackKeepingC332Mode) {
    Start("C332");
    UseSecondKeySet(true);
    Feed("\x1B[?E2");
    EXPECT_EQ(Settings.TerminalType.View(), "VT220");
    EXPECT_EQ(EmulatorState.CurrentTermType, FindTermType("VT220"));
    EXPECT_TRUE(EmulatorState.C332Mode);
    EXPECT_TRUE(SecondKeySetActive());
    Feed("\x1B[?E1");
    EXPECT_EQ(Settings.TerminalType.View(), "C332");
    EXPECT_EQ(EmulatorState.CurrentTermType, FindTermType("C332"));
    EXPECT_TRUE(EmulatorState.C332Mode);
    EXPECT_FALSE(SecondKeySetActive());
}

// --- Keyboard, bell and host flow control ---

TEST_F(HostModeTest, KeyboardLockAndUnlockSequencesOfEachFamily) {
    struct Case {
        const char* type;
        const char* lock;
        const char* unlock;
    };
    const Case cases[] = {
        {"VT220", "\x1B[2h", "\x1B[2l"},
        {"WYSE60", "\x1B#", "\x1B\""},
        {"WYSE60", "\x0F", "\x0E"},
        {"N7900", "\x04", "\x02"},
    };
    for (const Case& c : cases) {
        Start(c.type);
        Feed(c.lock);
        EXPECT_FALSE(ReceiveLoop.KeyboardEnabled) << c.type;
        TermExecutor.QuietLine = true;
        Feed(c.unlock);
        EXPECT_TRUE(ReceiveLoop.KeyboardEnabled) << c.type;
        EXPECT_FALSE(TermExecutor.QuietLine) << c.type;
    }
}

TEST_F(HostModeTest, HostXoffHoldsTheKeyboardOnlyForUnixHosts) {
    static int hostCommands = 0;
    struct Case {
        uint8_t hostType;
        bool xoff;          // after DC3
        bool lockedByBell;  // after DC3 BEL
        int commands;       // host command strings read by the DC1 that follows
    };
    for (const Case c : {Case{7, true, true, 0}, Case{1, false, false, 1}}) {
        Start("VT220");
        hostCommands = 0;
        HostModeOperations.Hooks.ReceiveHostCommand = [] { ++hostCommands; };
        Settings.HostType = c.hostType;
        Settings.NoKeyboardLock = 0;
        Settings.RemoteCmd11 = 1;
        Feed("\x13");
        EXPECT_EQ(ReceiveLoop.HostXoff, c.xoff) << int(c.hostType);
        Feed("\x07");
        EXPECT_EQ(ReceiveLoop.KeyboardLocked, c.lockedByBell) << int(c.hostType);
        // DC1 ends a UNIX host's XOFF; otherwise it brings a host command.
        Feed("\x11");
        EXPECT_FALSE(ReceiveLoop.HostXoff) << int(c.hostType);
        EXPECT_EQ(hostCommands, c.commands) << int(c.hostType);
        Feed("\x07");
        EXPECT_FALSE(ReceiveLoop.KeyboardLocked) << int(c.hostType);
        // With XOFF over, DC1 reads a command string on every host.
        Feed("\x11");
        EXPECT_EQ(hostCommands, c.commands + 1) << int(c.hostType);
    }
}

TEST_F(HostModeTest, BellSoundsByTheBeepMode) {
    Settings.BeepPitch.Set(880);
    Settings.BeepMode = 0;
    Feed("\x07");
    EXPECT_TRUE(window.Tones.empty());
    EXPECT_FALSE(Keyboard.SlowBeepPending);
    Settings.BeepMode = 1;
    TermExecutor.QuietLine = true;
    Feed("\x07");
    ASSERT_EQ(window.Tones.size(), 1u);
    EXPECT_EQ(window.Tones[0].first, 880u);
    EXPECT_FALSE(TermExecutor.QuietLine);
    Settings.BeepMode = 2;
    Feed("\x07");
    EXPECT_EQ(window.Tones.size(), 1u);
    EXPECT_TRUE(Keyboard.SlowBeepPending);
}

// --- Replies ---

TEST_F(HostModeTest, CursorPositionReportGivesRowAndColumn) {
    Feed("\x1B[5;17H\x1B[6n");
    EXPECT_EQ(Sent(), "\x1B[5;17R");
    Feed("\x1B[12;1H\x1B[n");
    EXPECT_EQ(Sent(), "\x1B[12;1R");
    // A cursor waiting past the last column to wrap reports that column.
    Feed("\x1B[3;80Hx\x1B[6n");
    EXPECT_EQ(Sent(), "\x1B[3;80R");
}

TEST_F(HostModeTest, SettingRequestsAreAnsweredByteExact) {
    const std::string rows = std::to_string(ConsoleLayer.ScreenRows);
    Feed("\x1BP$q*|\x1B\\");
    EXPECT_EQ(Sent(), "\x1BP1$r" + rows + "*|\x1B\\");
    Feed("\x1BP$q\"p\x1B\\");
    EXPECT_EQ(Sent(), "\x1BP1$r64;1\"p\x1B\\");
    // Other requests get no reply, and the request text does not show.
    Feed("\x1BP$qm\x1B\\\x1BP$q\x1B\\ok");
    EXPECT_EQ(Sent(), "");
    EXPECT_EQ(Cells(1, 1, 3), u"ok ");
}

TEST_F(HostModeTest, RepliesUseC1ControlsWhenEightBitControlsAreOn) {
    TermExecutor.EightBitControls = true;
    Feed("\x1B[5;17H\x1B[6n\x1BP$q*|\x1B\\\x1BP$q\"p\x1B\\");
    EXPECT_EQ(Sent(),
              "\x9B"
              "5;17R"
              "\x90"
              "1$r" +
                  std::to_string(ConsoleLayer.ScreenRows) +
                  "*|\x9C"
                  "\x90"
                  "1$r64;1\"p\x9C");
}

}  // namespace
}  // namespace emulation

namespace emulation {
namespace {

// New line mode: LF, VT and FF return the carriage as well, the index
// sequence does not, and a terminal-type change ends the mode.
TEST_F(HostModeTest, NewLineModeReturnsTheCarriageOnLineFeedsOnly) {
    Feed(
        "\x1B[20h"
        "ab\ncd\x0B"
        "ef\x0C"
        "gh"
        "\x1B"
        "Dij");
    EXPECT_EQ(TrimmedRow(1), "ab");
    EXPECT_EQ(TrimmedRow(2), "cd");
    EXPECT_EQ(TrimmedRow(3), "ef");
    EXPECT_EQ(TrimmedRow(4), "gh");
    EXPECT_EQ(TrimmedRow(5), "  ij");
    Feed("\x1B[20l\r\nkl\nmn");
    EXPECT_EQ(TrimmedRow(7), "  mn");
    Feed("\x1B[20h");
    ASSERT_TRUE(EmulatorState.NewLineMode);
    ASSERT_TRUE(SetTerminalType("VT220", false));
    EXPECT_FALSE(EmulatorState.NewLineMode);
}

}  // namespace
}  // namespace emulation
