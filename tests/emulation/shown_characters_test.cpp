#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../console/fake_console_window.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "connections/receive_ring.h"
#include "console/code_pages.h"
#include "console/console_primitives.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/shown_character_operations.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"
#include "emulation/text/charsets.h"
#include "emulation/text/host_char_display.h"
#include "emulation/text/national_charsets.h"
#include "emulation/types/term_types.h"
#include "terminal_test_fixture.h"

namespace emulation {
namespace {

using console::ConsoleLayer;

class ShownCharactersTest : public emulation_test::TerminalTest {
  protected:
    void TearDown() override {
        ResetCharsetHooks();
        ShownCharacterOperations = {};
        TerminalTest::TearDown();
    }
    void BeforeType() override {
        commands::Settings.CharsetMode = charsetMode_;
        ShownCharacterOperations = {};
    }

    void Start(const char* type, uint8_t charsetMode = 0) {
        charsetMode_ = charsetMode;
        TerminalTest::Start(type);
    }

    // Runs the stream on both receive paths; the first row must read expected
    // on each.
    void ExpectOnBothPaths(const char* type, std::string_view stream, std::u16string_view expected,
                           uint8_t charsetMode = 0) {
        for (const bool fast : {true, false}) {
            SCOPED_TRACE(fast ? "fast path" : "plain path");
            Start(type, charsetMode);
            Feed(stream, fast);
            EXPECT_EQ(Cells(1, 1, static_cast<int32_t>(expected.size())), expected);
        }
    }

    // The ring holds bytes of which the first count were just read as a
    // sequence, as when the executor recognised them.
    static void HoldSequence(std::string_view ringBytes, size_t count) {
        connections::StoreReceivedBytes(reinterpret_cast<const uint8_t*>(ringBytes.data()),
                                        ringBytes.size());
        TermExecutor.SequenceText.clear();
        for (size_t i = 0; i < count; ++i)
            TermExecutor.SequenceText.push_back(
                static_cast<uint8_t>(connections::CommReadChar(false, false)));
    }

    uint8_t charsetMode_ = 0;
};

struct ShownCase {
    const char* Name;
    const char* Type;
    std::string Stream;
    std::u16string Expected;
};

TEST_F(ShownCharactersTest, OperationsShowTheirCharacters) {
    // What a byte shows in the ASCII set of the ANSI types: control bytes
    // have glyphs there.
    auto g = [](uint8_t b) { return std::u16string(1, ByteToUnicode(b, 0)); };
    const ShownCase cases[] = {
        {"DLE shown", "VT220",
         "a\x10"
         "b",
         u"a" + g(0x10) + u"b"},
        {"ESC ESC shows one, the next starts a sequence", "VT220", "a\x1B\x1B[2Cb",
         u"a" + g(0x1B) + u"  b"},
        {"character by number", "SCOANSI", "\x1B[65g\x1B[4g", u"A" + g(4)},
        {"control byte by number is not run", "SCOANSI", "a\x1B[13gb", u"a" + g(13) + u"b"},
        {"number past a byte shows nothing", "SCOANSI", "a\x1B[321gb", u"ab"},
        {"graphic character", "SCOANSI", "\x1B[=66g\x1B[=3g", u"B" + g(3)},
        {"graphic character past a byte", "SCOANSI", "a\x1B[=999gb", u"ab"},
        {"Wyse unknown pair is dropped", "WYSE60", "a\x1BVb", u"ab"},
        // The Wyse ASCII set's graphics counterpart is the control pictures.
        {"Wyse ESC with a control shows its picture", "WYSE60",
         "a\x1B\x0D"
         "b",
         u"a\u240Db"},
        {"Wyse unknown tail drops only itself", "WYSE60", "a\x1BwXhello", u"ahello"},
        {"Wyse unknown tail keeps a closing ESC", "WYSE60",
         "a\x1Bw\x1B=\x20\x25"
         "b",
         u"a    b"},
    };
    for (const ShownCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ExpectOnBothPaths(c.Type, c.Stream, c.Expected);
    }
}

TEST_F(ShownCharactersTest, TableCharactersTakeTheirCells) {
    charsetHooks.T160eLookup = [](uint32_t a, uint32_t b) -> char16_t {
        return a == 1 && b == 2 ? u'\u00C5' : 0xFFFF;
    };
    charsetHooks.CcciiDecode = [](uint8_t b1, uint8_t b2, uint8_t b3) -> char16_t {
        return b1 == 0x21 && b2 == 0x30 && b3 == 0x21 ? u'\u4E00' : 0xFFFF;
    };
    const std::pair<TermOp, TermOpParams> ops[] = {
        {OpT160eCharacter, {1, 2}},
        {OpCcciiCharacter, {0x21, 0x30, 0x21}},
        {OpCcciiCharacter, {0x7E, 0x7E, 0x7E}},
    };
    Start("VT220");
    for (const auto& [op, params] : ops) RunTermOp(op, params);
    // The console shows an undecodable character as "?".
    EXPECT_EQ(Cells(1, 1, 6), u"\u00C5\u4E00\u200B?? ");
    // The table's character comes by the escape sequence too.
    Start("VT220");
    charsetHooks.T160eLookup = [](uint32_t, uint32_t) -> char16_t { return u'\u00C5'; };
    Feed("\x1B[1;2_x", true);
    EXPECT_EQ(Cells(1, 1, 2), u"\u00C5x");
}

TEST_F(ShownCharactersTest, DestructiveBackspaceBlanksWhatItStepsOver) {
    Start("VT220");
    Feed("abcdef", true);
    TermOpParams p{};
    p[0] = 3;
    RunTermOp(OpDestructiveBackspace, p);
    EXPECT_EQ(Cells(1, 1, 6), u"abc   ");
    EXPECT_EQ(ConsoleLayer.CursorCol, 4);
    // A count far past the screen blanks up to the top row, which it then
    // keeps cycling over, and returns at once.
    Feed("\x1B[2;1Hsecond", true);
    p[0] = 0x7FFFFFFF;
    RunTermOp(OpDestructiveBackspace, p);
    EXPECT_EQ(Cells(1, 1, 6), u"      ");
    EXPECT_EQ(Cells(2, 1, 6), u"      ");
    EXPECT_EQ(ConsoleLayer.CursorRow, 1);
}

TEST_F(ShownCharactersTest, BytesAfterTheFirstAreReadAgainBeforeWhatFollows) {
    static std::string printed;
    const struct {
        const char* Name;
        TermOp Op;
        bool Passthrough;
        bool Printer;
        std::u16string Screen;
        std::string Printed;
    } cases[] = {
        {"read again", OpRereadAfterFirst, false, false, u"XY  z", ""},
        {"Ctrl-X without passthrough", OpCtrlXPrint, false, true, u"XY  z", ""},
        {"Ctrl-X passthrough without a printer", OpCtrlXPrint, true, false, u"XY  z", ""},
        {"Ctrl-X passthrough", OpCtrlXPrint, true, true, u"  z", "XY"},
    };
    for (const auto& c : cases) {
        for (const bool fast : {true, false}) {
            SCOPED_TRACE(std::string(c.Name) + (fast ? ", fast path" : ", plain path"));
            Start("VT220");
            printed.clear();
            commands::Settings.CtrlXPassthrough = c.Passthrough;
            if (c.Printer)
                ShownCharacterOperations.Hooks.StartPassthroughPrint =
                    [](uint8_t mode, std::span<const uint8_t> data) {
                        EXPECT_EQ(mode, 0);
                        printed.assign(data.begin(), data.end());
                        return true;
                    };
            // The bytes read again come before the cursor move that followed them.
            HoldSequence("\x18XY\x1B[2Cz", 3);
            RunTermOp(c.Op, {});
            Feed("", fast);
            EXPECT_EQ(Cells(1, 1, static_cast<int32_t>(c.Screen.size())), c.Screen);
            EXPECT_EQ(printed, c.Printed);
        }
    }
}

TEST_F(ShownCharactersTest, BytesTheRingNoLongerHoldsAreHandedOverInOrder) {
    Start("WYSE60");
    // The bytes are not the ring's last ones: a cursor address and text.
    TermExecutor.SequenceText.clear();
    for (char b : std::string("\x18"
                              "\x1B=\x24\x28Z"))
        TermExecutor.SequenceText.push_back(static_cast<uint8_t>(b));
    RunTermOp(OpRereadAfterFirst, {});
    EXPECT_EQ(Cells(5, 1, 10), u"        Z ");
    EXPECT_TRUE(SeqBuffer.empty());
}

// --- National replacement sets ---

TEST_F(ShownCharactersTest, DecodeNationalCharsReplacesTheTwelvePositions) {
    std::string text = "#@[\\]^_`{|}~az";
    auto bytes = [&] {
        return std::span<uint8_t>(reinterpret_cast<uint8_t*>(text.data()), text.size());
    };
    EXPECT_EQ(DecodeNationalChars(bytes(), 5), 1252u);
    EXPECT_EQ(text,
              "#\xA7\xC4\xD6\xDC^_`\xE4\xF6\xFC\xDF"
              "az");
    text = "@[";
    EXPECT_EQ(DecodeNationalChars(bytes(), 11), 1250u);
    EXPECT_EQ(text, "\x8E\x8A");
    // A set number past the table changes nothing.
    text = "[";
    EXPECT_EQ(DecodeNationalChars(bytes(), 200), 1252u);
    EXPECT_EQ(text, "[");
}

TEST_F(ShownCharactersTest, EncodeNationalCharsUndoesEverySetsDecoding) {
    const std::string positions = "#@[\\]^_`{|}~az";
    for (uint8_t set = 1; set < kNationalSetCount; ++set) {
        SCOPED_TRACE(set);
        std::string text = positions;
        auto bytes = std::span<uint8_t>(reinterpret_cast<uint8_t*>(text.data()), text.size());
        const uint32_t page = DecodeNationalChars(bytes, set);
        // Each shown character as Unicode goes back to its position too.
        for (size_t i = 0; i < 12; ++i) {
            char16_t wide = 0;
            ASSERT_EQ(platform::CurrentCodePages().ToWide(page, bytes.data() + i, 1, 0, &wide, 1),
                      1u);
            EXPECT_EQ(EncodeNationalWide(wide, set), static_cast<char16_t>(positions[i])) << i;
        }
        EncodeNationalChars(bytes, false, set);
        EXPECT_EQ(text, positions);
    }
    // OEM text: GERMAN's sharp s is 0xE1 in code page 437; SLOVENIAN's C with
    // caron (852) stands for "^".
    std::string text = "\xE1\xAC";
    auto bytes = std::span<uint8_t>(reinterpret_cast<uint8_t*>(text.data()), text.size());
    EncodeNationalChars(bytes, true, 5);
    EXPECT_EQ(text, "~\xAC");
    EncodeNationalChars(bytes, true, 11);
    EXPECT_EQ(text, "~^");
    EXPECT_EQ(EncodeNationalWide(u'\u00E4', 0), u'\u00E4');
}

TEST_F(ShownCharactersTest, DesignatedNationalSetsShowTheirCharacters) {
    const ShownCase cases[] = {
        {"German in G0", "VT220", "\x1B(K[\\]{|}~#",
         u"\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF#"},
        {"Slovenian in its code page", "VT220", "\x1B(z@[^", u"\u017D\u0160\u010C"},
        {"G1 shows after SO", "VT220", "\x1B)R[\x0E[\x0F[", u"[\u00BA["},
        {"single shift covers one character", "VT220", "\x1B*K\x1BN[[", u"\u00C4["},
        {"line drawing replaces the national set", "VT220", "\x1B(Kq\x1B(0q[", u"q\u2500["},
        {"national set back with ASCII", "VT220", "\x1B(K[\x1B(B[", u"\u00C4["},
    };
    for (const ShownCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ExpectOnBothPaths(c.Type, c.Stream, c.Expected);
    }
    // The national set of the settings applies from the start.
    SCOPED_TRACE("from the settings");
    ExpectOnBothPaths("VT220", "x[y", u"x\u00C4y", 2);
}

TEST_F(ShownCharactersTest, NationalStreamsGiveTheSameScreenOnBothPaths) {
    const std::string pieces[] = {
        "\x1B(K",  "\x1B(R",        "\x1B(z",      "\x1B(B",   "\x1B(0", "\x1B)E",
        "\x0E",    "\x0F",          "\x1B*Q",      "\x1BN",    "\r\n",   "\x1B[5D",
        "\x1B[2b", "#@[\\]^_`{|}~", "plain text ", "\xC4\xE9",
    };
    for (const char* type : {"VT220", "LINUX"}) {
        for (uint32_t seed = 1; seed <= 30; ++seed) {
            std::mt19937 rng(seed);
            std::string stream;
            for (int i = 0; i < 150; ++i) stream += pieces[rng() % std::size(pieces)];
            Start(type);
            Feed(stream, true);
            const auto fastCells = console::TermScreenRing.Cells;
            const int32_t fastCol = ConsoleLayer.CursorCol;
            Start(type);
            Feed(stream, false);
            ASSERT_EQ(fastCells, console::TermScreenRing.Cells) << type << " seed " << seed;
            ASSERT_EQ(fastCol, ConsoleLayer.CursorCol) << type << " seed " << seed;
        }
    }
}

}  // namespace
}  // namespace emulation
