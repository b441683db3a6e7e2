#include "emulation/operations/attribute_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_screen_feeder.h"

namespace emulation {
namespace {

using console::CellAttribute;
using console::ConsoleLayer;
using screen_test::AttrAt;
using screen_test::HostScreen;
using screen_test::Row;

#define ESC "\x1b"

TEST(AttributeOperations, VtResetFormsAndBoldThenColour) {
    for (const char* reset : {ESC "[m", ESC "[0m", ESC "[;m"}) {
        HostScreen screen("VT220");
        ConsoleLayer.AttrSelection = 5;
        screen.Feed(reset);
        EXPECT_EQ(ConsoleLayer.AttrSelection, 0) << reset + 1;
    }
    HostScreen screen("VT220");
    const CellAttribute entry1 = ConsoleLayer.AttrColorMap[1];
    screen.Feed(ESC "[1;31mX");
    EXPECT_EQ(ConsoleLayer.AttrSelection, 255);
    EXPECT_EQ(ConsoleLayer.DirectAttr, (entry1 & 0xF8) | 4);  // red is console colour 4
    EXPECT_EQ(AttrAt(1, 1), ConsoleLayer.DirectAttr);
    screen.Feed(ESC "[44;97m");
    EXPECT_EQ(ConsoleLayer.DirectAttr & 0x7F, 0x10 | 15);
    screen.Feed(ESC "[0;7m");
    EXPECT_EQ(ConsoleLayer.AttrSelection, 4);
}

// One SGR list per dialect with the attribute word it leaves, from each
// type's reset colours.
struct SgrCase {
    const char* type;
    const char* input;
    bool oldSco;
    int selection;
    int direct;       // -1: not checked
    int entry0;       // -1: not checked
};

const SgrCase kSgrCases[] = {
    {"VT100", ESC "[4m", false, 8, -1, -1},
    {"VT220", ESC "[1;5;7m", false, 7, -1, -1},
    {"VT420", ESC "[1;5;7;22;25;27m", false, 0, -1, -1},
    {"OZMEL", ESC "[8m", false, 255, 0, -1},
    {"SCOANSI", ESC "[2;1;4m", false, 255, 0x41, 0x41},
    {"SCOANSI", ESC "[0;1m", false, 255, 0x07 | 8, -1},
    {"SCOANSI", ESC "[0;7m", false, 255, 0x70, -1},
    {"SCOANSI", ESC "[0;31;44m", false, 255, 0x14, -1},
    {"SCOANSI", ESC "[0;7;31m", false, 255, 0x40, -1},  // reverse: the colour goes to the background
    {"SCOANSI", ESC "[91;1m", true, -1, -1, -1},       // checked below: ends at 91
    {"SCOANSI", ESC "[31m", true, 255, 0x04, 0x04},
    {"AT386", ESC "[7m", false, 255, 0x70, -1},
    {"AT386", ESC "[0m", false, 255, 0x07, -1},
    {"AT386", ESC "[0;32;41m", false, 255, 0x42, -1},
    {"LINUX", ESC "[0;1;34m", false, 255, 0x09, -1},
    {"LINUX", ESC "[0;2m", false, 255, 0x04, -1},
    {"LINUX", ESC "[0;4m", false, 255, 0x0F, -1},
    {"LINUX", ESC "[0;7m", false, 255, 0x70, -1},
    {"LINUX", ESC "[0;33;45;5m", false, 255, 0x80 | 0x56, -1},
};

TEST(AttributeOperations, EachDialectsRendition) {
    for (const auto& c : kSgrCases) {
        SCOPED_TRACE(std::string(c.type) + " " + (c.input + 1));
        HostScreen screen(c.type);
        ASSERT_TRUE(screen.ok);
        // The PC-colour types start from white on black in entry 0, reverse in 4.
        ConsoleLayer.AttrColorMap[0] = 0x07;
        ConsoleLayer.AttrColorMap[4] = 0x70;
        EmulatorState.LinuxColour = 0x07;
        EmulatorState.OldScoColours = c.oldSco ? 1 : 0;
        screen.Feed(c.input);
        if (c.selection >= 0) {
            EXPECT_EQ(ConsoleLayer.AttrSelection, c.selection);
        }
        if (c.direct >= 0) {
            EXPECT_EQ(ConsoleLayer.DirectAttr, c.direct);
        }
        if (c.entry0 >= 0) {
            EXPECT_EQ(ConsoleLayer.AttrColorMap[0], c.entry0);
        }
    }
}

// A list does what its values do one after another, whatever the dialect
// leaves to be worked out once at the end of the list.
TEST(AttributeOperations, ListActsAsItsValuesInTurn) {
    struct Outcome {
        int selection, direct, colour, flags;
        bool operator==(const Outcome&) const = default;
    };
    auto run = [](const char* type, int startSelection, const std::vector<int32_t>& values,
                  bool whole) {
        HostScreen screen(type);
        ConsoleLayer.AttrColorMap[0] = 0x07;
        ConsoleLayer.AttrColorMap[4] = 0x70;
        ConsoleLayer.AttrSelection = static_cast<uint8_t>(startSelection);
        ConsoleLayer.DirectAttr = 0x1E;
        EmulatorState.LinuxColour = 0x07;
        auto apply = [](const std::vector<int32_t>& list) {
            TermOpParams p;
            p.fill(127);
            for (size_t i = 0; i < list.size(); ++i) p[i] = list[i];
            SelectGraphicRenditionOp(62, p);
        };
        if (whole) {
            apply(values);
        } else {
            for (int32_t v : values) apply({v});
        }
        const auto& e = EmulatorState;
        return Outcome{
            ConsoleLayer.AttrSelection, ConsoleLayer.DirectAttr, e.LinuxColour,
            e.SgrBold | e.SgrDim << 1 | e.SgrUnderline << 2 | e.SgrBlink << 3 | e.SgrReverse << 4};
    };
    static constexpr int32_t kValues[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10, 11, 21,  22, 24,
                                          25, 27, 28, 31, 36, 38, 39, 42, 47, 49, 92, 100, 104};
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    for (const char* type : {"LINUX", "VT220", "AT386"}) {
        for (int round = 0; round < 200; ++round) {
            std::vector<int32_t> values(1 + next() % kTermOpParamCount);
            for (auto& v : values) v = kValues[next() % std::size(kValues)];
            const int start = round % 2 == 0 ? 0 : 255;
            std::string text;
            for (int32_t v : values) text += std::to_string(v) + ";";
            SCOPED_TRACE(std::string(type) + " from " + std::to_string(start) + ": " + text);
            EXPECT_TRUE(run(type, start, values, true) == run(type, start, values, false));
        }
    }
}

TEST(AttributeOperations, OldScoColoursStopAtBrightColours) {
    HostScreen screen("SCOANSI");
    EmulatorState.OldScoColours = 1;
    ConsoleLayer.AttrSelection = 255;
    ConsoleLayer.DirectAttr = 0x07;
    screen.Feed(ESC "[91;1m");
    EXPECT_FALSE(EmulatorState.SgrBold);
    EXPECT_EQ(ConsoleLayer.DirectAttr, 0x07);
    screen.Feed(ESC "[=6L" ESC "[91;1m");
    EXPECT_TRUE(EmulatorState.SgrBold);
    EXPECT_EQ(ConsoleLayer.DirectAttr & 0x0F, 0x09);
}

TEST(AttributeOperations, LinuxUnderlineColourShowsBrightWhite) {
    HostScreen screen("LINUX");
    ConsoleLayer.AttrColorMap[0] = 0x07;
    screen.Feed(ESC "[0m" ESC "[4mX");
    EXPECT_EQ(AttrAt(1, 1) & 0x0F, 15);
    screen.Feed(ESC "[1;2]" ESC "[0;4mY");  // underline colour := green
    EXPECT_EQ(AttrAt(1, 2) & 0x0F, 2);
    screen.Feed(ESC "[0;34;42m" ESC "[8]");  // current colours become the default
    EXPECT_EQ(ConsoleLayer.AttrColorMap[0], 0x21);
}

TEST(AttributeOperations, ScoColourForms) {
    HostScreen screen("SCOANSI");
    ConsoleLayer.AttrColorMap[0] = 0x07;
    ConsoleLayer.AttrColorMap[4] = 0x70;
    screen.Feed(ESC "[=2F" ESC "[=1G");
    EXPECT_EQ(ConsoleLayer.AttrColorMap[0], 0x12);
    EXPECT_EQ(ConsoleLayer.DirectAttr, 0x12);
    screen.Feed(ESC "[=1D");
    EXPECT_EQ(ConsoleLayer.DirectAttr, 0x92);
    screen.Feed(ESC "[=0D");
    EXPECT_EQ(ConsoleLayer.DirectAttr, 0x12);
    screen.Feed(ESC "[=5H" ESC "[=6I" ESC "[7m");
    EXPECT_EQ(ConsoleLayer.AttrColorMap[4], 0x65);
    EXPECT_EQ(ConsoleLayer.DirectAttr, 0x65);
}

TEST(AttributeOperations, EmbeddedFieldAttributesOfTheNonAnsiTypes) {
    {
        HostScreen screen("WYSE60");  // ESC G 4: reverse, no field mark
        screen.Feed(ESC "G4X");
        EXPECT_EQ(Row(1), "X");
        EXPECT_EQ(ConsoleLayer.AttrSelection, 4);
        EXPECT_EQ(AttrAt(1, 1), ConsoleLayer.AttrColorMap[4]);
    }
    {
        HostScreen screen("WYSE50");  // with Propagate every attribute writes a mark
        commands::Settings.Propagate = 1;
        screen.Feed(ESC "G4X" ESC "G0Y");
        EXPECT_EQ(Row(1), " X Y");
        EXPECT_EQ(ConsoleLayer.AttrSelection, console::kSelectionInherit);
    }
    {
        HostScreen screen("TV965");
        commands::Settings.Propagate = 0;
        screen.Feed(ESC "G8");  // underline
        EXPECT_EQ(ConsoleLayer.AttrSelection, 8);
        ConsoleLayer.ProtectMode = 3;
        screen.Feed(ESC ".7" ESC "G4");  // dim protect attribute joins the selection
        EXPECT_EQ(ConsoleLayer.AttrSelection, 5);
    }
    {
        HostScreen screen("C332");  // ESC ! byte: 0x48 is blink and reverse
        uint8_t colour = 0, mode = 9;
        static uint8_t* seenColour;
        static uint8_t* seenMode;
        seenColour = &colour;
        seenMode = &mode;
        AttributeOperations.Hooks.SetFieldAttr = [](uint8_t c, uint8_t m) {
            *seenColour = c;
            *seenMode = m;
        };
        screen.Feed(ESC "!H");
        EXPECT_EQ(colour, 6);
        EXPECT_EQ(mode, 0);
        EXPECT_EQ(ConsoleLayer.ProtectMode, 3);
        EXPECT_EQ(ConsoleLayer.AttrSelection, console::kSelectionInherit);
        screen.Feed(ESC "!B");  // 0x42: blink and protected
        EXPECT_EQ(colour, 2);
        EXPECT_EQ(mode, 1);
        AttributeOperations.Hooks.SetFieldAttr = WriteFieldBlank;
    }
    {
        HostScreen screen("N7900");  // ESC 0 0x24: underline and blank
        console::SetAttributeMode(2);
        ConsoleLayer.AttrColorMap[8] = 0x17;
        screen.Feed(ESC "0$");
        EXPECT_EQ(Row(1), "");
        EXPECT_EQ(ConsoleLayer.DirectAttr, 0x19);  // foreground made the background, bright
        EXPECT_EQ(ConsoleLayer.AttrSelection, console::kSelectionInherit);
        EXPECT_EQ(ConsoleLayer.CursorCol, 2);
    }
    {
        HostScreen screen("VIEWPOINT");
        screen.Feed(ESC "G2Z");
        EXPECT_EQ(Row(1), " Z");
    }
}

TEST(AttributeOperations, PaletteEntryFromHexDigits) {
    HostScreen screen("LINUX");
    screen.Feed(ESC "]P1aBc0F0");
    const auto& c = console::ConsoleScreen.ScreenPalette[4];  // ANSI 1 is console colour 4
    EXPECT_EQ(c.Red, 0xAB);
    EXPECT_EQ(c.Green, 0xC0);
    EXPECT_EQ(c.Blue, 0xF0);
    EXPECT_EQ(commands::Settings.Palette[4].Get(), 0xF0C0ABu);
    screen.Feed(ESC "]Pz000000");  // not a digit: nothing
    EXPECT_EQ(c.Red, 0xAB);
    screen.Feed(ESC "]R");
    EXPECT_NE(console::ConsoleScreen.ScreenPalette[4].Red, 0xAB);
}

}  // namespace
}  // namespace emulation
