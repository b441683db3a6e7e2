#pragma once
// Drawing one character cell whose characters the cell font may lack: the
// fallback-font list, the automatic search for a font by script, the
// decomposition of composite characters, the stacking of combining marks in
// the cell, the look-alikes and the not-found glyph. The decisions are
// portable; the platform measures and draws through a GlyphDevice.

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/glyphs/font_tables.h"

namespace console {

// One entry of a fallback-font list.
struct FontItem {
    std::string Name;  // "AUTO" in any case searches the installed fonts
    bool Disabled = false;
    uintptr_t Font = 0;  // the platform's font, made on first use; 0 = not yet
    // The font's coverage, read on first use (empty when the font has no usable
    // character map); shared, so that a table in use outlives the list's growth.
    std::shared_ptr<const UnicodeRangeTable> Ranges;
};

// A fallback-font list and what it has learnt.
struct FontBank {
    std::vector<FontItem> Items;
    // Characters for which no font of the list (nor the automatic search)
    // had a glyph, with and without the narrow check: they are not searched
    // again until the list or the cell font changes.
    std::bitset<0x10000> NoFontNarrow;
    std::bitset<0x10000> NoFontAny;
    // The list item (its index plus one) that drew a character, with and
    // without the narrow check, for the cell width below: a screen repaints
    // the same characters over and over, and the item is taken again without
    // measuring its glyph. Forgotten with the characters no font had.
    std::vector<uint8_t> FoundNarrow;
    std::vector<uint8_t> FoundAny;
    int32_t FoundCellWidth = 0;
};

// Rebuilds the list from "|"-separated face names ("-" before a name disables it).
void ParseFontList(FontBank& bank, std::string_view text);
void AddFontListEntry(FontBank& bank, std::string_view name);
// Forgets the characters no font had (the cell font or the list changed).
void ForgetMissingCharacters(FontBank& bank);
bool IsAutoItem(const FontItem& item);

// The measured box of a glyph in the selected font, in pixels as the
// platform's glyph metrics give it: origin y is the ink's top above the baseline.
struct GlyphBox {
    int32_t BlackBoxX = 0;
    int32_t BlackBoxY = 0;
    int32_t OriginX = 0;
    int32_t OriginY = 0;
};
// An empty glyph (a 1 x 1 box at the origin) or one reaching further below the
// baseline than the font's descent.
bool GlyphLooksMissing(const GlyphBox& box, int32_t descent);

// Where the marks already drawn in a cell lie (cell rows, bottom exclusive).
struct MarkStack {
    int32_t Top = 0;
    int32_t Bottom = 0;
};
// The top row a mark of ch drawn with its ink from top to top + height is moved
// to, so that it stacks above or below what the cell holds and stays inside it;
// updates the stack.
int32_t StackMark(char16_t ch, int32_t top, int32_t height, int32_t cellHeight, MarkStack& stack);

// The most code units one cell is drawn from.
inline constexpr int32_t kMaxCellCodeUnits = 10;
// Base character and marks (the character itself when it has none).
using DecomposeFunction = std::u16string (*)(char16_t ch);
// Replaces the first character by its decomposition while it is a composite
// glyph or the cell font lacks it; never more than kMaxCellCodeUnits code units
// and never more rounds than that (a table that maps two characters to each
// other ends). Returns the new count.
int32_t DecomposeCell(char16_t* chars, int32_t count, const UnicodeRangeTable* cellRanges,
                      DecomposeFunction decompose);

// What the glyph drawing needs of the platform: the font selected in its
// device, making fonts, measuring and drawing.
class GlyphDevice {
  public:
    virtual ~GlyphDevice() = default;
    virtual uintptr_t SelectedFont() = 0;
    virtual void SelectFont(uintptr_t font) = 0;
    // A font of the face no larger than the cell font; 0 when none can be made.
    virtual uintptr_t MakeFallbackFont(const std::string& face) = 0;
    virtual void DeleteFont(uintptr_t font) = 0;
    // Face name of the selected font.
    virtual std::string FaceName() = 0;
    // Coverage of the selected font; false when it has no usable character map.
    virtual bool ReadRanges(UnicodeRangeTable& ranges) = 0;
    virtual int32_t Ascent() = 0;
    virtual int32_t Descent() = 0;
    // Box of ch in the selected font; false when it cannot be had.
    virtual bool MeasureGlyph(char16_t ch, GlyphBox& box) = 0;
    virtual int32_t CharWidth(char16_t ch) = 0;
    // ch in the selected font, its cell top left at (x, y), background untouched.
    virtual void DrawChar(char16_t ch, int32_t x, int32_t y) = 0;
    // The program's own glyph for ch stretched over the cell; false when it has none.
    virtual bool DrawInternalGlyph(char16_t ch, int32_t left, int32_t top, int32_t width,
                                   int32_t height) = 0;
    virtual void FillCell(int32_t left, int32_t top, int32_t width, int32_t height) = 0;
    // The first installed family of the charset and pitch that accept() takes.
    virtual std::string FindFamily(uint8_t charset, bool fixedPitch,
                                   const std::function<bool(std::string_view)>& accept) = 0;
};

// True when the item's font exists (made now if needed) and its ranges are known.
bool LoadFallbackFont(GlyphDevice& device, FontItem& item);
// Searches the installed fonts for ch by script; a face found takes the "AUTO"
// item's place and a new "AUTO" item follows it. mode: 0 fixed pitch, 1 fixed
// then proportional, 2 proportional, 3 proportional then fixed.
bool FindFontForChar(GlyphDevice& device, char16_t ch, FontBank& bank, int mode);
// Selects the first list font that covers chars and draws chars[0] narrow enough
// when the narrow check applies; returns its ranges, or nullptr with the font that
// was selected before selected again.
const UnicodeRangeTable* SelectFallbackFont(GlyphDevice& device, const char16_t* chars,
                                            int32_t count, bool narrowCheck, int32_t cellWidth,
                                            int mode, FontBank& bank);

struct GlyphCell {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool Opaque = true;
};
// Draws one cell from up to kMaxCellCodeUnits code units; cellRanges is the cell
// font's coverage. Leaves in source how each code unit was drawn (face names
// separated by ", ", "internal bitmap", "NOT FOUND").
void DrawGlyph(GlyphDevice& device, const char16_t* chars, int32_t count, int mode, FontBank& bank,
               const UnicodeRangeTable* cellRanges, const GlyphCell& cell,
               std::string* source = nullptr);

// The glyph drawing's answers without composition tables: nothing
// decomposes, no diacritic has a partner.
std::u16string NoDecomposition(char16_t ch);
char16_t NoDiacriticPartner(char16_t ch);

// The decomposition the glyph drawing uses; the program points it at the
// character composition tables.
struct GlyphDrawingHooks {
    // The characters ch decomposes into; empty when it does not.
    DecomposeFunction Decompose = NoDecomposition;
    // The spacing or combining partner of a diacritic, 0 when it has none.
    char16_t (*DiacriticPartner)(char16_t ch) = NoDiacriticPartner;
};
extern GlyphDrawingHooks GlyphHooks;

}  // namespace console
