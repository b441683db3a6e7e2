#pragma once
// The protected-field primitives of the console layer: erasing only the cells
// no field protects, and moving the cursor off protected cells and between
// fields. Fields live in the flags byte of every ring cell (kCellProtected,
// kCellFieldStart).

#include <cstdint>
#include <span>

namespace console {

// The areas EraseUnprotected covers, counted from the cursor.
enum class UnprotectedArea : uint8_t {
    ToLineEnd = 0,
    FromLineStart = 1,
    WholeLine = 2,
    ToScreenEnd = 3,
    FromScreenStart = 4,
    WholeScreen = 5,
    ToFieldEnd = 6,  // to the line end, stopping at the first protected cell
};

// How SetFieldAttr treats the protection of the field it marks.
enum class FieldProtection : uint8_t {
    Unprotected = 0,
    Protected = 1,
    Keep = 2,  // cells keep their flags; protected ones take the protect colour
};

// Makes the cursor cell a field mark (written as one blank, the cursor
// advancing) and colours the cells after it up to the next field mark or the
// end of the last text row in colour-map entry colour (255: DirectAttr).
void SetFieldAttr(uint8_t colour, FieldProtection protection);

// Gives every cell of the area that is neither protected nor a field mark the
// character ch, flags 0 and, with resetColour, colour-map entry 0; the cursor
// stays. Modes above 6 erase nothing.
void EraseUnprotected(uint8_t mode, bool resetColour, char16_t ch);
// Moves the cursor off protected cells: backward to the left (and up a row,
// stopping at row 1 column 1) or forward in reading order (stopping where it
// would wrap to row 1 column 1).
void SkipProtected(bool backward);
// Moves the cursor to the cell after the next unprotected field mark, or with
// useTabs to the next stop of tabStops when that comes first; without either
// to the last column of the last row.
void TabField(bool useTabs, std::span<const uint8_t> tabStops);

}  // namespace console
