#pragma once
// The sixteen terminal types, selecting one (which resets the emulator state
// of emulator_state.h), and the key strings of the current type.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "emulation/types/emulator_state.h"
#include "emulation/types/family_tables.h"
#include "emulation/operations/tab_stops.h"

namespace emulation {

struct TermTypeEntry {
    const char* Name;  // compared exactly (case matters)
    const TermFamilyTable* Family;
    SgrDialectCode SgrDialect;
    EmulationFamilyCode EmulationFamily;
    uint8_t PcColours;        // 1: PC colour attributes
    uint8_t Spare;
    const char* DefaultKeysFile;  // may be nullptr
};

inline constexpr size_t kTermTypeCount = 16;
// In menu order, which is also the order FindTermType searches.
extern const TermTypeEntry TermTypeTable[kTermTypeCount];

// The AttrColorMap of the PC-colour ANSI types (SCOANSI, AT386 and LINUX).
extern const uint16_t PcColourTable[16];

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
// the quiet line and 8-bit replies, resets margins and modes, rebuilds the
// title line and repaints the window (SetTerminalType itself turns the
// console's protect mode and protected fields off).
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

}  // namespace emulation
