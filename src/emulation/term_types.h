#pragma once
// The sixteen terminal types, the emulator state that selecting one resets,
// and the key strings of the current type.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "emulation/family_tables.h"

namespace emulation {

struct TermTypeEntry {
    const char* Name;  // compared exactly (case matters)
    const TermFamilyTable* Family;
    uint8_t SgrDialect;       // 0 VT and own types, 1 SCOANSI, 2 AT386, 3 LINUX, 4 non-ANSI types
    uint8_t EmulationFamily;  // 0 VT, 1 own types, 2 SCOANSI, 3 AT386, 4 LINUX, 5 others
    uint8_t PcColours;        // 1: PC colour attributes
    uint8_t Spare;
    const char* DefaultKeysFile;  // may be nullptr
};

inline constexpr size_t kTermTypeCount = 16;
// In menu order, which is also the order FindTermType searches.
extern const TermTypeEntry TermTypeTable[kTermTypeCount];

// The AttrColorMap of the PC-colour ANSI types (SCOANSI, AT386 and LINUX).
extern const uint16_t PcColourTable[16];

// A set of byte values (the recogniser's final-byte sets).
struct ByteSet {
    uint64_t Words[4] = {};
    constexpr bool Has(uint8_t b) const { return (Words[b >> 6] >> (b & 63)) & 1; }
    constexpr void Add(uint8_t b) { Words[b >> 6] |= uint64_t{1} << (b & 63); }
    constexpr void Clear() { Words[0] = Words[1] = Words[2] = Words[3] = 0; }
};

inline constexpr uint8_t kFirstEntryLow = 0x20;
inline constexpr uint8_t kFirstEntryHigh = 0x7E;

// The variables that SetTerminalType resets and that the recogniser, the
// executor and the display path share.
struct EmulatorStateData {
    const TermTypeEntry* CurrentTermType = nullptr;
    const TermFamilyTable* CurrentTermFamily = nullptr;
    uint8_t SgrDialect = 0;
    uint8_t EmulationFamily = 0;

    uint8_t GSlots[4] = {};  // GSetCode of G0..G3
    uint8_t GL = 0;
    uint8_t GR = 0;
    uint32_t GRSlot = 2;
    bool SingleShiftPending = false;
    uint8_t SavedGL = 0;
    uint8_t NationalSlots[4] = {};
    uint32_t NationalExtra = 0;
    uint8_t CharBanks[4] = {};
    ByteText<10> SoftFontName;

    uint8_t WrapStyle = 0;
    bool CursorKeyMode = false;
    uint8_t ProtectAttrIndex = 1;
    bool StreamExtent = true;
    bool EraseInCurrentAttr = false;
    uint8_t OldScoColours = 0;
    bool SgrReverse = false;
    bool SgrBlink = false;
    bool SgrBold = false;
    bool SgrUnderline = false;
    bool SgrDim = false;
    uint8_t LinuxColour = 0;
    uint8_t UnderlineColour = 15;
    uint8_t DimColour = 4;
    bool HostTextAnsi = true;

    // Recogniser state: the pending second step, the C332 VT mode and the
    // indexes built from the current family's sequence table.
    uint8_t TwoStepState = 0;
    bool C332Mode = false;
    ByteSet CsiFinals;
    ByteSet OpenFinals;
    uint32_t FirstEntry[kFirstEntryHigh - kFirstEntryLow + 1] = {};

    uint32_t FirstEntryOf(uint8_t b) const {
        return (b >= kFirstEntryLow && b <= kFirstEntryHigh) ? FirstEntry[b - kFirstEntryLow] : 1;
    }
};

extern EmulatorStateData EmulatorState;
void ResetEmulatorState();

// What a terminal-type change asks of the console and the executor, beyond the
// emulator state and the settings fields it sets itself.
struct TermTypeChange {
    const TermTypeEntry* Type = nullptr;
    // New attribute mode (SetAttributeMode) and colour map; with PcColourMap also
    // the status-line attribute bytes from map entries 4, 5 and 0.
    bool SetColours = false;
    bool PcColourMap = false;
    uint8_t AttributeMode = 0;
    uint16_t AttrColorMap[16] = {};
    // AttrSelection, also for the saved cursor state; DirectAttr when asked.
    uint8_t AttrSelection = 0;
    bool SetDirectAttr = false;
    uint16_t DirectAttr = 0;
    // SCOANSI, AT386 and LINUX: apply the geometry "80x25" when the console has
    // fewer than 26 rows; all other types: ScreenRows := total rows - 1.
    bool AnsiScreen = false;
};

// The console side of SetTerminalType and TermKeySequence. Apply also ends
// the quiet line, resets margins and modes, rebuilds the title line and
// repaints the window (SetTerminalType itself turns the console's protect
// mode and protected fields off).
class TermTypeConsole {
  public:
    virtual void ReadColourMap(uint16_t (&map)[16]) = 0;
    virtual void Apply(const TermTypeChange& change) = 0;
    virtual uint16_t NormalizeKeyCode(uint16_t key) = 0;

  protected:
    ~TermTypeConsole() = default;
};

// nullptr restores the built-in console side, which has an all-zero colour
// map, applies nothing and leaves key codes as they are.
void SetTermTypeConsole(TermTypeConsole* console);

const TermTypeEntry* FindTermType(std::string_view name);
// The type's DefaultKeysFile, or its name followed by ".KYS" when it has none.
std::string TermDefaultKeysFile(const TermTypeEntry& type);
bool SetTerminalType(std::string_view name, bool applyColours);
void ConvertAttributeWords(uint8_t fromMode, uint8_t toMode, uint16_t (&map)[16]);
ByteText<10> TermKeySequence(uint16_t key);
bool IsTermKey(uint16_t key);

// Tab stops at reset by a family's TabStyle: 1 every eight columns (kept in
// bytes, so the list wraps after column 249), 2 none, 0 unchanged.
inline constexpr size_t kTabStopCount = 250;
void ResetTabStops(uint8_t tabStyle, std::array<uint8_t, kTabStopCount>& stops);

}  // namespace emulation
