#pragma once
// The program's own glyphs for a few marks and blocks fonts often lack, and the
// not-found glyph (U+E8BC), as monochrome bitmaps of 10 x 20 pixels that are
// stretched over a cell.

#include "console/window_paint.h"

namespace console {

inline constexpr char16_t kNotFoundGlyphCode = 0xE8BC;

// The glyph for ch; nullptr when the program has none.
const MonoGlyph* InternalGlyph(char16_t ch);

}  // namespace console
