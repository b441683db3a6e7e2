#pragma once
// Glyph drawing on a GDI device context: the platform side of the glyph
// fallback (fonts made, measured and drawn through GDI), and a run of cells
// drawn with the screen font where it has the characters and through the
// fallback where it lacks them.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "console/glyphs/font_tables.h"
#include "console/glyphs/glyph_fallback.h"

namespace console {

// The coverage of the font selected in dc: its character map, or for a font
// without one (a raster font) the characters of its character set's code page.
bool ReadFontRanges(HDC dc, UnicodeRangeTable& ranges);

// Cells of one attribute from the box's top left, one advance per cell, clipped
// to the box; opaque fills the box with the background first.
void DrawCellText(HDC dc, const RECT& box, const char16_t* text, int32_t count,
                  const int32_t* advances, COLORREF foreground, COLORREF background, bool opaque);

// One cell drawn from up to ten code units (a base and its marks) through the
// fallback; the screen font must be selected in dc.
void DrawGlyphCell(HDC dc, const char16_t* chars, int32_t count, const RECT& cell,
                   COLORREF foreground, COLORREF background, bool opaque);

// The screen's fallback fonts and the coverage of the screen font, read once per font.
struct ScreenGlyphState {
    FontBank Fallbacks;
    std::shared_ptr<const UnicodeRangeTable> CellRanges;
    HGDIOBJ RangesOf = nullptr;
    bool AsciiCovered = false;
};
extern ScreenGlyphState ScreenGlyphs;
// The coverage of the font selected in dc, kept while that font stays the same.
const UnicodeRangeTable* ScreenFontRanges(HDC dc);
// The screen font changed: its coverage is read again.
void ForgetScreenFontRanges();
// Deletes the fallback fonts (they are made again to fit the new cell).
void FreeFallbackFonts();
// Rebuilds the screen's fallback list from "|"-separated faces.
void ParseScreenFallbackFonts(std::string_view list);

// How the last cell drawn through the fallback was drawn: face names, "internal
// bitmap" or "NOT FOUND".
extern std::string GlyphSourceText;

}  // namespace console
