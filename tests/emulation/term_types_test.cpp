#include "emulation/types/term_types.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/settings_record.h"
#include "emulation/types/family_tables.h"
#include "emulation/parser/recogniser.h"

namespace emulation {
namespace {

// Stands in for the console.
class FakeConsole final : public TermTypeConsole {
  public:
    uint16_t colourMap[16] = {};
    TermTypeChange applied;
    int applyCount = 0;

    void ReadColourMap(uint16_t (&map)[16]) override { std::memcpy(map, colourMap, sizeof map); }
    void Apply(const TermTypeChange& change) override {
        applied = change;
        ++applyCount;
    }
    uint16_t NormalizeKeyCode(uint16_t key) override { return key == 500 ? 13 : key; }
};

class TermTypesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        ResetEmulatorState();
        ResetRecogniser();
        ResetFamilyTables();
        for (int i = 0; i < 16; ++i) side.colourMap[i] = static_cast<uint16_t>(0x1E + i);
        SetTermTypeConsole(&side);
    }
    void TearDown() override {
        SetTermTypeConsole(nullptr);
        ResetEmulatorState();
        ResetFamilyTables();
        commands::ResetSettingsToDefaults();
    }
    FakeConsole side;
    commands::SettingsRecord& settings = commands::Settings;
};

std::string Text(const ByteText<10>& t) {
    return std::string(t.view());
}

TEST(TermTypeTable, SixteenTypesInTheirFixedOrder) {
    struct Row {
        const char* name;
        const TermFamilyTable* family;
        uint8_t sgr, emulation, pc;
        const char* keys;
    } const rows[] = {
        {"N7900", &FamilyN7900, 4, 5, 0, ""},
        {"N7901", &FamilyViewpoint, 4, 5, 0, "VWPT.KYS"},
        {"VIEWPOINT", &FamilyViewpoint, 4, 5, 0, "VWPT.KYS"},
        {"VT100", &FamilyVt220, 0, 0, 0, "VT220.KYS"},
        {"VT220", &FamilyVt220, 0, 0, 0, nullptr},
        {"VT320", &FamilyVt220, 0, 0, 0, "VT220.KYS"},
        {"VT420", &FamilyVt220, 0, 0, 0, "VT220.KYS"},
        {"LINUX", &FamilyVt220, 3, 4, 1, "LINUX.KYS"},
        {"OZMEL", &FamilyVt220, 0, 1, 1, "RURAVIVE.KYS"},
        {"VOVUZIVA", &FamilyVt220, 0, 1, 0, "RURAVIVE.KYS"},
        {"SCOANSI", &FamilyVt220, 1, 2, 1, nullptr},
        {"AT386", &FamilyVt220, 2, 3, 1, nullptr},
        {"WYSE50", &FamilyWyse60, 4, 5, 0, "WYSE60.KYS"},
        {"C332", &FamilyC332, 4, 5, 0, nullptr},
        {"WYSE60", &FamilyWyse60, 4, 5, 0, nullptr},
        {"TV965", &FamilyTv965, 4, 5, 0, nullptr},
    };
    static_assert(std::size(rows) == kTermTypeCount);
    for (size_t i = 0; i < kTermTypeCount; ++i) {
        const TermTypeEntry& t = TermTypeTable[i];
        SCOPED_TRACE(rows[i].name);
        EXPECT_STREQ(t.Name, rows[i].name);
        EXPECT_EQ(t.Family, rows[i].family);
        EXPECT_EQ(t.SgrDialect, rows[i].sgr);
        EXPECT_EQ(t.EmulationFamily, rows[i].emulation);
        EXPECT_EQ(t.PcColours, rows[i].pc);
        EXPECT_EQ(t.Spare, 0);
        if (rows[i].keys == nullptr)
            EXPECT_EQ(t.DefaultKeysFile, nullptr);
        else
            EXPECT_STREQ(t.DefaultKeysFile, rows[i].keys);
    }
    EXPECT_EQ(TermDefaultKeysFile(TermTypeTable[0]), "");  // N7900: empty, not "N7900.KYS"
    EXPECT_EQ(TermDefaultKeysFile(TermTypeTable[4]), "VT220.KYS");
    EXPECT_EQ(TermDefaultKeysFile(TermTypeTable[10]), "SCOANSI.KYS");
}

TEST(TermTypeTable, FindTermTypeComparesExactly) {
    EXPECT_EQ(FindTermType("WYSE60"), &TermTypeTable[14]);
    EXPECT_EQ(FindTermType("wyse60"), nullptr);
    EXPECT_EQ(FindTermType("VT22"), nullptr);
    EXPECT_EQ(FindTermType("VT2200"), nullptr);
    EXPECT_EQ(FindTermType(""), nullptr);
}

TEST(FamilyTables, Headers) {
    struct Row {
        const char* name;
        uint8_t csi;
        char separator;
        uint8_t wrap, attrMode;
        uint8_t masks[7];
        uint8_t g0, g1, eightBit;
        std::string_view deviceAttributes;
        uint8_t tabStyle, columnChangeClear, keyCount;
        uint32_t seqCount;
    } const rows[] = {
        {"N7900", 0, '\0', 0, 0, {0x01, 0x02, 0x10, 0x20, 0x04, 0, 0}, 0, 1, 0, "", 0, 0, 6, 23},
        {"VIEWPOINT",
         0,
         '\0',
         0,
         1,
         {0x40, 0x02, 0x04, 0x08, 0x01, 0, 0},
         3,
         4,
         1,
         "",
         0,
         0,
         6,
         96},
        {"WYSE60",
         0,
         '\0',
         0,
         0,
         {0x40, 0x02, 0x04, 0x08, 0x01, 0, 0},
         3,
         6,
         1,
         "60\r",
         1,
         1,
         13,
         155},
        {"C332", 0, '\0', 0, 0, {0x04, 0x40, 0x08, 0, 0x10, 0x02, 0}, 3, 12, 0, "", 2, 0, 11, 62},
        {"VT220",
         1,
         ';',
         2,
         1,
         {0, 0, 0, 0, 0, 0, 0},
         0,
         2,
         1,
         "\x1b[?62;1;2;6;7;8;9c",
         1,
         0,
         20,
         169},
        {"TV965",
         1,
         ';',
         0,
         1,
         {0x40, 0x02, 0x04, 0x08, 0x01, 0, 0},
         0,
         2,
         1,
         "TVS965 1.0\r",
         1,
         1,
         6,
         228},
    };
    ResetFamilyTables();
    for (size_t f = 0; f < kTermFamilyCount; ++f) {
        const TermFamilyTable& t = *TermFamilies[f];
        const Row& r = rows[f];
        SCOPED_TRACE(r.name);
        EXPECT_EQ(t.Name, r.name);
        EXPECT_EQ(t.CsiSequences, r.csi);
        EXPECT_EQ(t.ParamSeparator, r.separator);
        EXPECT_EQ(t.WrapStyle, r.wrap);
        EXPECT_EQ(t.AttrMode, r.attrMode);
        EXPECT_EQ(0, std::memcmp(t.AttrMasks, r.masks, 7));
        EXPECT_EQ(t.G0Default, r.g0);
        EXPECT_EQ(t.G1Default, r.g1);
        EXPECT_EQ(t.EightBit, r.eightBit);
        EXPECT_EQ(t.DeviceAttributes.view(), r.deviceAttributes);
        EXPECT_EQ(t.TabStyle, r.tabStyle);
        EXPECT_EQ(t.ColumnChangeClear, r.columnChangeClear);
        EXPECT_EQ(t.KeyCount, r.keyCount);
        EXPECT_EQ(t.SeqCount, r.seqCount);
    }
}

// The first byte of every longer sequence must begin a sequence in the
// control table; these are the bytes that do.
TEST(FamilyTables, ControlBytesThatBeginSequences) {
    const char* expected[kTermFamilyCount] = {
        "\x0b\x10\x17\x18\x1b", "\x0b\x10\x18\x1b", "\x17\x18\x1b",
        "\x17\x18\x1b",         "\x18\x1b",         "\x1b",
    };
    for (size_t f = 0; f < kTermFamilyCount; ++f) {
        std::string begins;
        for (int b = 0; b < 32; ++b)
            if (TermFamilies[f]->ControlOps[b] == kTermOpSequence) begins += static_cast<char>(b);
        EXPECT_EQ(begins, expected[f]) << TermFamilies[f]->Name;
    }
    // Backspace is the only control where the ANSI family differs from all others.
    EXPECT_EQ(FamilyVt220.ControlOps[0x08], 24);
    EXPECT_EQ(FamilyTv965.ControlOps[0x08], 23);
    EXPECT_EQ(FamilyTv965.ControlOps[0x16], 29);
    EXPECT_EQ(FamilyVt220.ControlOps[0x0C], 205);
}

TEST(FamilyTables, ColumnChangeClearIsWritableAndResets) {
    FamilyWyse60.ColumnChangeClear = 2;
    EXPECT_EQ(FamilyWyse60.ColumnChangeClear, 2);
    ResetFamilyTables();
    EXPECT_EQ(FamilyWyse60.ColumnChangeClear, 1);
    EXPECT_EQ(FamilyVt220.ColumnChangeClear, 0);
}

TEST_F(TermTypesTest, UnknownNameOnlyResetsTheShiftState) {
    ASSERT_TRUE(SetTerminalType("VT220", true));
    EmulatorState.GL = 5;
    EmulatorState.GRSlot = 3;
    EmulatorState.SingleShiftPending = true;
    EmulatorState.NationalSlots[2] = 9;
    EmulatorState.CursorKeyMode = true;
    settings.CharsetMode = 4;
    side.applyCount = 0;

    EXPECT_FALSE(SetTerminalType("VT999", true));
    EXPECT_EQ(EmulatorState.CurrentTermFamily, &FamilyVt220);
    EXPECT_EQ(EmulatorState.GL, 0);
    EXPECT_EQ(EmulatorState.GRSlot, 2u);
    EXPECT_FALSE(EmulatorState.SingleShiftPending);
    EXPECT_EQ(EmulatorState.NationalSlots[0], 4);
    EXPECT_EQ(EmulatorState.NationalSlots[2], 0);
    EXPECT_TRUE(EmulatorState.CursorKeyMode);  // nothing else changes
    EXPECT_EQ(side.applyCount, 0);
}

TEST_F(TermTypesTest, WyseFiftyAndSixtyShareAFamilyButNotTheirSettings) {
    settings.Propagate = 0;
    ASSERT_TRUE(SetTerminalType("WYSE50", true));
    EXPECT_EQ(settings.Propagate, 1);
    EXPECT_EQ(side.applied.AttrSelection, 254);
    EXPECT_EQ(settings.CharsetKind, 0);
    EXPECT_EQ(EmulatorState.GSlots[2], 0);

    EmulatorState.CharBanks[0] = 9;
    ASSERT_TRUE(SetTerminalType("WYSE60", true));
    EXPECT_EQ(settings.Propagate, 0);
    EXPECT_EQ(side.applied.AttrSelection, 0);
    EXPECT_EQ(settings.CharsetKind, 6);
    EXPECT_EQ(EmulatorState.CharBanks[0], 3);
    EXPECT_EQ(EmulatorState.CharBanks[1], 6);
    EXPECT_FALSE(EmulatorState.HostTextAnsi);

    ASSERT_TRUE(SetTerminalType("VT220", true));
    EXPECT_EQ(settings.Propagate, 0);  // left as it was
}

TEST_F(TermTypesTest, CharacterSetsAtReset) {
    struct Case {
        const char* name;
        uint8_t g0, g1, g2, g3;
    } const cases[] = {
        {"VT220", 0, 2, 8, 16}, {"VT100", 0, 2, 8, 16}, {"SCOANSI", 0, 2, 6, 8},
        {"OZMEL", 0, 2, 8, 8},  {"C332", 3, 12, 8, 8},  {"N7900", 0, 1, 8, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(SetTerminalType(c.name, false));
        EXPECT_EQ(EmulatorState.GSlots[0], c.g0);
        EXPECT_EQ(EmulatorState.GL, c.g0);
        EXPECT_EQ(EmulatorState.GSlots[1], c.g1);
        EXPECT_EQ(EmulatorState.GSlots[2], c.g2);
        EXPECT_EQ(EmulatorState.GSlots[3], c.g3);
        EXPECT_EQ(EmulatorState.GR, c.g2);
    }
    // A multibyte code page survives every change.
    settings.CharsetKind = 14;
    ASSERT_TRUE(SetTerminalType("WYSE50", false));
    EXPECT_EQ(EmulatorState.GSlots[2], 14);
    EXPECT_EQ(settings.CharsetKind, 14);
}

TEST_F(TermTypesTest, ColoursAndSelection) {
    settings.OldScoAnsi = 1;
    ASSERT_TRUE(SetTerminalType("SCOANSI", true));
    EXPECT_EQ(settings.TermOptions3432.Get(), 0);
    EXPECT_EQ(EmulatorState.OldScoColours, 1);
    EXPECT_TRUE(side.applied.SetColours);
    EXPECT_TRUE(side.applied.PcColourMap);
    EXPECT_EQ(side.applied.AttributeMode, 4);
    EXPECT_EQ(0, std::memcmp(side.applied.AttrColorMap, PcColourTable, sizeof PcColourTable));
    EXPECT_EQ(side.applied.AttrSelection, 255);
    EXPECT_TRUE(side.applied.SetDirectAttr);
    EXPECT_EQ(side.applied.DirectAttr, 0x07);
    EXPECT_EQ(EmulatorState.LinuxColour, 0x07);
    EXPECT_TRUE(side.applied.AnsiScreen);
    EXPECT_FALSE(EmulatorState.HostTextAnsi);
    EXPECT_EQ(EmulatorState.WrapStyle, 0);
    EXPECT_TRUE(EmulatorState.EraseInCurrentAttr);

    ASSERT_TRUE(SetTerminalType("LINUX", true));
    EXPECT_EQ(side.applied.AttributeMode, 3);
    EXPECT_EQ(EmulatorState.WrapStyle, 2);  // LINUX keeps the deferred wrap

    // Without colours the selection still points at the console's own entry 0.
    ASSERT_TRUE(SetTerminalType("AT386", false));
    EXPECT_FALSE(side.applied.SetColours);
    EXPECT_EQ(side.applied.DirectAttr, 0x1E);
    EXPECT_FALSE(EmulatorState.EraseInCurrentAttr);

    settings.AttrUnderlineMode = 0;
    settings.TermOptions3432.Set(15);
    ASSERT_TRUE(SetTerminalType("VT220", true));
    EXPECT_EQ(settings.TermOptions3432.Get(), 15);
    EXPECT_TRUE(side.applied.SetColours);
    EXPECT_FALSE(side.applied.PcColourMap);
    EXPECT_EQ(side.applied.AttributeMode, 5);
    EXPECT_EQ(side.applied.AttrColorMap[0], 0x9E);
    EXPECT_EQ(side.applied.AttrColorMap[2],
              0x20 | 0x80);  // background 2 gains its bright bit in mode 0
    EXPECT_EQ(side.applied.AttrSelection, 0);
    EXPECT_FALSE(side.applied.AnsiScreen);
    EXPECT_TRUE(EmulatorState.HostTextAnsi);
    EXPECT_EQ(EmulatorState.WrapStyle, 2);

    ASSERT_TRUE(SetTerminalType("OZMEL", true));  // PC colours but not a PC ANSI type
    EXPECT_FALSE(side.applied.SetColours);
    ASSERT_TRUE(SetTerminalType("N7900", true));
    EXPECT_EQ(side.applied.AttrSelection, 254);
}

TEST_F(TermTypesTest, ResetClearsRecogniserStateAndBuildsItsIndexes) {
    EmulatorState.TwoStepState = 6;
    EmulatorState.SoftFontName.push_back('A');
    EmulatorState.ProtectAttrIndex = 4;
    EmulatorState.C332Mode = true;
    ASSERT_TRUE(SetTerminalType("VT220", true));
    EXPECT_EQ(EmulatorState.TwoStepState, 0);
    EXPECT_TRUE(EmulatorState.SoftFontName.empty());
    EXPECT_EQ(EmulatorState.ProtectAttrIndex, 1);
    EXPECT_TRUE(EmulatorState.C332Mode);  // stays set once set
    EXPECT_EQ(settings.TabStops[1], 9);

    EXPECT_EQ(EmulatorState.FirstEntryOf('H'), 1u);   // ESC [ = H
    EXPECT_EQ(EmulatorState.FirstEntryOf('m'), 23u);  // ESC [ = m
    EXPECT_EQ(EmulatorState.FirstEntryOf('h'), 30u);  // ESC [ ? 7 h
    EXPECT_EQ(EmulatorState.FirstEntryOf('Y'), 133u);
    EXPECT_EQ(EmulatorState.FirstEntryOf('Q'), 1u);  // no control sequence ends in Q
    EXPECT_TRUE(EmulatorState.CsiFinals.Has('m'));
    EXPECT_FALSE(EmulatorState.CsiFinals.Has('Q'));
    EXPECT_FALSE(EmulatorState.OpenFinals.Has('\r'));

    ASSERT_TRUE(SetTerminalType("VIEWPOINT", false));
    EXPECT_EQ(EmulatorState.FirstEntryOf('Y'), 3u);  // by second byte
    EXPECT_EQ(EmulatorState.FirstEntryOf('c'), 24u);
    EXPECT_TRUE(EmulatorState.OpenFinals.Has('\r'));
    EXPECT_TRUE(EmulatorState.OpenFinals.Has('\x19'));
    EXPECT_TRUE(EmulatorState.OpenFinals.Has('\x03'));
    EXPECT_FALSE(EmulatorState.CsiFinals.Has('m'));
    settings.TabStops[1] = 77;
    ASSERT_TRUE(SetTerminalType("N7901", false));  // tab style 0 leaves the stops
    EXPECT_EQ(settings.TabStops[1], 77);
    ASSERT_TRUE(SetTerminalType("C332", false));  // tab style 2 clears them
    EXPECT_EQ(settings.TabStops[1], 0);
}

TEST(TabStops, ResetStyles) {
    std::array<uint8_t, kTabStopCount> stops;
    stops.fill(0xAA);
    ResetTabStops(0, stops);
    EXPECT_EQ(stops[0], 0xAA);
    ResetTabStops(1, stops);
    EXPECT_EQ(stops[0], 1);
    EXPECT_EQ(stops[1], 9);
    EXPECT_EQ(stops[31], 249);
    EXPECT_EQ(stops[32], 1);  // kept in bytes: the list repeats
    EXPECT_EQ(stops[249], 201);
    ResetTabStops(2, stops);
    for (uint8_t s : stops) EXPECT_EQ(s, 0);
}

TEST_F(TermTypesTest, KeySequences) {
    settings.BackspaceChar = 0x7F;
    ASSERT_TRUE(SetTerminalType("VT220", true));
    EXPECT_EQ(Text(TermKeySequence(328)), "\x1b[A");  // normal cursor keys
    EXPECT_EQ(Text(TermKeySequence(331)), "\x1b[D");
    EXPECT_EQ(Text(TermKeySequence(315)), "\x1bOP");  // F1 stays
    EXPECT_EQ(Text(TermKeySequence(324)), "\x1b[21~");
    EXPECT_EQ(Text(TermKeySequence(339)), "\x7f");
    EmulatorState.CursorKeyMode = true;
    EXPECT_EQ(Text(TermKeySequence(328)), "\x1bOA");
    EXPECT_EQ(Text(TermKeySequence(264)), "\x7f");  // the settings' backspace
    EXPECT_EQ(TermKeySequence(259).size(), 1u);
    EXPECT_EQ(TermKeySequence(259)[0], 0);
    EXPECT_EQ(Text(TermKeySequence('a')), "a");
    EXPECT_EQ(Text(TermKeySequence(500)), "\r");  // keypad Enter
    EXPECT_TRUE(TermKeySequence(375).empty());
    EXPECT_TRUE(IsTermKey(320));
    EXPECT_FALSE(IsTermKey(375));

    ASSERT_TRUE(SetTerminalType("WYSE60", true));
    EXPECT_EQ(Text(TermKeySequence(375)), "\x1b{");
    EXPECT_EQ(Text(TermKeySequence(8)), "\x08");
    EXPECT_TRUE(IsTermKey(8));

    ASSERT_TRUE(SetTerminalType("TV965", true));
    EXPECT_EQ(Text(TermKeySequence(336)), "\x16");
    EXPECT_TRUE(TermKeySequence(315).empty());  // nothing of its own for F1
    EXPECT_FALSE(IsTermKey(337));
}

TEST(AttributeWords, ConvertBetweenModes) {
    struct Case {
        uint8_t from, to;
        uint16_t in, out;
    } const cases[] = {
        {0, 5, 0x97, 0x297},  // underline bit 7 moves to bit 9; background 1 becomes bright 9
        {1, 5, 0x97, 0x217},  // mode 1: no bright background
        {2, 5, 0x97, 0x197},  // mode 2: bit 7 is blink
        {3, 0, 0xA4, 0x24},   // blink is lost in a mode that underlines with bit 7
        {5, 2, 0x1F4, 0xF4},  // background 15 cut to 7, blink back into bit 7
        {5, 0, 0x2F4, 0xF4},  // underline back into bit 7
        {4, 5, 0x84, 0x84},   // 0x8x in a 16-background mode is background 8
        {0, 5, 0x84, 0x204},  // but in mode 0 it is underline over background 0
        {5, 4, 0x30F, 0x0F},  // mode 4 has neither blink nor underline
        {2, 2, 0xFFFF, 0xFFFF},
    };
    for (const Case& c : cases) {
        uint16_t map[16] = {};
        map[3] = c.in;
        ConvertAttributeWords(c.from, c.to, map);
        EXPECT_EQ(map[3], c.out) << int(c.from) << "->" << int(c.to) << " " << std::hex << c.in;
    }
}

}  // namespace
}  // namespace emulation
