#pragma once
// The emulator state that selecting a terminal type resets, shared by the
// recogniser, the executor and the display path.

#include <cstddef>
#include <cstdint>

#include "commands/gset_code.h"
#include "emulation/types/family_tables.h"

namespace emulation {

struct TermTypeEntry;

// Which SGR values a type reads and how.
enum SgrDialectCode : uint8_t {
    kSgrVt = 0,  // the VT types and the program's own
    kSgrScoAnsi = 1,
    kSgrAt386 = 2,
    kSgrLinux = 3,
    kSgrNonAnsi = 4,  // the types that are no ANSI terminals
};

// The group of types whose sequences and resets behave alike.
enum EmulationFamilyCode : uint8_t {
    kEmulationVt = 0,
    kEmulationOwn = 1,  // the program's own types
    kEmulationScoAnsi = 2,
    kEmulationAt386 = 3,
    kEmulationLinux = 4,
    kEmulationOther = 5,  // the types that are no ANSI terminals
};

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
    uint8_t SgrDialect = 0;       // an SgrDialectCode
    uint8_t EmulationFamily = 0;  // an EmulationFamilyCode

    // The sets as GSetCode bytes: designated as G0..G3, in GL and GR, GL kept
    // while sixel data arrives, and the four Wyse banks.
    uint8_t GSlots[4] = {};
    uint8_t GL = commands::kGSetAscii;
    uint8_t GR = commands::kGSetAscii;
    uint32_t GRSlot = 2;
    bool SingleShiftPending = false;
    uint8_t SavedGL = commands::kGSetAscii;
    uint8_t NationalSlots[4] = {};  // NationalSetCode of G0..G3
    uint32_t NationalExtra = 0;
    uint8_t CharBanks[4] = {};
    ByteText<10> SoftFontName;

    uint8_t WrapStyle = kWrapAtOnce;  // a WrapStyleCode
    bool CursorKeyMode = false;
    // Line feed/new line mode: a received line feed also returns the carriage
    // and the Enter key sends CR LF.
    bool NewLineMode = false;
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

}  // namespace emulation
