#pragma once
// Received characters through the G sets: the byte-to-character mapping of
// every GSetCode, the display step with its single-shift and wrap rules, and
// the upper-half conversion the receive loop uses for runs.

#include <cstdint>

namespace emulation {

struct RangeTable {
    uint8_t First;
    uint8_t Last;
    const char16_t* Values;  // one per byte from First to Last
};

char16_t MapRangeTable(const RangeTable& table, uint8_t byte, char16_t fallback);

// The character of byte (below 128) in the set (a GSetCode); 0 where the set
// has none (sixel data, NUL in the line-drawing set).
char16_t ByteToUnicode(uint8_t byte, uint8_t set);

// For the sets that convert through one single-byte code page: the byte and
// code page, true. The control pictures give a blank. Others: false, byte +
// 0x80 and 437.
bool GrByteCodePage(uint8_t byte, uint8_t set, uint8_t& outByte, uint32_t& codePage);

// True when the byte shows no character through GL (below 128) or GR:
// sixel data, or a set that maps it to nothing. Such a byte makes no room
// in insert mode.
bool ShowsNoCharacter(uint8_t byte);

// Shows a received byte count times through GL (below 128) or GR.
void DisplayHostChar(uint8_t byte, int32_t count, bool capture);

// Ends a single shift after the character it covered: G0 is back in GL.
void ReturnFromSingleShift();

// Applies WrapStyle to a cursor that a write left past the last column.
void WrapAfterWrite();

// Steps a cursor that a write left one past the last column back onto it.
void StayOnLastColumn();

// A deferred wrap waiting at the end of the line happens before the next
// character, as for received text.
void WrapPendingBeforeChar();

// Writes a byte as one character through the G sets, as a received character
// is written (insert mode makes room), but never runs it as a control.
void ShowHostByte(uint8_t byte);

// Writes one character decoded from a multibyte code page (operation 262);
// wide adds one filler cell (263).
void DisplayMultibyteChar(char16_t ch, bool wide);

}  // namespace emulation
