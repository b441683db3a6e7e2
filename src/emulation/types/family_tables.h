#pragma once
// The six terminal family tables: control-byte operations, key strings and
// the escape-sequence vocabulary that the recogniser matches in table order.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "commands/gset_code.h"

namespace emulation {

// Terminal operation code produced by the recogniser (0..324 run an operation).
using TermOp = uint16_t;
inline constexpr TermOp kTermOpIgnore = 325;    // recognised and ignored
inline constexpr TermOp kTermOpSequence = 326;  // ControlOps: the byte begins a sequence

// A short byte string of fixed capacity (the String[N] fields of the tables).
// Built from string literals at compile time; a literal that does not fit
// fails to compile.
template <size_t N>
struct ByteText {
    uint8_t Length = 0;
    uint8_t Bytes[N] = {};

    constexpr ByteText() = default;
    template <size_t M>
    consteval ByteText(const char (&text)[M]) {  // NOLINT(google-explicit-constructor)
        if (M - 1 > N) throw "byte text longer than its capacity";
        for (size_t i = 0; i + 1 < M; ++i) Bytes[i] = static_cast<uint8_t>(text[i]);
        Length = static_cast<uint8_t>(M - 1);
    }

    static constexpr size_t Capacity() { return N; }
    constexpr size_t size() const { return Length; }
    constexpr bool empty() const { return Length == 0; }
    constexpr uint8_t operator[](size_t i) const { return Bytes[i]; }
    constexpr uint8_t& operator[](size_t i) { return Bytes[i]; }
    constexpr const uint8_t* data() const { return Bytes; }
    constexpr void clear() { Length = 0; }
    // Appends when there is room; false when the text is full.
    constexpr bool push_back(uint8_t b) {
        if (Length >= N) return false;
        Bytes[Length++] = b;
        return true;
    }
    constexpr void assign(const uint8_t* bytes, size_t length) {
        Length = static_cast<uint8_t>(length < N ? length : N);
        for (size_t i = 0; i < Length; ++i) Bytes[i] = bytes[i];
    }
    std::string_view view() const { return {reinterpret_cast<const char*>(Bytes), Length}; }
    friend constexpr bool operator==(const ByteText& a, const ByteText& b) {
        if (a.Length != b.Length) return false;
        for (size_t i = 0; i < a.Length; ++i)
            if (a.Bytes[i] != b.Bytes[i]) return false;
        return true;
    }
};

// How the bytes after an entry's sequence are read (TermSeqEntry::Kind).
enum TermSeqKind : uint8_t {
    kSeqExact = 0,          // the sequence alone, no parameters
    kSeqRawBytes = 1,       // Count raw bytes, value = byte + Bias
    kSeqLowBits = 2,        // Count bytes, value = (byte AND 0x1F) + Bias
    kSeqPackedDecimal = 3,  // Count packed-decimal bytes + Bias
    kSeqNumbers = 4,        // Count decimal numbers, each ended by one byte
    kSeqParamList = 5,      // decimal list ended by the entry's last byte; absent ones take Bias
    kSeqWhole = 6,          // like 1, but only once the whole sequence has arrived
    kSeqOpenString = 7,     // the sequence minus its last byte opens a string ended by that byte
};

struct TermSeqEntry {
    TermOp Op;
    ByteText<8> Seq;
    TermSeqKind Kind;
    uint8_t Count;  // number of parameters (at most 10)
    int8_t Bias;    // added to raw parameter bytes; default of absent decimal parameters
};

struct TermKeyEntry {
    uint16_t KeyCode;
    ByteText<5> Text;
};

// Where a write past the last column leaves the cursor (a family's WrapStyle at
// reset, and the emulator's WrapStyle byte).
enum WrapStyleCode : uint8_t {
    kWrapAtOnce = 0,    // on the next line at once
    kWrapStay = 1,      // on the last column
    kWrapDeferred = 2,  // past the last column until the next character wraps it
};

// How a family's attribute bytes apply.
enum AttrModeCode : uint8_t {
    kAttrEmbeddedMarks = 0,     // as field marks embedded in the screen
    kAttrCurrentSelection = 1,  // to the current selection
};

// What a terminal-type change does with the settings' tab stops.
enum TabStyleCode : uint8_t {
    kTabsUnchanged = 0,
    kTabsEvery8 = 1,  // a stop every eight columns
    kTabsNone = 2,
};

inline constexpr size_t kFamilyKeySlots = 20;
inline constexpr size_t kMaxSeqCount = 255;

struct TermFamilyTable {
    std::string_view Name;
    uint8_t CsiSequences;  // ESC [ begins a control sequence read ahead to its final byte
    char ParamSeparator;   // ';' in the CSI families, NUL otherwise
    WrapStyleCode WrapStyle;  // at reset
    AttrModeCode AttrMode;
    uint8_t AttrMasks[7];  // attribute byte bit standing for normalised bit 0..6
    commands::GSetCode G0Default;  // the sets in G0 and G1 at reset
    commands::GSetCode G1Default;
    uint8_t EightBit;
    ByteText<18> DeviceAttributes;
    uint8_t TabStyle;           // a TabStyleCode
    uint8_t ColumnChangeClear;  // written at run time by two Wyse operations
    TermOp ControlOps[32];
    uint8_t KeyCount;
    TermKeyEntry Keys[kFamilyKeySlots];
    uint32_t SeqCount;
    const TermSeqEntry* SeqTable;
};

// The family tables. They are constant-initialised but writable, because
// ColumnChangeClear changes at run time.
extern TermFamilyTable FamilyN7900;
extern TermFamilyTable FamilyViewpoint;
extern TermFamilyTable FamilyWyse60;
extern TermFamilyTable FamilyC332;
extern TermFamilyTable FamilyVt220;
extern TermFamilyTable FamilyTv965;

inline constexpr size_t kTermFamilyCount = 6;
// In the order N7900, VIEWPOINT, WYSE60, C332, VT220, TV965.
extern TermFamilyTable* const TermFamilies[kTermFamilyCount];

// Puts every family's ColumnChangeClear back to its value at start.
void ResetFamilyTables();

}  // namespace emulation
