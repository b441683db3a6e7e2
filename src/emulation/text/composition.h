#pragma once
// Character composition: a base letter and combining marks become one
// character and back, so that every screen cell holds one 16-bit character.
// Precomposed Unicode characters are used where they exist, 100 private-use
// composites (U+E801 on) for library pairs Unicode lacks, and a list of
// further sequences kept for the run (U+E900 + index).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace emulation {

inline constexpr char16_t kNoComposition = 0xFFFF;
inline constexpr char16_t kFirstPrivateComposite = 0xE801;
inline constexpr char16_t kFirstComposedSequence = 0xE900;
// The list's codes end where the private area this program reserves ends.
inline constexpr size_t kMaxComposedSequences = 0xF000 - kFirstComposedSequence;

struct DecompositionEntry {
    char16_t Composed;
    char16_t Base;
    char16_t Mark1;
    char16_t Mark2;  // 0: none
};

// The entries of the precomposed characters, sorted by precomposed character.
std::basic_string_view<DecompositionEntry> DecompositionTable();

// Base character and marks of ch: a private code's sequence (decomposed
// further while it begins with another private code), a precomposed
// character's base and marks, or ch itself.
std::u16string DecomposeChar(char16_t ch);

// The one character for a base followed by marks: a precomposed character,
// else with allowPrivate a private composite or the sequence's code in the
// run's list (added when new); kNoComposition when there is none.
char16_t ComposeChars(std::u16string_view sequence, bool allowPrivate);

// The spacing form of a combining mark or the combining mark of a spacing
// form; 0xFFFF when the character has no partner.
char16_t DiacriticPartner(char16_t ch);

// Empties the run's list of composed sequences.
void ResetComposedSequences();

}  // namespace emulation
