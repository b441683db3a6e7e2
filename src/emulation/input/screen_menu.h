#pragma once
// The menu drawn on the screen: its items are text already shown inside a
// rectangle, in one or more columns side by side; the keys move a highlight
// over them and Enter picks one.

#include <cstdint>
#include <string>

namespace emulation {

struct ScreenMenuLayout {
    // The first column's area, 1-based and inclusive.
    int32_t Left = 0;
    int32_t Right = 0;
    int32_t Top = 0;
    int32_t Bottom = 0;
    // Columns of items; column n (from 0) starts at Left + n * (Right - Left).
    int32_t Columns = 1;
    // An item's text: ItemWidth cells from ItemOffset cells into its column.
    int32_t ItemWidth = 1;
    int32_t ItemOffset = 0;
    // The longest text the choice takes.
    int32_t ChoiceCapacity = 255;
    // PgUp and PgDn end the menu with the choice 1 and "I" or 1 and "Q"
    // instead of moving to the top or the bottom row.
    bool PageKeysReturn = false;
};

// Runs the menu until Enter (the item's text, leading blanks removed), Esc
// (the choice ESC) or a character (typed ahead for the keyboard; the choice
// is empty). False, with nothing drawn, when the area is empty or the
// columns would start past the screen's width.
bool ScreenMenuSelect(const ScreenMenuLayout& layout, std::string& choice);

}  // namespace emulation
