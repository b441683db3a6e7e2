#pragma once
// Which characters a font covers: range tables read from a TrueType font's
// character map, the fixed character sets the glyph drawing decides by, and
// the look-alikes drawn when no font has a character. Portable: the platform
// hands over the font's bytes.

#include <cstdint>
#include <span>
#include <vector>

namespace console {

// Inclusive range of UTF-16 code units.
struct UnicodeRange {
    char16_t First = 0;
    char16_t Last = 0;
    bool operator==(const UnicodeRange&) const = default;
};
// Ranges in ascending order, as a font's coverage.
using UnicodeRangeTable = std::vector<UnicodeRange>;

// True when a range of the ascending set holds ch.
bool InRangeSet(char16_t ch, std::span<const UnicodeRange> set);
// True when a range of the table holds ch; false for no table.
bool RangeTableContains(char16_t ch, const UnicodeRangeTable* table);

// The fixed sets of the glyph drawing.
std::span<const UnicodeRange> CombiningMarkSet();
std::span<const UnicodeRange> BlankLikeSet();
std::span<const UnicodeRange> MarksAboveSet();
std::span<const UnicodeRange> MarksBelowSet();
std::span<const UnicodeRange> AmbiguousWidthSet();
// Entry 0 or 1 by the screen option that widens the circled forms.
std::span<const UnicodeRange> DoubleWidthSet(int entry);
// U+25xx or a combining mark.
bool IsBoxOrCombining(char16_t ch);

// Tag of an sfnt table, four letters big-endian ("cmap").
constexpr uint32_t FontTag(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8 | static_cast<uint8_t>(d);
}
// The bytes of one table of a whole font file (the first font of a collection);
// empty when the file has no such table or its record points outside the file.
std::span<const uint8_t> FindFontTable(std::span<const uint8_t> file, uint32_t tag);

// The coverage of a character map (the "cmap" table's bytes): one range per
// segment of its Windows Unicode (3/1) format-4 subtable, the final 0xFFFF
// segment included. False, with the table emptied, when there is no such
// subtable or it does not fit in the bytes given.
bool ReadCmapRanges(std::span<const uint8_t> cmap, UnicodeRangeTable& ranges);
// The glyph index of ch by the same subtable; 0 when absent.
uint16_t CmapGlyphIndex(std::span<const uint8_t> cmap, char16_t ch);

// A look-alike for a character no font has (superscript digits as digits and the like).
bool SubstituteGlyph(char16_t ch, char16_t& substitute);
// The modifier-letter quotes as the quotation marks.
bool SubstituteQuoteMark(char16_t ch, char16_t& substitute);

}  // namespace console
