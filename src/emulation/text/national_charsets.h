#pragma once
// National replacement sets: twelve ASCII positions that a national set shows
// as its own letters (the host sends "[" and a German user sees A with
// diaeresis). Sets are numbered 1 to 12 as the settings' CharsetMode holds
// them; 0 is none.

#include <cstdint>
#include <span>

namespace emulation {

// The sets by number, in the order of the national names of CharsetNameTable.
enum NationalSetCode : uint8_t {
    kNationalNone = 0,
    kNationalUk = 1,
    kNationalFinnish = 2,
    kNationalFrench = 3,
    kNationalCanadian = 4,
    kNationalGerman = 5,
    kNationalItalian = 6,
    kNationalSwedish = 7,
    kNationalSpanish = 8,
    kNationalNorwegian = 9,
    kNationalSwiss = 10,
    kNationalSlovenian = 11,
    kNationalJapanese = 12,
};
inline constexpr uint8_t kNationalSetCount = 13;

// Replaces each of the twelve national positions in bytes by the set's
// character and returns the code page the result is in (1250 for SLOVENIAN,
// else 1252). A set number past the table changes nothing.
uint32_t DecodeNationalChars(std::span<uint8_t> bytes, uint8_t set);

// The inverse for text sent to the host: each of the set's twelve characters
// becomes the ASCII position it stands on. oem: the text is in the OEM code
// page (437, SLOVENIAN 852), else in the set's ANSI page.
void EncodeNationalChars(std::span<uint8_t> bytes, bool oem, uint8_t set);

// The same for one Unicode character: the ASCII position of the set that
// shows it, or the character itself.
char16_t EncodeNationalWide(char16_t ch, uint8_t set);

}  // namespace emulation
