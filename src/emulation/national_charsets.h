#pragma once
// National replacement sets: twelve ASCII positions that a national set shows
// as its own letters (the host sends "[" and a German user sees A with
// diaeresis). Sets are numbered 1 to 12 as the settings' CharsetMode holds
// them; 0 is none.

#include <cstdint>
#include <span>

namespace emulation {

inline constexpr uint8_t kNationalSetCount = 13;

// Replaces each of the twelve national positions in bytes by the set's
// character and returns the code page the result is in (1250 for SLOVENIAN,
// else 1252). A set number past the table changes nothing.
uint32_t DecodeNationalChars(std::span<uint8_t> bytes, uint8_t set);

}  // namespace emulation
