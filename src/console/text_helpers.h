#pragma once
// Helpers on short strings (bytes of the ANSI code page), hexadecimal and decimal text, and byte
// and word buffers. They keep no state.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace console {

// "0".."9" for 0..9, "A".."F" for 10..15 (value + 55).
char HexDigitChar(uint8_t value);
// Two upper-case digits, high nibble first.
std::string ByteToHex(uint8_t value);
// "0".."9" give 0..9; any other character is upper-cased and 55 subtracted (no check).
int HexDigitValue(char c);
// value x 16 + digit for each character, in 32 bits, no check; empty gives 0.
int32_t HexStrToInt(std::string_view text);
// The bytes from the last to the first in hexadecimal (a little-endian number reads as its value),
// cut to 8 digits.
std::string BytesToHex(std::span<const uint8_t> bytes);

inline int32_t IntMin(int32_t a, int32_t b) {
    return a < b ? a : b;
}
inline int32_t LongMin(int32_t a, int32_t b) {
    return IntMin(a, b);
}
inline int32_t IntMax(int32_t a, int32_t b) {
    return a > b ? a : b;
}
inline int32_t LongMax(int32_t a, int32_t b) {
    return IntMax(a, b);
}

std::string UpCaseStr(std::string_view text);
std::string LowCaseStr(std::string_view text);
void UpCaseCopy(std::string_view source, std::string& destination);
// True when every character is "0".."9" (also for the empty text).
bool IsAllDigits(std::string_view text);

// Decimal text. Never cut inside the number: the 11 characters of the smallest values stay whole.
std::string IntToShortStr(int32_t value);
// Decimal text right-aligned with blanks in width (padding up to 10 characters in all).
std::string IntToStrWidth(int32_t value, int width);
// Right-aligned in width; with zeroFill the leading blanks become "0" (the sign stays after them).
std::string IntToStrZeroPad(int32_t value, int width, bool zeroFill);
// Fixed-point text without trailing fraction zeros and leading blanks; "2." becomes "2.0".
std::string RealToStrTrim(double value, int width, int decimals);
// The integer part as 8 hexadecimal digits, ".", the fraction x 2^28 as 7 digits, then trimmed.
std::string RealToHex(double value);
// Appends blanks up to the length.
std::string PadWithBlanks(std::string_view text, size_t length);

// Index of the first occurrence; the size when absent.
size_t ScanByte(std::span<const uint8_t> buffer, uint8_t value);
// Index of the first byte greater than the value; the size + 1 when none.
size_t FindByteAbove(std::span<const uint8_t> buffer, uint8_t value);
// Index of the first word different from the value; the size when all are equal.
size_t CountLeadingWords(std::span<const uint16_t> buffer, uint16_t value);
// The size less the number of trailing words equal to the value.
size_t TrimmedWordLength(std::span<const uint16_t> buffer, uint16_t value);
// 1-based position of the first differing byte within the shorter length; that length + 1 when
// equal.
size_t FirstDifference(std::span<const uint8_t> a, std::span<const uint8_t> b);
// 1 when a is greater at the first difference (unsigned), -1 when smaller, 0 when equal or empty.
int CompareBytes(std::span<const uint8_t> a, std::span<const uint8_t> b);
inline bool ByteInRange(uint8_t value, uint8_t lo, uint8_t hi) {
    return lo <= value && value <= hi;
}

}  // namespace console
