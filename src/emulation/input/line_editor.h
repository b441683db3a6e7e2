#pragma once
// The local line editor: one line of text read from the keyboard (or a
// playing macro) at the cursor, for the local command line and the prompts
// that take a command. It edits in insert or overtype mode, steps over
// multibyte characters, keeps named keys as tokens so that a DEFINE line can
// name any key, runs a nested command and takes in its reply, and lets the
// user pick a screen rectangle with the arrow keys.
//
// The edited text is UTF-8; a key code of 256 or more is held as two bytes,
// 0 and the code's low byte (the form key definitions use).

#include <cstdint>
#include <string>

namespace emulation {

struct EditedLine {
    std::string Text;
    // The key a line beginning with "DEFINE " names (its ninth byte on); 0
    // when the line names none.
    uint16_t DefineKey = 0;
};

// Edits from the cursor column to rightColumn (the last four columns stay
// free) on the cursor row. Keys come through the macro player when useMacro
// is set. Enter ends the edit; with escapeReturns Esc ends it with the
// one-character text ESC.
EditedLine EditLine(bool useMacro, bool escapeReturns, int32_t rightColumn);

// The rectangle picker: both corners start at the screen's centre, the
// arrow keys move the active one (F7 swaps), Home/End and PgUp/PgDn jump to
// the edges. Enter gives "left right top bottom"; Esc gives an empty text.
std::string SelectRectangleByKeys(bool useMacro);

}  // namespace emulation
