#pragma once
// The character information dialog ("CHARINFO"): the character at the
// cursor with its Unicode value, name and position, and a large picture of
// it. Names come from a table in the program's character name format.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ui/dialogs/dialog_model.h"

namespace ui {

// Names read from text in the character name format: "#" comments, lines
// whose first byte (128 or above) defines that byte as the rest of the line,
// and "hex;name" lines whose bytes of 128 or above are replaced by their
// definitions. A line without ";" is skipped.
class CharacterNames {
  public:
    explicit CharacterNames(std::string_view text);
    std::string Name(uint32_t code) const;  // empty when unknown

  private:
    std::unordered_map<uint32_t, std::string> names_;
};

// The name of a 16-bit character from the program's own table; ideographs
// and Hangul syllables are named from their code. Empty when unknown.
std::string UnicodeName(char16_t code);

// The information text of a character at a (1-based) cursor position.
std::string CharInfoText(char16_t ch, int32_t row, int32_t column);
// The character at a (1-based) screen position; on a right-to-left row shown
// reordered, the logical character displayed at that column.
char16_t LogicalCharAt(int32_t row, int32_t column);

std::unique_ptr<DialogModel> MakeCharInfoDialog(std::string_view templateName);

}  // namespace ui
