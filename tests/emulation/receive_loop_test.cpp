#include "emulation/receive_loop.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../common/allocation_counter.h"
#include "../console/fake_console_window.h"
#include "app/host_input_wiring.h"
#include "commands/interpreter.h"
#include "commands/password_scramble.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "connections/receive_ring.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/screen_pages.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/text/host_char_display.h"
#include "emulation/types/term_types.h"

namespace emulation {
namespace {

using console::ConsoleLayer;
using console_test::RingRow;

int32_t FixedTick() {
    return 1;
}

class ReceiveLoopTest : public ::testing::Test {
  public:
    void SetUp() override { Start("VT220"); }
    void TearDown() override {
        SetRecogniserSource(nullptr);
        ResetTermOpHandlers();
        console::SetScreenWindow(nullptr);
    }

    void Start(const char* type) {
        commands::ResetSettingsToDefaults();
        commands::ResetInterpreter();
        console_test::ResetConsoleForTest(window);
        connections::ResetCommLayer();
        // A line that carries every byte as data (on Telnet 0xFF is IAC).
        connections::connectionLayer.settings.CommMethod = connections::CommMethodSerial;
        ResetEmulatorState();
        ResetScreenOperations();
        ResetScreenPages();
        ResetRecogniser();
        ResetTermExecutor();
        ResetReceiveLoop();
        InstallTermOperations();
        UseHostRecogniserSource();
        app::ConnectEmulatorToHost();
        ASSERT_TRUE(SetTerminalType(type, false));
        ReceiveLoop.Hooks.Ticks = FixedTick;
    }

    // Feeds the bytes and runs passes until the ring is empty.
    static void Feed(std::string_view bytes, bool fast = true) {
        app::ReceiveHostBytes(bytes, fast);
    }

    static std::u16string Cells(int32_t row, int32_t from, int32_t count) {
        std::u16string s;
        for (int32_t c = from; c < from + count; ++c)
            s.push_back(
                console::CellChar(console::TermScreenRing.Cells[console::CellIndex(row, c)]));
        return s;
    }

    console_test::FakeConsoleWindow window;
    static inline int telnetSeed = 0;
};

// A random stream of the things hosts send: text runs, controls, cursor
// addressing, erasures, shifts and designations, upper-half bytes.
std::string RandomStream(std::mt19937& rng, size_t pieces) {
    std::string s;
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (size_t i = 0; i < pieces; ++i) {
        switch (pick(14)) {
            case 0:
            case 1:
            case 2: {
                const int n = 1 + pick(120);
                for (int k = 0; k < n; ++k) s.push_back(static_cast<char>(0x20 + pick(95)));
                break;
            }
            case 3:
                s += "\r\n";
                break;
            case 4:
                s += "\x1B[" + std::to_string(pick(30)) + ";" + std::to_string(pick(90)) + "H";
                break;
            case 5:
                s += pick(2) ? "\x1B[K" : "\x1B[1K";
                break;
            case 6:
                s += pick(2) ? "\x0E" : "\x0F";
                break;
            case 7:
                s += std::string("\x1B(") + "0BA<>"[pick(5)];
                break;
            case 8:
                s += std::string("\x1B)") + "0B"[pick(2)];
                break;
            case 9:
                s += pick(2) ? "\x1BN" : "\x1BO";
                break;
            case 10: {
                const int n = 1 + pick(20);
                for (int k = 0; k < n; ++k) s.push_back(static_cast<char>(0xA0 + pick(96)));
                break;
            }
            case 11:
                s.append(static_cast<size_t>(1 + pick(5)), "qxa"[pick(3)]);
                break;
            case 12:
                s += std::string("\x1B~\x1B}\x1B|").substr(static_cast<size_t>(pick(3)) * 2, 2);
                break;
            default:
                s += "\x1B[" + std::to_string(pick(5)) + "C\b\t";
                break;
        }
    }
    return s;
}

TEST_F(ReceiveLoopTest, RunGatheringAndThePlainPathGiveTheSameScreen) {
    for (const char* type : {"VT220", "LINUX", "WYSE60", "N7900", "TV965"}) {
        for (uint32_t seed = 1; seed <= 40; ++seed) {
            std::mt19937 rng(seed);
            const std::string stream = RandomStream(rng, 200);
            Start(type);
            Feed(stream, true);
            const auto fastCells = console::TermScreenRing.Cells;
            const int32_t fastRow = ConsoleLayer.CursorRow;
            const int32_t fastCol = ConsoleLayer.CursorCol;
            Start(type);
            Feed(stream, false);
            const auto& slowCells = console::TermScreenRing.Cells;
            ASSERT_EQ(fastCells.size(), slowCells.size());
            for (size_t i = 0; i < fastCells.size(); ++i)
                ASSERT_EQ(fastCells[i], slowCells[i]) << type << " seed " << seed << " cell " << i;
            ASSERT_EQ(fastRow, ConsoleLayer.CursorRow) << type << " seed " << seed;
            ASSERT_EQ(fastCol, ConsoleLayer.CursorCol) << type << " seed " << seed;
        }
    }
}

// Streams of one kind each, for the parts of the path with their own shortcuts:
// colour changes, cursor addressing, and UTF-8 text.
std::string SgrStream(std::mt19937& rng, size_t pieces) {
    std::string s;
    for (size_t i = 0; i < pieces; ++i) {
        s += "\x1B[" + std::to_string(rng() % 50) + ";" + std::to_string(30 + rng() % 20) +
             (rng() % 4 == 0 ? ";1;4;7m" : "m");
        s.append(1 + rng() % 12, static_cast<char>('a' + rng() % 26));
        if (rng() % 6 == 0) s += "\x1B[m\r\n";
        if (rng() % 9 == 0) s += "\x1B[;;5m";
    }
    return s;
}

std::string CursorStream(std::mt19937& rng, size_t pieces) {
    std::string s;
    for (size_t i = 0; i < pieces; ++i) {
        switch (rng() % 4) {
            case 0:
                s += "\x1B[" + std::to_string(rng() % 30) + ";" + std::to_string(rng() % 90) + "H";
                break;
            case 1:
                s += "\x1B[" + std::to_string(rng() % 30) + "f";
                break;
            case 2:
                s += "\x1B=" + std::string(1, static_cast<char>(0x20 + rng() % 26)) +
                     std::string(1, static_cast<char>(0x20 + rng() % 82));
                break;
            default:
                s += "\x1BY" + std::string(1, static_cast<char>(0x20 + rng() % 26)) +
                     std::string(1, static_cast<char>(0x20 + rng() % 82));
                break;
        }
        s.append(1 + rng() % 10, static_cast<char>('A' + rng() % 26));
    }
    return s;
}

std::string Utf8Stream(std::mt19937& rng, size_t pieces) {
    static const char* const words[] = {
        "caf\xC3\xA9", "\xCE\xB1\xCE\xB2", "\xE2\x94\x80\xE2\x94\x82", "\xF0\x9F\x98\x80", "plain",
        "\xC3", "\xE2\x94", "\x80\xBF", "\r\n", "\x1B[2;5H", "\xEF\xBB\xBF",
        // wide, U+FFFF, a line's worth, shifts, insert mode
        "\xE4\xB8\xAD\xE6\x96\x87", "\xEF\xBF\xBF",
        "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
        "abcdefghijabcdefghijabcdefghij\xCE\xB1\xCE\xB1\xCE\xB1",
        "\x0E", "\x0F", "\x1B[4h", "\x1B[4l", "\x1B[7m", "\t",
        // a surrogate, overlong forms, a lead before ASCII
        "\xED\xA0\x80", "\xE0\x80\xAF", "\xC0\xAF", "\xE2\x94x"};
    std::string s;
    for (size_t i = 0; i < pieces; ++i) {
        s += words[rng() % std::size(words)];
        if (rng() % 3 == 0) s += ' ';
    }
    return s;
}

// Control sequences of decimal parameters in the forms hosts write them,
// among short runs: each form comes again and again, so that most of them
// are read through the entry remembered for their final byte.
std::string ParameterFormStream(std::mt19937& rng, size_t pieces) {
    static const char* const forms[] = {"",
                                        "5",
                                        ";7",
                                        "5;",
                                        ";",
                                        ";;",
                                        "3;4;5",
                                        "0;0",
                                        "007;012",
                                        "1;31",
                                        "99999999999;2",
                                        "0;;1",
                                        ";44",
                                        "1;;4",
                                        "31;;5;",
                                        ";;5",
                                        "1;2;3;4;5;6;7;8;9;10;11;12;13",
                                        "0000000000042",
                                        "4294967297",
                                        "999999999;2147483648"};
    static const char finals[] = {'H', 'f', 'm', 'J', 'K', 'A', 'd', 'G', 'C'};
    std::string s;
    for (size_t i = 0; i < pieces; ++i) {
        s += "\x1B[";
        s += forms[rng() % std::size(forms)];
        s += finals[rng() % std::size(finals)];
        const size_t n = rng() % 7;
        for (size_t k = 0; k < n; ++k) s.push_back(static_cast<char>('a' + rng() % 26));
    }
    return s;
}

using StreamMaker = std::string (*)(std::mt19937&, size_t);

void ExpectSameScreen(const char* type, StreamMaker make, bool utf8, void (*start)(const char*),
                      void (*feed)(std::string_view, bool)) {
    for (uint32_t seed = 1; seed <= 25; ++seed) {
        std::mt19937 rng(seed);
        const std::string stream = make(rng, 300);
        auto run = [&](bool fast) {
            start(type);
            if (utf8) {
                commands::Settings.CodePage.Set(0x40000);
                EmulatorState.GR = 14;
            }
            feed(stream, fast);
        };
        run(true);
        const auto fastCells = console::TermScreenRing.Cells;
        const int32_t fastRow = ConsoleLayer.CursorRow;
        const int32_t fastCol = ConsoleLayer.CursorCol;
        const auto fastAttr = ConsoleLayer.DirectAttr;
        run(false);
        const auto& slowCells = console::TermScreenRing.Cells;
        ASSERT_EQ(fastCells.size(), slowCells.size());
        for (size_t i = 0; i < fastCells.size(); ++i)
            ASSERT_EQ(fastCells[i], slowCells[i]) << type << " seed " << seed << " cell " << i;
        ASSERT_EQ(fastRow, ConsoleLayer.CursorRow) << type << " seed " << seed;
        ASSERT_EQ(fastCol, ConsoleLayer.CursorCol) << type << " seed " << seed;
        ASSERT_EQ(fastAttr, ConsoleLayer.DirectAttr) << type << " seed " << seed;
    }
}

ReceiveLoopTest* current = nullptr;

TEST_F(ReceiveLoopTest, ColourCursorAndUtf8StreamsGiveTheSameScreenOnBothPaths) {
    current = this;
    auto start = [](const char* type) { current->Start(type); };
    auto feed = [](std::string_view bytes, bool fast) { Feed(bytes, fast); };
    for (const char* type : {"VT220", "LINUX", "SCOANSI", "TV965"}) {
        SCOPED_TRACE(type);
        ExpectSameScreen(type, SgrStream, false, start, feed);
    }
    for (const char* type : {"VT220", "LINUX", "WYSE60", "TV965", "N7900"}) {
        SCOPED_TRACE(type);
        ExpectSameScreen(type, CursorStream, false, start, feed);
    }
    for (const char* type : {"VT220", "LINUX", "SCOANSI"}) {
        SCOPED_TRACE(type);
        ExpectSameScreen(type, ParameterFormStream, false, start, feed);
    }
    // N7900 reads seven bits: no byte there starts a multibyte character.
    for (const char* type : {"LINUX", "VT220", "SCOANSI", "VOVUZIVA", "N7900"}) {
        SCOPED_TRACE(type);
        ExpectSameScreen(type, Utf8Stream, true, start, feed);
    }
}

// Output that arrives a few bytes at a time splits runs and control
// sequences between passes, and the program's waiting-output hook makes the
// console defer the caret; the screen is still the plain path's, and once the
// output has ended the caret stands on the cursor.
TEST_F(ReceiveLoopTest, StreamsArrivingInPiecesGiveTheSameScreenAndPlaceTheCaret) {
    current = this;
    auto start = [](const char* type) {
        current->Start(type);
        ConsoleLayer.Hooks.CommInputReady = [](int32_t count) {
            return count >= 0 && connections::CommInputReady(static_cast<uint32_t>(count));
        };
    };
    auto feed = [](std::string_view bytes, bool fast) {
        std::mt19937 sizes(7);
        size_t at = 0;
        while (at < bytes.size() || connections::CommInputReady(0)) {
            const size_t n = std::min<size_t>(1 + sizes() % 9, bytes.size() - at);
            connections::StoreReceivedBytes(reinterpret_cast<const uint8_t*>(bytes.data()) + at, n);
            at += n;
            if (fast)
                ReceiveFromHost();
            else
                ReferenceReceiveFromHost();
        }
        EXPECT_FALSE(ConsoleLayer.CaretPending);
        EXPECT_EQ(console::ConsoleScreen.WindowCursorRow, ConsoleLayer.CursorRow - 1);
    };
    for (const char* type : {"VT220", "LINUX", "SCOANSI"}) {
        SCOPED_TRACE(type);
        ExpectSameScreen(type, SgrStream, false, start, feed);
        ExpectSameScreen(type, CursorStream, false, start, feed);
        ExpectSameScreen(type, Utf8Stream, true, start, feed);
    }
}

// Upper-half text with C1 bytes among it: a C1 byte is a control whether it
// comes alone or right after upper-half text (0x9F, APC, included).
std::string UpperHalfStream(std::mt19937& rng, size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) {
        const int n = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < n; ++k) s.push_back(static_cast<char>(0xA0 + rng() % 96));
        if (rng() % 2) s.push_back(static_cast<char>(0x80 + rng() % 32));
        if (rng() % 3 == 0) s += "text\x1B\\";
        if (rng() % 5 == 0) s += "\r\n";
    }
    return s;
}

TEST_F(ReceiveLoopTest, UpperHalfTextAndC1BytesGiveTheSameScreenOnBothPaths) {
    current = this;
    auto start = [](const char* type) { current->Start(type); };
    auto feed = [](std::string_view bytes, bool fast) { Feed(bytes, fast); };
    for (const char* type : {"LINUX", "VT220", "VT420", "SCOANSI"}) {
        SCOPED_TRACE(type);
        ExpectSameScreen(type, UpperHalfStream, false, start, feed);
    }
}

// An upper-half byte that the set in GR maps to nothing (NUL of the
// line-drawing set) shows nothing, so in insert mode it makes no room: the
// row stays as it was, on either pass, alone or repeated.
TEST_F(ReceiveLoopTest, InsertModeMakesNoRoomForAByteThatShowsNothing) {
    for (const char* type : {"VT220", "VT320"}) {
        for (const std::string_view tail :
             {std::string_view("\x80"), std::string_view("\x80\x80\x80")}) {
            for (bool fast : {true, false}) {
                SCOPED_TRACE(testing::Message() << type << " " << tail.size() << " fast=" << fast);
                Start(type);
                Feed("AB\r\x1B)0\x1B~\x1B[4h", fast);
                ASSERT_TRUE(ReceiveLoop.InsertMode);
                Feed(tail, fast);
                EXPECT_EQ(RingRow(1).substr(0, 4), "AB  ");
                EXPECT_EQ(ConsoleLayer.CursorCol, 1);
                // The next character still makes its room.
                Feed("x", fast);
                EXPECT_EQ(RingRow(1).substr(0, 4), "xAB ");
            }
        }
    }
}

// Embedded field attributes: text after one takes the colour of the field it
// lands in, cell by cell, over cells of other colours.
std::string FieldStream(std::mt19937& rng, size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) {
        switch (rng() % 4) {
            case 0:
                s += std::string("\x1BG") + "0124468<"[rng() % 8];
                break;
            case 1:
                s += "\x1B=" + std::string(1, static_cast<char>(0x20 + rng() % 4)) +
                     std::string(1, static_cast<char>(0x20 + rng() % 30));
                break;
            case 2:
                s += "\r\n";
                break;
            default:
                s.append(1 + rng() % 15, static_cast<char>('a' + rng() % 26));
                break;
        }
    }
    return s;
}

TEST_F(ReceiveLoopTest, FieldColouredTextGivesTheSameScreenOnBothPaths) {
    current = this;
    auto start = [](const char* type) {
        current->Start(type);
        // A screen of many colours for the fields to be found in.
        auto& cells = console::TermScreenRing.Cells;
        for (size_t i = 0; i < cells.size(); ++i)
            cells[i] = console::MakeCell(u'.', ConsoleLayer.AttrColorMap[(i * 7 / 3) % 16]);
    };
    auto feed = [](std::string_view bytes, bool fast) { Feed(bytes, fast); };
    for (const char* type : {"VIEWPOINT", "N7901", "WYSE60", "TV965"}) {
        SCOPED_TRACE(type);
        ExpectSameScreen(type, FieldStream, false, start, feed);
    }
}

// On Telnet, commands, doubled 255s and CR NUL sit between the data bytes;
// the fast path takes plain data straight from the ring and must leave every
// one of them to the byte reader.
std::string TelnetStream(std::mt19937& rng, size_t count) {
    static const char* const inserts[] = {"\r\0",         "\r\n", "\xFF\xFF", "\xFF\xF1",
                                          "\xFF\xFB\x01", "\0",   "\r"};
    std::string s;
    std::string text = (rng() % 2 == 0) ? RandomStream(rng, count) : SgrStream(rng, count);
    for (char c : text) {
        s.push_back(c);
        if (rng() % 11 == 0)
            s += std::string(inserts[rng() % std::size(inserts)], rng() % 7 == 0 ? 2 : 1);
    }
    return s;
}

TEST_F(ReceiveLoopTest, TelnetStreamsGiveTheSameScreenOnBothPaths) {
    current = this;
    auto start = [](const char* type) {
        current->Start(type);
        connections::connectionLayer.settings.CommMethod = connections::CommMethodTelnet;
        commands::Settings.IgnoreNul = (current->telnetSeed % 2) ? 1 : 0;
    };
    auto feed = [](std::string_view bytes, bool fast) { Feed(bytes, fast); };
    for (const char* type : {"VT220", "LINUX", "WYSE60"}) {
        for (telnetSeed = 0; telnetSeed < 2; ++telnetSeed) {
            SCOPED_TRACE(type);
            ExpectSameScreen(type, TelnetStream, false, start, feed);
        }
    }
}

TEST_F(ReceiveLoopTest, NoHeapAllocationPerSequenceOnTheWholePath) {
    struct Case {
        const char* type;
        StreamMaker make;
        bool utf8;
    };
    const Case cases[] = {{"LINUX", SgrStream, false},     {"VT220", CursorStream, false},
                          {"WYSE60", CursorStream, false}, {"TV965", SgrStream, false},
                          {"LINUX", Utf8Stream, true},     {"VT220", RandomStream, false}};
    for (const Case& c : cases) {
        std::mt19937 rng(7);
        const std::string stream = c.make(rng, 400);
        Start(c.type);
        if (c.utf8) {
            commands::Settings.CodePage.Set(0x40000);
            EmulatorState.GR = 14;
        }
        Feed(stream.substr(0, 200));  // first use may size buffers once
        // The fake window records what it is told; give its logs room up front.
        for (auto* log : {&window.Invalidated, &window.DrawnNow})
            log->reserve(log->size() + 200000);
        window.Scrolls.reserve(window.Scrolls.size() + 200000);
        window.Beeps.reserve(window.Beeps.size() + 200000);
        const size_t before = test_support::HeapAllocations();
        Feed(stream);
        EXPECT_EQ(test_support::HeapAllocations() - before, 0u) << c.type;
    }
}

TEST_F(ReceiveLoopTest, ByteFfReachesTheScreenAndEndsThePass) {
    commands::Settings.CodePage.Set(1252);
    connections::StoreReceivedBytes(reinterpret_cast<const uint8_t*>("a\xFF"
                                                                     "b"),
                                    3);
    ReceiveFromHost();
    EXPECT_EQ(connections::CommReceiveRing().Count(), 1);  // b waits for the next pass
    ReceiveFromHost();
    const std::u16string row = Cells(1, 1, 3);
    EXPECT_EQ(row[0], u'a');
    EXPECT_NE(row[1], u' ');  // the 0xFF was shown, not taken for "nothing received"
    EXPECT_EQ(row[2], u'b');
}

TEST_F(ReceiveLoopTest, ByteFfInsideASequenceReachesTheExecutor) {
    // ESC [ 0xFF is no sequence: it is discarded, and the text after it shows.
    Feed("\x1B[\xFFxy");
    EXPECT_TRUE(SeqBuffer.empty());
    EXPECT_EQ(RingRow(1).substr(0, 2), "xy");
}

TEST_F(ReceiveLoopTest, IgnoredNulsLeaveOneRun) {
    commands::Settings.IgnoreNul = 1;
    Feed(std::string("AB\0CD", 5));
    EXPECT_EQ(RingRow(1).substr(0, 5), "ABCD ");
}

TEST_F(ReceiveLoopTest, RunLongerThanTheLineWrapsThroughTheSinglePath) {
    Feed(std::string(85, 'x'));
    EXPECT_EQ(RingRow(1), std::string(80, 'x'));
    EXPECT_EQ(RingRow(2).substr(0, 6), "xxxxx ");
}

TEST_F(ReceiveLoopTest, WrapStyleOneKeepsOverwritingTheLastColumn) {
    EmulatorState.WrapStyle = 1;
    Feed(std::string(79, '.') + "abc");
    EXPECT_EQ(RingRow(1).substr(78), ".c");
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);
}

TEST_F(ReceiveLoopTest, AutoLoginAnswersTheLoginAndPasswordPrompts) {
    commands::Settings.UserName.Assign("joe");
    commands::Settings.Password.Assign(commands::ScramblePassword("pw"));
    commands::Settings.LoginWizard = 1;
    commands::Settings.CommMethod = connections::CommMethodTelnet;
    commands::Settings.LoginPrompts.Assign("login:|logon:");
    commands::Settings.PromptSeparator = '|';
    commands::Settings.PasswordPrompts.Assign("password:");
    StartAutoLogin();
    ASSERT_EQ(ReceiveLoop.AutoLoginState, 1);
    Feed("Welcome\r\nLogin:");
    EXPECT_EQ(commands::Interpreter.PendingInput.View(), "joe\r");
    EXPECT_EQ(ReceiveLoop.AutoLoginState, 2);
    Feed(" PassWord:");
    EXPECT_EQ(commands::Interpreter.PendingInput.View(), "pw\r");
    EXPECT_EQ(ReceiveLoop.AutoLoginState, 0);
}

TEST_F(ReceiveLoopTest, WaitForTextIsFoundAcrossTwoPasses) {
    ReceiveLoop.WaitForText.Assign("READY>");
    Feed("...rea");
    EXPECT_FALSE(ReceiveLoop.WaitForText.Empty());
    Feed("dy>");
    EXPECT_TRUE(ReceiveLoop.WaitForText.Empty());
    EXPECT_TRUE(ReceiveLoop.StatusLineDirty);
}

TEST_F(ReceiveLoopTest, MonitorModeShowsControlsAsHex) {
    ReceiveLoop.MonitorMode = true;
    Feed("A\x1B");
    EXPECT_EQ(RingRow(1).substr(0, 5), "A1B  ");
}

TEST_F(ReceiveLoopTest, QuietLineHidesTextUntilItsLineEnds) {
    TermExecutor.QuietLine = true;
    Feed("secret\r\n\r\nshown");
    EXPECT_EQ(RingRow(1).substr(0, 6), "shown ");
}

// --- The executor ---

TEST_F(ReceiveLoopTest, OverlongSequenceIsDroppedWithTheNextByte) {
    std::string s = "\x1BP";  // a device control string collects until its end
    s.append(138, '1');
    ExecuteTermOp(0x1B);
    for (size_t i = 1; i < s.size(); ++i) ExecuteTermOp(static_cast<uint8_t>(s[i]));
    ASSERT_EQ(SeqBuffer.size(), 140u);
    ExecuteTermOp('2');
    EXPECT_TRUE(SeqBuffer.empty());
    Feed("ok");
    EXPECT_EQ(RingRow(1).substr(0, 2), "ok");
}

TEST_F(ReceiveLoopTest, InterruptingEscStartsTheNextSequence) {
    Feed("\x1B[10;10H\x1B[5\x1B[A");
    EXPECT_EQ(ConsoleLayer.CursorRow, 9);
    EXPECT_EQ(ConsoleLayer.CursorCol, 10);
}

TEST_F(ReceiveLoopTest, FormFeedByFamily) {
    Feed("ab\x0C");
    EXPECT_EQ(RingRow(1).substr(0, 2), "ab");
    EXPECT_EQ(ConsoleLayer.CursorRow, 2);
    Start("SCOANSI");
    Feed("ab\x0C");
    EXPECT_EQ(RingRow(1).substr(0, 2), "  ");
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);
}

TEST_F(ReceiveLoopTest, HugeCountsAreClamped) {
    Feed("\x1B[99999999999;99999999999H");
    EXPECT_EQ(ConsoleLayer.CursorRow, ConsoleLayer.ScreenRows);
    EXPECT_EQ(ConsoleLayer.CursorCol, 80);
    Feed("\x1B[2147483647A\x1B[2147483647L\x1B[2147483647D");
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);
    EXPECT_EQ(ConsoleLayer.CursorCol, 1);
}

TEST_F(ReceiveLoopTest, RegisteredHandlerReplacesTheBuiltInOne) {
    static int calls = 0;
    calls = 0;
    RegisterTermOp(OpCursorUp, [](TermOp op, const TermOpParams& p) {
        EXPECT_EQ(op, OpCursorUp);
        EXPECT_EQ(p[0], 3);
        ++calls;
    });
    Feed("\x1B[3A");
    EXPECT_EQ(calls, 1);
    ResetTermOpHandlers();
    EXPECT_EQ(TermOpHandlerFor(OpCursorUp), BuiltInTermOpHandler(OpCursorUp));
    EXPECT_EQ(TermOpHandlerFor(325), nullptr);
    EXPECT_STREQ(TermOpName(OpHostStatusLineEnd), "HostStatusLineEnd");
}

TEST_F(ReceiveLoopTest, StatusReportIsAnsweredToTheHost) {
    std::string sent;
    // The stand-in connection records nothing; check the reply before it goes.
    static std::string* out = nullptr;
    out = &sent;
    RegisterTermOp(OpStatusReport, [](TermOp op, const TermOpParams& p) {
        BuiltInTermOpHandler(op)(op, p);
        out->assign(reinterpret_cast<const char*>(TermExecutor.Reply.data()),
                    TermExecutor.Reply.size());
    });
    Feed("\x1B[5n");
    EXPECT_EQ(sent, "\x1B[0n");
    EXPECT_TRUE(TermExecutor.Reply.empty());
}

TEST_F(ReceiveLoopTest, ExactSequencesReachTheirOwnEntries) {
    // ESC [ = 2 8 l is "ENQ reply on", not a line insertion.
    Start("TV965");
    Feed("top\r\nnext\x1B[H\x1B[=28l");
    EXPECT_EQ(RingRow(1).substr(0, 3), "top");
    EXPECT_EQ(RingRow(2).substr(0, 4), "next");
    // ESC c P is taken whole; the text after it is not collected into it.
    Start("WYSE60");
    Feed(
        "\x1B"
        "cPhello world");
    EXPECT_TRUE(SeqBuffer.empty());
    EXPECT_EQ(RingRow(1).substr(0, 11), "hello world");
}

// --- The G sets ---

struct GSetCase {
    const char* Name;
    const char* Stream;
    std::u16string Expected;
};

TEST_F(ReceiveLoopTest, DesignationsAndShifts) {
    const GSetCase cases[] = {
        {"G0 line drawing at once", "\x1B(0qop", u"\u2500\u2594\uE8B6"},
        {"G1 waits for SO", "\x1B)0q\x0Eq\x0Fq", u"q\u2500q"},
        {"SS2 covers one character", "\x1B*0\x1BNqq", u"\u2500q"},
        {"SS3 from G1 returns to G0", "\x1B+0\x1B)0\x0E\x1BOqq", u"\u2500q"},
        {"SS2 with repeated bytes", "\x1B*0\x0E\x1BNqqq", u"\u2500qq"},
        {"locking shift G2", "\x1B*0\x1Bnqq\x1B(Bq", u"\u2500\u2500\u2500"},
        {"G0 reset by B", "\x1B(0\x1B(Bq", u"q"},
        {"supplemental by %5", "\x1B(%5\xE8", u"\u00E8"},
        {"GR to G2 line drawing", "\x1B*0\x1B}\xF1", u"\u2500"},
        {"SS2 into a plain set still covers one character", "\x1B(0\x1B*B\x1BNqq", u"q\u2500"},
        {"GR to G1 96-set multinational", "\x1B-A\x1B~\xE9", u"\u00E9"},
    };
    for (const auto& c : cases) {
        Start("VT220");
        Feed(c.Stream);
        EXPECT_EQ(Cells(1, 1, static_cast<int32_t>(c.Expected.size())), c.Expected) << c.Name;
    }
}

TEST_F(ReceiveLoopTest, NationalDesignationsSetTheCharsetMode) {
    const std::pair<const char*, uint8_t> cases[] = {{"\x1B(A", 1}, {"\x1B(K", 5},  {"\x1B(R", 3},
                                                     {"\x1B(Q", 4}, {"\x1B(z", 11}, {"\x1B(B", 0}};
    for (const auto& [seq, national] : cases) {
        Start("VT220");
        Feed(seq);
        EXPECT_EQ(commands::Settings.CharsetMode, national) << seq + 1;
        EXPECT_EQ(EmulatorState.NationalSlots[0], national);
    }
    // A national set designated into G1 takes effect only when G1 is invoked.
    Start("VT220");
    Feed("\x1B)K");
    EXPECT_EQ(commands::Settings.CharsetMode, 0);
    Feed("\x0E");
    EXPECT_EQ(commands::Settings.CharsetMode, 5);
}

TEST_F(ReceiveLoopTest, SetMappings) {
    EXPECT_EQ(ByteToUnicode(0x45, 1), u'\u2510');
    EXPECT_EQ(ConsoleLayer.AttrSelection, 1);
    EXPECT_EQ(ByteToUnicode(0x71, 2), u'\u2500');
    EXPECT_EQ(ByteToUnicode(0x41, 4), u'\u2401');
    EXPECT_EQ(ByteToUnicode(0x25, 12), u'\u2514');
    EXPECT_EQ(ByteToUnicode(0x2B, 12), u'\u2500');  // from 11 the entries start over
    EXPECT_EQ(ByteToUnicode(0x41, 13), u'\u2570');
    EXPECT_EQ(ByteToUnicode(0x7F, 17), u'\uFFFF');
    EXPECT_EQ(ByteToUnicode(0x30, 18), u'\u2070');
    EXPECT_EQ(ByteToUnicode(0x40, 19), u'\u250C');
    EXPECT_EQ(ByteToUnicode(0x41, 19), u' ');
}

}  // namespace
}  // namespace emulation
